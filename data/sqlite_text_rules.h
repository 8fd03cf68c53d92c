// SQL Server's text rules installed on a SQLite handle: our connections
// install them on every session, and the loadable extension
// (data/sqlite_extension/) installs the same ones in any other SQLite client,
// such as the sqlite3 tool, so that both read the database's text columns
// and indexes by one rule.
#pragma once

struct sqlite3;

namespace data {

// The collation that the schema declares on every text column. The stock
// tool does not have it, so without the extension it refuses statements that
// need it instead of answering by another rule.
constexpr const char* kTextCollation = "SUITE_CI";

// Installs, on a plain SQLite handle: the collation kTextCollation, which
// ignores letter case (all of Unicode) and trailing blanks; the same rule
// under the name NOCASE, which databases made before the collation had its
// own name declare; LIKE with SQL Server's bracket classes and escape; UPPER
// and LOWER over all of Unicode. Answers SQLite's result code.
int InstallSqlServerTextRules(sqlite3* db);

}  // namespace data
