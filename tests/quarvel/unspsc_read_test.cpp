// The UNSPSC code tree: code lists, descriptions and existence (UNSPSC),
// deleting under the referential checker and answering it (TUNSPSC).
#include <gtest/gtest.h>
#include <stdlib.h>

#include "data/connection.h"
#include "tests/quarvel/unspsc_fixture.h"

namespace {

using unspsctest::SampleUNSPSCTest;

TEST_F(SampleUNSPSCTest, CodeListsDescriptionsAndChildren) {
  // A code without a description; rows that odd lengths reach (3 and 5
  // characters look at level 2, 7 at level 4: CInt rounds halves to even).
  Exec("INSERT INTO UNSPSCCODES VALUES ('441217', '05', 4, NULL), ('4', '32', 2, 'three'), "
       "('432', '11', 2, 'five'), ('43211', '50', 4, 'seven')");
  Run([&] {
    auto unspsc = NewUNSPSC();
    std::string one = "4";
    Golden text;
    text.Add("level 3 under 4321", Render(unspsc->GetAllUNSPSCCodes(3, "4321")));
    text.Add("level 2 under 4' OR ''='", Render(unspsc->GetAllUNSPSCCodes(2, "4' OR ''='")));
    for (std::string code : {"43211507", "43211599", "44121705", "432", "4321150", ""})
      text.Add("'" + code + "'", Golden()
                                     .Add("description", unspsc->getUNSPSCDescription(code))
                                     .Add("exists", unspsc->IsUNSPSCCodeExists(code)));
    for (const char* code : {"43", "4321", "43211507", "", "4_", "%"})
      text.Add("children of '" + std::string(code) + "'", unspsc->CheckifChildExists(code));
    EXPECT_EQ(text.Add("description of '4'", Failure([&] { unspsc->getUNSPSCDescription(one); })).Lines(),
              "level 3 under 4321: 432115=String:Computers; 432117=String:Computer data input devices\n"
              "level 2 under 4' OR ''=': \n"
              "'43211507': description=Desktop computers exists=true\n'43211599': description= exists=false\n"
              "'44121705': description= exists=true\n'432': description=three exists=true\n"
              "'4321150': description=seven exists=true\n'': description= exists=false\n"
              "children of '43': true\nchildren of '4321': true\nchildren of '43211507': false\n"
              "children of '': true\nchildren of '4_': false\nchildren of '%': false\n"
              "description of '4': 5 Quarvel: Invalid procedure call or argument\n");
  });
}

// A full code met twice (a parent written with a leading blank by another
// tool) fails the list of its level with 457, in one block.
TEST_F(SampleUNSPSCTest, ARepeatedFullCodeFailsTheListWithOneBlock) {
  Exec("INSERT INTO UNSPSCCODES VALUES (' 43', '21', 2, 'again')");
  Run([&] {
    EXPECT_EQ(Failure([&] { NewUNSPSC()->GetAllUNSPSCCodes(2, ""); }),
              "1C9 Quarvel: |ERROR 0x1C9| METHOD: Quarvel.UNSPSC.getAllUNSPSCCodes|"
              " DESC: This key is already associated with an element of this collection.|");
  });
  BreakConnectionString();
  Run([&] {
    EXPECT_EQ(Failure([&] { NewUNSPSC()->CheckifChildExists("43"); }), NoDatabase("Quarvel.UNSPSC.CheckifChildExists"));
  });
}

// Only the code's own row goes; a code without a row fails (one block).
TEST_F(SampleUNSPSCTest, DeleteRemovesOnlyTheCodesOwnRow) {
  Run([&] {
    auto t = NewTUNSPSC();
    for (std::string code : {"43", " 43211507 "}) EXPECT_TRUE(t->Delete(code));
    for (std::string code : {"43211507", "4' OR ''='"})
      EXPECT_EQ(Failure([&] { t->Delete(code); }),
                "800400CF Quarvel.UNSPSCCode.Delete: |ERROR 0x800400CF| METHOD: Quarvel.UNSPSCCode.Delete|"
                " DESC: UNSPSCCode not found.|");
  });
  EXPECT_EQ(Rows("SELECT PARENTCODE || UNSPSCCODE FROM UNSPSCCODES WHERE PARENTCODE LIKE '43%' OR UNSPSCCODE = '43' "
                 "ORDER BY 1"),
            "4321\n432115\n43211503\n432117\n43211706\n43211708\n");
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM COMMODITY WHERE COMMODITYCODE = '43211507'"), "1\n");
  EXPECT_EQ(LogEntriesWith("UNSPSCCode not found"), 2);
}

// A component still using a code refuses the delete: a quiet False, the row
// stays, and the abort rolls back what the asked component wrote meanwhile.
class StillUsed : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table =
        rt::DispatchBuilder<StillUsed>("StillUsed").Method("IReferentialIntegrity_Exists", &StillUsed::Exists).Build();
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
  UseReferences("[UNSPSCCODES]\nKey=UNSPSCCODE\nOwner=Quarvel.TUNSPSC\nReferredBy=Test.StillUsed:PRODUCT.UNSPSCCODE\n");
  StillUsed::connectionString = sandbox_.ConnectionString();
  rt::RegisterClass({"Test.StillUsed", "", rt::TransactionAttribute::Required,
                     [] { return rt::ObjectPtr(std::make_shared<StillUsed>()); }});
  Run([&] {
    auto t = NewTUNSPSC();
    std::string used = "43211503", free = "43211507";
    Golden deleted;
    deleted.Add("used", t->Delete(used));
    // Blanks around a code in use change nothing: the checker is asked
    // about the code that would be deleted.
    for (std::string padded : {" 43211503", "43211503 ", " 43211503 "}) deleted.Add("'" + padded + "'", t->Delete(padded));
    deleted.Add("free", t->Delete(free));
    EXPECT_EQ(deleted.Line(), "used=false ' 43211503'=false '43211503 '=false ' 43211503 '=false free=true");
  });
  // The second check could write its row only because the first one's went
  // with the refusal's rollback.
  EXPECT_EQ(Rows("SELECT UNSPSCCODE, DESCRIPTION FROM UNSPSCCODES WHERE PARENTCODE IN ('432115', '99') ORDER BY 1"),
            "03|Notebook computers\n99|written while asked\n");
}

