// Deleting a product (cascade, attachment folder, refusals) and the class's
// referential answers.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "interfaces/business_partner.h"
#include "interfaces/unspsc.h"
#include "tests/quarvel/product_fixture.h"

namespace producttest {
namespace {

namespace fs = std::filesystem;

// What hangs on products 1 and 2 in every table of the cascade; product 2 is
// also product 1's alternative and the other way round.
const char* const kHangingRows =
    "INSERT INTO ATTACHEDFILE (PRODUCTID, FILENAME) VALUES (1, 'sheet.pdf'), (2, 'photo.png');"
    "INSERT INTO PRODUCTPROPVALUE VALUES (1, 1, 'Blue'), (2, 1, 'Red');"
    "INSERT INTO PRODUCTSBYCATEGORY VALUES (1, 5, 1), (2, 5, 2);"
    "INSERT INTO ALTERNATIVEPRODUCTS VALUES (1, 2), (2, 1);"
    "INSERT INTO CATALOGPRODUCTPRICE (PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, CURRENCYCODE, PRICE) VALUES"
    " (1, '2026-01-01 00:00:00', 10, 'EUR', 1), (2, '2026-01-01 00:00:00', 10, 'EUR', 2);"
    "INSERT INTO FAVORITES (USERID, PRODUCTID, PRESENT) VALUES ('fan', 1, 1), ('fan', 2, 1), ('other', 1, 1);"
    "INSERT INTO PRODUCTBUYER VALUES (1, 'buyer1'), (2, 'buyer1');";

class ProductDelete : public PricedProductTest {
 protected:
  ProductDelete() { Exec(kHangingRows); }

  std::string Folder(int32_t id) const {
    return sandbox_.Site() + "/quarvelweb/ProductAttachments/" + std::to_string(id);
  }
  // An attachment folder holding one file (and a link to a file outside it).
  std::string MakeFolder(int32_t id) const {
    fs::create_directories(Folder(id));
    std::ofstream(Folder(id) + "/sheet.pdf") << "pdf";
    std::ofstream(sandbox_.Site() + "/outside.txt") << "stays";
    fs::create_symlink(sandbox_.Site() + "/outside.txt", Folder(id) + "/link");
    return Folder(id);
  }
  // Whether the file of each attachment folder named is still there.
  std::string Kept(std::initializer_list<int32_t> ids) const {
    std::string text;
    for (int32_t id : ids)
      text += "folder " + std::to_string(id) + (fs::exists(Folder(id) + "/sheet.pdf") ? " kept\n" : " gone\n");
    return text;
  }

