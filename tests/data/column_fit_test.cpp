// Values of every declared type walked through every write path (a literal
// of SQL text, a command's parameter, a recordset's field), each with a value
// that fits, one that converts and one that is refused: what is stored, or
// the refusal with SQL Server's number and text and nothing stored.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "data/column_fit.h"
#include "data/command.h"
#include "data/schema.h"
#include "test_database.h"

namespace {

const char* kSchema =
    "CREATE TABLE T (ID int PRIMARY KEY, N nvarchar(5) COLLATE SUITE_CI, C nchar(3) COLLATE SUITE_CI,"
    " I int, S smallint, B bit, F float, M money, D decimal(5,2), X decimal(12,6), DT datetime);";

class ColumnFit : public ::testing::Test {
 protected:
  void SetUp() override { data::RunScripts(db_.path(), {data::NamedScript{"test", kSchema}}); }

  // What the sqlite3 tool says to a row whose `column` it writes as the SQL
  // `value` ("" when stored, else the constraint that refused it); the row is
  // taken out again.
  std::string ToolWrite(const std::string& column, const std::string& value) {
    std::string answer = db_.RawQuery("INSERT INTO T (ID, " + column + ") VALUES (100, " + value + ")");
    db_.RawExec("DELETE FROM T WHERE ID = 100");
    const std::string prefix = "ERROR: CHECK constraint failed: ";
    return answer.rfind(prefix, 0) == 0 ? answer.substr(prefix.size()) : answer;
  }

  // What row `id` holds in `column` ("text:'ab'", "integer:5", "none"),
  // read with a plain handle.
  std::string Stored(int id, const std::string& column) {
    const std::string row = db_.RawQuery("SELECT typeof(" + column + ") || ':' || quote(" + column +
                                         ") || ' (' || length(CAST(" + column + " AS BLOB)) || ' bytes)' FROM T"
                                         " WHERE ID = " + std::to_string(id));
    if (row.empty()) return "none";
    // Bytes are shown for text only.
    return row.rfind("text:", 0) == 0 ? row : row.substr(0, row.find(" ("));
  }

  // The outcome of a write: what it stored, or the refusal (its number,
  // native number and text) followed by what is stored then.
  template <class F>
  std::string Outcome(int id, const std::string& column, F&& write) {
    try {
      write();
    } catch (const data::EngineError& e) {
      return Refusal(e.number(), e.nativeError(), e.description()) + " stored=" + Stored(id, column);
    } catch (const rt::ComError& e) {
      return Refusal(e.number(), 0, e.description()) + " stored=" + Stored(id, column);
    }
    return Stored(id, column);
  }

  static std::string Refusal(int32_t number, int32_t native, const std::string& text) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<uint32_t>(number));
    return std::string("refused ") + hex + " (" + std::to_string(native) + ") " + text;
  }

  void Literal(int id, const std::string& column, const std::string& literal) {
    db_cn_->Execute("INSERT INTO T (ID, " + column + ") VALUES (" + std::to_string(id) + ", " + literal + ")");
  }
  void Parameter(int id, const std::string& column, const rt::Variant& value) {
    auto cmd = data::Command::New();
    cmd->SetActiveConnection(db_cn_);
    cmd->SetCommandText("INSERT INTO T (ID, " + column + ") VALUES (?, ?)");
    cmd->Parameters()->Append(cmd->CreateParameter("id", data::adtype::kInteger, data::kParamInput, 0, rt::Variant(id)));
    cmd->Parameters()->Append(cmd->CreateParameter("v", data::adtype::kVariant, data::kParamInput, 0, value));
    cmd->Execute();
  }
  void Field(int id, const std::string& column, const rt::Variant& value) {
    auto rs = data::Recordset::New();
    rs->Open("SELECT * FROM T WHERE 0=1", db_cn_, data::kCursorKeyset, data::kLockOptimistic);
    rs->AddNew();
    rs->SetValue("ID", rt::Variant(id));
    rs->SetValue(column, value);
    rs->Update();
  }

  testdb::TestDatabase db_;
  std::shared_ptr<data::Connection> db_cn_ = db_.Open();
};

struct Case {
  const char* column;
  const char* literal;  // as written in SQL text; nullptr: this path is not walked
  rt::Variant value;    // given to a parameter and to a field
  const char* literalStored;
  const char* valueStored;  // for both the parameter and the field
};

