// `suitehost directory ...`: the operator's commands on the membership
// directory (add, set, show, list, remove users), working on the directory
// database that the configuration names.
#pragma once

#include <string>
#include <vector>

namespace suitehost {

// Runs one directory command on its operands (the words after "directory").
// Answers the process's exit code: 0 done, 1 refused or failed (message on
// stderr), 2 a malformed command (message and usage on stderr).
int DirectoryCommand(const std::vector<std::string>& operands);

extern const char* const kDirectoryUsage;

}  // namespace suitehost
