// ADODB.Connection: a connection string, an engine session while open, and
// the Errors collection that a failed statement fills.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/errors.h"
#include "data/session_broker.h"
#include "runtime/object.h"

namespace data {

class Recordset;

// ADO's ObjectStateEnum.
constexpr int32_t kStateClosed = 0;
constexpr int32_t kStateOpen = 1;

class Connection : public rt::Object {
 public:
  // A new connection; the ADO classes are registered for creation by ProgID.
  static std::shared_ptr<Connection> New();

  std::string TypeName() const override { return "Connection"; }
  const rt::DispatchTable* Dispatch() const override;

  std::string ConnectionString() { return connectionString_; }
  void SetConnectionString(const std::string& text);

  // Opens the connection (with `connectionString` when given). Inside a
  // transaction of the object context it joins that transaction. A failure
  // fills Errors and raises 0x80004005 with the engine's text.
  void Open(const std::string& connectionString = {});
  void Close();
  int32_t State() { return lease_.session ? kStateOpen : kStateClosed; }

  // Runs SQL Server text. Answers an open read-only recordset when the text
  // returns rows, else a closed one; `recordsAffected` receives the rows
  // changed. A failed statement fills Errors and raises 0x80040E14
  // (0x80040E2F for a constraint violation) with the engine's text.
  std::shared_ptr<Recordset> Execute(const std::string& sql, rt::Variant* recordsAffected = nullptr);

  const std::shared_ptr<data::Errors>& Errors() const {
    if (!errors_) errors_ = std::make_shared<data::Errors>();
    return errors_;
  }

  // ADO's local transaction, for work that must be one unit outside a
  // transaction of the object context. BeginTrans takes the write lock and
  // answers the nesting level (1); it is refused (3219) on a connection that
  // takes part in a context's transaction, and when a transaction of its own
  // is already open (no nesting). CommitTrans and RollbackTrans without an
  // open transaction raise 0x8004D00E. Closing the connection rolls back a
  // transaction still open. As with a context's transaction, a write of this
  // thread from another connection to the same database fails at once while
  // it is open (it would wait for a lock that only this thread can give
  // back), and BeginTrans itself fails at once while another transaction of
  // this thread holds the lock.
  int32_t BeginTrans();
  void CommitTrans();
  void RollbackTrans();

  // For the other ADO objects: the open session (raises 3709 when closed),
  // and the failure recording around an operation on this connection.
  const SessionLease& Lease() const;
  template <class F>
  auto Guard(F&& work) -> decltype(work()) {
    try {
      return work();
    } catch (const rt::ComError& e) {
      Errors()->Record(e);
      throw;
    }
  }

  ~Connection() override;

 private:
  // Dispatch adapters for the late-bound members.
  void OpenLate(std::optional<std::string> connectionString, std::optional<std::string> user,
                std::optional<std::string> password, std::optional<int32_t> options);
  std::shared_ptr<Recordset> ExecuteLate(const std::string& sql, rt::Variant& recordsAffected,
                                         std::optional<int32_t> options);
  std::shared_ptr<data::Errors> ErrorsLate() { return Errors(); }

  std::string connectionString_;
  SessionLease lease_;
  bool localTransaction_ = false;  // BeginTrans ran and nothing ended it yet
  mutable std::shared_ptr<data::Errors> errors_;  // made when first asked for
};

// A connection's own transaction as a scope: BeginTrans when made, and
// RollbackTrans when it ends without Commit (a failure on its way out, or a
// Commit that failed), so that no path leaves the transaction, and the
// write lock it holds, open. An empty guard (made without a connection) does
// nothing, for a transaction that is needed only sometimes.
class OwnTransaction {
 public:
  OwnTransaction() = default;
  explicit OwnTransaction(std::shared_ptr<Connection> connection);
  OwnTransaction(OwnTransaction&& other) noexcept;
  OwnTransaction& operator=(OwnTransaction&& other) noexcept;
  ~OwnTransaction();

  // Commits; after a failed commit the transaction is still open and is
  // rolled back when the guard ends.
  void Commit();
  bool IsOpen() const { return open_; }

 private:
  void RollbackIfOpen() noexcept;
  std::shared_ptr<Connection> connection_;
  bool open_ = false;
};

}  // namespace data
