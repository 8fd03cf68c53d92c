// The transactional user class's office writes: script tables and keys, the
// rules' codes in order, the checker's questions, the rows and data objects
// left, database failures, deletes, and the votes of each.
#include "tests/brintor/maintenance_fixture.h"

namespace {

const rt::Variant kNull = rt::Variant::Null();

std::shared_ptr<rt::Dictionary> Office(Entries entries, const char* kind = "OfficeDataObject") {
  return DataObject(kind, entries);
}

class OfficeTest : public TUserTest {
 protected:
  std::string Row(const char* description) const {
    return Scalar(std::string("SELECT OFFICEDESCRIPTION || '|' || ifnull(OFFICETYPE, 'null') || '|' || "
                              "ifnull(CREDITCARDEXPIRY, 'null') || '|' || ifnull(COSTCENTER, 'null') || '|' || "
                              "ifnull(length(SHIPTOCONTACTINFORMATION), 'null') || '|' || ifnull(PROJECTPROP, 'null') "
                              "FROM OFFICE WHERE OFFICEDESCRIPTION = '") +
                  description + "'");
  }
  std::string Insert(Entries entries) { return Outcome(NewWriter().Rules().BusinessRules_Insert(Office(entries))); }
  std::string Update(Entries entries) { return Outcome(NewWriter().Rules().BusinessRules_Update(Office(entries))); }
};

TEST_F(OfficeTest, ScriptTablesAreExactAndKeyNamesMatchInAnyCaseFirstOneWinning) {
  Run([&] {
    auto checker = RecordChecker();
    std::string office = "office", offices = "OFFICES", table = "OFFICE";
    rt::Variant keys = Array({"officedescription", "OfficeType", "OFFICETYPE", "CostCenter", "CREDITCARDEXPIRY"});
    rt::Variant values = Array({"Branch", int16_t{1}, int16_t{2}, "CC1", "2029-06-30"});
    // No answer and no vote for another spelling; the delete still commits.
    EXPECT_EQ(Ending([&](Writer& w) { EXPECT_FALSE(w->InsertFromScript(office, keys, values)); }, true), "rollback");
    EXPECT_EQ(Ending([&](Writer& w) { EXPECT_FALSE(w->DeleteFromScript(offices, keys, values)); }, true), "commit");
    EXPECT_EQ(Ending([&](Writer& w) { EXPECT_EQ(Outcome(w->InsertFromScript(table, keys, values)), "ok"); }, true),
              "commit");
    EXPECT_EQ(Row("Branch"), "Branch|1|2029-06-30 00:00:00|CC1|null|null");
    EXPECT_EQ(Asked(), "") << "an administrative office's property ids are not the checker's business";
  });
}

TEST_F(OfficeTest, EveryInsertCheckRunsAndTheirCodesComeInOrder) {
  Run([&] {
    auto checker = RecordChecker();
    Golden out;
    out.Add("everything wrong",
            Insert({{"OFFICEDESCRIPTION", "   "}, {"OFFICETYPE", int32_t{2}}, {"CREDITCARDTYPE", int16_t{0}},
                    {"CREDITCARDNUMBER", "4111"}, {"CREDITCARDEXPIRY", rt::Date::FromParts(2029, 1, 1)},
                    {"SHIPTOCONTACTINFORMATION", rt::Variant(std::string(300, 'x'))}}));
    out.Add("Null description", Insert({{"OFFICEDESCRIPTION", kNull}}));
    // An absent description passes the presence check.
    out.Add("no description, 256 characters",
            Insert({{"SHIPTOCONTACTINFORMATION", rt::Variant(std::string(256, 'y'))}}));
    out.Add("Exact, 255 characters", Insert({{"OFFICEDESCRIPTION", "Exact"},
                                             {"SHIPTOCONTACTINFORMATION", rt::Variant(std::string(255, 'y'))}}));
    out.Add("row Exact", Row("Exact"));
    out.Add("'exact ' again", Insert({{"OFFICEDESCRIPTION", "exact "}, {"OFFICETYPE", int16_t{2}}}));
    // Neither a failed check nor a duplicate reaches the checker.
    out.Add("asked", Asked()).Add("offices", Scalar("SELECT COUNT(*) FROM OFFICE"));
    EXPECT_EQ(out.Lines(),
              "everything wrong: failed SLBBR9000:OFFICETYPE SLBBR1004 SLBGE1100 SLBBR1007\n"
              "Null description: failed SLBBR1004\nno description, 256 characters: failed SLBBR1007\n"
              "Exact, 255 characters: ok\nrow Exact: Exact|null|null|null|255|null\n"
              "'exact ' again: failed SLBBR1008\nasked: \noffices: 1\n");
    // Codes are answered with a commit vote, also when nothing was written.
    EXPECT_EQ(Ending([](Writer& w) { w.Rules().BusinessRules_Insert(Office({{"OFFICEDESCRIPTION", kNull}})); }, true),
              "commit");
  });
}

TEST_F(OfficeTest, APurchaseOfficeAsksTheCheckerAboutItsPropertyIds) {
  Run([&] {
    auto checker = RecordChecker();
    auto purchase = [&](const char* name) {
      return Insert({{"OFFICEDESCRIPTION", name}, {"OFFICETYPE", int16_t{2}}, {"PLANPROP", int32_t{7}},
                     {"PROJECTPROP", int32_t{5}}});
    };
    EXPECT_EQ(purchase("Buying"), "ok");
    EXPECT_EQ(Asked(),
              "CanInsert OFFICE PROJECTPROP=Long:5,PLANPROP=Long:7,EXTENSIONPROP=Empty,COSTCOMPONENTPROP=Empty,"
              "ACTIVITYPROP=Empty,ELEMENTPROP=Empty\n");
    RecordingChecker::answers["CanInsert"] = false;
    EXPECT_EQ(purchase("Refused"), "failed SLBBR1025");
    EXPECT_EQ(Scalar("SELECT group_concat(OFFICEDESCRIPTION) FROM OFFICE"), "Buying");
    RecordingChecker::fail = true;
    EXPECT_EQ(Failure([&] { purchase("Failing"); }),
              "5 Solvane: |ERROR 0x5| METHOD: Brintor.TUser.BusinessRules_Insert Error Enrich: Cross Component| DESC: "
              "Invalid procedure call or argument.|");
  });
}

TEST_F(OfficeTest, AnUpdateSetsTheCallersColumnsOfTheDescribedOffice) {
  Exec("INSERT INTO OFFICE (OFFICEDESCRIPTION, OFFICETYPE, COSTCENTER, PROJECTPROP) VALUES ('Head', 1, 'CC1', 5)");
  Run([&] {
    auto checker = RecordChecker();
    auto bdo = Office({{"OFFICEDESCRIPTION", "head"}, {"COSTCENTER", "CC2"}, {"OFFICETYPE", int16_t{1}}});
    Golden out;
    out.Add("update head", Outcome(NewWriter().Rules().BusinessRules_Update(bdo)));
    // Kind and description leave the data object; any type, no duplicate test.
    out.Add("data object", Render(bdo)).Add("row Head", Row("Head")).Add("asked", Asked());
    RecordingChecker::answers["CanUpdate"] = false;
    out.Add("PROJECTPROP refused", Update({{"OFFICEDESCRIPTION", "Head"}, {"PROJECTPROP", int32_t{6}}}));
    out.Add("blank, 256 characters",
            Update({{"OFFICEDESCRIPTION", " "}, {"SHIPTOCONTACTINFORMATION", rt::Variant(std::string(256, 'z'))}}));
    RecordingChecker::answers.clear();
    // Without a description the key compares with null: nothing changes.
    out.Add("no description", Update({{"COSTCENTER", "CC3"}}));
    // Another kind, or none: an empty success, nothing written.
    auto other = Office({{"OFFICEDESCRIPTION", "Head"}, {"COSTCENTER", "CC4"}}, "UserDataObject");
    out.Add("update UserDataObject", Outcome(NewWriter().Rules().BusinessRules_Update(other)));
    out.Add("UserDataObject", Render(other));
    out.Add("insert, no kind",
            Outcome(NewWriter().Rules().BusinessRules_Insert(Office({{"OFFICEDESCRIPTION", "New"}}, nullptr))));
    out.Add("row Head after", Row("Head")).Add("offices", Scalar("SELECT COUNT(*) FROM OFFICE"));
    out.Add("GetInstance", Outcome(NewWriter().Rules().BusinessRules_GetInstance(Office({}))));
    EXPECT_EQ(out.Lines(),
              "update head: ok\ndata object: COSTCENTER=String:CC2; OFFICETYPE=Integer:1\n"
              "row Head: Head|1|null|CC2|null|5\n"
              "asked: CanUpdate OFFICE PROJECTPROP=Empty,PLANPROP=Empty,EXTENSIONPROP=Empty,COSTCOMPONENTPROP=Empty,"
              "ACTIVITYPROP=Empty,ELEMENTPROP=Empty\n"
              "PROJECTPROP refused: failed SLBBR1026\nblank, 256 characters: failed SLBBR1012 SLBBR1015\n"
              "no description: ok\nupdate UserDataObject: ok\n"
              "UserDataObject: OFFICEDESCRIPTION=String:Head; COSTCENTER=String:CC4\ninsert, no kind: ok\n"
              "row Head after: Head|1|null|CC2|null|5\noffices: 1\nGetInstance: (nothing)\n");
  });
}

// A statement the database could not process is a code with an abort vote;
// a constraint violation is raised.
TEST_F(OfficeTest, AnUpdateTheDatabaseCannotProcessAnswersItsCodeAndRollsBack) {
  Exec("INSERT INTO OFFICE (OFFICEDESCRIPTION, COSTCENTER) VALUES ('Head', 'CC1');"
       "CREATE TRIGGER OVERFLOWING BEFORE UPDATE OF COSTCENTER ON OFFICE WHEN NEW.COSTCENTER = 'boom'"
       " BEGIN SELECT abs(-9223372036854775807 - 1); END;"
       "CREATE TRIGGER REFUSING BEFORE UPDATE OF COSTCENTER ON OFFICE WHEN NEW.COSTCENTER = 'no'"
       " BEGIN SELECT RAISE(ABORT, 'not this one'); END;");
  Run([&] {
    auto checker = RecordChecker();
    const auto update = [](Writer& w, const char* costCenter) {
      return Outcome(w.Rules().BusinessRules_Update(
          Office({{"OFFICEDESCRIPTION", "Head"}, {"OFFICETYPE", int16_t{1}}, {"COSTCENTER", costCenter}})));
    };
    EXPECT_EQ(Ending([&](Writer& w) { EXPECT_EQ(update(w, "boom"), "failed SLBGE1120"); }), "rollback");
    EXPECT_EQ(Row("Head"), "Head|null|null|CC1|null|null");
    EXPECT_EQ(LogEntriesWith("Sql_UpdateTable"), 1) << "the writer logs its failure, the rule does not";
    Writer w = NewWriter();
    EXPECT_EQ(Failure([&] { update(w, "no"); }),
              "80040E2F SQLite: |ERROR 0x80040E2F| METHOD: Brintor.TUser.BusinessRules_Update| DESC: |ERROR "
              "0x80040E2F| METHOD: Sql_UpdateTable| DESC: not this one.|.|");
  });
}

TEST_F(OfficeTest, DeletesAskTheCheckerAndReportAMissingOffice) {
  Exec("INSERT INTO OFFICE (OFFICEDESCRIPTION) VALUES ('Head'), ('Branch')");
  Run([&] {
    auto checker = RecordChecker();
    std::string gone = "Gone", table = "OFFICE";
    rt::Variant key = Array({"OfficeDescription"}), head = Array({"Head"}), missing = Array({"Gone"});
    // The rule asks the before-delete step a second time, after the row went.
    EXPECT_EQ(Ending([&](Writer& w) { EXPECT_EQ(Outcome(w->DeleteFromScript(table, key, head)), "ok"); }), "commit");
    EXPECT_EQ(Asked(),
              "CanDelete OFFICE OFFICEDESCRIPTION=String:Head\nBeforeDelete OFFICE OFFICEDESCRIPTION=String:Head\n"
              "BeforeDelete OFFICE OFFICEDESCRIPTION=String:Head\n");
    RecordingChecker::answers["CanDelete"] = false;
    EXPECT_EQ(Ending([&](Writer& w) { EXPECT_FALSE(w->DeleteOffice(gone)); }), "rollback");
    const auto branch = [](Writer& w) {
      EXPECT_EQ(Outcome(w.Rules().BusinessRules_Delete(Office({{"OFFICEDESCRIPTION", "Branch"}}))), "failed SLBBR1023");
    };
    EXPECT_EQ(Ending(branch, true), "commit");
    RecordingChecker::answers = {{"BeforeDelete", false}};
    EXPECT_EQ(Ending(branch, true), "commit");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM OFFICE"), "0");
    EXPECT_EQ(LogEntries(), 0) << "refusals are no failures";

    Writer w = NewWriter();
    EXPECT_EQ(Failure([&] { w->DeleteOffice(gone); }),
              "80040064 Brintor.TUser.DeleteOffice: |ERROR 0x80040064| METHOD: Brintor.TUser.DeleteOffice| DESC: "
              "Office not present.|");
    // From the rule the error leaves through its handlers too, not as a code.
    EXPECT_EQ(Failure([&] { w->DeleteFromScript(table, key, missing); }).substr(0, 40),
              "80040064 Brintor.TUser.DeleteOffice: |ER");
    EXPECT_EQ(Failure([&] { w.Rules().BusinessRules_Delete(Office({{"OFFICEDESCRIPTION", kNull}})); }),
              "5E Brintor: |ERROR 0x5E| METHOD: Brintor.TUser.BusinessRules_Delete| DESC: Invalid use of Null.|");
  });
}

}  // namespace