TEST_F(ColumnFit, EveryTypeThroughEveryPathFitsConvertsOrIsRefused) {
  const std::string kTruncated = "refused 80040E57 (8152) String or binary data would be truncated. stored=none";
  const std::vector<Case> cases = {
      // nvarchar(5): whole, trailing blanks beyond the width cut, too long; a NUL counts as a character.
      {"N", "N'abcde'", rt::Variant("abcde"), "text:'abcde' (5 bytes)", "text:'abcde' (5 bytes)"},
      {"N", "'ab    '", rt::Variant("ab     "), "text:'ab   ' (5 bytes)", "text:'ab   ' (5 bytes)"},
      {"N", "'abcdef'", rt::Variant("abcdef"), kTruncated.c_str(), kTruncated.c_str()},
      {"N", "N'éééé'", rt::Variant("ééééé"), "text:'éééé' (8 bytes)", "text:'ééééé' (10 bytes)"},
      {"N", nullptr, rt::Variant(std::string("a\0b", 3)), "", "text:'a' (3 bytes)"},
      {"N", nullptr, rt::Variant(std::string("abcd\0f", 6)), "", kTruncated.c_str()},
      // nchar(3)
      {"C", "'EUR '", rt::Variant("usd"), "text:'EUR' (3 bytes)", "text:'usd' (3 bytes)"},
      {"C", "'EURO'", rt::Variant("LONGCODE"), kTruncated.c_str(), kTruncated.c_str()},
      // int: SQL text cuts a fraction and takes '' as 0; VB rounds half to even and refuses ''.
      {"I", "'42'", rt::Variant("42"), "integer:42", "integer:42"},
      {"I", "1.7", rt::Variant(2.5), "integer:1", "integer:2"},
      {"I", "''", rt::Variant(3.5), "integer:0", "integer:4"},
      {"I", "'1.5'", rt::Variant("1.5"),
       "refused 80040E07 (245) Conversion failed when converting the varchar value '1.5' to data type int. "
       "stored=none",
       "integer:2"},
      {"I", "'abc'", rt::Variant("abc"),
       "refused 80040E07 (245) Conversion failed when converting the varchar value 'abc' to data type int. "
       "stored=none",
       "refused 80040E07 (245) Conversion failed when converting the nvarchar value 'abc' to data type int. "
       "stored=none"},
      {"I", "3000000000", rt::Variant(3e9),
       "refused 80040E57 (8115) Arithmetic overflow error converting expression to data type int. stored=none",
       "refused 80040E57 (8115) Arithmetic overflow error converting expression to data type int. stored=none"},
      // smallint
      {"S", "40000", rt::Variant(int32_t{40000}),
       "refused 80040E57 (220) Arithmetic overflow error for data type smallint, value = 40000. stored=none",
       "refused 80040E57 (220) Arithmetic overflow error for data type smallint, value = 40000. stored=none"},
      // bit
      {"B", "'true'", rt::Variant("True"), "integer:1", "integer:1"},
      {"B", "5", rt::Variant(int32_t{0}), "integer:1", "integer:0"},
      {"B", "'yes'", rt::Variant("yes"),
       "refused 80040E07 (245) Conversion failed when converting the varchar value 'yes' to data type bit. "
       "stored=none",
       "refused 80040E07 (245) Conversion failed when converting the nvarchar value 'yes' to data type bit. "
       "stored=none"},
      // float
      {"F", "'1e3'", rt::Variant("1.5"), "real:1000.0", "real:1.5"},
      {"F", "''", rt::Variant(int32_t{7}), "real:0.0", "real:7.0"},
      {"F", "'abc'", rt::Variant("abc"),
       "refused 80040E07 (8114) Error converting data type varchar to float. stored=none",
       "refused 80040E07 (8114) Error converting data type nvarchar to float. stored=none"},
      // money: four decimals, half away from zero in SQL text, VB's CCur for values.
      {"M", "1.23455", rt::Variant("1.5"), "real:1.2346", "real:1.5"},
      {"M", "''", rt::Variant(1e20), "real:0.0",
       "refused 80040E57 (8115) Arithmetic overflow error converting expression to data type money. stored=none"},
      {"M", "'12,5'", rt::Variant("x"),
       "refused 80040E07 (235) Cannot convert a char value to money. The char value has incorrect syntax. "
       "stored=none",
       "refused 80040E07 (235) Cannot convert a char value to money. The char value has incorrect syntax. "
       "stored=none"},
      // decimal(5,2): rounded to two places; three integer digits at most.
      {"D", "1.005", rt::Variant(2.675), "real:1.01", "real:2.68"},
      {"D", "999.995", rt::Variant(1e20),
       "refused 80040E57 (8115) Arithmetic overflow error converting numeric to data type numeric. stored=none",
       "refused 80040E57 (8115) Arithmetic overflow error converting expression to data type numeric. "
       "stored=none"},
      {"D", "''", rt::Variant("-0.004"),
       "refused 80040E07 (8114) Error converting data type varchar to numeric. stored=none", "real:0.0"},
      // decimal(12,6): read as Decimal, rounded to six places.
      {"X", "0.1234565", rt::Variant("0.0000005"), "real:0.123457", "real:1.0e-06"},
      // datetime: the stored form; '' is 1900-01-01 in SQL text; other text is refused.
      {"DT", "'12/8/2026 3:05 PM'", rt::Variant("2026-12-08"), "text:'2026-12-08 15:05:00' (19 bytes)",
       "text:'2026-12-08 00:00:00' (19 bytes)"},
      {"DT", "''", rt::Variant(rt::Date::FromParts(2026, 2, 28, 23, 59, 59)), "text:'1900-01-01 00:00:00' (19 bytes)",
       "text:'2026-02-28 23:59:59' (19 bytes)"},
      {"DT", "'abc'", rt::Variant("abc"),
       "refused 80040E07 (241) Conversion failed when converting date and/or time from character string. "
       "stored=none",
       "refused 80040E07 (241) Conversion failed when converting date and/or time from character string. "
       "stored=none"},
      // The ends of the range, to the second.
      {"DT", "'1753-01-01'", rt::Variant(rt::Date::FromParts(1752, 12, 31, 23, 59, 59)),
       "text:'1753-01-01 00:00:00' (19 bytes)",
       "refused 80040E07 (242) The conversion of a varchar data type to a datetime data type resulted in an "
       "out-of-range value. stored=none"},
      {"DT", "'9999-12-31 23:59:59'", rt::Variant(rt::Date::FromParts(9999, 12, 31, 23, 59, 59)),
       "text:'9999-12-31 23:59:59' (19 bytes)", "text:'9999-12-31 23:59:59' (19 bytes)"},
      {"DT", "'1700-01-01'", rt::Variant(rt::Date::FromParts(1700, 1, 1)),
       "refused 80040E07 (242) The conversion of a varchar data type to a datetime data type resulted in an "
       "out-of-range value. stored=none",
       "refused 80040E07 (242) The conversion of a varchar data type to a datetime data type resulted in an "
       "out-of-range value. stored=none"},
  };
  int id = 0;
  for (const Case& c : cases) {
    const std::string label = std::string(c.column) + " " + (c.literal ? c.literal : "-") + " / " +
                              testdb::Show(c.value);
    SCOPED_TRACE(label);
    if (c.literal) {
      ++id;
      EXPECT_EQ(Outcome(id, c.column, [&] { Literal(id, c.column, c.literal); }), c.literalStored) << "literal";
    }
    ++id;
    EXPECT_EQ(Outcome(id, c.column, [&] { Parameter(id, c.column, c.value); }), c.valueStored) << "parameter";
    ++id;
    EXPECT_EQ(Outcome(id, c.column, [&] { Field(id, c.column, c.value); }), c.valueStored) << "field";
  }
}