TEST_F(SampleUNSPSCTest, TUNSPSCAnswersTheCheckerForTheKeyUNSPSCCODES) {
  // Only the first key of its name counts.
  Run([&] {
    rt::ObjectPtr t = rt::CreateRootObject("Quarvel.TUNSPSC", std::make_shared<rt::Activity>());
    auto ask = [&](std::vector<rt::Variant> keys, std::vector<rt::Variant> values, const char* member = "Exists") {
      return Answer([&] {
        return t->Call(std::string("IReferentialIntegrity_") + member, {"Quarvel", Array(keys), Array(values)});
      });
    };
    Golden answers;
    answers.Add("UnspscCodes 43211503", ask({"UnspscCodes"}, {"43211503"}));
    answers.Add("OTHER 1, unspsccodes ' 43 '", ask({"OTHER", "unspsccodes"}, {"1", " 43 "}));
    answers.Add("UNSPSCCODES 4' OR ''='", ask({"UNSPSCCODES"}, {"4' OR ''='"}));
    answers.Add("UNSPSCCODES 99, UNSPSCCODES 43", ask({"UNSPSCCODES", "UNSPSCCODES"}, {"99", "43"}));
    answers.Add("UNSPSCCODE 43211503", ask({"UNSPSCCODE"}, {"43211503"}));
    answers.Add("BeforeDelete UNSPSCCODES 43", ask({"UNSPSCCODES"}, {"43"}, "BeforeDelete"));
    answers.Add("UNSPSCCODES 4", ask({"UNSPSCCODES"}, {"4"}));
    EXPECT_EQ(answers.Lines(),
              "UnspscCodes 43211503: Boolean:True\nOTHER 1, unspsccodes ' 43 ': Boolean:True\n"
              "UNSPSCCODES 4' OR ''=': Boolean:False\nUNSPSCCODES 99, UNSPSCCODES 43: Boolean:False\n"
              "UNSPSCCODE 43211503: Boolean:False\nBeforeDelete UNSPSCCODES 43: Boolean:True\n"
              "UNSPSCCODES 4: 5 Quarvel: |ERROR 0x5| METHOD: Quarvel.UNSPSCCode.Exists| DESC: Invalid procedure call "
              "or argument.|\n");
  });
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM UNSPSCCODES"), "16\n");
}

}  // namespace
