// Money and decimal values through every way a value is written: below
// 10^11 each reads back exactly at its column's scale, from 10^11 on each is
// refused with SQL Server's overflow and nothing is stored. And a division
// of an amount divides as a decimal does, also of a whole amount.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/command.h"
#include "data/schema.h"
#include "test_database.h"
#include "tests/common/tool_handle.h"

namespace {

enum class Path { InsertLiteral, UpdateLiteral, Parameter, NewField, EditedField, InsertSelect, Expression, Tool };
const char* const kPathNames[] = {"INSERT literal", "UPDATE literal", "parameter",  "new field",
                                  "edited field",   "INSERT SELECT",  "expression", "tool"};

class Amounts : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* schema =
        "CREATE TABLE A (ID int PRIMARY KEY, M money, R decimal(18,4), X decimal(12,6), Y decimal(18,6));";
    data::RunScripts(db_.path(), {data::NamedScript{"test", schema}});
  }

  // Writes `literal` (SQL text) or `value` into row `id`'s `column` by the
  // path; the paths that change a row make it first (with Null, or 0 for an
  // expression). Answers what the tool said ("" for the other paths).
  std::string Write(Path path, int id, const std::string& column, const std::string& literal,
                    const rt::Variant& value) {
    const std::string row = std::to_string(id);
    const std::string insert = "INSERT INTO A (ID, " + column + ") ";
    switch (path) {
      case Path::InsertLiteral: cn_->Execute(insert + "VALUES (" + row + ", " + literal + ")"); break;
      case Path::UpdateLiteral:
        cn_->Execute("INSERT INTO A (ID) VALUES (" + row + ")");
        cn_->Execute("UPDATE A SET " + column + " = " + literal + " WHERE ID = " + row);
        break;
      case Path::Parameter: {
        auto cmd = data::Command::New();
        cmd->SetActiveConnection(cn_);
        cmd->SetCommandText(insert + "VALUES (?, ?)");
        cmd->Parameters()->Append(
            cmd->CreateParameter("id", data::adtype::kInteger, data::kParamInput, 0, rt::Variant(id)));
        cmd->Parameters()->Append(cmd->CreateParameter("v", data::adtype::kVariant, data::kParamInput, 0, value));
        cmd->Execute();
        break;
      }
      case Path::NewField:
      case Path::EditedField: {
        if (path == Path::EditedField) cn_->Execute("INSERT INTO A (ID) VALUES (" + row + ")");
        auto rs = data::Recordset::New();
        rs->Open("SELECT * FROM A WHERE ID = " + row, cn_, data::kCursorKeyset, data::kLockOptimistic);
        if (path == Path::NewField) {
          rs->AddNew();
          rs->SetValue("ID", rt::Variant(id));
        }
        rs->SetValue(column, value);
        rs->Update();
        break;
      }
      case Path::InsertSelect: cn_->Execute(insert + "SELECT " + row + ", " + literal); break;
      case Path::Expression:
        cn_->Execute(insert + "VALUES (" + row + ", 0)");
        cn_->Execute("UPDATE A SET " + column + " = " + column + " + " + literal + " WHERE ID = " + row);
        break;
      case Path::Tool: return db_.RawQuery(insert + "VALUES (" + row + ", " + literal + ")");
    }
    return "";
  }

  // What row `id` holds in `column`, read through a connection ("none": no
  // row), after the write's refusal ("80040E57 text | ") or the tool's
  // answer ("ERROR: text | ") when there is one.
  std::string Outcome(Path path, int id, const std::string& column, const std::string& literal,
                      const rt::Variant& value) {
    std::string refusal;
    try {
      refusal = Write(path, id, column, literal, value);
    } catch (const rt::ComError& e) {
      refusal = testdb::ErrorOf([&] { throw e; });
    }
    auto rs = cn_->Execute("SELECT " + column + " FROM A WHERE ID = " + std::to_string(id));
    return (refusal.empty() ? "" : refusal + " | ") + (rs->Eof() ? "none" : testdb::Show(rs->Value(int32_t{0})));
  }

  testdb::TestDatabase db_;
  std::shared_ptr<data::Connection> cn_ = db_.Open();
};

