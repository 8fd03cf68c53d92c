// RunInChild: runs a reader in a child process of its own, so that a
// library that misbehaves on a hostile file (reads out of bounds, leaks,
// loops) harms only the child.
#pragma once

#include <functional>
#include <string>

namespace spreadsheet {

// Runs `work` in a forked child and answers the bytes it returned. An
// OpenFailure thrown by `work` is thrown again here with its text; a child
// that crashes, fails otherwise or runs past `seconds` raises OpenFailure
// with `crashed`.
std::string RunInChild(const std::function<std::string()>& work, int seconds,
                       const std::string& crashed);

}  // namespace spreadsheet
