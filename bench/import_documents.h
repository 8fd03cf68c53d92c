// Documents and catalog rows for the import benchmarks: products with
// supplier part numbers, price documents for them and product documents of
// them, with the rows each comes to, so that a baseline can write the same
// rows itself.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace benchdocs {

// "SP-000001", "SP-000002", ...
inline std::string PartNumber(int i) {
  char text[16];
  std::snprintf(text, sizeof text, "SP-%06d", i);
  return text;
}

// SQL that adds products 1 to `count` (PRODUCTID = i) with the supplier
// part numbers PartNumber(i).
inline std::string ProductsSql(int count) {
  return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(count) +
         ") INSERT INTO PRODUCT (PRODUCTID, PARTNUMBER, PRODUCTDESCRIPTION, BUYFROMPARTNUMBER) "
         "SELECT i, 'P' || i, 'Product ' || i, printf('SP-%06d', i) FROM n;";
}

// One valid price line as it is written.
struct PriceRow {
  int product = 0;
  const char* effective = "";  // stored form
  const char* expiry = "";
  double quantity = 0;
  const char* currency = "";
  double price = 0;
  double discount = 0;
};

// A price document for part numbers 1 to `parts`, `linesPerPart` elements
// each (quantity breaks 10, 20, ...); the last element of each part number
// fails the checks (its price is not above its discount). `round` moves the
// prices, so that a second document changes the rows of the first.
struct PriceDocument {
  std::string text;
  std::vector<PriceRow> rows;  // the valid lines, in document order
  int lines = 0;
};

inline PriceDocument MakePriceDocument(int parts, int linesPerPart, int round) {
  PriceDocument doc;
  doc.text.reserve(static_cast<size_t>(parts) * linesPerPart * 260 + 64);
  doc.text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PriceList>";
  char line[512];
  for (int p = 1; p <= parts; ++p) {
    const std::string part = PartNumber(p);
    for (int k = 1; k <= linesPerPart; ++k) {
      const bool invalid = k == linesPerPart;
      const double price = 10 + (p % 100) + k + round * 0.25;
      const double discount = invalid ? price + 1 : 0.5;
      std::snprintf(line, sizeof line,
                    "<ProductPrice buyfrompartnumber=\"%s\"><PriceEffectiveDate>1/1/2026</PriceEffectiveDate>"
                    "<PriceExpiryDate>12/31/2026</PriceExpiryDate><CurrencyCode>USD</CurrencyCode>"
                    "<Price>%.2f</Price><DiscountAmount>%.2f</DiscountAmount><QuantityTo>%d</QuantityTo>"
                    "</ProductPrice>\n",
                    part.c_str(), price, discount, k * 10);
      doc.text += line;
      ++doc.lines;
      if (!invalid)
        doc.rows.push_back({p, "2026-01-01 00:00:00", "2026-12-31 00:00:00", k * 10.0, "USD", price, discount});
    }
  }
  doc.text += "</PriceList>\n";
  return doc;
}

// --- product documents ---------------------------------------------------------

// What one product of a product document comes to.
struct ProductRow {
  std::string partNumber;   // BUYFROMPARTNUMBER
  std::string number;       // PARTNUMBER
  std::string description;  // PRODUCTDESCRIPTION
  std::string buyer;        // USERID and the one PRODUCTBUYER row
  std::string colour, voltage, material;
};

// The fields every product of a product document shares, as the document
// gives them and as they are stored.
struct ProductCommon {
  static constexpr const char* kUnitDescription = "Piece";  // by description...
  static constexpr const char* kUnitCode = "PCE";           // ...stored as the code
  static constexpr const char* kCommodity = "APPAREL";
  static constexpr const char* kBusinessId = "BID-S100";    // partner 1 of the sample
  static constexpr int kPartnerId = 1;
  static constexpr const char* kUnspscCode = "43211503";    // a code of the sample tree
  // The three properties: Colour (3, enumerated) and Voltage (2, number)
  // of the sample, Material new (1, text).
  static constexpr int kColourId = 1;
  static constexpr int kVoltageId = 3;
};

// A product document for part numbers 1 to `products` (PartNumber(i)), each
// with one buyer of 50 (buyer01 ... buyer50, several buyers on), the unit by
// its description, the commodity, the supplier by business id, the UNSPSC
// code and three properties. `round` changes the descriptions, buyers and
// property values, so that a second document updates the rows of the first.
struct ProductDocument {
  std::string text;
  std::vector<ProductRow> rows;
};

inline ProductDocument MakeProductDocument(int products, int round) {
  ProductDocument doc;
  doc.text.reserve(static_cast<size_t>(products) * 520 + 64);
  doc.text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ProductList>";
  static const char* const kColours[] = {"Black", "White", "Red", "Blue"};
  char buyer[16];
  char text[1024];
  for (int p = 1; p <= products; ++p) {
    ProductRow row;
    row.partNumber = PartNumber(p);
    row.number = "P-" + std::to_string(p);
    row.description = "Product " + std::to_string(p) + (round ? " (revised)" : "");
    std::snprintf(buyer, sizeof buyer, "buyer%02d", (p + round) % 50 + 1);
    row.buyer = buyer;
    row.colour = kColours[(p + round) % 4];
    row.voltage = std::to_string(110 + (p + round) % 3 * 60);
    row.material = round ? "Recycled cotton" : "Cotton";
    std::snprintf(text, sizeof text,
                  "<Product buyfrompartnumber=\"%s\"><PARTNUMBER>%s</PARTNUMBER>"
                  "<PRODUCTDESCRIPTION>%s</PRODUCTDESCRIPTION><UNIT>%s</UNIT><COMMODITYCODE>%s</COMMODITYCODE>"
                  "<BUSINESSID>%s</BUSINESSID><BUYERID>%s</BUYERID><MULTIPLEBUYER>1</MULTIPLEBUYER>"
                  "<UNSPSCCODE>%s</UNSPSCCODE><Colour>%s</Colour><Voltage>%s</Voltage><Material>%s</Material>"
                  "</Product>\n",
                  row.partNumber.c_str(), row.number.c_str(), row.description.c_str(),
                  ProductCommon::kUnitDescription, ProductCommon::kCommodity, ProductCommon::kBusinessId,
                  row.buyer.c_str(), ProductCommon::kUnspscCode, row.colour.c_str(), row.voltage.c_str(),
                  row.material.c_str());
    doc.text += text;
    doc.rows.push_back(std::move(row));
  }
  doc.text += "</ProductList>\n";
  return doc;
}

}  // namespace benchdocs
