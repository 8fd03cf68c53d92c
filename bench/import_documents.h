// Documents and catalog rows for the import benchmarks: products with
// supplier part numbers, and price documents for them, with the rows their
// valid lines come to, so that a baseline can write the same rows itself.
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

}  // namespace benchdocs
