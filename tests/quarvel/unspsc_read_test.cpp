// The UNSPSC code tree through its two classes: code lists by level and
// parent, descriptions and existence (UNSPSC), deleting a code under the
// referential checker and answering the checker (TUNSPSC), and the
// withdrawn members of the reading class.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "data/connection.h"
#include "tests/quarvel/unspsc_fixture.h"

namespace {

using unspsctest::SampleUNSPSCTest;

TEST_F(SampleUNSPSCTest, CodeListsGoByLevelAndParentInCodeOrder) {
  Run([&] {
    auto unspsc = NewUNSPSC();
    EXPECT_EQ(Render(unspsc->GetAllUNSPSCCodes(1, "")),
              "14=String:Paper Materials and Products; "
              "43=String:Information Technology Broadcasting and Telecommunications; "
              "44=String:Office Equipment and Accessories and Supplies");
    EXPECT_EQ(Render(unspsc->GetAllUNSPSCCodes(3, "4321")),
              "432115=String:Computers; 432117=String:Computer data input devices");
    // Every code of a level when the parent is empty, ordered by parent.
    EXPECT_EQ(Render(unspsc->GetAllUNSPSCCodes(3, "")),
              "141115=String:Printing and writing paper; 432115=String:Computers; "
              "432117=String:Computer data input devices; 441217=String:Writing instruments");
    // The parent is a quoted literal, not SQL.
    EXPECT_EQ(Render(unspsc->GetAllUNSPSCCodes(2, "4' OR ''='")), "");
  });
}

TEST_F(SampleUNSPSCTest, DescriptionsAndExistenceOfFullCodes) {
  Exec("INSERT INTO UNSPSCCODES VALUES ('441217', '05', 4, NULL)");
  Run([&] {
    auto unspsc = NewUNSPSC();
    std::string code;
    auto describe = [&](std::string c) {
      code = c;
      return unspsc->getUNSPSCDescription(code) + "|" + (unspsc->IsUNSPSCCodeExists(code) ? "yes" : "no");
    };
    EXPECT_EQ(describe("43"), "Information Technology Broadcasting and Telecommunications|yes");
    EXPECT_EQ(describe("43211507"), "Desktop computers|yes");
    // Its parent 432115 exists, the code itself does not.
    EXPECT_EQ(describe("43211599"), "|no");
    EXPECT_EQ(describe("99"), "|no");
    EXPECT_EQ(describe(""), "|no");
    // A code stored without a description exists and reads as empty text.
    EXPECT_EQ(describe("44121705"), "|yes");
  });
}

// The level is half the length rounded as CInt rounds: 3 -> 2, 5 -> 2, 7 -> 4.
TEST_F(SampleUNSPSCTest, OddLengthsLookAtTheLevelCIntRoundsTo) {
  Exec("INSERT INTO UNSPSCCODES VALUES ('4', '32', 2, 'three');"
       "INSERT INTO UNSPSCCODES VALUES ('432', '11', 2, 'five');"
       "INSERT INTO UNSPSCCODES VALUES ('43211', '50', 4, 'seven');");
  Run([&] {
    auto unspsc = NewUNSPSC();
    for (std::string code : {"432", "43211", "4321150"}) {
      std::string c = code;
      EXPECT_TRUE(unspsc->IsUNSPSCCodeExists(c)) << code;
    }
    std::string one = "4";
    EXPECT_EQ(Failure([&] { unspsc->getUNSPSCDescription(one); }), "5 Quarvel: Invalid procedure call or argument");
  });
}

// A full code met twice (a parent written with a trailing blank by another
// tool) fails the list with 457; the lookups add no block of their own.
TEST_F(SampleUNSPSCTest, ARepeatedFullCodeFailsTheListOnce) {
  Exec("INSERT INTO UNSPSCCODES VALUES ('43 ', '21', 2, 'again')");
  Run([&] {
    auto unspsc = NewUNSPSC();
    const std::string failure =
        "1C9 Quarvel: |ERROR 0x1C9| METHOD: Quarvel.UNSPSC.getAllUNSPSCCodes|"
        " DESC: This key is already associated with an element of this collection.|";
    EXPECT_EQ(Failure([&] { unspsc->GetAllUNSPSCCodes(2, ""); }), failure);
    std::string code = "4321";
    EXPECT_EQ(Failure([&] { unspsc->getUNSPSCDescription(code); }), failure);
    EXPECT_EQ(LogEntriesWith("getAllUNSPSCCodes"), 2);
  });
}

TEST_F(SampleUNSPSCTest, ChildrenAtAnyDepth) {
  Run([&] {
    auto unspsc = NewUNSPSC();
    EXPECT_TRUE(unspsc->CheckifChildExists("43"));
    EXPECT_TRUE(unspsc->CheckifChildExists("4321"));
    EXPECT_FALSE(unspsc->CheckifChildExists("43211507"));
    EXPECT_TRUE(unspsc->CheckifChildExists(""));
    // LIKE wildcards in the code are plain characters.
    EXPECT_FALSE(unspsc->CheckifChildExists("4_"));
    EXPECT_FALSE(unspsc->CheckifChildExists("%"));
  });
}

TEST_F(SampleUNSPSCTest, FailuresOfTheReadingClassCarryItsSources) {
  BreakConnectionString();
  Run([&] {
    auto unspsc = NewUNSPSC();
    EXPECT_EQ(Failure([&] { unspsc->CheckifChildExists("43"); }),
              "80004005 SQLite: |ERROR 0x80004005| METHOD: Quarvel.UNSPSC.CheckifChildExists| DESC: Cannot open the "
              "database '/nowhere/catalog.db': unable to open database file.|");
    // An empty code is answered without reading.
    std::string empty;
    EXPECT_EQ(unspsc->getUNSPSCDescription(empty), "");
  });
}

TEST_F(SampleUNSPSCTest, TheReadingClassesWritingMembersAreWithdrawn) {
  Run([&] {
    rt::ObjectPtr unspsc = NewLate("Quarvel.UNSPSC");
    auto withdrawn = [&](const char* member, rt::Args args) {
      return Failure([&] { unspsc->Call(member, args); });
    };
    const rt::Variant keys = Array({rt::Variant("UNSPSCCODES")}), values = Array({rt::Variant("43")});
    EXPECT_EQ(withdrawn("Delete", {rt::Variant("43")}),
              "FFFFFFFF Quarvel: |ERROR 0xFFFFFFFF| METHOD: This method is depricated, Use Quarvel.TUNSPSC.Delete|"
              " DESC: Application-defined or object-defined error.|");
    EXPECT_EQ(withdrawn("IReferentialIntegrity_Exists", {rt::Variant("x"), keys, values}),
              "FFFFFFFF Quarvel: |ERROR 0xFFFFFFFF| METHOD: This method is depricated, Use Quarvel.TUNSPSC.Exists|"
              " DESC: Application-defined or object-defined error.|");
    EXPECT_EQ(withdrawn("IReferentialIntegrity_BeforeDelete", {rt::Variant("x"), keys, values}),
              "FFFFFFFF Quarvel: |ERROR 0xFFFFFFFF| METHOD: This method is depricated, Use "
              "Quarvel.TUNSPSC.IReferentialIntegrity_BeforeDelete| DESC: Application-defined or object-defined error.|");
  });
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM UNSPSCCODES"), "16\n");
}

// --- TUNSPSC: deleting and answering the checker ---------------------------------

TEST_F(SampleUNSPSCTest, DeleteRemovesOnlyTheCodesOwnRow) {
  Run([&] {
    auto t = NewTUNSPSC();
    std::string code = "43";
    EXPECT_TRUE(t->Delete(code));
    code = " 43211507 ";
    EXPECT_TRUE(t->Delete(code));
  });
  // Its children and its commodity stay.
  EXPECT_EQ(Rows("SELECT PARENTCODE || UNSPSCCODE FROM UNSPSCCODES WHERE PARENTCODE LIKE '43%' OR UNSPSCCODE = '43' "
                 "ORDER BY 1"),
            "4321\n432115\n43211503\n432117\n43211706\n43211708\n");
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM COMMODITY WHERE COMMODITYCODE = '43211507'"), "1\n");
}

TEST_F(SampleUNSPSCTest, DeletingAnAbsentCodeFailsWithOneBlockAndNoInformation) {
  Run([&] {
    auto t = NewTUNSPSC();
    for (std::string code : {"43211599", "4' OR ''='"}) {
      EXPECT_EQ(Failure([&] { t->Delete(code); }),
                "800400CF Quarvel.UNSPSCCode.Delete: |ERROR 0x800400CF| METHOD: Quarvel.UNSPSCCode.Delete|"
                " DESC: UNSPSCCode not found.|");
    }
  });
  EXPECT_EQ(LogEntriesWith("UNSPSCCode not found"), 2);
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM UNSPSCCODES"), "16\n");
}

// A component that still uses a code (a test class named in a registry of
// the test's own) refuses the delete: False, no error, the row stays, and
// the abort vote rolls back what the asked component wrote meanwhile.
class StillUsed : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table = rt::DispatchBuilder<StillUsed>("StillUsed")
                                               .Method("IReferentialIntegrity_Exists", &StillUsed::Exists)
                                               .Build();
    return &table;
  }
  bool Exists(const std::string&, const rt::Variant&, const rt::Variant& values) {
    rt::ContextScope scope(*this);
    auto cn = data::Connection::New();
    cn->Open(connectionString);
    cn->Execute("INSERT INTO UNSPSCCODES VALUES ('99', '99', 2, 'written while asked')");
    cn->Close();
    return rt::CStr(values.AsArray().At(0)) == "43211503";
  }
  static inline std::string connectionString;
};

