// The product writers under the fault sweep, and the ids of callers: numbers
// only, kept as given.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "data/testing/fault_sweep.h"
#include "tests/quarvel/product_fixture.h"

namespace producttest {
namespace {

namespace fs = std::filesystem;
using data::testing::Outcome;

using Writer = std::function<Outcome(IProduct&)>;
Outcome Of(bool done) { return done ? Outcome::Succeeded : Outcome::Refused; }
// A writer that answers nothing: done unless it raised.
Writer Done(std::function<void(IProduct&)> call) {
  return [call](IProduct& p) {
    call(p);
    return Outcome::Succeeded;
  };
}

class ProductFaults : public PricedProductTest {
 protected:
  ProductFaults() {
    Exec(
        "INSERT INTO CATALOGPRODUCTPRICE (PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, CURRENCYCODE, PRICE) VALUES"
        " (1, '2026-01-01 00:00:00', 10, 'EUR', 1), (1, '2026-01-01 00:00:00', 20, 'EUR', 2);"
        "INSERT INTO ATTACHEDFILE (PRODUCTID, FILENAME) VALUES (1, 'sheet.pdf');"
        "INSERT INTO PRODUCTPROPVALUE VALUES (1, 1, 'Blue');"
        "INSERT INTO FAVORITES (USERID, PRODUCTID) VALUES ('fan', 1), ('fan', 2);"
        "INSERT INTO PRODUCTBUYER VALUES (1, 'buyer1');");
  }

