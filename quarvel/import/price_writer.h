// PriceWriter: the price import's writer of one price line, on the batch's
// write group. The line's row is the one of its product, effective date,
// quantity break and price group; it is changed when it exists and added
// otherwise. Unlike the product object's writer, it asks no referential
// checker about the currency (the import's checks did).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/command.h"
#include "data/recordset.h"
#include "quarvel/import/import_batch.h"
#include "runtime/variant.h"

namespace quarvel::pricexml {

class PriceWriter {
 public:
  explicit PriceWriter(import::WriteGroup& group) : group_(group) {}

  // Writes one line: `names` (upper-cased) and `values` are the line's
  // elements in order. The key columns PRODUCTID, PRICEEFFECTIVEDATE and
  // QUANTITYTO come from the arguments only. The line's GROUPBY (blank: the
  // default group, stored as Null and found as Null or '') picks the row's
  // group. An empty PRICEEXPIRYDATE is Null and a date text is read
  // month/day/year; DISCOUNTPERC and PRICETAXPERCENTAGE are rounded to
  // hundredths; Empty (a name the checks added) is Null. A name that is no
  // column fails with the recordset's unknown-field error (0x800A0CC1).
  // Failures are logged and raised with "Quarvel.PriceXML.InsertUpdatePrice".
  void InsertUpdatePrice(int32_t productId, rt::Date effectiveDate, double quantityTo,
                         const std::vector<std::string>& names, const std::vector<rt::Variant>& values);

 private:
  // The table's columns, read once: an empty recordset over CATALOGPRODUCTPRICE.
  const std::shared_ptr<data::Recordset>& Columns();
  // The value a column receives, made to fit it as a recordset field would.
  rt::Variant ColumnValue(int32_t column, const std::string& name, const rt::Variant& value);
  // Runs a statement on the group's connection; answers the rows changed.
  int32_t Run(const std::string& sql, const std::vector<rt::Variant>& values);

  import::WriteGroup& group_;
  std::shared_ptr<data::Recordset> columns_;
  std::shared_ptr<data::Command> command_;
};

}  // namespace quarvel::pricexml
