// Object and DispatchTable: late-bound calls by member name, and the
// conversions of the callers' Variants to typed parameters.
#include "runtime/object.h"

#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/dispatch.h"

namespace rt {

namespace {

constexpr size_t kScannedMembers = 16;

// Member names are ASCII identifiers: folding ASCII letters is enough.
std::string FoldName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

// The handler for a kind of call. A method and a property get stand in for
// each other, as they do for VB's late-bound calls (`x = o.Count()`, `x =
// o.GetName`); Let and Set stand in for each other for the same reason.
const Member::Handler* PickHandler(const Member& member, CallKind kind) {
  const Member::Handler* first = nullptr;
  const Member::Handler* second = nullptr;
  switch (kind) {
    case CallKind::Method: first = &member.method; second = &member.get; break;
    case CallKind::Get: first = &member.get; second = &member.method; break;
    case CallKind::Let: first = &member.let; second = &member.set; break;
    case CallKind::Set: first = &member.set; second = &member.let; break;
  }
  if (*first) return first;
  if (*second) return second;
  return nullptr;
}

// How many late-bound calls run on this thread, one inside another, and the
// argument whose conversion failed the outermost one (0: none).
thread_local int lateBoundDepth = 0;
thread_local size_t failedArgument = 0;

struct LateBoundCall {
  LateBoundCall() {
    if (lateBoundDepth++ == 0) failedArgument = 0;
  }
  ~LateBoundCall() { --lateBoundDepth; }
  LateBoundCall(const LateBoundCall&) = delete;
  LateBoundCall& operator=(const LateBoundCall&) = delete;
};

}  // namespace

void NoteFailedArgument(size_t position) {
  // A call made inside a member is that member's business, not its caller's.
  if (lateBoundDepth == 1) failedArgument = position;
}

size_t FailedArgumentOfLastCall() { return failedArgument; }

Object::~Object() = default;

std::string Object::TypeName() const {
  const DispatchTable* table = Dispatch();
  return table ? table->ClassName() : "Object";
}

Variant Object::Invoke(std::string_view name, CallKind kind, Args& args) {
  LateBoundCall call;
  ContextScope scope(*this, ContextScope::ByName{});
  const DispatchTable* table = Dispatch();
  const Member* member = nullptr;
  if (table) member = table->Find(name.empty() ? std::string_view(table->DefaultMember()) : name);
  const Member::Handler* handler = member ? PickHandler(*member, kind) : nullptr;
  if (!handler) RaiseVb(vberr::kMethodNotSupported);
  return (*handler)(*this, args);
}

Variant Object::Call(std::string_view name, Args args) {
  return Invoke(name, CallKind::Method, args);
}

Variant Object::GetProperty(std::string_view name, Args args) {
  return Invoke(name, CallKind::Get, args);
}

void Object::LetProperty(std::string_view name, Variant value) {
  Args args{std::move(value)};
  Invoke(name, CallKind::Let, args);
}

void Object::AttachContext(std::shared_ptr<ObjectContext> context) {
  context_ = std::move(context);
}

ObjectPtr Object::Self() {
  if (ObjectPtr handle = handle_.lock()) return handle;
  return shared_from_this();
}

const Member* DispatchTable::Find(std::string_view name) const {
  if (name.empty()) return nullptr;
  char buffer[64];
  if (name.size() > sizeof buffer) {
    auto it = members_.find(FoldName(name));
    return it == members_.end() ? nullptr : &it->second;
  }
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    buffer[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  const std::string_view folded(buffer, name.size());
  // A small table is scanned: comparing a few names costs less than hashing one.
  if (members_.size() <= kScannedMembers) {
    for (const auto& [key, member] : members_) {
      if (key == folded) return &member;
    }
    return nullptr;
  }
  auto it = members_.find(folded);
  return it == members_.end() ? nullptr : &it->second;
}

Member& DispatchTable::Add(const std::string& name) {
  Member& member = members_[FoldName(name)];
  if (member.name.empty()) member.name = name;
  return member;
}

std::vector<std::string> DispatchTable::Names() const {
  std::vector<std::string> names;
  names.reserve(members_.size());
  for (const auto& [key, member] : members_) names.push_back(member.name);
  return names;
}

// --- Parameter conversions ---------------------------------------------------

template <>
std::string FromVariant<std::string>(const Variant& v) {
  if (const std::string* s = v.Get<std::string>()) return *s;
  return CStr(v);
}
template <>
int16_t FromVariant<int16_t>(const Variant& v) {
  return CInt(v);
}
template <>
int32_t FromVariant<int32_t>(const Variant& v) {
  return CLng(v);
}
template <>
uint8_t FromVariant<uint8_t>(const Variant& v) {
  return CByte(v);
}
template <>
float FromVariant<float>(const Variant& v) {
  return CSng(v);
}
template <>
double FromVariant<double>(const Variant& v) {
  return CDbl(v);
}
template <>
bool FromVariant<bool>(const Variant& v) {
  return CBool(v);
}
template <>
Currency FromVariant<Currency>(const Variant& v) {
  return CCur(v);
}
template <>
Decimal FromVariant<Decimal>(const Variant& v) {
  return CDec(v);
}
template <>
Date FromVariant<Date>(const Variant& v) {
  return CDate(v);
}
template <>
ObjectPtr FromVariant<ObjectPtr>(const Variant& v) {
  if (const ObjectPtr* o = v.Get<ObjectPtr>()) return *o;
  RaiseVb(vberr::kTypeMismatch);
}
template <>
ArrayPtr FromVariant<ArrayPtr>(const Variant& v) {
  if (const ArrayPtr* a = v.Get<ArrayPtr>()) return *a;
  RaiseVb(vberr::kTypeMismatch);
}

}  // namespace rt
