// Interfaces of the suite's infrastructure component: Configuration, Log,
// ResultObject and ReferentialChecker ("Solvane.*").
//
// Convention for every header of interfaces/: an interface is a plain
// abstract struct with pure virtual members and a virtual destructor. The
// concrete class derives from rt::Object (for creation by ProgID and
// late-bound calls by name) and from its interfaces; a C++ caller holding the
// object reaches an interface with std::dynamic_pointer_cast<IX>(objectPtr).
// Member names are the late-bound names, so both kinds of caller read alike.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/dictionary.h"
#include "runtime/variant.h"

// "Solvane.Configuration": the suite's settings by section and key.
struct IConfiguration {
  virtual ~IConfiguration() = default;
  // Later reads prefer the sections "[<server>/<SECTION>]" of that server.
  // The second argument is the caller's status variable; it is left as it is.
  virtual void SelectServer(const std::string& serverName, const rt::Variant& n) = 0;
  // Later reads use the plain sections again.
  virtual void SelectDefaultServer(const rt::Variant& n) = 0;
  // The value as text; "" when the section or key is missing.
  virtual std::string GetValue(const std::string& section, const std::string& key) = 0;
  // True when [MODULES] names the module with "Yes" (any letter case).
  virtual bool IsModuleInstalled(const std::string& moduleName) = 0;
  // [COMPONENTS] <name>: the component's database connection string.
  virtual std::string GetComponentConnectionString(const std::string& componentName) = 0;
  // Kept for callers that call it before asking for a connection string; no effect.
  virtual void PrepareConnection(const rt::Variant& n) = 0;
  // [INSTALL] Dir, without a trailing "/".
  virtual std::string GetInstallDir() = 0;
};

// "Solvane.Log": the suite's log file.
struct ILog {
  virtual ~ILog() = default;
  // Appends one entry; a failure to write is dropped, never raised. Answers 0.
  virtual int32_t WriteEntry(const rt::Variant& source, const rt::Variant& text,
                             const rt::Variant& kind) = 0;
};

// "Solvane.ResultObject": the outcome of a business-rule write.
struct IResultObject {
  virtual ~IResultObject() = default;
  virtual void AddMessage(const rt::Variant& code) = 0;
  virtual void AddMessageWithParameter(const rt::Variant& code, const rt::Variant& parameter) = 0;
  // Adds the other result's codes, in order, and so its failure.
  virtual void Merge(const rt::ObjectPtr& other) = 0;
  // True while no code was added or merged.
  virtual bool Succeeded() = 0;
  virtual void AddRecordValue(const std::string& name, const rt::Variant& value) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetRecordValues() = 0;
  // The codes in order as a 0-based array of "CODE" or "CODE:parameter".
  virtual rt::Variant GetMessages() = 0;
};

// "Solvane.ReferentialChecker": references between the components' tables.
// Key names and values travel as parallel arrays.
struct IReferentialChecker {
  virtual ~IReferentialChecker() = default;
  // True when every row that the given columns of `table` refer to exists.
  virtual bool CanInsert(const std::string& component, const std::string& table,
                         const rt::Variant& keyNames, const rt::Variant& keyValues) = 0;
  virtual bool CanUpdate(const std::string& table, const rt::Variant& keyNames,
                         const rt::Variant& keyValues) = 0;
  // True when no component still refers to the key of `table`.
  virtual bool CanDelete(const std::string& component, const std::string& table,
                         const rt::Variant& keyNames, const rt::Variant& keyValues) = 0;
  // Lets every referring component remove what hangs on the key; True when all did.
  virtual bool BeforeDelete(const std::string& table, const rt::Variant& keyNames,
                            const rt::Variant& keyValues) = 0;
};
