// Units and hazardous classes: the lookups, the guarded deletes (checker
// first for units, a refusal a quiet False with an abort vote) and the
// referential answers of the twins, which the registry names.
#include "interfaces/hazardous_class.h"
#include "interfaces/referential_integrity.h"
#include "interfaces/unit.h"
#include "tests/quarvel/reference_fixture.h"

namespace {

using Units = SampleReferenceTest;
using EmptyUnits = ReferenceTest;

// A writer's Delete answer; `inner` creates it in the running context.
template <class I>
std::string Delete(const char* progId, std::string code, bool inner = false) {
  return ReferenceTest::Answer([&] { return (inner ? &ReferenceTest::Inner<I> : &ReferenceTest::New<I>)(progId)->Delete(code); });
}
std::string DeleteUnit(std::string code, bool inner = false) { return Delete<ITUnit>("Quarvel.TUnit", code, inner); }
std::string DeleteClass(std::string code, bool inner = false) {
  return Delete<ITHazardousClass>("Quarvel.THazardousClass", code, inner);
}

TEST_F(Units, LookupsMatchCodeOrDescriptionIgnoringCaseAndTrailingBlanks) {
  Exec("INSERT INTO UNIT VALUES ('O''K', 'Bob''s box'); INSERT INTO HAZARDOUSCLASS VALUES ('X''1', 'Ann''s gas');");
  Run([&] {
    auto unit = New<IUnit>("Quarvel.Unit");
    auto classes = New<IHazardousClass>("Quarvel.HazardousClass");
    std::string text;
    for (std::string asked : {"pce  ", "kilogram", "bob's box", "Ounce", "' OR ''='"})
      text += asked + "=" + unit->getUnitCodeFromDescription(asked) + ";";
    for (std::string asked : {"flammable LIQUIDS  ", "ann's gas", "3"})  // a class's code is never compared
      text += asked + "=" + classes->getHazardousClassFromDescription(asked) + ";";
    EXPECT_EQ(text, "pce  =PCE;kilogram=KGM;bob's box=O'K;Ounce=;' OR ''='=;flammable LIQUIDS  =3;ann's gas=X'1;3=;");
  });
}

TEST_F(EmptyUnits, FailuresNameTheLowerCaseMethods) {
  Exec("DROP TABLE UNIT; DROP TABLE HAZARDOUSCLASS;");
  Run([&] {
    Golden failures;
    failures.Add("GetAllUnits", Failure([&] { New<IUnit>("Quarvel.Unit")->GetAllUnits(); }));
    failures.Add("GetAllHazardousClass",
                 Failure([&] { New<IHazardousClass>("Quarvel.HazardousClass")->GetAllHazardousClass(); }));
    EXPECT_EQ(failures.Lines(),
              "GetAllUnits: 80040E14 SQLite: |ERROR 0x80040E14| METHOD: Quarvel.Unit.getAllUnits| DESC: no such table: "
              "UNIT.|\nGetAllHazardousClass: 80040E14 SQLite: |ERROR 0x80040E14| METHOD: "
              "Quarvel.HazardousClass.getAllHazardousClass| DESC: no such table: HAZARDOUSCLASS.|\n");
  });
}

// A code some product has (in another case) stays: False, a stale error
// dropped, nothing logged, an abort vote. A free code goes with a commit
// vote; a code without a row fails.
TEST_F(Units, DeletesAreRefusedSilentlyWhileAProductHasTheCode) {
  Golden text;
  Run([&] {
    rt::Err() = rt::PendingError{5, "earlier", "stale", {}, 0};
    text.Add("unit pce", DeleteUnit("pce")).Add("class '9 '", DeleteClass("9 ")).Add("pending", rt::Err().number);
    const bool doomed = !CallerKeepsItsWork([&] { text.Add("inner unit PR", DeleteUnit("PR", true)); });
    const bool kept = CallerKeepsItsWork([&] {
      text.Add("inner unit mtr", DeleteUnit("mtr", true)).Add("inner class 2.1", DeleteClass("2.1", true));
    });
    text.Add("PR's caller doomed", doomed).Add("mtr's caller kept its work", kept).Add("log entries", LogEntries());
    text.Add("unit XX", DeleteUnit("XX")).Add("class XX", DeleteClass("XX"));
  });
  EXPECT_EQ(text.Lines(),
            "unit pce: Boolean:False\nclass '9 ': Boolean:False\npending: 0\n"
            "inner unit PR: Boolean:False\ninner unit mtr: Boolean:True\ninner class 2.1: Boolean:True\n"
            "PR's caller doomed: true\nmtr's caller kept its work: true\nlog entries: 0\n"
            "unit XX: 800400CB Quarvel.Unit.Delete: |ERROR 0x800400CB| METHOD: Quarvel.Unit.Delete| DESC: Unit not "
            "found.|\nclass XX: 800400D6 Quarvel.THazardousClass.Delete: |ERROR 0x800400D6| METHOD: "
            "Quarvel.THazardousClass.Delete| DESC: HazardousClass not found.|\n");
  Golden left;
  left.Add("units", Rows("SELECT UNITCODE FROM UNIT WHERE UNITCODE IN ('PCE', 'PR', 'MTR')"));
  left.Add("classes", Rows("SELECT CLASSCODE FROM HAZARDOUSCLASS WHERE CLASSCODE IN ('9', '2.1')"));
  EXPECT_EQ(left.Lines(), "units:\nPCE\nPR\nclasses: 9\n");
  EXPECT_EQ(LogEntries(), 2);
}

// With PRODUCT gone a refusing checker still gives a quiet False; classes
// ask no checker; without the refusal the product check fails in its block.
TEST_F(Units, TheCheckerAnswersBeforeTheProductsAreRead) {
  auto referrer = Owner("Quarvel.TestReferrer", true);
  WriteRegistry({{"Key=UNITCODE", "ReferredBy=Quarvel.TestReferrer:ORDERLINE.UNITCODE"},
                 {"Key=CLASSCODE", "ReferredBy=Quarvel.Nowhere:ORDERLINE.CLASSCODE"}});
  Golden text;
  Exec("ALTER TABLE PRODUCT RENAME TO PRODUCT_AWAY");
  Run([&] { text.Add("unit MTR, refused, no products", DeleteUnit("MTR")); });
  Exec("ALTER TABLE PRODUCT_AWAY RENAME TO PRODUCT");
  Run([&] { text.Add("class 2.1, unknown referrer", DeleteClass("2.1")); });
  WriteRegistry();
  Exec("ALTER TABLE PRODUCT RENAME TO PRODUCT_AWAY");
  Run([&] { text.Add("unit MTR, no products", DeleteUnit("MTR")); });
  EXPECT_EQ(text.Lines(),
            "unit MTR, refused, no products: Boolean:False\nclass 2.1, unknown referrer: Boolean:True\n"
            "unit MTR, no products: 80040E14 SQLite: |ERROR 0x80040E14| METHOD: Quarvel.Unit.Delete| DESC: "
            "|ERROR 0x80040E14| METHOD: Quarvel.Unit.canDeleteUnit| DESC: no such table: PRODUCT.|.|\n");
  EXPECT_EQ(Rows("SELECT * FROM UNIT WHERE UNITCODE = 'MTR'"), "MTR|Metre\n");
}

// Exists looks at the first key of its name in any letter case and votes
// commit whatever it answers; the checker's insert checks reach the classes.
TEST_F(Units, ExistsAnswersForTheFirstKeyOfItsNameAndServesTheChecker) {
  WriteRegistry({{"Key=UNITCODE", "ReferredBy=Quarvel.TestReferrer:ORDERLINE.UNITCODE"},
                 {"Key=CLASSCODE", "ReferredBy=Quarvel.TestReferrer:ORDERLINE.CLASSCODE"},
                 {"Key=PROPERTYID", "ReferredBy=Quarvel.TestReferrer:ORDERLINE.PROPERTYID"}});
  Run([&] {
    auto unit = New<IReferentialIntegrity>("Quarvel.TUnit");
    EXPECT_TRUE(unit->IReferentialIntegrity_Exists("", Array({"OTHER", "unitCode"}), Array({"x", "kgm "})));
    EXPECT_FALSE(unit->IReferentialIntegrity_Exists("", Array({"UNITCODE", "UNITCODE"}), Array({"NONE", "BX"})));
    EXPECT_TRUE(New<IReferentialIntegrity>("Quarvel.THazardousClass")
                    ->IReferentialIntegrity_Exists("", Array({"classcode"}), Array({"4.1"})));
    EXPECT_TRUE(unit->IReferentialIntegrity_BeforeDelete("", Array({"UNITCODE"}), Array({"BX"})));
    EXPECT_TRUE(CallerKeepsItsWork([] {
      EXPECT_FALSE(Inner<IReferentialIntegrity>("Quarvel.TUnit")->IReferentialIntegrity_Exists("", Array({"OTHER"}), Array({"BX"})));
    }));
    rt::ObjectPtr checker = rt::CreateObject("Solvane.ReferentialChecker");
    Golden answers;
    for (const auto& [column, value] : {std::pair{"UNITCODE", rt::Variant("ltr")}, std::pair{"CLASSCODE", rt::Variant("7")},
                                        std::pair{"PROPERTYID", rt::Variant(5)}})
      answers.Add(std::string(column) + "=" + rt::CStr(value),
                  rt::CStr(checker->Call("CanInsert", {"Quarvel", "ORDERLINE", Array({column}), Array({value})})));
    EXPECT_EQ(answers.Lines(), "UNITCODE=ltr: True\nCLASSCODE=7: False\nPROPERTYID=5: True\n");
  });
}

}  // namespace
