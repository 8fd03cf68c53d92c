// Configuration ("Solvane.Configuration"): the suite's settings file.
#pragma once

#include <string>

#include "interfaces/solvane.h"
#include "runtime/object.h"

namespace solvane {

class Configuration : public rt::Object, public IConfiguration {
 public:
  std::string TypeName() const override { return "Configuration"; }
  const rt::DispatchTable* Dispatch() const override;

  void SelectServer(const std::string& serverName, const rt::Variant& n) override;
  void SelectDefaultServer(const rt::Variant& n) override;
  std::string GetValue(const std::string& section, const std::string& key) override;
  bool IsModuleInstalled(const std::string& moduleName) override;
  std::string GetComponentConnectionString(const std::string& componentName) override;
  void PrepareConnection(const rt::Variant& n) override;
  std::string GetInstallDir() override;

 private:
  std::string server_;  // empty: the plain sections
};

}  // namespace solvane