  // Sweeps each write, made by a new product object, as the root of its
  // transaction; answers each one's problems under its name.
  std::string SweepAll(const data::testing::SweepTarget& target,
                       const std::vector<std::pair<const char*, Writer>>& writes) const {
    data::testing::FaultEngine engine;
    std::string problems;
    for (const auto& [name, write] : writes) {
      auto report = data::testing::SweepFaults(engine, target, [&] { return write(*NewProduct()); });
      EXPECT_GT(report.statements, 0) << name;
      if (!report.Problems().empty()) problems += std::string(name) + ":\n" + report.Problems();
    }
    return problems;
  }
};

// Every writer but the delete, with a property group to re-seed and the
// UNSPSC relinking switched on.
TEST_F(ProductFaults, WritesRaiseOrRefuseAndLeaveTheTables) {
  Exec(
      "INSERT INTO PROPERTY VALUES (1, 'Colour', 1, 'Black', 0), (2, 'Size', 1, 'M', 0);"
      "INSERT INTO PROPERTYGROUP VALUES (1, 'Apparel'); INSERT INTO PROPSBYPROPGROUP VALUES (1, 1, 1, 1);"
      "INSERT INTO PRODUCTCATEGORY (CATEGORYID, CATEGORYNAME, UNSPSCCODE) VALUES (1, 'IT', '43'), (2, 'Tools', '27');"
      "UPDATE PRODUCT SET UNSPSCCODE = '2711', MULTIPLEBUYER = 1 WHERE PRODUCTID = 2;"
      "INSERT INTO PRODUCTSBYCATEGORY VALUES (2, 2, 1); INSERT INTO COMMODITY (COMMODITYCODE) VALUES ('O''B');"
      "INSERT INTO FAVORITES VALUES ('fan', 1, 1, 4, 1);");
  SetSwitch("Yes");
  auto line = [](const char* action, double quantity) {
    return [action, quantity](IProduct& p) {
      return Of(p.InsertUpdatePrice(1, Day(2026, 1, 1), quantity, Array({"CURRENCYCODE", "PRICE", "DISCOUNTPERC"}),
                                    Array({"EUR", 3, 1.125}), action));
    };
  };
  int32_t one = 1, two = 2;
  std::string red = "it's red", large = "L", code = "M'1", name = "Maker";
  const std::vector<std::pair<const char*, Writer>> writes = {
      {"insert", line("insert", 50)},
      {"insertupdate (new)", line("insertupdate", 100)},
      {"insertupdate (edit)", line("insertupdate", 10)},
      {"update", line("update", 10)},
      {"InsertUpdatePriceEx",
       [](IProduct& p) {
         return Of(p.InsertUpdatePriceEx(1, Day(2026, 1, 1), 10, "CONTRACT", Array({"CURRENCYCODE", "GROUPBY"}),
                                         Array({"EUR", "CONTRACT"}), "insertupdate"));
       }},
      {"InsertUpdatePriceEx (new in its group)",
       [](IProduct& p) {
         return Of(p.InsertUpdatePriceEx(1, Day(2026, 1, 1), 10, "SPOT", Array({"CURRENCYCODE", "PRICE"}),
                                         Array({"EUR", 2}), "insertupdate"));
       }},
      {"Insert20",
       [](IProduct& p) {
         return Of(p.Insert20(Array({"PARTNUMBER", "PRODUCTDESCRIPTION", "PROPERTYGROUPID", "UNSPSCCODE"}),
                              Array({"N", "New", 1, "4321"})) > 0);
       }},
      {"Insert", [](IProduct& p) { return Of(p.Insert("PCE", 1, "", "N", "New", false, "", "", "") > 0); }},
      {"Update20",
       [](IProduct& p) {
         return Of(p.Update20(2, Array({"PROPERTYGROUPID", "UNSPSCCODE", "MULTIPLEBUYER"}), Array({1, "4321", false})));
       }},
      {"Update", [](IProduct& p) { return Of(p.Update(1, "PCE", 1, "", "P", "D", true, "", "", "")); }},
      {"SetUpdateDateToNow", [](IProduct& p) { return Of(rt::CBool(p.SetUpdateDateToNow(1))); }},
      {"Disable", Done([](IProduct& p) { p.Disable(1); })},
      {"Enable", Done([](IProduct& p) { p.Enable(1); })},
      {"InsertMultipleBuyers",
       [](IProduct& p) { return Of(p.InsertMultipleBuyers(Array({"PRODUCTID", "USERID"}), Array({2, "approver1"}))); }},
      {"UpdateProductPropertyValue", Done([&](IProduct& p) { p.UpdateProductPropertyValue(one, one, red); })},
      {"InsertProductPropertyValue", Done([&](IProduct& p) { p.InsertProductPropertyValue(one, two, large); })},
      {"DeleteCommodity", [](IProduct& p) { return Of(p.DeleteCommodity("O'B")); }},
      {"InsertManufacturer", Done([&](IProduct& p) { p.InsertManufacturer(code, name); })},
      {"CreateFavorite", Done([](IProduct& p) { p.CreateFavorite("fan", 2, std::nullopt); })},
      {"CreateFavoriteEx", Done([](IProduct& p) { p.CreateFavoriteEx("fan", 3, 1, 9); })},
      {"DeleteFavorite", Done([](IProduct& p) { p.DeleteFavorite("fan", 1, std::nullopt); })},
      {"DeleteFavoriteEx", Done([](IProduct& p) { p.DeleteFavoriteEx("fan", 1, 1, 4); })},
  };
  Run([&] { EXPECT_EQ(SweepAll(data::testing::DatabaseTarget(sandbox_.CatalogPath()), writes), ""); });
}

// A delete that fails, at any statement or at the commit, keeps the
// attachment folder with the rows.
TEST_F(ProductFaults, DeletesRaiseAndLeaveTheTablesAndTheFolder) {
  const std::string folder = sandbox_.Site() + "/quarvelweb/ProductAttachments/1";
  auto makeFolder = [&] {
    fs::create_directories(folder);
    std::ofstream(folder + "/sheet.pdf") << "pdf";
  };
  makeFolder();
  const data::testing::SweepTarget tables = data::testing::DatabaseTarget(sandbox_.CatalogPath());
  const data::testing::SweepTarget target{
      [&] { return tables.state() + (fs::exists(folder + "/sheet.pdf") ? "folder kept\n" : "folder gone\n"); },
      [&] {
        tables.undo();
        makeFolder();
      }};
  Run([&] {
    EXPECT_EQ(SweepAll(target, {{"Delete", [](IProduct& p) { return Of(p.Delete(1)); }},
                                {"IReferentialIntegrity_BeforeDelete",
                                 [](IProduct& p) {
                                   return Of(dynamic_cast<IReferentialIntegrity&>(p).IReferentialIntegrity_BeforeDelete(
                                       "", Array({"USERID"}), Array({"fan"})));
                                 }}}),
              "");
  });
}

// Every id that a caller's text or Variant puts into a statement: anything
// but a number is refused with Type mismatch before a statement runs.
TEST_F(ProductFaults, IdsThatAreNoNumbersAreRefusedBeforeAnyStatement) {
  const std::string before = data::testing::DatabaseTarget(sandbox_.CatalogPath()).state();
  Run([&] {
    auto product = NewProduct();
    const rt::Variant injected("1) OR (1=1");
    const rt::Variant list = Array({rt::Variant(1), injected});
    const rt::Variant none = rt::Variant::Missing();
    rt::Variant more;
    const std::vector<std::pair<const char*, std::function<void()>>> calls = {
        {"ValidateProductAgainstUserCatalogs",
         [&] { product->ValidateProductAgainstUserCatalogs("1 OR 1=1", Array({1})); }},
        {"ValidateProductAgainstUserCatalogs", [&] { product->ValidateProductAgainstUserCatalogs("1", list); }},
        {"GetProductsBySupplier", [&] { product->GetProductsBySupplier("7 OR 1=1"); }},
        {"GetProductsByCriteria", [&] { product->GetProductsByCriteria(2, injected, none); }},
        {"GetProductsByCriteria", [&] { product->GetProductsByCriteria(2, rt::Variant::Null(), none); }},
        {"GetPartNumbersForProducts", [&] { product->GetPartNumbersForProducts(list); }},
        {"getBuyersForProducts", [&] { product->GetBuyersForProducts(list); }},
        {"GetProductIdFromPartNumSource", [&] { product->GetProductIdFromPartNumSource("P-1", injected, none); }},
        {"GetProductIdFromPartNumSource", [&] { product->GetProductIdFromPartNumSource("P-1", none, injected); }},
        {"GetAlternativeProducts", [&] { product->GetAlternativeProducts(1, injected); }},
        {"getProductIDFromPartNum", [&] { product->getProductIDFromPartNum("P", "(1) OR (1=1)"); }},
        {"countProductIDsFromPartNum", [&] { product->countProductIDsFromPartNum("P", "(1,2"); }},
        {"GetCatalogProductsByPartNumber",
         [&] { product->GetCatalogProductsByPartNumber("P%", 5, more, "(SELECT CATALOGID FROM CATALOG)"); }},
    };
    for (const auto& [member, call] : calls)
      EXPECT_EQ(Failure(call),
                std::string("D Quarvel: |ERROR 0xD| METHOD: Quarvel.Product.") + member + "| DESC: Type mismatch.|");
    // Assigned to the PRODUCTID field, the text is refused by the field's
    // conversion, as any value that does not fit its column.
    EXPECT_EQ(Failure([&] { product->InsertMultipleBuyers(Array({"PRODUCTID", "USERID"}), Array({"2 OR 1=1", "x"})); }),
              "80040E07 SQLite: |ERROR 0x80040E07| METHOD: Quarvel.Product.InsertMultipleBuyers| DESC: Conversion "
              "failed when converting the nvarchar value '2 OR 1=1' to data type int..|");
  });
  EXPECT_EQ(data::testing::DatabaseTarget(sandbox_.CatalogPath()).state(), before);
}

using FractionalIds = SampleProductTest;

// A dictionary's keys, in order, joined by ","; "none" for no entry.
std::string Keys(const std::shared_ptr<rt::Dictionary>& list) {
  std::string text;
  for (const rt::Dictionary::Entry& e : list->Entries()) text += (text.empty() ? "" : ",") + rt::CStr(e.key);
  return text.empty() ? "none" : text;
}

// Each id of the table, labelled as given ('text' or a bare Double), with
// what the call answered for it or "error <number>".
Golden ForEachId(const std::vector<rt::Variant>& ids, const std::function<std::string(const rt::Variant&)>& ask) {
  Golden answers;
  for (const rt::Variant& id : ids) {
    std::string answer;
    try {
      answer = ask(id);
    } catch (const rt::ComError& e) {
      answer = "error " + std::to_string(e.number());
    }
    answers.Add(id.IsString() ? "'" + rt::CStr(id) + "'" : rt::CStr(id), answer);
  }
  return answers;
}

// An id that a caller gives as text or in a Variant goes into the statement
// as the number it is, whatever form its text takes: a fraction is kept, so
// that 2.5 names no product and no supplier where a rounded id named the
// second; text that is no number is refused. A Long parameter converts as VB
// converts an argument instead: 2.5 reads product 2's price lines.
TEST_F(FractionalIds, IdsGivenAsTextOrVariantsKeepTheirFraction) {
  const std::string workshop = CatalogId("Workshop and Safety");
  Run([&] {
    auto product = NewProduct();
    const std::vector<rt::Variant> ids = {"2.5", "2.50", " 2.5 ", "2", "1e0", 2.5, "abc"};
    auto yes = [](bool answer) { return std::string(answer ? "true" : "false"); };
    auto exists = [&](const char* key, const rt::Variant& id) {
      return yes(Integrity(product).IReferentialIntegrity_Exists("Quarvel", Array({key}), Array({id})));
    };
    Golden rows;
    rows.Add("ValidateProductAgainstUserCatalogs", ForEachId(ids, [&](const rt::Variant& id) {
               return yes(product->ValidateProductAgainstUserCatalogs(rt::CStr(id), Array({workshop})));
             }));
    const std::vector<rt::Variant> catalogs = {workshop + ".5", workshop + ".50", " " + workshop + ".5 ", workshop};
    rows.Add("ValidateProductAgainstUserCatalogs(2, catalog)", ForEachId(catalogs, [&](const rt::Variant& id) {
               return yes(product->ValidateProductAgainstUserCatalogs("2", Array({id})));
             }));
    rows.Add("GetProductsBySupplier",
             ForEachId(ids, [&](const rt::Variant& id) { return Keys(product->GetProductsBySupplier(rt::CStr(id))); }));
    rows.Add("GetProductsByCriteria(2, supplier)", ForEachId(ids, [&](const rt::Variant& id) {
               return Keys(product->GetProductsByCriteria(2, id, rt::Variant::Missing()));
             }));
    rows.Add("GetPartNumbersForProducts", ForEachId(ids, [&](const rt::Variant& id) {
               return Keys(product->GetPartNumbersForProducts(Array({id})));
             }));
    rows.Add("GetBuyersForProducts",
             ForEachId(ids, [&](const rt::Variant& id) { return Keys(product->GetBuyersForProducts(Array({id}))); }));
    rows.Add("Exists PRODUCTID", ForEachId(ids, [&](const rt::Variant& id) { return exists("PRODUCTID", id); }));
    rows.Add("Exists BUSINESSPARTNERID",
             ForEachId(ids, [&](const rt::Variant& id) { return exists("BUSINESSPARTNERID", id); }));
    rows.Add("GetProductPriceLines (Long): lines", ForEachId(ids, [&](const rt::Variant& id) {
               return rt::CStr(std::dynamic_pointer_cast<rt::Object>(product)
                                   ->Call("GetProductPriceLines", {id})
                                   .AsObject()
                                   ->GetProperty("Count"));
             }));
    EXPECT_EQ(rows.Lines(),
              "ValidateProductAgainstUserCatalogs: '2.5'=false '2.50'=false ' 2.5 '=false '2'=true '1e0'=true "
              "2.5=false 'abc'=error 13\n"
              "ValidateProductAgainstUserCatalogs(2, catalog): '4.5'=false '4.50'=false ' 4.5 '=false '4'=true\n"
              "GetProductsBySupplier: '2.5'=none '2.50'=none ' 2.5 '=none '2'=3,4,7,8 '1e0'=1,2,5,6 2.5=none "
              "'abc'=error 13\n"
              "GetProductsByCriteria(2, supplier): '2.5'=none '2.50'=none ' 2.5 '=none '2'=3,4,7,8 '1e0'=1,2,5,6 "
              "2.5=none 'abc'=error 13\n"
              "GetPartNumbersForProducts: '2.5'=none '2.50'=none ' 2.5 '=none '2'=2 '1e0'=1 2.5=none 'abc'=error 13\n"
              "GetBuyersForProducts: '2.5'=none '2.50'=none ' 2.5 '=none '2'=2 '1e0'=1 2.5=none 'abc'=error 13\n"
              "Exists PRODUCTID: '2.5'=false '2.50'=false ' 2.5 '=false '2'=true '1e0'=true 2.5=false "
              "'abc'=error 13\n"
              "Exists BUSINESSPARTNERID: '2.5'=false '2.50'=false ' 2.5 '=false '2'=true '1e0'=true 2.5=false "
              "'abc'=error 13\n"
              "GetProductPriceLines (Long): lines: '2.5'=2 '2.50'=2 ' 2.5 '=2 '2'=2 '1e0'=4 2.5=2 'abc'=error 13\n");
  });
}

}  // namespace
}  // namespace producttest
