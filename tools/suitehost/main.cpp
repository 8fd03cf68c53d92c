// suitehost: the command-line host that creates the libraries' classes by
// ProgID, calls them late-bound and prints what comes back as JSON.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "data/ado_classes.h"
#include "runtime/context.h"
#include "tools/suitehost/directory_command.h"
#include "tools/suitehost/host_session.h"
#include "tools/suitehost/init_command.h"
#include "tools/suitehost/json_value.h"
#include "tools/suitehost/script_runner.h"

namespace {

using suitehost::HostSession;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "usage: suitehost [--config FILE] [--typed] [--application KEY=VALUE]...\n"
    "                 [--session KEY=VALUE]... COMMAND ...\n"
    "commands:\n"
    "  init DIR [--sample]           create an installation folder\n"
    "  call PROGID METHOD [ARG...]   create an object and call one method\n"
    "  run FILE|-                    run a script of JSON lines\n"
    "  directory SUBCOMMAND ...      manage directory users (`help` lists the subcommands)\n"
    "  help                          show this text\n";

struct UsageError {
  std::string message;
};

struct Options {
  std::string config;
  bool typed = false;
  std::vector<std::pair<std::string, std::string>> application;
  std::vector<std::pair<std::string, std::string>> session;
};

std::pair<std::string, std::string> KeyValue(const std::string& option, const std::string& text) {
  size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0) throw UsageError{option + " needs KEY=VALUE"};
  return {text.substr(0, eq), text.substr(eq + 1)};
}

// The configuration file the components read: --config, else $SUITE_CONFIG,
// else ./suite.ini, passed on to them as an absolute $SUITE_CONFIG.
void SelectConfiguration(const Options& options) {
  std::string chosen = options.config;
  if (chosen.empty()) {
    const char* env = std::getenv("SUITE_CONFIG");
    chosen = env && *env ? env : "suite.ini";
  }
  std::string absolute = std::filesystem::absolute(chosen).lexically_normal().string();
  ::setenv("SUITE_CONFIG", absolute.c_str(), 1);
}

std::shared_ptr<rt::Activity> MakeActivity(const Options& options) {
  auto activity = std::make_shared<rt::Activity>();
  for (const auto& [key, value] : options.application)
    activity->application->SetItem(key, rt::Variant(value));
  for (const auto& [key, value] : options.session)
    activity->session->SetItem(key, rt::Variant(value));
  return activity;
}

int Call(HostSession& session, const std::vector<std::string>& operands) {
  if (operands.size() < 2) throw UsageError{"call needs PROGID and METHOD"};
  rt::Args args;
  try {
    for (size_t i = 2; i < operands.size(); ++i)
      args.push_back(suitehost::VariantFromArgument(operands[i]));
  } catch (const suitehost::ValueError& e) {
    throw UsageError{std::string("argument ") + e.what()};
  }
  nlohmann::ordered_json answer;
  try {
    rt::ObjectPtr object = session.CreateRoot(operands[0]);
    answer = session.Invoke(*object, operands[1], rt::CallKind::Method, args);
  } catch (...) {
    answer = HostSession::CurrentError();
  }
  std::cout << suitehost::DumpLine(answer) << '\n' << std::flush;
  return answer.contains("error") ? kExitFailed : kExitOk;
}

int Run(HostSession& session, const std::vector<std::string>& operands) {
  if (operands.size() != 1) throw UsageError{"run needs one FILE, or - for standard input"};
  suitehost::ScriptRunner runner(session);
  if (operands[0] == "-") return runner.Run(std::cin, std::cout) ? kExitOk : kExitFailed;
  std::ifstream in(operands[0]);
  if (!in) {
    std::cerr << "suitehost: run: cannot read " << operands[0] << '\n';
    return kExitFailed;
  }
  return runner.Run(in, std::cout) ? kExitOk : kExitFailed;
}

int Init(const std::vector<std::string>& operands) {
  bool sample = false;
  std::vector<std::string> dirs;
  for (const std::string& operand : operands) {
    if (operand == "--sample")
      sample = true;
    else
      dirs.push_back(operand);
  }
  if (dirs.size() != 1) throw UsageError{"init needs one DIR"};
  return suitehost::InitInstallation(dirs[0], sample);
}

int Main(int argc, char** argv) {
  Options options;
  int i = 1;
  auto value = [&](const std::string& option) -> std::string {
    if (i + 1 >= argc) throw UsageError{option + " needs a value"};
    return argv[++i];
  };
  for (; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0) break;
    if (arg == "--config")
      options.config = value(arg);
    else if (arg == "--typed")
      options.typed = true;
    else if (arg == "--application")
      options.application.push_back(KeyValue(arg, value(arg)));
    else if (arg == "--session")
      options.session.push_back(KeyValue(arg, value(arg)));
    else if (arg == "--help")
      return (std::cout << kUsage, kExitOk);
    else
      throw UsageError{"unknown option " + arg};
  }
  if (i >= argc) throw UsageError{"no command"};
  const std::string command = argv[i];
  const std::vector<std::string> operands(argv + i + 1, argv + argc);

  if (command == "help") return (std::cout << kUsage << suitehost::kDirectoryUsage, kExitOk);
  if (command == "init") return Init(operands);
  if (command == "directory") {
    SelectConfiguration(options);
    return suitehost::DirectoryCommand(operands);
  }
  if (command != "call" && command != "run") throw UsageError{"unknown command " + command};

  SelectConfiguration(options);
  // The data layer's classes are creatable by ProgID, as on a server where
  // they are installed.
  data::RegisterAdoClasses();
  HostSession session(MakeActivity(options), options.typed);
  return command == "call" ? Call(session, operands) : Run(session, operands);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Main(argc, argv);
  } catch (const UsageError& e) {
    std::cerr << "suitehost: " << e.message << '\n' << kUsage;
    return kExitUsage;
  } catch (const std::exception& e) {
    std::cerr << "suitehost: " << e.what() << '\n';
    return kExitFailed;
  }
}
