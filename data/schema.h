// Creating a database file from the schema scripts in db/ (one per
// subsystem, in SQLite's dialect, run in file-name order).
#pragma once

#include <string>
#include <vector>

namespace data {

// The *.sql files of a folder, sorted by name.
std::vector<std::string> SchemaScripts(const std::string& folder);

// Creates a new SQLite database file in WAL mode and runs the scripts in
// order, all in one transaction. Raises 0x80004005 when the file exists
// already or a script fails (naming the script and the engine's text).
void CreateDatabase(const std::string& path, const std::vector<std::string>& scripts);

}  // namespace data