// The same rules hold for UPDATE ... SET, recordset edits and UpdateBatch;
// a refusal changes nothing, a batch's none of its rows, and the native
// number reaches the connection's Errors.
TEST_F(ColumnFit, UpdatesAndBatchesAreRefusedWhole) {
  db_cn_->Execute("INSERT INTO T (ID, N, I) VALUES (1, 'one', 1)");
  db_cn_->Execute("INSERT INTO T (ID, N, I) VALUES (2, 'two', 2)");
  const std::string before = db_.RawQuery("SELECT * FROM T ORDER BY ID");
  EXPECT_EQ(testdb::ErrorOf([&] { db_cn_->Execute("UPDATE T SET I = 5, N = 'sixsix' WHERE ID = 1"); }),
            "80040E57 String or binary data would be truncated.");
  ASSERT_EQ(db_cn_->Errors()->Count(), 1);
  EXPECT_EQ(db_cn_->Errors()->Item(0)->NativeError(), 8152);
  auto cmd = data::Command::New();
  cmd->SetActiveConnection(db_cn_);
  cmd->SetCommandText("UPDATE T SET DT = ? WHERE ID = ?");
  cmd->Parameters()->Append(cmd->CreateParameter("d", data::adtype::kVariant, data::kParamInput, 0, rt::Variant("x")));
  cmd->Parameters()->Append(cmd->CreateParameter("i", data::adtype::kInteger, data::kParamInput, 0, rt::Variant(1)));
  EXPECT_EQ(testdb::ErrorOf([&] { cmd->Execute(); }),
            "80040E07 Conversion failed when converting date and/or time from character string.");
  // A typed parameter's own conversion is refused the same way.
  cmd->Parameters()->Item(rt::Variant(int32_t{1}))->SetValue(rt::Variant("one"));
  EXPECT_EQ(testdb::ErrorOf([&] { cmd->Execute(); }),
            "80040E07 Conversion failed when converting the nvarchar value 'one' to data type int.");

  auto rs = data::Recordset::New();
  rs->Open("SELECT ID, N, D FROM T ORDER BY ID", db_cn_, data::kCursorKeyset, data::kLockBatchOptimistic);
  rs->SetValue("D", rt::Variant(1.5));
  rs->MoveNext();
  rs->SetValue("N", rt::Variant("toolong"));
  EXPECT_EQ(testdb::ErrorOf([&] { rs->UpdateBatch(); }), "80040E57 String or binary data would be truncated.");
  EXPECT_EQ(db_.RawQuery("SELECT * FROM T ORDER BY ID"), before);

  // An expression's value is guarded by the column's CHECK constraints.
  EXPECT_EQ(testdb::ErrorOf([&] { db_cn_->Execute("UPDATE T SET I = I * 3000000000"); }),
            "80040E57 Arithmetic overflow error converting expression to data type int.");
  EXPECT_EQ(testdb::ErrorOf([&] { db_cn_->Execute("INSERT INTO T (ID, DT) SELECT 9, N FROM T WHERE ID = 1"); }),
            "80040E07 Conversion failed when converting date and/or time from character string.");
  EXPECT_EQ(testdb::ErrorOf([&] { db_cn_->Execute("UPDATE T SET N = N || 'xyz'"); }),
            "80040E57 String or binary data would be truncated.");
  EXPECT_EQ(db_.RawQuery("SELECT * FROM T ORDER BY ID"), before);
}

