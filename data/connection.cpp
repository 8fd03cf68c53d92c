// ADODB.Connection.
#include "data/connection.h"

#include <utility>

#include "data/ado_classes.h"
#include "data/ado_errors.h"
#include "data/recordset.h"
#include "runtime/dispatch.h"

namespace data {

namespace {
constexpr const char* kSource = "ADODB.Connection";
// XACT_E_NOTRANSACTION: commit or rollback with no transaction open.
constexpr int32_t kNoTransaction = static_cast<int32_t>(0x8004D00E);
}

std::shared_ptr<Connection> Connection::New() {
  RegisterAdoClasses();
  return std::make_shared<Connection>();
}

const rt::DispatchTable* Connection::Dispatch() const {
  static const rt::DispatchTable table = rt::DispatchBuilder<Connection>("Connection")
                                             .Get("ConnectionString", &Connection::ConnectionString)
                                             .Let("ConnectionString", &Connection::SetConnectionString)
                                             .Method("Open", &Connection::OpenLate)
                                             .Method("Close", &Connection::Close)
                                             .Method("Execute", &Connection::ExecuteLate)
                                             .Get("State", &Connection::State)
                                             .Get("Errors", &Connection::ErrorsLate)
                                             .Method("BeginTrans", &Connection::BeginTrans)
                                             .Method("CommitTrans", &Connection::CommitTrans)
                                             .Method("RollbackTrans", &Connection::RollbackTrans)
                                             .Default("ConnectionString")
                                             .Build();
  return &table;
}

Connection::~Connection() {
  if (localTransaction_ && lease_.session) RollbackOwnTransaction(lease_);
  ReleaseSession(lease_);
}

void Connection::SetConnectionString(const std::string& text) {
  if (State() == kStateOpen) adoerr::Raise(adoerr::kObjectOpen, kSource, "The connection is open.");
  connectionString_ = text;
}

void Connection::Open(const std::string& connectionString) {
  if (State() == kStateOpen) adoerr::Raise(adoerr::kObjectOpen, kSource, "The connection is already open.");
  if (!connectionString.empty()) connectionString_ = connectionString;
  Guard([&] {
    try {
      lease_ = AcquireSession(ParsedConnectionString(connectionString_));
    } catch (const EngineError&) {
      throw;
    } catch (const rt::ComError& e) {
      throw EngineError(e.number(), e.source(), e.description(), 0);
    }
  });
}

void Connection::OpenLate(std::optional<std::string> connectionString, std::optional<std::string>,
                          std::optional<std::string>, std::optional<int32_t>) {
  Open(connectionString.value_or(std::string()));
}

void Connection::Close() {
  if (State() != kStateOpen) adoerr::Closed(kSource);
  if (localTransaction_) RollbackOwnTransaction(lease_);
  localTransaction_ = false;
  ReleaseSession(lease_);
}

int32_t Connection::BeginTrans() {
  const SessionLease& lease = Lease();
  return Guard([&] {
    if (lease.enlisted)
      adoerr::Raise(adoerr::kNotAllowedInContext, kSource,
                    "The connection takes part in the object context's transaction; it cannot begin one of its own.");
    if (localTransaction_)
      adoerr::Raise(adoerr::kNotAllowedInContext, kSource, "A transaction is already open on this connection.");
    BeginOwnTransaction(lease);
    localTransaction_ = true;
    return int32_t{1};
  });
}

void Connection::CommitTrans() {
  const SessionLease& lease = Lease();
  Guard([&] {
    if (!localTransaction_) rt::Raise(kNoTransaction, kSource, "No transaction is active.");
    CommitOwnTransaction(lease);
    localTransaction_ = false;
  });
}

void Connection::RollbackTrans() {
  const SessionLease& lease = Lease();
  Guard([&] {
    if (!localTransaction_) rt::Raise(kNoTransaction, kSource, "No transaction is active.");
    RollbackOwnTransaction(lease);
    localTransaction_ = false;
  });
}

const SessionLease& Connection::Lease() const {
  if (!lease_.session)
    adoerr::Raise(adoerr::kConnectionUnusable, kSource, "The connection is closed and cannot be used.");
  return lease_;
}

std::shared_ptr<Recordset> Connection::Execute(const std::string& sql, rt::Variant* recordsAffected) {
  const SessionLease& lease = Lease();
  auto self = std::static_pointer_cast<Connection>(Self());
  auto rs = Recordset::New();
  Guard([&] {
    Execution ex = Run(lease, sql);
    if (recordsAffected) *recordsAffected = rt::Variant(static_cast<int32_t>(ex.recordsAffected));
    if (ex.rows) rs->Load(std::move(ex.rows), sql, self, kCursorForwardOnly, kLockReadOnly);
  });
  return rs;
}

std::shared_ptr<Recordset> Connection::ExecuteLate(const std::string& sql, rt::Variant& recordsAffected,
                                                   std::optional<int32_t>) {
  return Execute(sql, &recordsAffected);
}

// --- OwnTransaction ----------------------------------------------------------

OwnTransaction::OwnTransaction(std::shared_ptr<Connection> connection) : connection_(std::move(connection)) {
  connection_->BeginTrans();
  open_ = true;
}

OwnTransaction::OwnTransaction(OwnTransaction&& other) noexcept
    : connection_(std::move(other.connection_)), open_(std::exchange(other.open_, false)) {}

OwnTransaction& OwnTransaction::operator=(OwnTransaction&& other) noexcept {
  if (this != &other) {
    RollbackIfOpen();
    connection_ = std::move(other.connection_);
    open_ = std::exchange(other.open_, false);
  }
  return *this;
}

OwnTransaction::~OwnTransaction() { RollbackIfOpen(); }

void OwnTransaction::Commit() {
  if (!open_) return;
  connection_->CommitTrans();
  open_ = false;
}

void OwnTransaction::RollbackIfOpen() noexcept {
  if (!open_) return;
  open_ = false;
  try {
    connection_->RollbackTrans();
  } catch (...) {
    // A connection closed meanwhile rolled the transaction back itself.
  }
}

}  // namespace data
