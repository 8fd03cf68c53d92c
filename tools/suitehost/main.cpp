// suitehost: the command-line host that creates the libraries' classes by
// ProgID, calls them late-bound and prints what comes back as JSON.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

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

// The options of the host itself, which come before the command.
void AddHostOptions(CLI::App& app, Options& options) {
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
}

// The host options, with the operand each takes ("" for none).
const std::pair<const char*, const char*> kHostOptions[] = {
    {"--config", "FILE"}, {"--typed", ""}, {"--application", "KEY=VALUE"}, {"--session", "KEY=VALUE"}};

bool TakesOperand(const std::string& word) {
  for (const auto& [name, operand] : kHostOptions) {
    if (word == name) return *operand != '\0';
  }
  return false;
}

// Where the command stands among the words: after the host options and
// their operands, at the first word that is no option.
size_t CommandPosition(const std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (TakesOperand(args[i])) ++i;
    else if (!args[i].starts_with("-")) return i;
  }
  return args.size();
}

// A host option given after the command (before any "--"), as "--typed" or
// "--config FILE"; "" when there is none.
std::string MisplacedHostOption(const std::vector<std::string>& args, size_t command) {
  for (size_t i = command + 1; i < args.size() && args[i] != "--"; ++i) {
    for (const auto& [name, operand] : kHostOptions) {
      const std::string word = args[i].substr(0, args[i].find('='));
      if (word == name) return *operand ? word + " " + operand : word;
    }
  }
  return "";
}

// The host options parsed alone, before the line as a whole: a fault among
// them is the host's, whatever command follows. A request for help is left
// to the whole line.
void CheckHostOptions(std::vector<std::string> hostWords) {
  CLI::App host("", "suitehost");
  Options ignored;
  AddHostOptions(host, ignored);
  std::reverse(hostWords.begin(), hostWords.end());  // CLI11 takes them last first
  try {
    host.parse(hostWords);
  } catch (const CLI::CallForHelp&) {
  }
}

// Why the file cannot be read (the system's text), or "" when it can.
std::string UnreadableReason(const std::string& path) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return std::strerror(EISDIR);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  ::close(fd);
  return "";
}

// The configuration file the components read: --config, else $SUITE_CONFIG,
// else ./suite.ini, passed on to them as an absolute $SUITE_CONFIG. A file
// that cannot be read is reported with the reason before anything is
// created; the host goes on, as its own classes (Scripting.Dictionary, the
// data layer's) need none.
void SelectConfiguration(const Options& options) {
  std::string chosen = options.config;
  if (chosen.empty()) {
    const char* env = std::getenv("SUITE_CONFIG");
    chosen = env && *env ? env : "suite.ini";
  }
  std::string absolute = std::filesystem::absolute(chosen).lexically_normal().string();
  ::setenv("SUITE_CONFIG", absolute.c_str(), 1);
  if (const std::string why = UnreadableReason(absolute); !why.empty())
    std::cerr << "suitehost: cannot read " << absolute << ": " << why << "; pass --config or set SUITE_CONFIG\n";
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
  for (const std::string& text : request.args) {
    try {
      args.push_back(suitehost::VariantFromArgument(text));
    } catch (const suitehost::ValueError& e) {
      throw UsageError{"argument " + std::to_string(args.size() + 1) + ": " + e.what(), command};
    }
  }
  nlohmann::ordered_json answer;
  std::string calling = request.progId;
  std::string note;
  try {
    rt::ObjectPtr object = session.CreateRoot(request.progId);
    calling += "." + request.method;
    answer = session.Invoke(*object, request.method, rt::CallKind::Method, args);
  } catch (...) {
    answer = HostSession::CurrentError();
    // The error object itself names neither the member nor the argument.
    const size_t failed = session.FailedArgument();
    note = suitehost::FailureNote(calling, failed ? "argument " + std::to_string(failed) : "", answer);
  }
  // The answer first, then its note: where both streams go to one place,
  // the note follows the line it is about.
  std::cout << suitehost::DumpLine(answer) << '\n' << std::flush;
  if (!note.empty()) std::cerr << "suitehost: " << note << '\n' << std::flush;
  return answer.contains("error") ? kExitFailed : kExitOk;
}

