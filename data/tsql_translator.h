// Turns the SQL Server statement text that the classes compose into SQLite's
// dialect, token by token, changing only what the two dialects spell
// differently. What it cannot carry over without changing the meaning it
// refuses (UntranslatableStatement) instead of guessing.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "data/engine.h"

namespace data {

// What the translator needs to know about the database: which columns hold
// dates, so that a date literal compared with one takes the stored form, and
// the declared type of the columns that statements write, so that a literal
// written into one is made to fit it (column_fit.h).
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

}  // namespace data

namespace data {

// Whether a query reads the rows of one table, each row once (no join, no
// second table in FROM, no DISTINCT, GROUP BY or UNION), so that its rows
// can be written back to that table.
bool ReadsOneTable(std::string_view sql);

}  // namespace data
