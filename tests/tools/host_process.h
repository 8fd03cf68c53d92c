// Runs the built suitehost binary for the end-to-end tests and collects what it printed.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/common/temp_folder.h"

extern char** environ;

namespace hosttest {

namespace fs = std::filesystem;

using testfs::ReadFile;
using testfs::TempFolder;
using testfs::WriteFile;

inline std::string HostBinary() { return std::string(SUITE_BINARY_DIR) + "/bin/suitehost"; }

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct HostResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs suitehost with `args` in `workDir`, `input` on standard input and
// `env` added to (or replacing in) the environment. With `mergeStreams`, standard
// error goes where standard output goes (as 2>&1 does), so `out` holds both
// in the order written and `err` is empty.
inline HostResult RunHost(const std::vector<std::string>& args, const fs::path& workDir,
                          const std::string& input = {},
                          const std::map<std::string, std::string>& env = {}, bool mergeStreams = false) {
  const fs::path in = workDir / ".host-in", out = workDir / ".host-out", err = workDir / ".host-err";
  WriteFile(in, input);

  std::vector<std::string> argvText = {HostBinary()};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argvText) argv.push_back(a.data());
  argv.push_back(nullptr);

  std::map<std::string, std::string> merged;
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    size_t eq = entry.find('=');
    if (eq != std::string::npos) merged[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& [key, value] : env) merged[key] = value;
  std::vector<std::string> envText;
  for (const auto& [key, value] : merged) envText.push_back(key + "=" + value);
  std::vector<char*> envp;
  for (std::string& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (mergeStreams) posix_spawn_file_actions_adddup2(&actions, 1, 2);
  else posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  // The child runs in workDir: a shell-free stand-in for posix_spawn's chdir action.
  std::string cwd = fs::current_path().string();
  fs::current_path(workDir);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  fs::current_path(cwd);
  posix_spawn_file_actions_destroy(&actions);

  HostResult result;
  if (spawned != 0) {
    result.err = "cannot start " + argvText[0];
    return result;
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = ReadFile(out);
  if (!mergeStreams) result.err = ReadFile(err);
  std::error_code ignored;
  for (const fs::path& p : {in, out, err}) fs::remove(p, ignored);
  return result;
}

}  // namespace hosttest
