// The usage text that goes with a malformed command line.
#pragma once

#include <string>

#include <CLI/CLI.hpp>

namespace suitehost {

// A command's usage text, its usage line naming the commands above it
// ("Usage: suitehost directory add ...").
inline std::string CommandUsage(const CLI::App* command) {
  std::string above;
  for (const CLI::App* parent = command->get_parent(); parent; parent = parent->get_parent())
    above = parent->get_name() + (above.empty() ? "" : " " + above);
  return command->help(above);
}

}  // namespace suitehost
