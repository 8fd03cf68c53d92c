// Units and hazardous classes: the lookups (code or description for units,
// description only for classes, letter case and trailing blanks ignored,
// quotes taken literally), the guarded deletes (checker first for units, a
// refusal answered with False and an abort vote, not-found failures) and
// the referential answers of the twins, which the registry names.
#include "interfaces/hazardous_class.h"
#include "interfaces/referential_integrity.h"
#include "interfaces/unit.h"
#include "tests/quarvel/reference_fixture.h"

namespace {

using Units = SampleReferenceTest;
using EmptyUnits = ReferenceTest;

TEST_F(Units, LookupsMatchCodeOrDescriptionIgnoringCaseAndTrailingBlanks) {
  Exec("INSERT INTO UNIT VALUES ('O''K', 'Bob''s box'); INSERT INTO HAZARDOUSCLASS VALUES ('X''1', 'Ann''s gas');");
  Run([&] {
    auto unit = New<IUnit>("Quarvel.Unit");
    std::string text;
    for (const char* asked : {"pce  ", "kilogram", "bob's box", "Ounce", "' OR ''='"}) {
      std::string value = asked;
      text += value + "=" + unit->getUnitCodeFromDescription(value) + ";";
    }
    EXPECT_EQ(text, "pce  =PCE;kilogram=KGM;bob's box=O'K;Ounce=;' OR ''='=;");

    auto classes = New<IHazardousClass>("Quarvel.HazardousClass");
    EXPECT_EQ(classes->getHazardousClassFromDescription("flammable LIQUIDS  ") + "," +
                  classes->getHazardousClassFromDescription("ann's gas") + "," +
                  classes->getHazardousClassFromDescription("3"),
              "3,X'1,");  // the code is never compared
  });
}

TEST_F(EmptyUnits, FailuresNameTheLowerCaseMethods) {
  Exec("DROP TABLE UNIT; DROP TABLE HAZARDOUSCLASS;");
  Run([&] {
    EXPECT_EQ(Failure([&] { New<IUnit>("Quarvel.Unit")->GetAllUnits(); }),
              "80040E14 SQLite: |ERROR 0x80040E14| METHOD: Quarvel.Unit.getAllUnits| DESC: no such table: UNIT.|");
    EXPECT_EQ(Failure([&] { New<IHazardousClass>("Quarvel.HazardousClass")->GetAllHazardousClass(); }),
              "80040E14 SQLite: |ERROR 0x80040E14| METHOD: Quarvel.HazardousClass.getAllHazardousClass| DESC: no "
              "such table: HAZARDOUSCLASS.|");
  });
}

// A code some product has (in another letter case) stays: False, no error
// (a stale one is dropped), nothing logged, and the abort vote dooms the
// caller's transaction. A free code goes with a commit vote; a code
// without a row fails.
TEST_F(Units, DeletesAreRefusedSilentlyWhileAProductHasTheCode) {
  Run([&] {
    rt::Err() = rt::PendingError{5, "earlier", "stale", {}, 0};
    std::string unit = "pce", hazard = "9 ";
    EXPECT_FALSE(New<ITUnit>("Quarvel.TUnit")->Delete(unit));
    EXPECT_FALSE(New<ITHazardousClass>("Quarvel.THazardousClass")->Delete(hazard));
    EXPECT_EQ(rt::Err().number, 0);
    EXPECT_FALSE(CallerKeepsItsWork([] {
      std::string code = "PR";
      EXPECT_FALSE(Inner<ITUnit>("Quarvel.TUnit")->Delete(code));
    }));
    EXPECT_EQ(LogEntries(), 0);
    EXPECT_TRUE(CallerKeepsItsWork([] {
      std::string unit = "mtr", hazard = "2.1";
      EXPECT_TRUE(Inner<ITUnit>("Quarvel.TUnit")->Delete(unit));
      EXPECT_TRUE(Inner<ITHazardousClass>("Quarvel.THazardousClass")->Delete(hazard));
    }));
    std::string missing = "XX";
    EXPECT_EQ(Failure([&] { New<ITUnit>("Quarvel.TUnit")->Delete(missing); }),
              "800400CB Quarvel.Unit.Delete: |ERROR 0x800400CB| METHOD: Quarvel.Unit.Delete| DESC: Unit not found.|");
    EXPECT_EQ(Failure([&] { New<ITHazardousClass>("Quarvel.THazardousClass")->Delete(missing); }),
              "800400D6 Quarvel.THazardousClass.Delete: |ERROR 0x800400D6| METHOD: Quarvel.THazardousClass.Delete| "
              "DESC: HazardousClass not found.|");
  });
  EXPECT_EQ(Rows("SELECT UNITCODE FROM UNIT WHERE UNITCODE IN ('PCE', 'PR', 'MTR')") +
                Rows("SELECT CLASSCODE FROM HAZARDOUSCLASS WHERE CLASSCODE IN ('9', '2.1')"),
            "PCE\nPR\n9\n");
  EXPECT_EQ(LogEntries(), 2);
}

// The checker answers before the products are read: with PRODUCT gone a
// refusing checker still gives a quiet False. Classes ask no checker.
TEST_F(Units, TheCheckerAnswersBeforeTheProductsAreRead) {
  auto referrer = Owner("Quarvel.TestReferrer", true);
  WriteRegistry({{"Key=UNITCODE", "ReferredBy=Quarvel.TestReferrer:ORDERLINE.UNITCODE"},
                 {"Key=CLASSCODE", "ReferredBy=Quarvel.Nowhere:ORDERLINE.CLASSCODE"}});
  Exec("ALTER TABLE PRODUCT RENAME TO PRODUCT_AWAY");
  Run([&] {
    std::string code = "MTR";
    EXPECT_FALSE(New<ITUnit>("Quarvel.TUnit")->Delete(code));
  });
  Exec("ALTER TABLE PRODUCT_AWAY RENAME TO PRODUCT");
  Run([&] {
    std::string hazard = "2.1";
    EXPECT_TRUE(New<ITHazardousClass>("Quarvel.THazardousClass")->Delete(hazard));
  });
  // Without the refusing line the product check runs and fails inside its own block.
  WriteRegistry();
  Exec("ALTER TABLE PRODUCT RENAME TO PRODUCT_AWAY");
  Run([&] {
    std::string code = "MTR";
    EXPECT_EQ(Failure([&] { New<ITUnit>("Quarvel.TUnit")->Delete(code); }),
              "80040E14 SQLite: |ERROR 0x80040E14| METHOD: Quarvel.Unit.Delete| DESC: |ERROR 0x80040E14| METHOD: "
              "Quarvel.Unit.canDeleteUnit| DESC: no such table: PRODUCT.|.|");
  });
  EXPECT_EQ(Rows("SELECT * FROM UNIT WHERE UNITCODE = 'MTR'"), "MTR|Metre\n");
}

// Exists looks at the first key of its name in any letter case, votes
// commit whatever it answers, and answers the checker's insert checks of
// tables that the registry lets refer to units, classes and properties.
TEST_F(Units, ExistsAnswersForTheFirstKeyOfItsNameAndServesTheChecker) {
  WriteRegistry({{"Key=UNITCODE", "ReferredBy=Quarvel.TestReferrer:ORDERLINE.UNITCODE"},
                 {"Key=CLASSCODE", "ReferredBy=Quarvel.TestReferrer:ORDERLINE.CLASSCODE"},
                 {"Key=PROPERTYID", "ReferredBy=Quarvel.TestReferrer:ORDERLINE.PROPERTYID"}});
  Run([&] {
    auto unit = New<IReferentialIntegrity>("Quarvel.TUnit");
    auto hazard = New<IReferentialIntegrity>("Quarvel.THazardousClass");
    EXPECT_TRUE(unit->IReferentialIntegrity_Exists("", Array({"OTHER", "unitCode"}), Array({"x", "kgm "})));
    EXPECT_FALSE(unit->IReferentialIntegrity_Exists("", Array({"UNITCODE", "UNITCODE"}), Array({"NONE", "BX"})));
    EXPECT_TRUE(hazard->IReferentialIntegrity_Exists("", Array({"classcode"}), Array({"4.1"})));
    EXPECT_TRUE(unit->IReferentialIntegrity_BeforeDelete("", Array({"UNITCODE"}), Array({"BX"})));
    EXPECT_TRUE(CallerKeepsItsWork([] {
      EXPECT_FALSE(Inner<IReferentialIntegrity>("Quarvel.TUnit")
                       ->IReferentialIntegrity_Exists("", Array({"OTHER"}), Array({"BX"})));
    }));
    EXPECT_EQ(Failure([&] { unit->IReferentialIntegrity_Exists("", rt::Variant("UNITCODE"), Array({"BX"})); }),
              "D Quarvel: |ERROR 0xD| METHOD: Quarvel.Unit.Exists| DESC: Type mismatch.|");

    rt::ObjectPtr checker = rt::CreateObject("Solvane.ReferentialChecker");
    std::string answers;
    for (const auto& [column, value] : {std::pair{"UNITCODE", rt::Variant("ltr")}, std::pair{"CLASSCODE", rt::Variant("7")},
                                        std::pair{"PROPERTYID", rt::Variant(5)}}) {
      answers += rt::CStr(checker->Call("CanInsert", {rt::Variant("Quarvel"), rt::Variant("ORDERLINE"),
                                                      Array({column}), Array({value})})) + " ";
    }
    EXPECT_EQ(answers, "True False True ");
  });
}

}  // namespace
