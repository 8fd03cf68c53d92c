// The object context: activities, transactions and votes.
//
// Every object created inside a component server carries an ObjectContext.
// Entering one of its methods (ContextScope) makes that context the thread's
// current one, so GetObjectContext() answers it, its votes are its own, and
// connections opened there join its transaction.
//
// A transaction belongs to a TransactionStream shared by the root object
// that asked for one and every object that joined it. It begins when a
// method of any of those objects is entered with none running, and ends when
// that outermost call returns: committed unless some object returned from a
// call with an abort vote.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/object.h"
#include "runtime/variant.h"

namespace rt {

// A class's transaction attribute. NotSupported and None behave alike: the
// object always runs outside any transaction.
enum class TransactionAttribute { None, NotSupported, Required };

// What a method does with the database, as it says where it enters its
// context (ContextScope). A call that only reads, when it is the root of its
// transaction (or runs outside any), reads the last committed state in one
// read-only transaction of its own: it takes no write lock, so it never waits
// for a writer nor makes a writer wait, and its reads share one snapshot. A
// call that joins a running transaction reads through it, whatever it says.
enum class Access { Writes, Reads };

// Something that takes part in a transaction (an engine session).
class TransactionResource {
 public:
  virtual ~TransactionResource() = default;
  virtual void Commit() = 0;    // may throw ComError
  virtual void Rollback() = 0;  // never throws
};

// Work done during a transaction that none of its resources can roll back
// (an entry made in an outside store on the way): when the transaction ends
// it is told the outcome, after every resource has ended, so that a resource
// whose commit fails still leads to Rollback. Neither member may throw.
class Compensation {
 public:
  virtual ~Compensation() = default;
  virtual void Commit() noexcept = 0;    // the transaction committed: keep the work
  virtual void Rollback() noexcept = 0;  // it did not: undo the work
};

class Transaction {
 public:
  explicit Transaction(Access access = Access::Writes) : readOnly_(access == Access::Reads) {}
  // A transaction dropped without End (its stream gone mid-call) did not
  // commit: pending compensations roll back.
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  bool Doomed() const { return doomed_; }
  void Doom() { doomed_ = true; }
  // A transaction begun for a call that only reads: its resources read
  // without taking the write lock, and refuse to write.
  bool ReadOnly() const { return readOnly_; }
  // Resources are kept by key (for connections, the connection string), so
  // that everything opened in one transaction with one key shares one.
  // Enlisting a second resource under a key already taken replaces nothing:
  // both take part.
  TransactionResource* Find(const std::string& key) const;
  void Enlist(const std::string& key, std::shared_ptr<TransactionResource> resource);
  // Work to undo when the transaction does not commit. Compensations hear
  // the outcome after every resource, whenever they were enlisted, the last
  // enlisted first.
  void EnlistCompensation(std::shared_ptr<Compensation> compensation);
  // Commits every resource in the order enlisted, or rolls every one back
  // when doomed; when a commit fails, the rest are rolled back. Then tells
  // the compensations the outcome. Answers true when committed.
  bool End();
  // Why a resource's commit failed in End (the engine's message); empty
  // when none failed or the failure said nothing.
  const std::string& CommitFailure() const { return commitFailure_; }

 private:
  bool doomed_ = false;
  bool readOnly_ = false;
  std::string commitFailure_;
  std::vector<std::pair<std::string, std::shared_ptr<TransactionResource>>> resources_;
  std::vector<std::shared_ptr<Compensation>> compensations_;
};

class ObjectContext;

class TransactionStream {
 public:
  Transaction* Current() const { return current_.get(); }
  // Entering and leaving calls; the first entry begins a transaction (a
  // read-only one when that call only reads) and the last exit ends it.
  // Leave answers true when the transaction (if it ended) committed; when
  // it ended because a commit failed, `failure` gets why.
  void Enter(Access access = Access::Writes);
  bool Leave(std::string* failure = nullptr);
  int Depth() const { return depth_; }

 private:
  friend class ObjectContext;
  int depth_ = 0;
  std::unique_ptr<Transaction> current_;
  // The root context whose call came in by name and has not begun the
  // transaction yet: an object joined to the stream that is called first
  // begins it on the root's behalf, as one that writes.
  const ObjectContext* awaiting_ = nullptr;
};

// The web server's application or session values (ASP's Application and
// Session objects): Item and Value by key, a missing key reading Empty.
class HostValues : public Object {
 public:
  std::string TypeName() const override { return "HostValues"; }
  const DispatchTable* Dispatch() const override;
  Variant Item(const std::string& key);
  void SetItem(const std::string& key, Variant value);
  const std::map<std::string, Variant>& All() const { return values_; }

