// Turns the SQL Server statement text that the classes compose into SQLite's
// dialect, token by token, changing only what the two dialects spell
// differently. What it cannot carry over without changing the meaning it
// refuses (UntranslatableStatement) instead of guessing.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "data/engine.h"

namespace data {

// What the translator needs to know about the database: which columns hold
// dates, so that a text compared with one is read as a date in the stored
// form (or refused), and the declared type of the columns that statements
// write or compare with 'true' and 'false', so that a literal written into
// one is made to fit it (column_fit.h) and one compared with a bit is 1 or 0.
class SchemaInfo {
 public:
  virtual ~SchemaInfo() = default;
  // Whether a column of that name holds dates; with an empty table name, in
  // any table of the database.
  virtual bool IsDateColumn(std::string_view table, std::string_view column) = 0;
  // The table's column names in their order; empty when there is no such table.
  virtual std::vector<std::string> ColumnNames(std::string_view table) = 0;
  // The type of a table's column; TypeInfo{} when it is not known.
  virtual TypeInfo ColumnType(std::string_view table, std::string_view column) {
    return IsDateColumn(table, column) ? TypeFromDeclared("datetime") : TypeInfo{};
  }
};

class UntranslatableStatement : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The statements to run, in order; a statement that has no effect on the
// engine ("set TRANSACTION ISOLATION LEVEL READ COMMITTED") gives none.
// `schema` may be null: literals then stay as written. A literal written
// into a column that it does not fit raises EngineError (column_fit.h).
std::vector<EngineStatement> TranslateStatements(std::string_view sql, SchemaInfo* schema);
// Their texts alone.
std::vector<std::string> TranslateForSqlite(std::string_view sql, SchemaInfo* schema);

// The statements for the engine to prepare and keep: every literal that a
// statement can take as a "?" parameter is taken out (EngineStatement::
// literals says which literal each such "?" binds and how its value is
// made), so that texts which differ only in those literals translate alike.
// The literals left as written are noted by their place among the text's
// literals (a string, or a whole number that fits 64 bits, in order).
struct BoundTranslation {
  std::vector<EngineStatement> statements;
  std::vector<uint32_t> keptLiterals;
};
BoundTranslation TranslateBindingLiterals(std::string_view sql, SchemaInfo* schema);

// The key under which TranslateBindingLiterals' answer for `sql` is kept:
// the text with each of those literals replaced by a mark of its kind (with
// the two facts of its value that the answer depends on: whether it is
// anything but a date in the stored form, which a comparison with a date or
// bit column reads otherwise, and whether it holds NUL), and the literals as
// written, in order. Raises std::invalid_argument for an
// unterminated literal, quoted name or comment.
void LiteralKey(std::string_view sql, std::string& key, std::vector<std::string_view>& literals);
// The key extended by the literals that the answer keeps as written, which
// it holds for their values alone.
void AddKeptLiterals(std::string& key, const std::vector<uint32_t>& kept,
                     const std::vector<std::string_view>& literals);

// The value bound for a literal (as written in the text) in place of its "?".
// Raises EngineError when a literal written into a column does not fit it.
rt::Variant BoundLiteralValue(std::string_view literal, const BoundLiteral& bound, const TypeInfo& column);

}  // namespace data

namespace data {

// Whether a query reads the rows of one table, each row once (no join, no
// second table in FROM, no DISTINCT, GROUP BY or UNION), so that its rows
// can be written back to that table.
bool ReadsOneTable(std::string_view sql);

}  // namespace data
