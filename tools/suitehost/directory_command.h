// `suitehost directory ...`: the operator's commands on the membership
// directory (add, set, show, list, remove users), working on the directory
// database that the configuration names.
#pragma once

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace suitehost {

class DirectoryCommand {
 public:
  // Adds `directory` and its subcommands to the host's command line.
  explicit DirectoryCommand(CLI::App& host);

  CLI::App* App() const { return directory_; }

  // Runs the subcommand the command line chose. Answers the process's exit
  // code: 0 done, 1 refused or failed (message on stderr), 2 a malformed
  // NAME=VALUE (message and the subcommand's usage on stderr).
  int Run() const;

 private:
  int Dispatch() const;

  CLI::App* directory_;
  CLI::App *add_, *set_, *show_, *list_, *remove_;
  std::string userId_;
  std::string password_;
  bool passwordFromInput_ = false;  // add's --password-stdin
  std::vector<std::string> attributes_;   // add's --attr NAME=VALUE
  std::vector<std::string> assignments_;  // set's NAME=VALUE...
};

}  // namespace suitehost
