#!/usr/bin/env bash
# The main job: a fresh installation with sample data in out/, then a few
# calls through suitehost that show what the libraries answer.
# Usage: tools/main-job.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."

host="$(pwd)/${1:-build}/bin/suitehost"
extension="$(pwd)/${1:-build}/lib/suitetext"
mkdir -p out
dir="$(mktemp -d "$(pwd)/out/main-job.XXXXXX")"

"$host" init "$dir" --sample
export SUITE_CONFIG="$dir/suite.ini"

# Shows a command line, then runs it.
show() {
  echo "\$ suitehost $*"
  "$host" "$@"
}

# The sqlite3 tool with the text rules of our connections (the suitetext
# extension; the text columns' collation needs it) and no init file: the job
# neither relies on a ~/.sqliterc nor has its rows reshaped by one. A load
# that fails stops the tool (-bail), and so the job.
query() {
  sqlite3 -init /dev/null -bail -cmd ".load '$extension'" "$dir/catalog.db" "$1" </dev/null
}

show call Solvane.Configuration GetValue CONNECTIONS BrintorConnection_ConnectionString
show call Solvane.Configuration IsModuleInstalled Quillet
show --typed call Scripting.Dictionary Exists '{"$currency":"1.95583"}'
show call Brintor.Currency ConvertAmount EUR USD '{"$currency":"100"}' '{"$date":"2026-12-08"}'
show call Brintor.Currency ConvertAmount GBP JPY '{"$currency":"250"}' '{"$date":"2026-12-08"}'
show call Brintor.Currency GetCurrencyCodesHavingNoValidCurrencyRate '{"$date":"2026-03-15"}'
# The user object binds to the directory with the web session's account.
session=(--session REMOTE_ACCOUNT=buyer1 --session REMOTE_PASSWORD=sample)
show "${session[@]}" call Brintor.User GetAdminOffice approver1
show "${session[@]}" call Brintor.User GetAllBuyers '""' 10
show call Brintor.BusinessPartner GetBuyer 1
# Catalog reference data: a unit by its description, and re-seeding the
# property values of the sample products of group 1 (which changes nothing).
show call Quarvel.Unit getUnitCodeFromDescription "kilogram "
show call Quarvel.PropertyGroup UpdateGroupChange 1 -1
# Pricing: twenty work shirts (product 1, priced in dollars) in euros, and in
# the CONTRACT group at sixty.
show call Quarvel.Product getCatalogPriceAttributes 1 '{"$date":"2026-12-08"}' EUR 20
show call Quarvel.Product getCatalogPriceAttributesEx 1 '{"$date":"2026-12-08"}' USD 60 CONTRACT
show call Quarvel.Catalog GetAllCatalogs
# A copy of catalog 1 with its node tree, then the copy's record (the
# sample has catalogs 1 to 4, so the copy is 5).
show call Quarvel.TCatalog CopyCatalog 1 1 '""'
show call Quarvel.Catalog GetCatalog 5
# Price import: the sample price document, copied into the download folder
# (the only local place documents are read from), checked, then imported;
# what no product takes stays in the rest file.
cp db/sample/documents/prices.xml "$dir/XMLDownload/prices.xml"
show call Quarvel.PriceXML GetCheckedPriceList "$dir/XMLDownload/prices.xml" true
show call Quarvel.PriceXML GetErrorsInPriceValues "$dir/XMLDownload/prices.xml" true MN-B400
show call Quarvel.PriceXML UpdateInsertPricesFromXML "sample/\\$dir/XMLDownload/prices.xml" true \
  '["OS-SH100","OS-GL200","MN-L300","MN-B400","XX-9999"]'
echo "\$ sqlite3 -cmd '.load $extension' $dir/catalog.db 'SELECT ... FROM CATALOGPRODUCTPRICE'"
query "SELECT PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, CURRENCYCODE, PRICE, DISCOUNTPERC FROM CATALOGPRODUCTPRICE ORDER BY 1, 2, 3"
echo "\$ cat $dir/XMLDownload/remaining_prices_sample.xml"
cat "$dir/XMLDownload/remaining_prices_sample.xml"
# Product import: the sample product document, checked (the buyer checks
# bind to the directory), then imported; the product whose value is dropped
# stays out until the caller allows it.
cp db/sample/documents/products.xml "$dir/XMLDownload/products.xml"
show "${session[@]}" call Quarvel.ProductXML GetCheckedProductInsertList "$dir/XMLDownload/products.xml" true
show "${session[@]}" call Quarvel.ProductXML getErrorsInProductValues "$dir/XMLDownload/products.xml" true OS-TR500
show call Quarvel.ProductXML insertProductsFromXML "sample/\\$dir/XMLDownload/products.xml" true \
  '["OS-TR500","OS-SH100","OS-GL200"]' false
show call Quarvel.ProductXML insertProductFromXML "$dir/XMLDownload/products.xml" true OS-GL200 true
echo "\$ sqlite3 -cmd '.load $extension' $dir/catalog.db 'SELECT ... FROM PRODUCT, PRODUCTBUYER, PRODUCTPROPVALUE'"
imported="P.BUYFROMPARTNUMBER IN ('OS-TR500', 'OS-SH100', 'OS-GL200')"
query "SELECT BUYFROMPARTNUMBER, PRODUCTDESCRIPTION, UNITCODE, USERID, MULTIPLEBUYER FROM PRODUCT P WHERE $imported ORDER BY PRODUCTID"
query "SELECT BUYFROMPARTNUMBER, B.USERID FROM PRODUCTBUYER B JOIN PRODUCT P ON P.PRODUCTID = B.PRODUCTID WHERE $imported"
query "SELECT BUYFROMPARTNUMBER, PROPERTYNAME, VALUE FROM PRODUCTPROPVALUE V JOIN PRODUCT P ON P.PRODUCTID = V.PRODUCTID JOIN PROPERTY R ON R.PROPERTYID = V.PROPERTYID WHERE $imported ORDER BY P.PRODUCTID, R.PROPERTYID"

echo "\$ suitehost run -   (a script on standard input)"
"$host" run - <<'SCRIPT'
{"new":"rates","progid":"Scripting.Dictionary"}
{"call":"rates.Add","args":["EUR",{"$currency":"1"}]}
{"call":"rates.Add","args":["USD",{"$currency":"1.0842"}]}
{"get":"rates.Item","args":["USD"]}
{"call":"rates.Keys"}
SCRIPT

echo "Installation: $dir"
