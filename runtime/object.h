// Object: the base of every class that callers create by ProgID and call
// late-bound by name, and the dispatch tables that make them callable.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "runtime/variant.h"

namespace rt {

class ObjectContext;
class DispatchTable;
struct ObjectAccess;

enum class CallKind : int { Method = 1, Get = 2, Let = 4, Set = 8 };

using Args = std::vector<Variant>;

class Object : public std::enable_shared_from_this<Object> {
 public:
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object();

  // The class's name as VB's TypeName answers it (by default the dispatch
  // table's class name).
  virtual std::string TypeName() const;

  // Late-bound call. The name is matched without regard to letter case; an
  // empty name is the default member. Arguments are positional; a missing
  // optional one is Variant::Missing(); by-reference arguments receive their
  // new values in place. Property Let and Set pass the new value last.
  // A property get and a method stand in for each other, as they do for VB's
  // late-bound calls; an unknown member raises 438.
  // Runs inside this object's context.
  virtual Variant Invoke(std::string_view name, CallKind kind, Args& args);
  Variant Call(std::string_view name, Args args = {});
  Variant GetProperty(std::string_view name, Args args = {});
  void LetProperty(std::string_view name, Variant value);

  // The members a late-bound caller may call; null for none.
  virtual const DispatchTable* Dispatch() const { return nullptr; }

  // ObjectControl, for the classes that implement it.
  virtual bool ImplementsObjectControl() const { return false; }
  virtual void Activate() {}
  virtual void Deactivate() {}
  virtual bool CanBePooled() { return false; }

  // The context this object was created in; null outside a component server.
  const std::shared_ptr<ObjectContext>& Context() const { return context_; }
  void AttachContext(std::shared_ptr<ObjectContext> context);

  // The ProgID the object was created from; empty for objects made with New.
  const std::string& ProgId() const { return progId_; }

  // The pointer the object's creator handed out. Creation by ProgID may wrap
  // the object (to count it, or to deactivate it when its last holder lets
  // go), so a method that gives itself away hands out this one.
  ObjectPtr Self();

  template <class T>
  std::shared_ptr<T> As() {
    return std::dynamic_pointer_cast<T>(Self());
  }

 private:
  friend struct ObjectAccess;
  std::shared_ptr<ObjectContext> context_;
  std::string progId_;
  std::weak_ptr<Object> handle_;
};

// What creation by ProgID records on a new object (registry and context only).
struct ObjectAccess {
  static void SetProgId(Object& o, std::string progId) { o.progId_ = std::move(progId); }
  static void SetHandle(Object& o, const ObjectPtr& handle) { o.handle_ = handle; }
};

// A member's entry in a dispatch table: one handler per call kind.
struct Member {
  using Handler = std::function<Variant(Object&, Args&)>;
  std::string name;
  Handler method, get, let, set;
};

class DispatchTable {
 public:
  explicit DispatchTable(std::string className) : className_(std::move(className)) {}
  const std::string& ClassName() const { return className_; }
  const Member* Find(std::string_view name) const;  // case-insensitive
  Member& Add(const std::string& name);
  void SetDefault(std::string name) { default_ = std::move(name); }
  const std::string& DefaultMember() const { return default_; }
  std::vector<std::string> Names() const;

 private:
  std::string className_;
  std::string default_;
  // By lower-case name, looked up with a lower-case copy made on the stack
  // (every late-bound call looks one up).
  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
  };
  std::unordered_map<std::string, Member, NameHash, std::equal_to<>> members_;
};

// The argument (counted from 1) whose conversion to its parameter failed the
// last late-bound call made on this thread outside every other late-bound
// call, a missing one included; 0 when that call failed elsewhere or not at
// all. A host reads it to tell its caller which argument was wrong.
size_t FailedArgumentOfLastCall();
// Notes that converting argument `position` (from 1) of the late-bound call
// running on this thread failed; only the outermost call's is kept.
void NoteFailedArgument(size_t position);

// Converts a Variant to a typed parameter with VB's coercions and back.
template <class T>
T FromVariant(const Variant& v);
template <class T>
Variant ToVariant(const T& v) {
  return Variant(v);
}

}  // namespace rt
