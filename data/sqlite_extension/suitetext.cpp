// The SQLite loadable extension that gives any SQLite client, the sqlite3
// tool first of all, the text rules that our connections install: load it
// (".load <build>/lib/suitetext") before touching an installation's database,
// and the tool compares, orders, indexes and matches text as they do.
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1

#include "data/sqlite_text_rules.h"

extern "C" {

// The entry point SQLite looks for under the file's name ("suitetext").
__attribute__((visibility("default"))) int sqlite3_suitetext_init(sqlite3* db, char** error,
                                                                   const sqlite3_api_routines* api) {
  SQLITE_EXTENSION_INIT2(api);
  const int rc = data::InstallSqlServerTextRules(db);
  if (rc != SQLITE_OK && error) *error = sqlite3_mprintf("suitetext: the text rules could not be installed");
  return rc;
}

// The generic entry point, for clients that load the file under another name.
__attribute__((visibility("default"))) int sqlite3_extension_init(sqlite3* db, char** error,
                                                                   const sqlite3_api_routines* api) {
  return sqlite3_suitetext_init(db, error, api);
}

}  // extern "C"
