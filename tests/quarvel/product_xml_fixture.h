// The fixture of the product-document tests, on the sample installation:
// units PCE Piece, PR Pair, ...; commodities APPAREL, ELECTRICAL; partners
// BID-S100 (1), BID-S200 (2); contract lines C-2026-01/1, C-2026-01/2,
// C-2026-02/1; UNSPSC codes such as 43211503; properties 1 Colour
// (enumerated), 2 Size, 3 Voltage (number), 4 Expiry date, 5 Supplier
// reference (external); products OS-SH100 (1, values for 1, 2, 5) and
// OS-GL200 (2) by supplier part number; directory users buyer1, approver1.
#pragma once

#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "interfaces/product_xml.h"
#include "quarvel/import/product_xml.h"
#include "tests/quarvel/reference_fixture.h"

class ProductXmlTest : public ReferenceTest {
 public:

  static std::string F(const std::string& name, const std::string& value) {
    return "<" + name + ">" + value + "</" + name + ">";
  }
  static std::string Product(const std::string& partNumber, const std::string& fields) {
    return "<Product buyfrompartnumber=\"" + partNumber + "\">" + fields + "</Product>";
  }
  static std::string Doc(const std::string& body) { return "<ProductList>" + body + "</ProductList>"; }
  // The fields a new product needs to pass every check.
  static std::string Sound(const std::string& partNumber = "NEW-1", const std::string& description = "New product") {
    return F("PARTNUMBER", partNumber) + F("PRODUCTDESCRIPTION", description) + F("UNIT", "PCE");
  }

 protected:
  ProductXmlTest() : ReferenceTest(true), sampleProducts_(Scalar("SELECT MAX(PRODUCTID) FROM PRODUCT")) {}

  // As a page creates it: in a context of its own whose web session holds
  // the sample buyer's credentials (the buyer checks bind to the directory
  // with them).
  static Object<IProductXML> NewProductXml() {
    auto activity = std::make_shared<rt::Activity>();
    activity->session->SetItem("REMOTE_ACCOUNT", rt::Variant("buyer1"));
    activity->session->SetItem("REMOTE_PASSWORD", rt::Variant("sample"));
    return Object<IProductXML>{rt::CreateRootObject("Quarvel.ProductXML", activity)};
  }

  // A ProductXML whose batch reads `times` (seconds) from its clock.
  static std::shared_ptr<quarvel::ProductXML> WithClock(std::vector<double> times) {
    return Clocked<quarvel::ProductXML>("Quarvel.ProductXML", std::move(times));
  }

  // The batch on a list of part numbers; answers the list as it came back.
  template <class P>
  static std::string Batch(P&& products, const std::string& argument, std::vector<rt::Variant> partNumbers,
                           bool updateOnErrors = false) {
    rt::Variant list = Array(std::move(partNumbers));
    products->insertProductsFromXML(argument, false, list, updateOnErrors);
    return List(list);
  }

  // A collection's items joined by "|", nested collections one a line.
  static std::string Items(const std::shared_ptr<rt::Collection>& list) {
    std::string text;
    for (int32_t i = 1; i <= list->Count(); ++i) {
      const rt::Variant item = list->Item(rt::Variant(i));
      if (auto inner = item.IsObject() ? std::dynamic_pointer_cast<rt::Collection>(item.AsObject()) : nullptr) {
        text += Items(inner) + "\n";
      } else {
        text += (i > 1 ? "|" : "") + rt::CStr(item);
      }
    }
    return text;
  }

  // The product of the supplier part number: the columns the import writes,
  // each named ("PARTNUMBER=NEW-1 ... PRODUCTREMARK=null"); "" when there is none.
  std::string ProductRow(const std::string& partNumber) const {
    std::string columns;
    for (const char* c : {"PARTNUMBER", "PRODUCTDESCRIPTION", "UNITCODE", "COMMODITYCODE", "CONTRACTCODE", "NUMBER",
                          "BUSINESSPARTNERID", "USERID", "MULTIPLEBUYER", "UNSPSCCODE", "GTIN", "MINORDERQTY",
                          "LOTSIZE", "PRODUCTEFFECTIVITYDATE", "PRODUCTREMARK"})
      columns += std::string(columns.empty() ? "" : ", ") + c;
    return Golden::Query(sandbox_.CatalogPath(),
                         "SELECT " + columns + " FROM PRODUCT WHERE BUYFROMPARTNUMBER = '" + partNumber + "'",
                         GoldenRowText::Named());
  }
  // A product's buyers in the order stored.
  std::string Buyers(const std::string& partNumber) const {
    return Scalar("SELECT IFNULL(GROUP_CONCAT(USERID, ' '), '') FROM (SELECT B.USERID FROM PRODUCTBUYER B JOIN PRODUCT P"
                  " ON P.PRODUCTID = B.PRODUCTID WHERE P.BUYFROMPARTNUMBER = '" +
                  partNumber + "' ORDER BY B.rowid)");
  }
  // A product's property values: "name=value" in property order.
  std::string Values(const std::string& partNumber) const {
    return Scalar(
        "SELECT IFNULL(GROUP_CONCAT(PROPERTYNAME || '=' || VALUE, ' '), '') FROM (SELECT R.PROPERTYNAME, V.VALUE"
        " FROM PRODUCTPROPVALUE V JOIN PRODUCT P ON P.PRODUCTID = V.PRODUCTID JOIN PROPERTY R ON"
        " R.PROPERTYID = V.PROPERTYID WHERE P.BUYFROMPARTNUMBER = '" +
        partNumber + "' ORDER BY R.PROPERTYID)");
  }
  // The products added to the sample's.
  std::string Added() const { return Scalar("SELECT COUNT(*) FROM PRODUCT WHERE PRODUCTID > " + sampleProducts_); }
  // The condition that picks the products added to the sample's.
  std::string AddedOnly() const { return "PRODUCTID > " + sampleProducts_; }

  std::string RestFile(const std::string& prefix) const {
    return sandbox_.Site() + "/XMLDownload/remaining_products_" + prefix + ".xml";
  }

 private:
  std::string sampleProducts_;  // the sample's highest PRODUCTID
};