// The tool's own writes into a datetime column, which only the CHECK
// constraints guard: a text in the stored form of a real date within
// datetime's range passes, anything else names the constraint it fails.
TEST_F(ColumnFit, TheToolsDateWritesPassOnlyTheStoredFormWithinTheRange) {
  const char* kNotADate = "DT: datetime";
  const char* kOutOfRange = "DT: datetime range";
  struct Case {
    const char* value;
    const char* refusal;  // empty: stored
  };
  const std::vector<Case> cases = {
      {.value = "'2024-02-29 23:59:59'", .refusal = ""},
      {.value = "'1753-01-01 00:00:00'", .refusal = ""},
      {.value = "'9999-12-31 23:59:59'", .refusal = ""},
      {.value = "NULL", .refusal = ""},
      {.value = "'2026-02-29 00:00:00'", .refusal = kNotADate},
      {.value = "'2026-04-31 12:00:00'", .refusal = kNotADate},
      {.value = "'2026-01-01'", .refusal = kNotADate},
      {.value = "'2026-01-01 00:00:00.000'", .refusal = kNotADate},
      {.value = "'2026-01-01 24:00:00'", .refusal = kNotADate},
      {.value = "' 2026-01-01 00:00:00'", .refusal = kNotADate},
      {.value = "20260101", .refusal = kNotADate},
      {.value = "2461041.5", .refusal = kNotADate},
      {.value = "CAST('2026-01-01 00:00:00' AS BLOB)", .refusal = kNotADate},
      {.value = "'1752-12-31 23:59:59'", .refusal = kOutOfRange},
      {.value = "'0999-12-31 23:59:59'", .refusal = kOutOfRange},
  };
  for (const Case& c : cases) EXPECT_EQ(ToolWrite("DT", c.value), c.refusal) << "DT = " << c.value;
}

// The tool's own writes into number columns: a number passes, a text or a
// blob names the column's type constraint, a number out of range its range
// constraint.
TEST_F(ColumnFit, TheToolsNumberWritesPassOnlyNumbersWithinTheRange) {
  struct Case {
    const char* column;
    const char* value;
    const char* refusal;  // empty: stored
  };
  const std::vector<Case> cases = {
      {.column = "M", .value = "5", .refusal = ""},
      {.column = "M", .value = "-2.5", .refusal = ""},
      {.column = "M", .value = "NULL", .refusal = ""},
      {.column = "M", .value = "'5x'", .refusal = "M: money"},
      {.column = "M", .value = "''", .refusal = "M: money"},
      {.column = "M", .value = "x'00'", .refusal = "M: money"},
      {.column = "M", .value = "1e15", .refusal = "M: money range"},
      {.column = "D", .value = "999.99", .refusal = ""},
      {.column = "D", .value = "'1.5 '", .refusal = ""},  // the column's affinity makes it the number 1.5
      {.column = "D", .value = "'abc'", .refusal = "D: decimal(5,2)"},
      {.column = "D", .value = "1000", .refusal = "D: decimal(5,2) range"},
      {.column = "F", .value = "1", .refusal = ""},
      {.column = "F", .value = "-1e308", .refusal = ""},
      {.column = "F", .value = "'one'", .refusal = "F: float"},
      {.column = "F", .value = "CAST('1' AS BLOB)", .refusal = "F: float"},
  };
  for (const Case& c : cases) EXPECT_EQ(ToolWrite(c.column, c.value), c.refusal) << c.column << " = " << c.value;
}

}  // namespace