  // Per table, the product ids whose rows are left.
  std::string Left() const {
    std::string sql;
    for (auto [table, what] : {std::pair{"PRODUCT", "PRODUCTID"}, {"ATTACHEDFILE", "PRODUCTID"},
                               {"PRODUCTPROPVALUE", "PRODUCTID"}, {"PRODUCTSBYCATEGORY", "PRODUCTID"},
                               {"ALTERNATIVEPRODUCTS", "ORIGINALPRODUCT || '>' || ALTERNATIVEPRODUCT"},
                               {"CATALOGPRODUCTPRICE", "PRODUCTID"}, {"FAVORITES", "USERID || ':' || PRODUCTID"},
                               {"PRODUCTBUYER", "PRODUCTID"}})
      sql += std::string(sql.empty() ? "" : " UNION ALL ") + "SELECT '" + table + "', group_concat(" + what + ") FROM " + table;
    return Rows(sql);
  }
};

const char* const kNothingDeleted =
    "PRODUCT|1,2,3\nATTACHEDFILE|1,2\nPRODUCTPROPVALUE|1,2\nPRODUCTSBYCATEGORY|1,2\nALTERNATIVEPRODUCTS|1>2,2>1\n"
    "CATALOGPRODUCTPRICE|1,2\nFAVORITES|fan:1,fan:2,other:1\nPRODUCTBUYER|1,2\n";

// Rows in which the product is only the alternative stay; the folder goes
// with its files, and a link inside it goes without its target. Without
// attached-file rows (product 3) the folder is not the product's to remove.
TEST_F(ProductDelete, DeleteRemovesWhatHangsOnTheProduct) {
  MakeFolder(1);
  MakeFolder(3);
  Run([&] {
    EXPECT_TRUE(NewProduct()->Delete(1));
    EXPECT_TRUE(NewProduct()->Delete(3));
  });
  Golden seen;
  seen.Add("left", Left()).Add("files", Kept({1, 3})).Add("folder 1 there", fs::exists(Folder(1)));
  seen.Add("link's target", Read(sandbox_.Site() + "/outside.txt"));
  EXPECT_EQ(seen.Lines(),
            "left:\nPRODUCT|2\nATTACHEDFILE|2\nPRODUCTPROPVALUE|2\nPRODUCTSBYCATEGORY|2\nALTERNATIVEPRODUCTS|2>1\n"
            "CATALOGPRODUCTPRICE|2\nFAVORITES|fan:2\nPRODUCTBUYER|2\nfiles:\nfolder 1 gone\nfolder 3 kept\n"
            "folder 1 there: false\nlink's target: stays\n");
}

// The cascade ran for an id without a product row: its rows come back with
// the rollback, and so does nothing on disk need to.
TEST_F(ProductDelete, MissingProductRollsTheCascadeBackAndKeepsTheFolder) {
  Exec(
      "INSERT INTO ATTACHEDFILE (PRODUCTID, FILENAME) VALUES (9, 'x.pdf');"
      "INSERT INTO FAVORITES (USERID, PRODUCTID) VALUES ('fan', 9);");
  MakeFolder(9);
  Run([&] {
    EXPECT_EQ(Failure([&] { NewProduct()->Delete(9); }),
              "800400C8 Quarvel.Product.Delete: |ERROR 0x800400C8| METHOD: Quarvel.Product.Delete| DESC: Product "
              "not present.|");
  });
  Golden kept;
  kept.Add("attached files of 9", Scalar("SELECT COUNT(*) FROM ATTACHEDFILE WHERE PRODUCTID = 9"));
  kept.Add("favourites of 9", Scalar("SELECT COUNT(*) FROM FAVORITES WHERE PRODUCTID = 9")).Add("files", Kept({9}));
  EXPECT_EQ(kept.Lines(), "attached files of 9: 1\nfavourites of 9: 1\nfiles: folder 9 kept\n");
}

// A component that still uses the product refuses the delete; a read-only
// file cannot be removed, so the delete fails while its rows can still be
// rolled back. Either way every row and file stays.
TEST_F(ProductDelete, RefusalByTheCheckerOrAFolderThatCannotGoDeletesNothing) {
  UseReferences("[PRODUCT]\nKey=PRODUCTID\nOwner=Quarvel.Product\nReferredBy=Test.Orders:ORDERLINE.PRODUCTID\n");
  auto questions = std::make_shared<std::vector<std::string>>();
  Golden text;
  MakeFolder(1);
  for (bool refused : {true, false}) {
    auto orders = Owner("Test.Orders", refused, questions);
    if (!refused) ::chmod((Folder(1) + "/sheet.pdf").c_str(), 0444);
    Run([&] { text.Add(refused ? "refused" : "read-only file", Failure([&] { NewProduct()->Delete(1); })); });
    EXPECT_EQ(Left() + Kept({1}), kNothingDeleted + std::string("folder 1 kept\n"))
        << (refused ? "refused" : "read-only");
  }
  EXPECT_EQ(text.Add("asked", testing::PrintToString(*questions)).Lines(),
            "refused: 80040007 Quarvel: |ERROR 0x80040007| METHOD: Quarvel.Product.Delete| DESC: The record you are "
            "trying to insert has an invalid reference to another record.|\nread-only file: 46 "
            "Scripting.FileSystemObject: |ERROR 0x46| METHOD: Quarvel.Product.Delete| DESC: Permission denied.|\n"
            "asked: { \"Exists(Quarvel, PRODUCTID=Long:1)\", \"Exists(Quarvel, PRODUCTID=Long:1)\" }\n");
}

class ProductReferences : public ProductTest {
 protected:
  ProductReferences() {
    Exec(
        "INSERT INTO PRODUCT (PRODUCTID, PARTNUMBER, PRODUCTDESCRIPTION, BUSINESSPARTNERID, USERID, UNSPSCCODE) "
        "VALUES (1, 'P-1', 'One', 7, 'buyer1', '43211501');"
        "INSERT INTO COMMODITY (COMMODITYCODE, USERID, CHARGETYPECODE) VALUES ('C1', 'buyer2', 'FREIGHT');"
        "INSERT INTO FAVORITES (USERID, PRODUCTID) VALUES ('fan', 1), ('O''Brien', 1);"
        "INSERT INTO CATALOGPRODUCTPRICE (PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, CURRENCYCODE) "
        "VALUES (1, '2026-01-01 00:00:00', 1, 'EUR');"
        "INSERT INTO CONTRACTLINES VALUES ('K1', 1, 'Head office');"
        "INSERT INTO PRODUCTCATEGORY (CATEGORYNAME, UNSPSCCODE) VALUES ('Furniture', '4410');");
  }
};

// Only the first key counts; its name, in any letter case, picks the
// tables. Ids must be numbers; codes and user ids are quoted; UNSPSC codes
// match the UNSPSCCODE columns exactly, with LIKE's wildcards escaped.
TEST_F(ProductReferences, ExistsAnswersForTheFirstKeyByItsName) {
  Run([&] {
    auto product = NewProduct();
    auto answer = [&](std::vector<rt::Variant> keys, std::vector<rt::Variant> values) -> std::string {
      try {
        return Integrity(product).IReferentialIntegrity_Exists("Test", Array(keys), Array(values)) ? "True" : "False";
      } catch (const rt::ComError& e) {
        return "error " + std::to_string(e.number());
      }
    };
    // One question a line: the key name, then the value.
    std::istringstream questions(
        "BUSINESSPARTNERID 7\nBUSINESSPARTNERID 7 OR 1=1\nofficedescription HEAD OFFICE\nOFFICEDESCRIPTION O'Neil\n"
        "currencycode eur\nCHARGETYPECODE FREIGHT\nPRODUCTID 99\nUSERID buyer2\nUserId o'brien\n"
        "UNSPSCCODE 43211501\nUNSPSCCODES 4410\nUNSPSCCODE 4321%\nUNSPSCCODES 44\n");
    std::string table;
    for (std::string key, value; questions >> key && std::getline(questions >> std::ws, value);)
      table += key + " " + value + ": " + answer({key}, {value}) + "\n";
    table += "USERID nobody, PRODUCTID 1: " + answer({"USERID", "PRODUCTID"}, {"nobody", 1}) + "\n";
    table += "no keys: " + answer({}, {}) + "\n";
    table += "COLOR Blue: " + Failure([&] {
               Integrity(product).IReferentialIntegrity_Exists("", Array({"COLOR"}), Array({"Blue"}));
             });
    EXPECT_EQ(table,
              "BUSINESSPARTNERID 7: True\nBUSINESSPARTNERID 7 OR 1=1: error 13\nofficedescription HEAD OFFICE: True\n"
              "OFFICEDESCRIPTION O'Neil: False\ncurrencycode eur: True\nCHARGETYPECODE FREIGHT: True\n"
              "PRODUCTID 99: False\nUSERID buyer2: True\nUserId o'brien: True\nUNSPSCCODE 43211501: True\n"
              "UNSPSCCODES 4410: True\nUNSPSCCODE 4321%: False\nUNSPSCCODES 44: False\n"
              "USERID nobody, PRODUCTID 1: False\nno keys: False\n"
              "COLOR Blue: 800A0E78 ADODB.Recordset: |ERROR 0x800A0E78| METHOD: Quarvel.Product.Exists  SQL2:  "
              "lSQL3: | DESC: "
              "The operation is not allowed while the object is closed..|");
  });
}

// The user's favourites go with the user; other keys remove nothing.
TEST_F(ProductReferences, BeforeDeleteRemovesOnlyTheUsersFavourites) {
  Run([&] {
    auto product = NewProduct();
    auto& integrity = Integrity(product);
    EXPECT_TRUE(integrity.IReferentialIntegrity_BeforeDelete("", Array({"PRODUCTID"}), Array({1})));
    EXPECT_TRUE(integrity.IReferentialIntegrity_BeforeDelete("", Array({"OFFICE", "userid"}), Array({"x", "O'Brien"})));
  });
  EXPECT_EQ(Rows("SELECT USERID FROM FAVORITES"), "fan\n");
}

// Through the shipped registry, the owners of the keys that products name
// ask the product class before a delete.
class ProductReferrals : public PricedProductTest {};

TEST_F(ProductReferrals, KeysThatProductsUseAreNotDeleted) {
  Exec(
      "INSERT INTO UNSPSCCODES VALUES ('', '43', 1, 'IT'), ('', '44', 1, 'Office');"
      "UPDATE PRODUCT SET UNSPSCCODE = '43' WHERE PRODUCTID = 1;"
      "INSERT INTO BUSINESSPARTNER (BUSINESSPARTNERID, NAME) VALUES (8, 'Unused');");
  Run([&] {
    auto partner = std::dynamic_pointer_cast<IBusinessPartner>(
        rt::CreateRootObject("Brintor.BusinessPartner", std::make_shared<rt::Activity>()));
    auto codes =
        std::dynamic_pointer_cast<ITUNSPSC>(rt::CreateRootObject("Quarvel.TUNSPSC", std::make_shared<rt::Activity>()));
    Golden deleted;
    for (int32_t id : {7, 8}) deleted.Add("partner " + std::to_string(id), partner->Delete(id));
    for (std::string code : {"43", "44"}) deleted.Add("UNSPSC code " + code, codes->Delete(code));
    EXPECT_EQ(deleted.Line(), "partner 7=false partner 8=true UNSPSC code 43=false UNSPSC code 44=true");
  });
  EXPECT_EQ(Golden()
                .Add("partners", Scalar("SELECT group_concat(BUSINESSPARTNERID) FROM BUSINESSPARTNER"))
                .Add("codes", Scalar("SELECT group_concat(UNSPSCCODE) FROM UNSPSCCODES"))
                .Line(),
            "partners=7 codes=43");
}

}  // namespace
}  // namespace producttest