TEST_F(Amounts, EveryPathKeepsAmountsBelowTheBoundExactlyAndRefusesTheRest) {
  struct Case {
    const char* column;
    const char* literal;
    rt::Variant value;
    const char* read;       // what a read gives; nullptr: refused
    const char* type = "";  // a refusal's type, as SQL Server's text and the constraint's name give it
    const char* declared = "";
  };
  const std::vector<Case> cases = {
      {"M", "99999999999.9999", rt::Variant(rt::Currency::FromScaled(999999999999999)), "Currency:99999999999.9999"},
      {"M", "-99999999999.9999", rt::Variant("-99999999999.9999"), "Currency:-99999999999.9999"},
      {"M", "1234567890.1234", rt::Variant("1234567890.1234"), "Currency:1234567890.1234"},
      {"M", "39", rt::Variant(int32_t{39}), "Currency:39"},
      {"M", "100000000000", rt::Variant(1e11), nullptr, "money", "money"},
      {"M", "-100000000000", rt::Variant(-1e11), nullptr, "money", "money"},
      {"M", "922337203685477.5807", rt::Variant(rt::Currency::FromScaled(INT64_MAX)), nullptr, "money", "money"},
      {"M", "-922337203685477.5808", rt::Variant(rt::Currency::FromScaled(INT64_MIN)), nullptr, "money", "money"},
      {"R", "99999999999.9999", rt::Variant("99999999999.9999"), "Currency:99999999999.9999"},
      {"R", "12345678901234.5678", rt::Variant("12345678901234.5678"), nullptr, "numeric", "decimal(18,4)"},
      {"X", "999999.999999", rt::Variant("999999.999999"), "Decimal:999999.999999"},
      // Beside six decimals, 15 digits in all: below 10^9.
      {"Y", "999999999.999999", rt::Variant("999999999.999999"), "Decimal:999999999.999999"},
      {"Y", "-123456789.123456", rt::Variant(rt::Decimal{-123456789123456, 6}), "Decimal:-123456789.123456"},
      {"Y", "1000000000", rt::Variant(1e9), nullptr, "numeric", "decimal(18,6)"},
      {"Y", "12345678901.123456", rt::Variant("12345678901.123456"), nullptr, "numeric", "decimal(18,6)"},
  };
  int id = 0;
  for (const Case& c : cases) {
    for (int p = 0; p <= static_cast<int>(Path::Tool); ++p) {
      const Path path = static_cast<Path>(p);
      std::string expected = c.read ? c.read : "";
      if (!c.read && path == Path::Tool) {
        expected = "ERROR: CHECK constraint failed: " + std::string(c.column) + ": " + c.declared + " range | none";
      } else if (!c.read) {
        // A literal names its own type, any other value is an expression;
        // money's overflow always names an expression. A row made before
        // the refused write stays as it was.
        const bool literal = path == Path::InsertLiteral || path == Path::UpdateLiteral;
        const std::string from = literal && std::string(c.type) == "numeric" ? "numeric" : "expression";
        const char* left = "none";
        if (path == Path::UpdateLiteral || path == Path::EditedField) left = "Null";
        if (path == Path::Expression) left = std::string(c.column) == "Y" ? "Decimal:0" : "Currency:0";
        expected = "80040E57 Arithmetic overflow error converting " + from + " to data type " + c.type + ". | " + left;
      }
      ++id;
      EXPECT_EQ(Outcome(path, id, c.column, c.literal, c.value), expected)
          << kPathNames[p] << ": " << c.column << " = " << c.literal;
    }
  }
}

// A division of an amount is no division of integers, whether it stands
// alone, in a sum or against another column, through our connections and
// through the tool with the extension.
TEST_F(Amounts, AWholeAmountDividesAsADecimal) {
  cn_->Execute("INSERT INTO A (ID, M, R, X) VALUES (1, 39, 1, 3)");
  cn_->Execute("INSERT INTO A (ID, M, R, X) VALUES (2, 1, 2, 4)");
  EXPECT_EQ(testdb::Query(cn_, "SELECT M / 2 AS HALF, R / 4 AS QUARTER FROM A WHERE ID = 1"),
            "HALF=Double:19.5 QUARTER=Double:0.25\n");
  EXPECT_EQ(testdb::Query(cn_, "SELECT SUM(M) / 16 AS SUMS, SUM(M / X) AS PER FROM A"),
            "SUMS=Double:2.5 PER=Double:13.25\n");
  testtool::ToolHandle tool(db_.path(), testtool::ToolHandle::Extension::Loaded);
  ASSERT_EQ(tool.loadError(), "");
  EXPECT_EQ(tool.Query("INSERT INTO A (ID, M, R) VALUES (3, 40, 3); SELECT typeof(M), M / 16, R / 4 FROM A"
                       " WHERE ID IN (1, 3) ORDER BY ID"),
            "real|2.4375|0.25;real|2.5|0.75");
}

}  // namespace
