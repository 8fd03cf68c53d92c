// The object context: the thread's current context, votes, transactions,
// the host's values and creation of objects inside a context.
#include "runtime/context.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <utility>

#include "runtime/com_error.h"
#include "runtime/dispatch.h"
#include "runtime/registry.h"

namespace rt {

namespace {

thread_local ObjectContext* tCurrentContext = nullptr;
// The read scope of the outermost reading call outside a transaction.
thread_local Transaction* tReadScope = nullptr;
// The innermost running object that was created by ProgID: it names the
// running component.
thread_local const Object* tCurrentObject = nullptr;

// Makes a context current around ObjectControl's calls, which run in the
// object's context but are no method calls: no transaction starts for them.
class ContextSwitch {
 public:
  explicit ContextSwitch(ObjectContext* context) : previous_(tCurrentContext) {
    tCurrentContext = context;
  }
  ~ContextSwitch() { tCurrentContext = previous_; }
  ContextSwitch(const ContextSwitch&) = delete;
  ContextSwitch& operator=(const ContextSwitch&) = delete;

 private:
  ObjectContext* previous_;
};

bool SameText(std::string_view a, std::string_view b) {
  return TextCompare(a, b) == 0;
}

}  // namespace

// --- Transactions --------------------------------------------------------------

TransactionResource* Transaction::Find(const std::string& key) const {
  for (const auto& [k, resource] : resources_) {
    if (k == key) return resource.get();
  }
  return nullptr;
}

void Transaction::Enlist(const std::string& key, std::shared_ptr<TransactionResource> resource) {
  resources_.emplace_back(key, std::move(resource));
}

Transaction::~Transaction() {
  for (auto it = compensations_.rbegin(); it != compensations_.rend(); ++it) (*it)->Rollback();
}

void Transaction::EnlistCompensation(std::shared_ptr<Compensation> compensation) {
  compensations_.push_back(std::move(compensation));
}

bool Transaction::End() {
  bool committing = !doomed_;
  for (auto& [key, resource] : resources_) {
    if (committing) {
      try {
        resource->Commit();
        continue;
      } catch (const ComError& e) {
        commitFailure_ = e.description();
      } catch (const std::exception& e) {
        commitFailure_ = e.what();
      } catch (...) {
        // A failure that says nothing: the abort's text stands alone.
      }
      committing = false;
    }
    try {
      resource->Rollback();
    } catch (...) {
      // Rollback never fails by contract; a stray exception must not stop
      // the rest from rolling back.
    }
  }
  resources_.clear();
  // Only now is the outcome known: a failed commit of the last resource
  // still undoes what the compensations stand for.
  std::vector<std::shared_ptr<Compensation>> compensations = std::move(compensations_);
  compensations_.clear();
  for (auto it = compensations.rbegin(); it != compensations.rend(); ++it) {
    committing ? (*it)->Commit() : (*it)->Rollback();
  }
  return committing;
}

void TransactionStream::Enter(Access access) {
  if (depth_ == 0 && awaiting_) {
    const ObjectContext* root = awaiting_;
    awaiting_ = nullptr;
    root->BeginCall(Access::Writes);
  }
  if (depth_++ == 0) current_ = std::make_unique<Transaction>(access);
}

bool TransactionStream::Leave(std::string* failure) {
  if (depth_ == 0 || --depth_ > 0) return true;
  std::unique_ptr<Transaction> ending = std::move(current_);
  if (!ending) return true;
  const bool committed = ending->End();
  if (failure) *failure = ending->CommitFailure();
  return committed;
}

// --- Host values -----------------------------------------------------------------

const DispatchTable* HostValues::Dispatch() const {
  static const DispatchTable kTable = DispatchBuilder<HostValues>("HostValues")
                                          .Get("Item", &HostValues::Item)
                                          .Let("Item", &HostValues::SetItem)
                                          .Get("Value", &HostValues::Item)
                                          .Let("Value", &HostValues::SetItem)
                                          .Default("Item")
                                          .Build();
  return &kTable;
}

Variant HostValues::Item(const std::string& key) {
  auto it = values_.find(key);
  if (it != values_.end()) return it->second;
  for (const auto& [k, value] : values_) {
    if (SameText(k, key)) return value;
  }
  return Variant();
}

void HostValues::SetItem(const std::string& key, Variant value) {
  for (auto& [k, v] : values_) {
    if (SameText(k, key)) {
      v = std::move(value);
      return;
    }
  }
  values_.emplace(key, std::move(value));
}

// --- The object context ------------------------------------------------------------

ObjectPtr ObjectContext::CreateInstance(std::string_view progId) {
  return CreateInContext(FindClass(progId), activity_, stream_);
}

ObjectPtr ObjectContext::Item(std::string_view name) const {
  if (activity_) {
    if (SameText(name, "Application")) return activity_->application;
    if (SameText(name, "Session")) return activity_->session;
  }
  Raise(hr::kFail, "", "Unspecified error");
}

ObjectContext* GetObjectContext() {
  return tCurrentContext;
}

namespace {

// The platform's own classes (the scripting runtime, ADO, the XML parser,
// mail, the spreadsheet, the date parser) are no components of the suite:
// a run-time error inside them is named after the component that called
// them, as VB names an error that an outside object raised without a source.
bool IsPlatformClass(std::string_view progId) {
  static constexpr std::string_view kPlatform[] = {"Scripting.", "ADODB.", "MSXML2.",
                                                   "CDONTS.", "Excel.", "DataFunctions."};
  for (std::string_view prefix : kPlatform) {
    // ProgIDs are ASCII; this runs on every call by name, so letters are
    // folded inline rather than through the locale's tolower.
    if (progId.size() >= prefix.size() &&
        std::equal(prefix.begin(), prefix.end(), progId.begin(), [](char a, char b) {
          const char lower = static_cast<char>(a | 0x20);
          return a == b || (lower == (b | 0x20) && lower >= 'a' && lower <= 'z');
        })) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string CurrentComponentName() {
  if (!tCurrentObject) return {};
  const std::string& progId = tCurrentObject->ProgId();
  return progId.substr(0, progId.find('.'));
}

Transaction* CurrentReadScope() { return tReadScope; }

ContextScope::ContextScope(const Object& self, Access access)
    : context_(self.Context().get()),
      previous_(tCurrentContext),
      previousObject_(tCurrentObject),
      uncaught_(std::uncaught_exceptions()) {
  if (!self.ProgId().empty() && !IsPlatformClass(self.ProgId())) tCurrentObject = &self;
  Enter(access, false);
}

ContextScope::ContextScope(const Object& self, ByName)
    : context_(self.Context().get()),
      previous_(tCurrentContext),
      previousObject_(tCurrentObject),
      uncaught_(std::uncaught_exceptions()) {
  if (!self.ProgId().empty() && !IsPlatformClass(self.ProgId())) tCurrentObject = &self;
  Enter(Access::Writes, true);
}

// The outermost scope of a call begins its transaction (or, outside any, the
// read scope of a call that only reads); a call by name leaves that to the
// first scope inside it, its member's.
void ContextScope::Enter(Access access, bool byName) {
  if (!context_) return;
  tCurrentContext = context_;
  const bool outermost = context_->depth_++ == 0;
  if (!outermost && !context_->awaitingAccess_) return;
  if (byName) {
    context_->AwaitAccess();
    return;
  }
  context_->BeginCall(access);
  if (!context_->stream_ && access == Access::Reads && !tReadScope) {
    readScope_ = std::make_unique<Transaction>(Access::Reads);
    tReadScope = readScope_.get();
  }
}

ContextScope::~ContextScope() noexcept(false) {
  tCurrentContext = previous_;
  tCurrentObject = previousObject_;
  if (readScope_) {
    // Reading needs no outcome: ending it gives its snapshots back.
    tReadScope = nullptr;
    readScope_->End();
    readScope_.reset();
  }
  if (!context_ || --context_->depth_ > 0) return;

  // The votes of this call are spent now; the next call votes afresh.
  ObjectContext& context = *context_;
  context.StopAwaiting();  // a member that never used the database began nothing
  const bool entered = std::exchange(context.entered_, false);
  ObjectContext::Vote vote = context.vote_;
  context.vote_ = ObjectContext::Vote::None;
  if (vote == ObjectContext::Vote::Abort) {
    if (Transaction* transaction = context.CurrentTransaction()) transaction->Doom();
  }
  if (!context.stream_ || !entered) return;
  Transaction* transaction = context.stream_->Current();
  bool doomed = transaction && transaction->Doomed();
  std::string failure;
  bool committed = context.stream_->Leave(&failure);
  // Leave answers false only for a transaction that just ended without
  // committing. That is the caller's news when this context voted to commit,
  // and when a commit failed: its work is lost although nobody asked for it,
  // and the engine's reason (a full disk, say) is the only clue to why.
  bool report = vote == ObjectContext::Vote::Commit || !doomed;
  if (!committed && report && std::uncaught_exceptions() == uncaught_) {
    std::string text = "The root transaction wanted to commit, but transaction aborted";
    if (!failure.empty()) text += ": " + failure;
    Raise(hr::kTransactionAborted, "", text);
  }
}

// --- Creation inside a context ---------------------------------------------------

ObjectPtr CreateInContext(const ClassInfo& info, std::shared_ptr<Activity> activity,
                          std::shared_ptr<TransactionStream> creatorStream) {
  if (!activity) activity = std::make_shared<Activity>();
  std::shared_ptr<TransactionStream> stream;
  if (info.attribute == TransactionAttribute::Required) {
    stream = creatorStream ? std::move(creatorStream) : std::make_shared<TransactionStream>();
  }
  auto context = std::make_shared<ObjectContext>(std::move(activity), std::move(stream));

  ObjectPtr object = info.create ? info.create() : nullptr;
  if (!object) Raise(hr::kClassNotAvailable, "", "Class not available: " + info.progId);
  ObjectAccess::SetProgId(*object, info.progId);
  object->AttachContext(context);
  if (!object->ImplementsObjectControl()) return object;

  {
    ContextSwitch current(context.get());
    object->Activate();
  }
  // The handle given out deactivates the object when its last holder lets
  // go; the object itself goes when the last inner reference does.
  Object* raw = object.get();
  ObjectPtr handle(raw, [inner = std::move(object)](Object* o) mutable noexcept {
    try {
      ContextSwitch current(o->Context().get());
      o->Deactivate();
    } catch (...) {
      // A destructor path: a failing Deactivate cannot be reported.
    }
    inner.reset();
  });
  ObjectAccess::SetHandle(*raw, handle);
  return handle;
}

ObjectPtr CreateRootObject(std::string_view progId, std::shared_ptr<Activity> activity) {
  return CreateInContext(FindClass(progId), std::move(activity), nullptr);
}

}  // namespace rt
