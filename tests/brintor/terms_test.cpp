// "Brintor.TermsAndConditions": lists, code checks, writes, one row's shapes
// and the refusals of bad arguments and column names.
#include "interfaces/terms_and_conditions.h"
#include "tests/brintor/maintenance_fixture.h"

namespace {

class Terms : public PartnerTest {
 protected:
  static std::shared_ptr<ITermsAndConditions> NewTerms() {
    return std::dynamic_pointer_cast<ITermsAndConditions>(
        rt::CreateRootObject("Brintor.TermsAndConditions", std::make_shared<rt::Activity>()));
  }
  static std::shared_ptr<rt::Dictionary> Fields(Entries entries) { return DataObject(nullptr, entries); }
};

TEST_F(Terms, EachTypeListsItsTableByCode) {
  Exec("DELETE FROM PENALTYTERM");
  Run([&] {
    auto terms = NewTerms();
    Golden lists;
    for (int32_t type = 1; type <= 7; ++type)
      lists.Add("type " + std::to_string(type), Render(terms->getAllTermsAndConditions(type)));
    EXPECT_EQ(lists.Lines(),
              "type 1: COD=String:Cash on delivery; NET30=String:Net 30 days; NET60=String:Net 60 days\n"
              "type 2: CARD=String:Purchasing card; TRANSFER=String:Bank transfer\n"
              "type 3: DAP=String:Delivered at place; DDP=String:Delivered duty paid; EXW=String:Ex works; "
              "FCA=String:Free carrier\n"
              "type 4: AIR=String:Air freight; COURIER=String:Courier; ROAD=String:Road freight; SEA=String:Sea "
              "freight\n"
              "type 5: PALLET=String:On pallets, shrink-wrapped; STD=String:Standard packaging\n"
              "type 6: W12=String:12 months; W24=String:24 months\n"
              "type 7: \n");
    // A type outside the enumeration names no table: the database refuses the statement.
    EXPECT_EQ(RaisedBy([&] { terms->getAllTermsAndConditions(8); }).number(), rt::hr::kSqlFailed);
  });
}

// Each error comes with an empty source in one block of the method around its text.
TEST_F(Terms, ExistingAndMissingCodesRaiseTheirTypesNumbersWithAnEmptySource) {
  // "<number> <text>" of a failure shaped as that block, "(unexpected) <text>" otherwise.
  auto raised = [](const std::string& failure, const std::string& method) {
    const std::string hex = failure.substr(0, failure.find(' '));
    const std::string text = failure.substr(failure.find(" DESC: ") + 7, failure.size() - failure.find(" DESC: ") - 9);
    const bool shaped = failure == hex + " : |ERROR 0x" + hex + "| METHOD: Brintor.TermsAndConditions." + method +
                                       "| DESC: " + text + ".|";
    return (shaped ? std::to_string(std::stoi(hex, nullptr, 16)) + " " : std::string("(unexpected) ")) + text;
  };
  Run([&] {
    auto terms = NewTerms();
    const char* existing[] = {"NET30", "CARD", "EXW", "AIR", "STD", "W12", "LATE1"};
    Golden seen;
    for (int32_t type = 1; type <= 7; ++type) {
      auto fields = Fields({{"DESCRIPTION", "again"}});
      Golden row;
      row.Add("insert", raised(Failure([&] { terms->InsertTermsAndConditions(type, existing[type - 1], fields); }),
                               "InsertTermsAndConditions"));
      row.Add("update", raised(Failure([&] { terms->UpdateTermsAndConditions(type, "NONE", fields); }),
                               "UpdateTermsAndConditions"));
      const std::string deleted =
          raised(Failure([&] { terms->DeleteTermsAndConditions(type, "NONE"); }), "DeleteTermsAndConditions");
      row.Add("delete number", deleted.substr(0, deleted.find(' ')));
      seen.Add("type " + std::to_string(type), row.Lines());
    }
    EXPECT_EQ(seen.Lines(),
              "type 1:\ninsert: 1 Payment term already exists\nupdate: 8 The Payment term does not exist\n"
              "delete number: 8\n"
              "type 2:\ninsert: 2 Payment method already exists\nupdate: 9 The Payment method does not exist\n"
              "delete number: 9\n"
              "type 3:\ninsert: 4 Delivery term already exists\nupdate: 10 The Delivery term does not exist\n"
              "delete number: 10\n"
              "type 4:\ninsert: 5 Delivery method already exists\nupdate: 11 The Delivery method does not exist\n"
              "delete number: 11\n"
              "type 5:\ninsert: 3 Packaging term already exists\nupdate: 12 The Packaging term does not exist\n"
              "delete number: 12\n"
              "type 6:\ninsert: 6 Warranty term already exists\nupdate: 13 The Warranty term does not exist\n"
              "delete number: 13\n"
              "type 7:\ninsert: 7 Penalty term already exists\nupdate: 14 The Penalty term does not exist\n"
              "delete number: 14\n");
    EXPECT_EQ(Scalar("SELECT DESCRIPTION FROM PAYMENTTERM WHERE PAYMENTTERMCODE = 'NET30'"), "Net 30 days");
  });
}

TEST_F(Terms, CodesWithQuotesAndAnInstallationsOwnColumnsAreWrittenAndRead) {
  Exec("ALTER TABLE WARRANTYTERM ADD COLUMN MONTHS int NULL;"
       "CREATE TRIGGER KEEP_W12 BEFORE DELETE ON WARRANTYTERM WHEN OLD.WARRANTYTERMCODE = 'W12' "
       "BEGIN SELECT RAISE(ABORT, 'W12 is in use'); END;");
  Run([&] {
    auto terms = NewTerms();
    auto fields = Fields({{"DESCRIPTION", "Rock 'n' roll"}, {"MONTHS", int32_t{36}}});
    terms->InsertTermsAndConditions(6, "W'36", fields);
    Golden written;
    written.Add("present w'36", terms->IsTermorConditionPresent("w'36", 6));
    written.Add("present W36", terms->IsTermorConditionPresent("W36", 6));
    written.Add("W'36", Render(terms->getTermsAndConditions(6, "W'36", 1, rt::Variant::Missing())));
    EXPECT_EQ(written.Lines(),
              "present w'36: true\npresent W36: false\n"
              "W'36: WARRANTYTERMCODE=String:W'36; DESCRIPTION=String:Rock 'n' roll; MONTHS=Long:36\n");
    // An update may rename the code: it is written as any other field.
    auto rename = Fields({{"WARRANTYTERMCODE", "W36"}, {"MONTHS", int32_t{30}}});
    terms->UpdateTermsAndConditions(6, "W'36", rename);
    EXPECT_EQ(Render(terms->getTermsAndConditions(6, "W36", 2, Array({"months"}))),
              "MONTHS=Long:30; WARRANTYTERMCODE=String:W36");
    terms->DeleteTermsAndConditions(6, "w36");
    EXPECT_EQ(Render(terms->getTermsAndConditions(6, "W36", 1, rt::Variant::Missing())), "");
    // The code column among the fields of an insert is a second key of the row.
    auto twice = Fields({{"WARRANTYTERMCODE", "W48"}});
    EXPECT_EQ(RaisedBy([&] { terms->InsertTermsAndConditions(6, "W48", twice); }).number(),
              rt::vberr::kKeyAlreadyAssociated);
    // A delete that the database refuses comes back inside the writer's block and the method's.
    EXPECT_EQ(Failure([&] { terms->DeleteTermsAndConditions(6, "W12"); }).substr(0, 173),
              "80040E2F SQLite: |ERROR 0x80040E2F| METHOD: Brintor.TermsAndConditions.DeleteTermsAndConditions| DESC: "
              "|ERROR 0x80040E2F| METHOD: Sql_DeleteTableUnicode| DESC: W12 is in use");
    EXPECT_EQ(Scalar("SELECT group_concat(WARRANTYTERMCODE) FROM WARRANTYTERM"), "W12,W24");
  });
}

// Bad arguments fail in the existence test inside two blocks.
TEST_F(Terms, ARowIsReadWithAllOrTheCallersColumnsAndTheCodeLastAndBadArgumentsFail) {
  Run([&] {
    auto terms = NewTerms();
    const int32_t kSpecific = static_cast<int32_t>(EAllOrSpecific::Specific);
    auto fields = Fields({{"DESCRIPTION", "x"}});
    Golden seen;
    seen.Add("ddp, description", Render(terms->getTermsAndConditions(3, "ddp", kSpecific, Array({"description"}))));
    seen.Add("DDP, all", Render(terms->getTermsAndConditions(3, "DDP", kSpecific, rt::Variant::Missing())));
    seen.Add("X' OR '1'='1", Render(terms->getTermsAndConditions(3, "X' OR '1'='1", 1, rt::Variant::Missing())));
    seen.Add("code among the columns", Failure([&] {
               terms->getTermsAndConditions(3, "DDP", kSpecific, Array({"DESCRIPTION", "deliverytermcode"}));
             }));
    seen.Add("column 1 AS X, DESCRIPTION",
             Failure([&] { terms->getTermsAndConditions(3, "DDP", kSpecific, Array({"1 AS X, DESCRIPTION"})); }));
    seen.Add("present, type 8", Failure([&] { terms->IsTermorConditionPresent("X", 8); }));
    seen.Add("insert, type 0", Failure([&] { terms->InsertTermsAndConditions(0, "X", fields); }));
    EXPECT_EQ(seen.Lines(),
              "ddp, description: DESCRIPTION=String:Delivered duty paid; DELIVERYTERMCODE=String:DDP\n"
              "DDP, all: DELIVERYTERMCODE=String:DDP; DESCRIPTION=String:Delivered duty paid\nX' OR '1'='1: \n"
              "code among the columns: 1C9 Brintor: |ERROR 0x1C9| METHOD: "
              "Brintor.TermsAndConditions.getTermsAndConditions| "
              "DESC: This key is already associated with an element of this collection.|\n"
              "column 1 AS X, DESCRIPTION: 80040E14 Brintor.TermsAndConditions.getTermsAndConditions: |ERROR "
              "0x80040E14| "
              "METHOD: Brintor.TermsAndConditions.getTermsAndConditions| DESC: Invalid column name '1 AS X, "
              "DESCRIPTION'.|\n"
              "present, type 8: FFFFFFFF : |ERROR 0xFFFFFFFF| METHOD: "
              "Brintor.TermsandConditions.IsTermorConditionPresent | "
              "DESC: |ERROR 0xFFFFFFFF| METHOD: Brintor.TermsAndCondition.CheckIfExistsinTableInvalid Arguments| DESC: "
              "Invalid Arguments.|.|\n"
              "insert, type 0: FFFFFFFF : |ERROR 0xFFFFFFFF| METHOD: "
              "Brintor.TermsAndConditions.InsertTermsAndConditions| "
              "DESC: |ERROR 0xFFFFFFFF| METHOD: Brintor.TermsAndCondition.CheckIfExistsinTableInvalid Arguments| DESC: "
              "Invalid Arguments.|.|\n");
  });
}

}  // namespace
