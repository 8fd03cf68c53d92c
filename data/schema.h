// Creating a database file from the schema scripts in db/ (one per
// subsystem, in SQLite's dialect, run in file-name order).
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace data {

// A statement of a schema script as the database is made with it: a CREATE
// TABLE gets the CHECK constraints that guard each typed column's declared
// type (column_fit.h), one per check, named "<column>: <type>" and
// "<column>: <type> range" (a constraint of such a name that the statement
// holds already, as an earlier version wrote it, gives way to the present
// one; constraints of other names stay), and the storage word before each
// money or decimal type (StorageDeclared, data_types.h); any other
// statement is returned as it is.
std::string WithColumnChecks(std::string_view statement);

// The columns (name, declared type) that a CREATE TABLE statement defines, in
// order; none for another statement.
std::vector<std::pair<std::string, std::string>> DefinedColumns(std::string_view createTable);

// The *.sql files of a folder, sorted by name.
std::vector<std::string> SchemaScripts(const std::string& folder);

// Creates a new SQLite database file in WAL mode and runs the scripts in
// order, all in one transaction. Raises 0x80004005 when the file exists
// already or a script fails (naming the script and the engine's text).
void CreateDatabase(const std::string& path, const std::vector<std::string>& scripts);

// A script of statements in SQLite's dialect, with the name a failure gives.
struct NamedScript {
  std::string name;
  std::string_view text;
};

// The statements of a script in order; blanks and comments between them go.
std::vector<std::string> ScriptStatements(std::string_view script);



// Brings a database made before its text columns had their own collation,
// their values were checked and its money and decimal columns kept reals to
// the present form. Each table that is not
// in that form is made anew: as the schema scripts define it when they
// define a table of that name with the same columns (so widened columns take
// their new width), else as it was, with the collation kTextCollation in
// place of NOCASE; in both cases with the CHECK constraints of
// WithColumnChecks. Its rows, identity counter, indexes and triggers are
// carried over. All in one transaction: rows that do not fit their column,
// in any table (also one kept as it is), are named in the error
// (0x80004005) and nothing changes. An index of a
// table kept as it was is made anew when the schema defines it otherwise or
// the file lacks it. Answers what was made anew (nothing when the file is in
// the present form already).
struct UpgradeResult {
  int tables = 0;
  int indexes = 0;
};
UpgradeResult UpgradeDatabase(const std::string& path, const std::vector<NamedScript>& schema);

// Runs the scripts on an existing database file (an empty one is a new
// database) through the engine, one statement at a time and all in one
// transaction, so that a failure anywhere leaves the file as it was. Raises
// 0x80004005 naming the script, with the engine's text.
void RunScripts(const std::string& path, const std::vector<NamedScript>& scripts);

}  // namespace data
