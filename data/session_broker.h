// Hands engine sessions to connections and runs statements on them with the
// transaction rules of the object context:
//  - a connection opened while the current context carries a transaction
//    joins it: every connection of that transaction on one database shares
//    one session, which begins with the write lock taken and commits or rolls
//    back when the root call ends (the session is enlisted in the
//    transaction); closing the connection only gives the session back;
//  - outside a transaction each statement commits by itself, and a closed
//    connection's session, idle again, is kept for the next connection of
//    the same thread to the same database (opening one is then cheap);
//  - inside a transaction a failed statement undoes only itself;
//  - on an engine with one writer at a time, a write outside the transaction
//    that this thread's transaction holds the lock for fails at once instead
//    of waiting for the lock that the thread itself holds.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/engine.h"

namespace data {

struct SessionLease {
  std::shared_ptr<Session> session;
  bool enlisted = false;  // part of the context's transaction (or a read scope)
  // Part of a read-only transaction (a call that only reads): it reads one
  // snapshot without the write lock, and a statement that writes is refused.
  bool reader = false;
};

// A session for the database that the settings name. Raises when the
// database cannot be opened, or when a transaction of another context on this
// thread already holds it. Inside a call that only reads (rt::Access::Reads),
// the session reads in a read-only transaction shared by the call's
// connections (rt::Transaction::ReadOnly, rt::CurrentReadScope).
SessionLease AcquireSession(const ConnectionSettings& settings);
// Gives the session back (to the pool, unless it belongs to a transaction),
// first reading to their end the rows still stepped through this lease.
void ReleaseSession(SessionLease& lease);
// Closes the idle sessions of every thread at their next turn instead of
// handing them out: after this process made a database file anew at a path
// that a pooled session may still have open, or put another engine in place.
void ForgetPooledSessions();

struct Execution {
  // The row source of the statement that returns rows, not yet stepped;
  // null when the text returns none.
  std::unique_ptr<Statement> rows;
  int64_t recordsAffected = -1;  // -1 when no statement changed rows
};

// A connection's own transaction (ADO's BeginTrans) on its session. Taking
// the write lock is a write: while another transaction of this thread holds
// the lock, it fails at once. Until it ends, the session is known as the
// lock's holder, so that a write of this thread from another session fails
// at once instead of waiting for it. A failed commit leaves the transaction
// open (and the lock held) until it is rolled back.
void BeginOwnTransaction(const SessionLease& lease);
void CommitOwnTransaction(const SessionLease& lease);
void RollbackOwnTransaction(const SessionLease& lease);  // never throws

// Translates and runs SQL Server text with positional "?" parameters.
Execution Run(const SessionLease& lease, std::string_view sql, const std::vector<rt::Variant>& parameters = {});

// Rows that a recordset reads only when they are first needed. They are
// read before any other statement runs on the session (except the
// recordset's own writes), so that they are the rows of the moment the
// recordset was opened as far as this session's work goes.
class DeferredRead {
 public:
  virtual ~DeferredRead() = default;
  virtual void ReadNow() = 0;
  // The lease (of the connection) through which the read keeps a statement
  // running on the session, its rows stepped as they are read; null when it
  // holds none. Such a read is also read before the session begins or ends
  // a transaction and before that connection gives the session back, so
  // that no statement stays open across them; its ReadNow never throws (a
  // failure is kept for the move that needs the rows).
  virtual const SessionLease* RunningThrough() const { return nullptr; }
};
// Keeps `read` (weakly) until it is read or gone.
void DeferRead(const SessionLease& lease, std::weak_ptr<DeferredRead> read);

// Runs one engine statement (already in the engine's dialect) that changes
// rows, under the same rules; answers the rows changed. `writer` is the
// deferred read of the recordset that writes, which is not read first.
int64_t RunPrepared(const SessionLease& lease, Statement& statement, const std::string& textForErrors,
                    const DeferredRead* writer = nullptr);

// Runs `work` as one unit: inside a transaction, a failure undoes all that
// `work` did and nothing else; outside one, `work` runs in a transaction of
// its own.
void RunAsUnit(const SessionLease& lease, const std::function<void()>& work);

}  // namespace data
