// A row added through a recordset holds, after Update, what a read of the
// stored row gives: whether the data layer knew the stored values without
// reading them (the insert alone) or had to read the row back (a default the
// database computes, a conversion it makes, a trigger).
#include <gtest/gtest.h>

#include "data/testing/fault_engine.h"
#include "test_database.h"

namespace {

using testdb::Show;

struct AddedValue {
  const char* name;
  const char* column;  // the declaration of column C
  std::optional<rt::Variant> value;  // none: the insert leaves C out
  bool readBack;                      // whether Update must read the row
  const char* trigger = nullptr;      // a trigger made with the table
};

const AddedValue kAddedValues[] = {
    {.name = "text", .column = "nvarchar(10)", .value = rt::Variant("abc"), .readBack = false},
    {.name = "text padded to nchar", .column = "nchar(4)", .value = rt::Variant("ab"), .readBack = false},
    {.name = "text with NUL", .column = "nvarchar(10)", .value = rt::Variant(std::string("a\0b", 3)),
     .readBack = false},
    {.name = "whole number", .column = "int", .value = rt::Variant(int32_t{5}), .readBack = false},
    {.name = "number text into int", .column = "int", .value = rt::Variant("7"), .readBack = false},
    {.name = "smallint", .column = "smallint", .value = rt::Variant(int32_t{-3}), .readBack = false},
    {.name = "bit", .column = "bit", .value = rt::Variant(true), .readBack = false},
    {.name = "float with fraction", .column = "float", .value = rt::Variant(1.5), .readBack = false},
    {.name = "whole float", .column = "float", .value = rt::Variant(3.0), .readBack = false},
    {.name = "negative zero float", .column = "float", .value = rt::Variant(-0.0), .readBack = false},
    {.name = "large float", .column = "float", .value = rt::Variant(1e300), .readBack = false},
    {.name = "money with fraction", .column = "money", .value = rt::Variant(rt::Currency::FromScaled(123456)),
     .readBack = false},
    {.name = "whole money", .column = "money", .value = rt::Variant(rt::Currency::FromScaled(50000)),
     .readBack = false},
    {.name = "money from a double", .column = "money", .value = rt::Variant(0.1), .readBack = false},
    {.name = "largest money kept", .column = "money",
     .value = rt::Variant(rt::Currency::FromScaled(int64_t{999999999999999})), .readBack = false},
    {.name = "money kept as a real", .column = "REAL money", .value = rt::Variant(rt::Currency::FromScaled(390000)),
     .readBack = false},
    {.name = "decimal read as Decimal", .column = "decimal(20,8)", .value = rt::Variant(rt::Decimal{125, 2}),
     .readBack = false},
    {.name = "whole decimal", .column = "decimal(20,8)", .value = rt::Variant(rt::Decimal{4, 0}), .readBack = false},
    {.name = "date", .column = "datetime", .value = rt::Variant(rt::Date::FromParts(2026, 12, 9, 10, 30, 5)),
     .readBack = false},
    {.name = "date text", .column = "datetime", .value = rt::Variant("2026-12-09"), .readBack = false},
    {.name = "Null", .column = "nvarchar(10)", .value = rt::Variant::Null(), .readBack = false},
    {.name = "no default", .column = "int", .value = std::nullopt, .readBack = false},
    {.name = "default 0 of a bit", .column = "bit DEFAULT 0", .value = std::nullopt, .readBack = false},
    {.name = "negative default", .column = "int DEFAULT -1", .value = std::nullopt, .readBack = false},
    {.name = "quoted default", .column = "nvarchar(10) DEFAULT 'x''y'", .value = std::nullopt, .readBack = false},
    {.name = "default NULL", .column = "money DEFAULT NULL", .value = std::nullopt, .readBack = false},
    {.name = "undeclared column, text", .column = "", .value = rt::Variant("12"), .readBack = false},
    {.name = "undeclared column, number", .column = "", .value = rt::Variant(2.5), .readBack = false},
    // The field converts a number to text before it is bound.
    {.name = "number into a text column", .column = "nvarchar(10)", .value = rt::Variant(int32_t{5}),
     .readBack = false},
    {.name = "float into a text column", .column = "nvarchar(30)", .value = rt::Variant(0.1), .readBack = false},
    // What only the database knows.
    {.name = "number default of a text column", .column = "nvarchar(5) DEFAULT 12", .value = std::nullopt,
     .readBack = true},
    {.name = "time of the insert", .column = "datetime DEFAULT CURRENT_TIMESTAMP", .value = std::nullopt,
     .readBack = true},
    {.name = "computed default", .column = "int DEFAULT (1 + 1)", .value = std::nullopt, .readBack = true},
    {.name = "changed by a trigger", .column = "nvarchar(10)", .value = rt::Variant("abc"), .readBack = true,
     .trigger = "CREATE TRIGGER MARKED AFTER INSERT ON T BEGIN UPDATE T SET C = C || '!' WHERE ID = new.ID; END;"},
};

TEST(InsertedRow, HoldsWhatAReadOfTheStoredRowGivesAndIsReadBackOnlyWhereTheDatabaseAloneKnowsIt) {
  for (const AddedValue& c : kAddedValues) {
    SCOPED_TRACE(c.name);
    testdb::TestDatabase db(std::string("CREATE TABLE T (ID INTEGER PRIMARY KEY AUTOINCREMENT, C ") + c.column +
                            ", OTHER int);" + (c.trigger ? c.trigger : ""));
    data::testing::FaultEngine engine;  // counts the steps
    auto cn = db.Open();
    auto rs = data::Recordset::New();
    rs->Open("SELECT * FROM T WHERE 0=1", cn, data::kCursorKeyset, data::kLockOptimistic);
    rs->AddNew();
    if (c.value) {
      rs->SetValue("C", *c.value);
    } else {
      rs->SetValue("OTHER", rt::Variant(int32_t{1}));
    }
    engine.Disarm();  // the counts start here
    rs->Update();
    EXPECT_EQ(engine.Steps(), c.readBack ? 2 : 1);

    auto stored = data::Recordset::New();
    stored->Open("SELECT * FROM T", cn, data::kCursorForwardOnly, data::kLockReadOnly);
    ASSERT_FALSE(stored->Eof());
    for (const char* field : {"ID", "C", "OTHER"}) {
      SCOPED_TRACE(field);
      EXPECT_EQ(Show(rs->Value(field)), Show(stored->Value(field)));
    }
  }
}

}  // namespace
