// Class registration and creation by ProgID.
//
// Component libraries export four entry points with these Linux meanings:
//   int32_t DllGetClassObject(const char* progIdOrClsid, const rt::ClassInfo** out)
//       hands out the class's factory (0, or 0x80040111 for a class it lacks);
//   int32_t DllCanUnloadNow()  0 when none of its objects is alive, 1 otherwise;
//   int32_t DllRegisterServer() / DllUnregisterServer()
//       write or remove the library's ProgIDs in the component registration file.
// The registration file (one "ProgID<TAB>CLSID<TAB>library path" a line) is
// $SUITE_REGISTRY, else "components.reg" beside the runtime library. Creation
// loads the registered library on first use; nothing runs at load.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/context.h"
#include "runtime/object.h"

namespace rt {

struct ClassInfo {
  std::string progId;   // "Brintor.Currency"
  std::string clsid;    // "{...}", may be empty
  TransactionAttribute attribute = TransactionAttribute::None;
  std::function<ObjectPtr()> create;
};

// A library's table of classes, with the live-object count behind
// DllCanUnloadNow: the table counts every object its classes create.
class ClassTable {
 public:
  explicit ClassTable(std::vector<ClassInfo> classes);
  int32_t GetClassObject(const char* progIdOrClsid, const ClassInfo** out) const;
  int32_t CanUnloadNow() const;
  // Writes or removes this library's lines; `libraryPath` is the library's
  // own file. Registering replaces the lines of the same ProgIDs and of the
  // same library. Several libraries may register at once (a parallel build):
  // the file is rewritten under an exclusive lock, through a temporary file.
  // Both answer 0, or 0x80004005 when the file cannot be written.
  int32_t Register(const std::string& libraryPath) const;
  int32_t Unregister() const;
  const std::vector<ClassInfo>& Classes() const { return classes_; }

 private:
  std::vector<ClassInfo> classes_;
  std::unique_ptr<std::atomic<int>> live_ = std::make_unique<std::atomic<int>>(0);
};

// Defines a component library's four entry points over its class table;
// `table` is an expression answering a const ClassTable& (a function that
// holds the table in a function-local static, so nothing runs at load).
#define RT_COMPONENT_EXPORTS(table)                                                        \
  extern "C" __attribute__((visibility("default"))) int32_t DllGetClassObject(             \
      const char* progIdOrClsid, const ::rt::ClassInfo** out) {                            \
    return (table).GetClassObject(progIdOrClsid, out);                                     \
  }                                                                                        \
  extern "C" __attribute__((visibility("default"))) int32_t DllCanUnloadNow() {            \
    return (table).CanUnloadNow();                                                         \
  }                                                                                        \
  extern "C" __attribute__((visibility("default"))) int32_t DllRegisterServer() {          \
    return (table).Register(                                                               \
        ::rt::LibraryPathOf(reinterpret_cast<const void*>(&DllRegisterServer)));           \
  }                                                                                        \
  extern "C" __attribute__((visibility("default"))) int32_t DllUnregisterServer() {        \
    return (table).Unregister();                                                           \
  }

// Wraps a factory so that each object it makes counts as alive in `counter`.
std::function<ObjectPtr()> CountedFactory(std::function<ObjectPtr()> make, std::atomic<int>* counter);

std::string RegistrationFilePath();
// The file of the shared library that holds `address` (for DllRegisterServer).
std::string LibraryPathOf(const void* address);

// Registers a class of this process (built-in classes such as
// "Scripting.Dictionary", and classes of tests). Replaces an earlier one.
void RegisterClass(ClassInfo info);

// Looks up a class by ProgID or CLSID (case-insensitive): in-process classes
// first, then the registration file, loading the library on first use.
// Raises 0x800401F3 "Invalid class string" naming the ProgID when unknown.
const ClassInfo& FindClass(std::string_view progIdOrClsid);

// Plain creation (CreateObject): the object has no context. Raises
// 0x800401F3 for an unknown ProgID, 0x80040111 when its library cannot be
// loaded or lacks the class.
ObjectPtr CreateObject(std::string_view progIdOrClsid);

// Creation inside a context: used by ObjectContext::CreateInstance and the host.
// The object gets a context of its own in `activity`: in the creator's
// transaction stream when its class requires a transaction (a new stream,
// making it a root, when the creator has none), in none otherwise. An object
// that implements ObjectControl is activated now and deactivated when the
// last holder of the answered pointer lets go.
ObjectPtr CreateInContext(const ClassInfo& info, std::shared_ptr<Activity> activity,
                          std::shared_ptr<TransactionStream> creatorStream);

}  // namespace rt