TEST_F(SampleUNSPSCTest, ARefusalOfTheCheckerLeavesTheRowAndRollsBack) {
  const std::string registry = sandbox_.Site() + "/test-references.ini";
  std::ofstream(registry) << "[UNSPSCCODES]\nKey=UNSPSCCODE\nOwner=Quarvel.TUNSPSC\n"
                             "ReferredBy=Test.StillUsed:PRODUCT.UNSPSCCODE\n";
  ::setenv("SUITE_REFERENCES", registry.c_str(), 1);
  StillUsed::connectionString = sandbox_.ConnectionString();
  rt::RegisterClass({"Test.StillUsed", "", rt::TransactionAttribute::Required,
                     [] { return rt::ObjectPtr(std::make_shared<StillUsed>()); }});
  Run([&] {
    auto t = NewTUNSPSC();
    std::string code = "43211503";
    EXPECT_FALSE(t->Delete(code));
    code = "43211507";
    EXPECT_TRUE(t->Delete(code));
  });
  ::unsetenv("SUITE_REFERENCES");
  // The row written while the first delete was refused went with its
  // rollback, or the second delete's check could not have written it again.
  EXPECT_EQ(Rows("SELECT UNSPSCCODE, DESCRIPTION FROM UNSPSCCODES WHERE PARENTCODE IN ('432115', '99') ORDER BY 1"),
            "03|Notebook computers\n99|written while asked\n");
}