 private:
  std::map<std::string, Variant> values_;  // key compared without regard to case
};

// What objects created from one root share: the host's values.
struct Activity {
  std::shared_ptr<HostValues> application = std::make_shared<HostValues>();
  std::shared_ptr<HostValues> session = std::make_shared<HostValues>();
};

class ObjectContext {
 public:
  ObjectContext(std::shared_ptr<Activity> activity, std::shared_ptr<TransactionStream> stream)
      : activity_(std::move(activity)), stream_(std::move(stream)) {}

  // Creates the object in this context's activity; it joins this context's
  // transaction when its attribute requires one (or starts its own when this
  // context has none). Raises 0x800401F3 for an unknown ProgID.
  ObjectPtr CreateInstance(std::string_view progId);

  void SetComplete() { vote_ = Vote::Commit; }
  void SetAbort() { vote_ = Vote::Abort; }
  bool IsInTransaction() const { return stream_ != nullptr; }
  // The running transaction, or null outside one (or between calls). A call
  // entered by name whose method has not said yet how it uses the database
  // begins its transaction here, as one that writes.
  Transaction* CurrentTransaction() const {
    if (awaitingAccess_) BeginCall(Access::Writes);
    return stream_ ? stream_->Current() : nullptr;
  }

  // "Application" and "Session" answer the host's value objects; any other
  // name raises 0x80004005.
  ObjectPtr Item(std::string_view name) const;

  const std::shared_ptr<Activity>& GetActivity() const { return activity_; }
  const std::shared_ptr<TransactionStream>& Stream() const { return stream_; }

 private:
  friend class ContextScope;
  friend class TransactionStream;
  enum class Vote { None, Commit, Abort };
  // Begins the outermost call's transaction (entering the stream).
  void BeginCall(Access access) const {
    awaitingAccess_ = false;
    if (stream_) {
      if (stream_->awaiting_ == this) stream_->awaiting_ = nullptr;
      stream_->Enter(access);
      entered_ = true;
    }
  }
  // The outermost call came in by name: its member's scope will begin it.
  void AwaitAccess() const {
    if (stream_ && stream_->depth_ > 0) {
      BeginCall(Access::Writes);  // joined to a running transaction: nothing to choose
      return;
    }
    awaitingAccess_ = true;
    if (stream_) stream_->awaiting_ = this;
  }
  void StopAwaiting() const {
    awaitingAccess_ = false;
    if (stream_ && stream_->awaiting_ == this) stream_->awaiting_ = nullptr;
  }
  std::shared_ptr<Activity> activity_;
  std::shared_ptr<TransactionStream> stream_;
  Vote vote_ = Vote::None;
  int depth_ = 0;
  // The outermost call came in by name (Object::Invoke): the transaction
  // begins in its method's own scope, which says whether it only reads.
  mutable bool awaitingAccess_ = false;
  mutable bool entered_ = false;  // the outermost call entered the stream
};

// The context of the call running on this thread, or null outside one.
ObjectContext* GetObjectContext();

// The read-only transaction of the outermost call on this thread that only
// reads and runs outside any transaction of its own (a class that does not
// support transactions), or null. Connections opened during that call share
// its snapshot, as those of a transaction do.
Transaction* CurrentReadScope();

// The name of the component whose method runs ("Brintor": the ProgID's part
// before the first "."), for error sources; empty outside any.
std::string CurrentComponentName();

// Makes an object's context current for the scope of one of its methods.
// Objects without a context leave the thread's current context as it is.
// When the outermost call of a context returns, an abort vote dooms the
// running transaction, and the votes are cleared for the next call. When the
// call that ends a transaction returns and the transaction did not commit
// although that context's last vote was SetComplete, or a commit failed, the
// destructor raises 0x8004E002 (unless an exception is already on its way out).
class ContextScope {
 public:
  explicit ContextScope(const Object& self, Access access = Access::Writes);
  // The scope of a call by name around the member it dispatches to: it makes
  // the context current (argument conversion fails in it) and ends the call
  // as any scope does, but leaves the beginning of the transaction to the
  // member's own scope, which says how the member uses the database.
  struct ByName {};
  ContextScope(const Object& self, ByName);
  ~ContextScope() noexcept(false);
  ContextScope(const ContextScope&) = delete;
  ContextScope& operator=(const ContextScope&) = delete;

 private:
  ObjectContext* context_;
  ObjectContext* previous_;
  const Object* previousObject_;
  int uncaught_;
  // The read scope this call began (outside any transaction), ended with it.
  std::unique_ptr<Transaction> readScope_;

  void Enter(Access access, bool byName);
};

// Creates a root object in a new context for the host: a new activity with
// the given host values, and a transaction stream of its own when the class
// requires a transaction.
ObjectPtr CreateRootObject(std::string_view progId, std::shared_ptr<Activity> activity);

// Creates an object of the same library with `New`: it shares the creating
// object's context (and so its transaction and votes); it is not activated.
template <class T, class... A>
std::shared_ptr<T> NewObject(const Object& creator, A&&... args) {
  auto object = std::make_shared<T>(std::forward<A>(args)...);
  object->AttachContext(creator.Context());
  return object;
}

}  // namespace rt
