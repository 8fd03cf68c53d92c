// suitehost: the command-line host that creates the libraries' classes by
// ProgID, calls them late-bound and prints what comes back as JSON.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "data/ado_classes.h"
#include "runtime/context.h"
#include "tools/suitehost/command_usage.h"
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

// A command line that parsed but cannot be carried out (an argument that
// is no value form): reported with the usage text of `command`.
struct UsageError {
  std::string message;
  const CLI::App* command;
};

struct Options {
  std::string config;
  bool typed = false;
  std::vector<std::string> application;  // KEY=VALUE each
  std::vector<std::string> session;
};

std::pair<std::string, std::string> KeyValue(const std::string& text) {
  size_t eq = text.find('=');
  return {text.substr(0, eq), text.substr(eq + 1)};
}

// Refuses a value that is not KEY=VALUE with a non-empty KEY.
const CLI::Validator kKeyValue(
    [](const std::string& text) -> std::string {
      size_t eq = text.find('=');
      return eq == std::string::npos || eq == 0 ? "needs KEY=VALUE" : "";
    },
    "");

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
  for (const std::string& text : options.application) {
    auto [key, value] = KeyValue(text);
    activity->application->SetItem(key, rt::Variant(value));
  }
  for (const std::string& text : options.session) {
    auto [key, value] = KeyValue(text);
    activity->session->SetItem(key, rt::Variant(value));
  }
  return activity;
}

struct CallRequest {
  std::string progId;
  std::string method;
  std::vector<std::string> args;
};

int Call(HostSession& session, const CallRequest& request, const CLI::App* command) {
  rt::Args args;
  try {
    for (const std::string& text : request.args) args.push_back(suitehost::VariantFromArgument(text));
  } catch (const suitehost::ValueError& e) {
    throw UsageError{std::string("argument ") + e.what(), command};
  }
  nlohmann::ordered_json answer;
  try {
    rt::ObjectPtr object = session.CreateRoot(request.progId);
    answer = session.Invoke(*object, request.method, rt::CallKind::Method, args);
  } catch (...) {
    answer = HostSession::CurrentError();
  }
  std::cout << suitehost::DumpLine(answer) << '\n' << std::flush;
  return answer.contains("error") ? kExitFailed : kExitOk;
}

int Run(HostSession& session, const std::string& file) {
  suitehost::ScriptRunner runner(session);
  if (file == "-") return runner.Run(std::cin, std::cout) ? kExitOk : kExitFailed;
  std::ifstream in(file);
  if (!in) {
    std::cerr << "suitehost: run: cannot read " << file << '\n';
    return kExitFailed;
  }
  return runner.Run(in, std::cout) ? kExitOk : kExitFailed;
}

// CLI11 reads an argument in brackets as a list and splits it at its commas,
// so a JSON array would never reach a call whole. The arguments of `call`
// that look like that are hidden behind a mark while the line is parsed.
constexpr char kArrayMark = '\x1F';

std::vector<std::string> ArgumentsMarked(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  size_t call = args.size();
  for (size_t i = 0; i < args.size() && call == args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--config" || a == "--application" || a == "--session") ++i;  // its value
    else if (a == "call") call = i;
  }
  for (size_t i = call + 3; i < args.size(); ++i) {  // after PROGID and METHOD
    if (args[i].size() >= 2 && args[i].front() == '[' && args[i].back() == ']') args[i].insert(0, 1, kArrayMark);
  }
  return args;
}

void Unmark(std::vector<std::string>& args) {
  for (std::string& a : args) {
    if (!a.empty() && a.front() == kArrayMark) a.erase(0, 1);
  }
}

// The command the line chose, the deepest one: its usage goes with an error.
const CLI::App* ChosenCommand(const CLI::App& app) {
  const CLI::App* command = &app;
  while (!command->get_subcommands().empty()) command = command->get_subcommands().front();
  return command;
}

int Main(int argc, char** argv) {
  Options options;
  CLI::App app("The command-line host of the business layer's component libraries.", "suitehost");
  app.require_subcommand(1);
  app.add_option("--config", options.config, "the configuration file (else $SUITE_CONFIG, else ./suite.ini)")
      ->type_name("FILE");
  app.add_flag("--typed", options.typed, "print every value as a one-key object");
  app.add_option("--application", options.application, "a web application value (repeatable)")
      ->type_name("KEY=VALUE")
      ->allow_extra_args(false)
      ->check(kKeyValue);
  app.add_option("--session", options.session, "a web session value (repeatable)")
      ->type_name("KEY=VALUE")
      ->allow_extra_args(false)
      ->check(kKeyValue);

  CLI::App* init = app.add_subcommand("init", "create an installation folder");
  std::string initDir;
  bool sample = false;
  init->add_option("DIR", initDir, "the installation folder")->required();
  init->add_flag("--sample", sample, "add the sample data and users");

  CLI::App* upgrade = app.add_subcommand("upgrade", "bring the catalog database of an earlier version up to date");
  std::string upgradeDir;
  upgrade->add_option("DIR", upgradeDir, "the installation folder")->required();

  CLI::App* call = app.add_subcommand("call", "create an object and call one method");
  CallRequest request;
  call->add_option("PROGID", request.progId, "the class to create")->required();
  call->add_option("METHOD", request.method, "the member to call")->required();
  call->add_option("ARG", request.args, "JSON values, or bare words taken as text (after -- when one starts with -)");

  CLI::App* run = app.add_subcommand("run", "run a script of JSON lines");
  std::string script;
  run->add_option("FILE", script, "the script, or - for standard input")->required();

  suitehost::DirectoryCommand directory(app);
  CLI::App* help = app.add_subcommand("help", "show the usage of every command");

  try {
    std::vector<std::string> args = ArgumentsMarked(argc, argv);
    std::reverse(args.begin(), args.end());  // CLI11 takes them last first
    app.parse(args);
    Unmark(request.args);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e, std::cout, std::cerr);
  } catch (const CLI::ParseError& e) {
    // A word where the command should stand is no command we know.
    const std::vector<std::string> rest = app.remaining();
    if (app.get_subcommands().empty() && !rest.empty() && !rest.front().starts_with("-"))
      std::cerr << "suitehost: unknown command '" << rest.front() << "'\n" << suitehost::CommandUsage(&app);
    else
      std::cerr << "suitehost: " << e.what() << '\n' << suitehost::CommandUsage(ChosenCommand(app));
    return kExitUsage;
  }

  try {
    // The whole tree's usage: App::help would describe only the chosen `help`.
    if (help->parsed()) return (std::cout << app.get_formatter()->make_help(&app, app.get_name(), CLI::AppFormatMode::All), kExitOk);
    if (init->parsed()) return suitehost::InitInstallation(initDir, sample);
    if (upgrade->parsed()) return suitehost::UpgradeInstallation(upgradeDir);
    SelectConfiguration(options);
    if (directory.App()->parsed()) return directory.Run();
    // The data layer's classes are creatable by ProgID, as on a server where
    // they are installed.
    data::RegisterAdoClasses();
    HostSession session(MakeActivity(options), options.typed);
    return call->parsed() ? Call(session, request, call) : Run(session, script);
  } catch (const UsageError& e) {
    std::cerr << "suitehost: " << e.message << '\n' << suitehost::CommandUsage(e.command);
    return kExitUsage;
  }
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Main(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "suitehost: " << e.what() << '\n';
    return kExitFailed;
  }
}