TEST_F(SampleUNSPSCTest, TUNSPSCAnswersTheCheckerForTheKeyUNSPSCCODES) {
  Run([&] {
    rt::ObjectPtr t = NewLate("Quarvel.TUNSPSC");
    auto exists = [&](std::vector<rt::Variant> keys, std::vector<rt::Variant> values) {
      return rt::CBool(t->Call("IReferentialIntegrity_Exists", {rt::Variant("Quarvel"), Array(keys), Array(values)}));
    };
    EXPECT_TRUE(exists({"UnspscCodes"}, {"43211503"}));
    EXPECT_TRUE(exists({"OTHER", "unspsccodes"}, {"1", " 43 "}));
    EXPECT_FALSE(exists({"UNSPSCCODES"}, {"43211599"}));
    EXPECT_FALSE(exists({"UNSPSCCODES"}, {"4' OR ''='"}));
    // Only the first such key counts.
    EXPECT_FALSE(exists({"UNSPSCCODES", "UNSPSCCODES"}, {"99", "43"}));
    EXPECT_FALSE(exists({"UNSPSCCODE"}, {"43211503"}));
    EXPECT_EQ(Failure([&] { exists({"UNSPSCCODES"}, {"4"}); }),
              "5 Quarvel: |ERROR 0x5| METHOD: Quarvel.UNSPSCCode.Exists| DESC: Invalid procedure call or argument.|");
    EXPECT_TRUE(rt::CBool(t->Call("IReferentialIntegrity_BeforeDelete",
                                  {rt::Variant("Quarvel"), Array({"UNSPSCCODES"}), Array({"43"})})));
  });
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM UNSPSCCODES"), "16\n");
}

}  // namespace
