// Sessions for connections, transaction enlistment and statement execution.
#include "data/session_broker.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>

#include "data/column_fit.h"
#include "data/engine_hooks.h"
#include "data/tsql_lexer.h"
#include "data/tsql_translator.h"
#include "runtime/context.h"

namespace data {

namespace {

// Idle sessions kept per thread and database: opening a connection outside
// a transaction takes one of them (with its prepared statements) instead of
// opening the database again.
constexpr size_t kPooledPerDatabase = 4;

// Databases whose write lock a transaction holds, with the thread that runs
// it and the session it holds the lock with.
struct LockHolder {
  std::thread::id thread;
  const Session* session;
};
std::mutex gLocksMutex;
std::map<std::string, LockHolder> gLocks;

// Sessions pooled before the epoch changed are closed instead of handed out
// (another engine put in place, a database file made anew by this process).
std::atomic<uint64_t> gPoolEpoch{0};
// How long a pooled session is handed out again without comparing its
// file's identity, a system call each time.
std::atomic<int64_t> gRecheckMicroseconds{100000};

using Clock = std::chrono::steady_clock;

struct IdleSession {
  std::unique_ptr<Session> session;
  uint64_t epoch;
  Clock::time_point checked;  // when its file was last known to be the one it opened
};

// The idle sessions of this thread. A session closed while the thread ends
// (after the pool is gone) is simply closed.
struct IdleSessions {
  std::unordered_map<std::string, std::vector<IdleSession>> byDatabase;
  ~IdleSessions();
};
thread_local bool tPoolGone = false;
thread_local IdleSessions tPool;
IdleSessions::~IdleSessions() { tPoolGone = true; }

// The deferred reads of this thread's recordsets, by the session they read
// from. A connection closed while the thread ends (after the map is gone)
// finds none.
thread_local bool tDeferredGone = false;
struct DeferredReads : std::unordered_map<const Session*, std::vector<std::weak_ptr<DeferredRead>>> {
  ~DeferredReads() { tDeferredGone = true; }
};
thread_local DeferredReads tDeferred;

// Reads what recordsets deferred on the session, before another statement
// changes what they would read.
void ReadDeferred(const Session& session, const DeferredRead* except) {
  if (tDeferred.empty()) return;
  auto it = tDeferred.find(&session);
  if (it == tDeferred.end()) return;
  std::vector<std::shared_ptr<DeferredRead>> due;
  std::vector<std::weak_ptr<DeferredRead>> kept;
  for (auto& weak : it->second) {
    std::shared_ptr<DeferredRead> read = weak.lock();
    if (!read) continue;
    if (read.get() == except) {
      kept.push_back(read);
    } else {
      due.push_back(std::move(read));
    }
  }
  // An emptied entry stays, with its room, for the session's next read.
  it->second.clear();
  for (auto& read : kept) it->second.push_back(std::move(read));
  // Every one is read; the first failure is raised after.
  std::exception_ptr failure;
  for (auto& read : due) {
    try {
      read->ReadNow();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  }
  if (failure) std::rethrow_exception(failure);
}

// Reads to their end the deferred reads that keep a statement running on
// the session (those through `lease` only, when given): before the session
// begins or ends a transaction, or the connection gives it back. Never
// throws: such a read keeps its failure for the recordset's next move.
void FinishRunningReads(const Session& session, const SessionLease* lease) {
  if (tDeferredGone || tDeferred.empty()) return;
  auto it = tDeferred.find(&session);
  if (it == tDeferred.end()) return;
  std::vector<std::shared_ptr<DeferredRead>> due;
  std::erase_if(it->second, [&](const std::weak_ptr<DeferredRead>& weak) {
    std::shared_ptr<DeferredRead> read = weak.lock();
    if (!read) return true;
    const SessionLease* through = read->RunningThrough();
    if (!through || (lease && through != lease)) return false;
    due.push_back(std::move(read));
    return true;
  });
  // An emptied entry stays, with its room, for the session's next read
  // (DeferRead clears out entries of sessions gone).
  for (auto& read : due) {
    try {
      read->ReadNow();
    } catch (...) {
    }
  }
}

const LockHolder* HolderOnThisThread(const std::string& key, LockHolder& copy) {
  std::lock_guard<std::mutex> lock(gLocksMutex);
  auto it = gLocks.find(key);
  if (it == gLocks.end() || it->second.thread != std::this_thread::get_id()) return nullptr;
  copy = it->second;
  return &copy;
}

void RegisterLock(const std::string& key, const Session* session) {
  std::lock_guard<std::mutex> lock(gLocksMutex);
  gLocks[key] = LockHolder{std::this_thread::get_id(), session};
}

void UnregisterLock(const std::string& key, const Session* session) {
  std::lock_guard<std::mutex> lock(gLocksMutex);
  auto it = gLocks.find(key);
  if (it != gLocks.end() && it->second.session == session) gLocks.erase(it);
}

// A session for the settings: an idle one of this thread when its file is
// still the one it opened (compared at most once per recheck interval, so
// that a method's round of connections costs no system call), else a new one.
std::unique_ptr<Session> OpenSession(const ConnectionSettings& settings, Clock::time_point& checked) {
  const Clock::time_point now = Clock::now();
  if (!tPoolGone) {
    auto it = tPool.byDatabase.find(settings.key);
    if (it != tPool.byDatabase.end()) {
      auto& idle = it->second;
      const uint64_t epoch = gPoolEpoch.load(std::memory_order_acquire);
      const auto interval = std::chrono::microseconds(gRecheckMicroseconds.load(std::memory_order_relaxed));
      while (!idle.empty()) {
        IdleSession entry = std::move(idle.back());
        idle.pop_back();
        if (entry.epoch != epoch) continue;
        if (now - entry.checked < interval) {
          checked = entry.checked;
          return std::move(entry.session);
        }
        if (entry.session->SameDatabase()) {
          checked = now;
          return std::move(entry.session);
        }
      }
    }
  }
  checked = now;
  return EngineFor(settings.provider).Open(settings);
}

// Back to the thread's pool when nothing of its last use is left on it: no
// statement running, no transaction open (else it is closed).
void Pool(std::unique_ptr<Session> session, Clock::time_point checked) {
  if (!session || tPoolGone || !session->Idle()) return;
  auto& idle = tPool.byDatabase[session->Settings().key];
  if (idle.size() < kPooledPerDatabase)
    idle.push_back(IdleSession{std::move(session), gPoolEpoch.load(std::memory_order_acquire), checked});
}

// A session that belongs to a transaction of the object context.
class EnlistedSession : public rt::TransactionResource {
 public:
  explicit EnlistedSession(std::shared_ptr<Session> session) : session_(std::move(session)) {
    session_->Begin();
    RegisterLock(session_->Settings().key, session_.get());
  }
  // A reading session has ended its snapshot in its own destructor and
  // never registered the lock.
  ~EnlistedSession() override {
    if (!reading_) Rollback();
  }
  void Commit() override {
    FinishRunningReads(*session_, nullptr);
    session_->Commit();
    UnregisterLock(session_->Settings().key, session_.get());
  }
  void Rollback() override {
    FinishRunningReads(*session_, nullptr);
    session_->Rollback();
    UnregisterLock(session_->Settings().key, session_.get());
  }
  const std::shared_ptr<Session>& session() const { return session_; }

 protected:
  struct Reading {};
  EnlistedSession(std::shared_ptr<Session> session, Reading) : session_(std::move(session)), reading_(true) {}
  std::shared_ptr<Session> session_;

 private:
  const bool reading_ = false;
};

// A session of a read-only transaction: a deferred one, which takes its
// snapshot at its first read and never the write lock, so it neither waits
// for a writer nor makes one wait. Its end only gives the snapshot back.
class ReadingSession final : public EnlistedSession {
 public:
  explicit ReadingSession(std::shared_ptr<Session> session) : EnlistedSession(std::move(session), Reading{}) {
    session_->BeginRead();
  }
  ~ReadingSession() override { Rollback(); }
  void Commit() override { Rollback(); }
  void Rollback() override {
    // Rows still to be read belong to the snapshot that ends here.
    FinishRunningReads(*session_, nullptr);
    session_->Rollback();
  }
};

[[noreturn]] void RaiseLockedByThisThread(std::string_view sql) {
  throw EngineError(rt::hr::kSqlFailed, "ADODB.Connection",
                    "The database is locked by a transaction running on this thread; a write from outside "
                    "that transaction would wait for it forever, so it fails: " +
                        std::string(sql),
                    5 /* busy */);
}

[[noreturn]] void RaiseWriteInReader(std::string_view sql) {
  throw EngineError(rt::hr::kSqlFailed, "ADODB.Connection",
                    "The call runs as one that only reads (its method enters its context with rt::Access::Reads); "
                    "it cannot write: " +
                        std::string(sql),
                    8 /* read-only */);
}

void CheckWriteAllowed(const SessionLease& lease, std::string_view sql) {
  if (lease.reader) RaiseWriteInReader(sql);
  if (!EngineFor(lease.session->Settings().provider).SingleWriter()) return;
  LockHolder holder;
  if (HolderOnThisThread(lease.session->Settings().key, holder) && holder.session != lease.session.get())
    RaiseLockedByThisThread(sql);
}

// The session whose unit (RunAsUnit) runs on this thread, if any: its
// statements need no mark of their own, since a failure undoes the whole
// unit.
thread_local const Session* tUnitSession = nullptr;

// Steps a statement that returns no rows to its end; inside a transaction
// under a mark, so that its failure undoes only itself.
int64_t StepToEnd(const SessionLease& lease, Statement& st, std::string_view sql) {
  if (st.ReadOnly()) {
    while (st.Step()) {
    }
    return -1;
  }
  CheckWriteAllowed(lease, sql);
  Session& s = *lease.session;
  if (!lease.enlisted) {
    while (st.Step()) {
    }
    return s.Changes();
  }
  // The engine may have rolled the whole transaction back after a severe
  // failure (disk full); nothing may then run outside it unnoticed.
  if (!s.InTransaction())
    throw EngineError(rt::hr::kSqlFailed, "ADODB.Connection",
                      "The transaction was rolled back by the database; the statement is not run: " +
                          std::string(sql),
                      1);
  // A write that returns no rows runs in one step, and the engine undoes a
  // failed one whole by itself (its statement journal), leaving the
  // transaction to go on; only a write that returns rows (RETURNING) can
  // fail after its changes are made, between its steps.
  if (tUnitSession == &s || st.ColumnCount() == 0) {
    while (st.Step()) {
    }
    return s.Changes();
  }
  // One name for every statement's mark: marks nest, and the engine's
  // statements for them are prepared once per session.
  const std::string mark = "stmt";
  s.Mark(mark);
  try {
    while (st.Step()) {
    }
  } catch (...) {
    s.RollbackToMark(mark);
    throw;
  }
  s.ReleaseMark(mark);
  return s.Changes();
}

}  // namespace

SessionLease AcquireSession(const ConnectionSettings& settings) {
  rt::ObjectContext* context = rt::GetObjectContext();
  rt::Transaction* tx = context ? context->CurrentTransaction() : nullptr;
  // A call that only reads outside any transaction reads in its read scope.
  if (!tx) tx = rt::CurrentReadScope();
  SessionLease lease;
  if (tx) {
    if (auto* enlisted = dynamic_cast<EnlistedSession*>(tx->Find(settings.key))) {
      lease.session = enlisted->session();
      lease.enlisted = true;
      lease.reader = tx->ReadOnly();
      return lease;
    }
  }
  LockHolder holder;
  // A reader needs no lock, so another transaction of this thread holding it
  // is no obstacle.
  if (tx && !tx->ReadOnly() && EngineFor(settings.provider).SingleWriter() &&
      HolderOnThisThread(settings.key, holder)) {
    throw EngineError(rt::hr::kFail, "ADODB.Connection",
                      "The database '" + settings.dataSource +
                          "' is locked by another transaction running on this thread",
                      5 /* busy */);
  }
  Clock::time_point checked;
  std::unique_ptr<Session> opened = OpenSession(settings, checked);
  std::shared_ptr<Session> session(opened.release(), [checked](Session* s) {
    Pool(std::unique_ptr<Session>(s), checked);
  });
  if (tx) {
    std::shared_ptr<EnlistedSession> resource;
    if (tx->ReadOnly()) {
      resource = std::make_shared<ReadingSession>(session);
    } else {
      resource = std::make_shared<EnlistedSession>(session);
    }
    tx->Enlist(settings.key, resource);
    lease.enlisted = true;
    lease.reader = tx->ReadOnly();
  }
  lease.session = std::move(session);
  return lease;
}

void ForgetPooledSessions() { gPoolEpoch.fetch_add(1, std::memory_order_acq_rel); }

std::chrono::milliseconds SetFileRecheckInterval(std::chrono::milliseconds interval) {
  const int64_t before = gRecheckMicroseconds.exchange(
      std::chrono::duration_cast<std::chrono::microseconds>(interval).count(), std::memory_order_relaxed);
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::microseconds(before));
}

void ReleaseSession(SessionLease& lease) {
  if (lease.session) FinishRunningReads(*lease.session, &lease);
  lease.session.reset();
  lease.enlisted = false;
}

namespace {

// Makes each caller value of a batch fit the column its "?" writes into,
// raising the refusal of the first that does not; the values themselves are
// fitted again as they are bound.
void FitBatchParameters(const std::vector<EngineStatement>& statements, const std::vector<rt::Variant>& parameters) {
  size_t next = 0;
  for (const EngineStatement& s : statements) {
    size_t mark = 0;
    auto bound = s.literals.begin();
    for (const Token& t : Tokenize(s.sql)) {
      if (!t.Is(TokenKind::Parameter)) continue;
      ++mark;
      if (bound != s.literals.end() && bound->parameter == static_cast<int>(mark)) {
        ++bound;
        continue;
      }
      if (next >= parameters.size()) return;
      const rt::Variant& value = parameters[next++];
      if (mark <= s.parameterColumns.size()) FitValue(value, s.parameterColumns[mark - 1]);
    }
  }
}

}  // namespace

void DeferRead(const SessionLease& lease, std::weak_ptr<DeferredRead> read) {
  // Entries of sessions gone meanwhile hold only expired reads.
  if (tDeferred.size() > 16) {
    std::erase_if(tDeferred, [](const auto& entry) {
      return std::all_of(entry.second.begin(), entry.second.end(), [](const auto& r) { return r.expired(); });
    });
  }
  auto& reads = tDeferred[lease.session.get()];
  std::erase_if(reads, [](const std::weak_ptr<DeferredRead>& r) { return r.expired(); });
  reads.push_back(std::move(read));
}

Execution Run(const SessionLease& lease, std::string_view sql, const std::vector<rt::Variant>& parameters) {
  ReadDeferred(*lease.session, nullptr);
  Execution result;
  const TranslatedText translated = lease.session->Translate(sql);
  const std::vector<EngineStatement>& statements = *translated.statements;
  // The literals' values are all made first: one that does not fit its
  // column refuses the text before any of its statements runs.
  static const TypeInfo kNoColumn;
  std::vector<rt::Variant> literalValues;
  for (const EngineStatement& s : statements) {
    for (const BoundLiteral& bound : s.literals) {
      const size_t p = static_cast<size_t>(bound.parameter - 1);
      const TypeInfo& column = p < s.parameterColumns.size() ? s.parameterColumns[p] : kNoColumn;
      literalValues.push_back(BoundLiteralValue(translated.literals[bound.literal], bound, column));
    }
  }
  // So are the caller's values of a batch: one that does not fit its column
  // refuses the batch before its first statement runs, as a single
  // statement's does.
  if (statements.size() > 1 && !parameters.empty()) FitBatchParameters(statements, parameters);
  size_t nextParameter = 0;
  const rt::Variant* literalValue = literalValues.data();
  for (size_t i = 0; i < statements.size(); ++i) {
    const EngineStatement& engineStatement = statements[i];
    std::unique_ptr<Statement> st = lease.session->Prepare(engineStatement.sql);
    const rt::Variant* values = std::exchange(literalValue, literalValue + engineStatement.literals.size());
    auto bound = engineStatement.literals.begin();
    for (int p = 1; p <= st->ParameterCount(); ++p) {
      if (bound != engineStatement.literals.end() && bound->parameter == p) {
        st->Bind(p, values[bound - engineStatement.literals.begin()]);
        ++bound;
        continue;
      }
      if (nextParameter >= parameters.size())
        throw EngineError(rt::hr::kSqlFailed, "ADODB.Command",
                          "No value given for one or more required parameters: " + std::string(sql), 0);
      const rt::Variant& value = parameters[nextParameter++];
      const size_t column = static_cast<size_t>(p - 1);
      if (column < engineStatement.parameterColumns.size()) {
        st->Bind(p, FitValue(value, engineStatement.parameterColumns[column]));
      } else {
        st->Bind(p, value);
      }
    }
    if (st->ColumnCount() > 0) {
      if (i + 1 != statements.size())
        throw EngineError(rt::hr::kSqlFailed, "ADODB.Connection",
                          "Only the last statement of a batch may return rows: " + std::string(sql), 0);
      result.rows = std::move(st);
      break;
    }
    int64_t changed = StepToEnd(lease, *st, sql);
    if (changed >= 0) result.recordsAffected = (result.recordsAffected < 0 ? 0 : result.recordsAffected) + changed;
  }
  if (nextParameter < parameters.size())
    throw EngineError(rt::hr::kSqlFailed, "ADODB.Command",
                      "More parameter values were given than the statement has parameters: " + std::string(sql), 0);
  return result;
}

void BeginOwnTransaction(const SessionLease& lease) {
  Session& s = *lease.session;
  CheckWriteAllowed(lease, "BEGIN TRANSACTION");
  FinishRunningReads(s, nullptr);
  // A connection's own transactions are the groups of long work (the
  // imports): writers waiting for the lock take their turn between them.
  s.LetWaitingWritersGo();
  s.Begin();
  if (EngineFor(s.Settings().provider).SingleWriter()) RegisterLock(s.Settings().key, &s);
}

void CommitOwnTransaction(const SessionLease& lease) {
  Session& s = *lease.session;
  FinishRunningReads(s, nullptr);
  s.Commit();
  UnregisterLock(s.Settings().key, &s);
}

void RollbackOwnTransaction(const SessionLease& lease) {
  Session& s = *lease.session;
  FinishRunningReads(s, nullptr);
  s.Rollback();
  UnregisterLock(s.Settings().key, &s);
}

int64_t RunPrepared(const SessionLease& lease, Statement& statement, const std::string& textForErrors,
                    const DeferredRead* writer) {
  ReadDeferred(*lease.session, writer);
  return StepToEnd(lease, statement, textForErrors);
}

void RunAsUnit(const SessionLease& lease, const std::function<void()>& work) {
  Session& s = *lease.session;
  if (s.InTransaction()) {
    const std::string mark = "unit";
    s.Mark(mark);
    const Session* outer = std::exchange(tUnitSession, &s);
    try {
      work();
    } catch (...) {
      tUnitSession = outer;
      s.RollbackToMark(mark);
      throw;
    }
    tUnitSession = outer;
    s.ReleaseMark(mark);
    return;
  }
  CheckWriteAllowed(lease, "batch update");
  FinishRunningReads(s, nullptr);
  s.Begin();
  try {
    work();
    s.Commit();
  } catch (...) {
    s.Rollback();
    throw;
  }
}

}  // namespace data
