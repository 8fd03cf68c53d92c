// The fault-injecting engine: sessions and statements that wrap SQLite's,
// count what runs and fail where armed.
#include "data/testing/fault_engine.h"

#include "data/engine_hooks.h"
#include "data/sqlite_engine.h"

namespace data::testing {

struct FaultEngine::State {
  std::mutex mutex;
  bool armed = false;
  Fault fault;
  bool fired = false;
  int statements = 0, steps = 0, commits = 0;
  std::function<void()> onFault;

  void Reset(bool arm, const Fault& f) {
    std::lock_guard<std::mutex> lock(mutex);
    armed = arm;
    fault = f;
    fired = false;
    statements = steps = commits = 0;
  }
  // Counts one event; true when it is the armed one.
  bool Count(FaultPoint point) {
    std::function<void()> callback;
    {
      std::lock_guard<std::mutex> lock(mutex);
      int& counter = point == FaultPoint::Statement ? statements : point == FaultPoint::Step ? steps : commits;
      ++counter;
      if (!armed || fired || fault.point != point || fault.index != counter) return false;
      fired = true;
      callback = onFault;
    }
    if (callback) callback();
    return true;
  }
  int Code() {
    std::lock_guard<std::mutex> lock(mutex);
    return fault.code;
  }
};

namespace {

using State = FaultEngine::State;

// SQLite gives up the whole transaction after an I/O error or a full disk.
bool RollsTransactionBack(int code) { return code == SQLITE_IOERR || code == SQLITE_FULL; }

[[noreturn]] void Raise(int code) { throw SqliteError(code, sqlite3_errstr(code)); }

class FaultStatement final : public Statement {
 public:
  FaultStatement(std::unique_ptr<Statement> inner, std::shared_ptr<State> state, std::weak_ptr<Session> session)
      : inner_(std::move(inner)), state_(std::move(state)), session_(std::move(session)) {}

  int ParameterCount() const override { return inner_->ParameterCount(); }
  void Bind(int index, const rt::Variant& value) override { inner_->Bind(index, value); }
  bool Step() override {
    if (!started_) {
      started_ = true;
      if (state_->Count(FaultPoint::Statement)) Fail();
    }
    if (state_->Count(FaultPoint::Step)) Fail();
    return inner_->Step();
  }
  int ColumnCount() const override { return inner_->ColumnCount(); }
  const ColumnInfo& Column(int index) const override { return inner_->Column(index); }
  ColumnList Columns() const override { return inner_->Columns(); }
  rt::Variant Value(int index) const override { return inner_->Value(index); }
  bool ReadOnly() const override { return inner_->ReadOnly(); }
  bool Reset() override { return inner_->Reset(); }

 private:
  [[noreturn]] void Fail() {
    const int code = state_->Code();
    inner_->Reset();
    if (auto session = session_.lock(); session && RollsTransactionBack(code)) session->Rollback();
    Raise(code);
  }

  std::unique_ptr<Statement> inner_;
  std::shared_ptr<State> state_;
  std::weak_ptr<Session> session_;
  bool started_ = false;
};

class FaultSession final : public Session {
 public:
  FaultSession(std::unique_ptr<Session> inner, std::shared_ptr<State> state)
      : inner_(std::move(inner)), state_(std::move(state)) {}

  const ConnectionSettings& Settings() const override { return inner_->Settings(); }
  TranslatedText Translate(std::string_view text) override { return inner_->Translate(text); }
  std::unique_ptr<Statement> Prepare(const std::string& sql) override {
    return std::make_unique<FaultStatement>(inner_->Prepare(sql), state_, inner_);
  }
  int64_t Changes() const override { return inner_->Changes(); }
  int64_t LastInsertId() const override { return inner_->LastInsertId(); }
  void Begin() override { inner_->Begin(); }
  void BeginRead() override { inner_->BeginRead(); }
  void LetWaitingWritersGo() override { inner_->LetWaitingWritersGo(); }
  void Commit() override {
    if (state_->Count(FaultPoint::Commit)) {
      const int code = state_->Code();
      if (RollsTransactionBack(code)) inner_->Rollback();
      Raise(code);
    }
    inner_->Commit();
  }
  void Rollback() override { inner_->Rollback(); }
  bool InTransaction() const override { return inner_->InTransaction(); }
  void Mark(const std::string& name) override { inner_->Mark(name); }
  void ReleaseMark(const std::string& name) override { inner_->ReleaseMark(name); }
  void RollbackToMark(const std::string& name) override { inner_->RollbackToMark(name); }
  bool Idle() const override { return inner_->Idle(); }
  bool SameDatabase() const override { return inner_->SameDatabase(); }
  std::vector<TableColumn> TableColumns(const std::string& table) override { return inner_->TableColumns(table); }
  std::string QuoteName(const std::string& name) const override { return inner_->QuoteName(name); }
  std::optional<rt::Variant> InsertedValue(const TableColumn& column, const TypeInfo& type,
                                           const rt::Variant* bound) const override {
    return inner_->InsertedValue(column, type, bound);
  }

 private:
  std::shared_ptr<Session> inner_;
  std::shared_ptr<State> state_;
};

}  // namespace

const char* CodeName(int code) {
  switch (code) {
    case SQLITE_IOERR: return "SQLITE_IOERR";
    case SQLITE_FULL: return "SQLITE_FULL";
    case SQLITE_BUSY: return "SQLITE_BUSY";
    case SQLITE_CONSTRAINT: return "SQLITE_CONSTRAINT";
    default: return sqlite3_errstr(code);
  }
}

FaultEngine::FaultEngine() : state_(std::make_shared<State>()) { OverrideEngine(this); }

FaultEngine::~FaultEngine() { OverrideEngine(nullptr); }

void FaultEngine::Arm(const Fault& fault) { state_->Reset(true, fault); }
void FaultEngine::Disarm() { state_->Reset(false, Fault{}); }

void FaultEngine::OnFault(std::function<void()> callback) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->onFault = std::move(callback);
}

bool FaultEngine::Fired() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->fired;
}
int FaultEngine::Statements() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->statements;
}
int FaultEngine::Steps() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->steps;
}
int FaultEngine::Commits() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->commits;
}

std::unique_ptr<Session> FaultEngine::Open(const ConnectionSettings& settings) {
  return std::make_unique<FaultSession>(SqliteEngine().Open(settings), state_);
}

bool FaultEngine::SingleWriter() const { return SqliteEngine().SingleWriter(); }

}  // namespace data::testing