int Run(HostSession& session, const std::string& file) {
  suitehost::ScriptRunner runner(session);
  if (file == "-") return runner.Run(std::cin, std::cout, std::cerr, "stdin") ? kExitOk : kExitFailed;
  std::ifstream in;
  std::string why = UnreadableReason(file);
  if (why.empty()) {
    errno = 0;
    in.open(file);
    if (!in.is_open()) why = std::strerror(errno ? errno : EIO);
  }
  if (!why.empty()) {
    std::cerr << "suitehost: run: cannot read " << file << ": " << why << '\n';
    return kExitFailed;
  }
  return runner.Run(in, std::cout, std::cerr, file) ? kExitOk : kExitFailed;
}

// CLI11 reads an argument in brackets as a list and splits it at its commas,
// so a JSON array would never reach a call whole. The arguments of `call`
// that look like that are hidden behind a mark while the line is parsed.
constexpr char kArrayMark = '\x1F';

std::vector<std::string> ArgumentsMarked(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const size_t command = CommandPosition(args);
  if (command == args.size() || args[command] != "call") return args;
  for (size_t i = command + 3; i < args.size(); ++i) {  // after PROGID and METHOD
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

// Lists every level of subcommands with its operands when the whole tree
// is shown (`suitehost help`), the directory's subcommands included;
// CLI11's own lists those of the second level by name only.
class TreeFormatter : public CLI::Formatter {
 public:
  std::string make_subcommands(const CLI::App* app, CLI::AppFormatMode mode) const override {
    return CLI::Formatter::make_subcommands(app, mode == CLI::AppFormatMode::Sub ? CLI::AppFormatMode::All : mode);
  }
};

int Main(int argc, char** argv) {
  Options options;
  CLI::App app("The command-line host of the business layer's component libraries.", "suitehost");
  app.formatter(std::make_shared<TreeFormatter>());  // the subcommands take it from here
  app.require_subcommand(1);
  AddHostOptions(app, options);

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
  call->footer(
      "Values: 5 Long, 1.5 Double, \"5\" or a bare word String, true, null, [1,\"a\"] an array;\n"
      "typed: {\"$currency\":\"1.5\"} {\"$date\":\"2026-12-08\"} {\"$integer\":5} ... (README, \"Values in JSON\").\n");

  CLI::App* run = app.add_subcommand("run", "run a script of JSON lines");
  std::string script;
  run->add_option("FILE", script, "the script, or - for standard input")->required();

  suitehost::DirectoryCommand directory(app);
  CLI::App* help = app.add_subcommand("help", "show the usage of every command");

  const std::vector<std::string> words = ArgumentsMarked(argc, argv);
  const size_t command = CommandPosition(words);
  try {
    CheckHostOptions({words.begin(), words.begin() + static_cast<std::ptrdiff_t>(command)});
  } catch (const CLI::ParseError& e) {
    std::cerr << "suitehost: " << e.what() << '\n' << suitehost::CommandUsage(&app);
    return kExitUsage;
  }
  try {
    std::vector<std::string> args = words;
    std::reverse(args.begin(), args.end());  // CLI11 takes them last first
    app.parse(args);
    Unmark(request.args);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e, std::cout, std::cerr);
  } catch (const CLI::ParseError& e) {
    // A word where the command should stand is no command we know.
    const std::vector<std::string> rest = app.remaining();
    if (app.get_subcommands().empty() && !rest.empty() && !rest.front().starts_with("-")) {
      std::cerr << "suitehost: unknown command '" << rest.front() << "'\n" << suitehost::CommandUsage(&app);
      return kExitUsage;
    }
    std::cerr << "suitehost: " << e.what() << '\n';
    if (const std::string misplaced = MisplacedHostOption(words, command); !misplaced.empty())
      std::cerr << "suitehost: " << misplaced.substr(0, misplaced.find(' '))
                << " is a host option and comes before the command: suitehost " << misplaced << ' '
                << words[command] << " ...\n";
    std::cerr << suitehost::CommandUsage(ChosenCommand(app));
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
