// Configuration: reads the suite's settings from one INI file.
//
// The file is $SUITE_CONFIG, else "suite.ini" in the working folder
// (`suitehost init` writes it). Section and key names match without regard
// to letter case; values are taken as written, blanks around them trimmed.
//
//   [INSTALL]
//   Dir=<install folder, no trailing />
//   [LOG]
//   File=<log file path>
//   [DIRECTORY]
//   Path=<membership directory database file>
//   [COMPONENTS]
//   Brintor=<connection string>          one line per component
//   Quarvel=<connection string>
//   [MODULES]
//   <module name>=Yes|No                 installed when Yes, in any letter case
//   [CONNECTIONS]
//   BrintorConnection_ConnectionString=<connection string>
//   QuarvelConnection_ConnectionString=<connection string>
//   [MEMBERSHIP]
//   MemScriptUser=<directory account>
//   MemScriptCode=<its password>
//   LDAPRoot=<directory root>
//   [COMMONPARAMETERS]
//   UNSPSCIMPLEMENTED=No
//
// A section may be repeated for one server as "[<server>/<SECTION>]", for
// example "[Vorthem/CONNECTIONS]". After SelectServer(<server>) a key found
// there wins over the plain section; a key missing there is read from the
// plain section. SelectDefaultServer goes back to the plain sections.
#include "suite/solvane/configuration.h"

#include "runtime/com_error.h"
#include "runtime/dispatch.h"
#include "suite/solvane/ini_file.h"

namespace solvane {
namespace {

std::shared_ptr<const IniFile> LoadConfiguration() {
  std::string path = ConfigurationPath();
  auto file = IniFile::Load(path);
  if (!file) {
    rt::Raise(rt::hr::kFail, "Solvane.Configuration",
              "The configuration file '" + path + "' cannot be read");
  }
  return file;
}

}  // namespace

const rt::DispatchTable* Configuration::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<Configuration>("Configuration")
          .Method("SelectServer", &Configuration::SelectServer)
          .Method("SelectDefaultServer", &Configuration::SelectDefaultServer)
          .Method("GetValue", &Configuration::GetValue)
          .Method("IsModuleInstalled", &Configuration::IsModuleInstalled)
          .Method("GetComponentConnectionString", &Configuration::GetComponentConnectionString)
          .Method("PrepareConnection", &Configuration::PrepareConnection)
          .Method("GetInstallDir", &Configuration::GetInstallDir)
          .Build();
  return &table;
}

void Configuration::SelectServer(const std::string& serverName, const rt::Variant&) {
  server_ = serverName;
}

void Configuration::SelectDefaultServer(const rt::Variant&) { server_.clear(); }

std::string Configuration::GetValue(const std::string& section, const std::string& key) {
  auto file = LoadConfiguration();
  if (!server_.empty()) {
    if (const std::string* v = file->Find(server_ + "/" + section, key)) return *v;
  }
  const std::string* v = file->Find(section, key);
  return v ? *v : std::string();
}

bool Configuration::IsModuleInstalled(const std::string& moduleName) {
  return SameName(GetValue("MODULES", moduleName), "Yes");
}

std::string Configuration::GetComponentConnectionString(const std::string& componentName) {
  return GetValue("COMPONENTS", componentName);
}

void Configuration::PrepareConnection(const rt::Variant&) {}

std::string Configuration::GetInstallDir() {
  std::string dir = GetValue("INSTALL", "Dir");
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

}  // namespace solvane
