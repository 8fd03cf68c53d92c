// A fault-injecting engine for tests: SQLite with a failure put where a test
// chooses it. While a FaultEngine lives, every session the data layer opens
// comes from it (the component libraries' statements included), so a test
// can fail the N-th statement, the N-th step or the N-th commit of a call
// with the error SQLite would report (SQLITE_IOERR, SQLITE_FULL, SQLITE_BUSY,
// SQLITE_CONSTRAINT) and see what the call leaves behind.
//
// Built into the tests' support library only; the libraries never link it.
#pragma once

#include <sqlite3.h>

#include <functional>
#include <memory>
#include <mutex>

#include "data/engine.h"

namespace data::testing {

enum class FaultPoint {
  Statement,  // the N-th statement run, at its first step (it changes nothing)
  Step,       // the N-th step of any statement (a row read, or a write)
  Commit,     // the N-th commit of a transaction (it commits nothing)
};

struct Fault {
  FaultPoint point = FaultPoint::Statement;
  int index = 1;  // from 1, counted from the last Arm or Disarm
  int code = SQLITE_IOERR;
};

// "SQLITE_IOERR" and so on, for messages.
const char* CodeName(int code);

class FaultEngine final : public Engine {
 public:
  // Puts the engine in place of SQLite's own (pooled sessions are closed).
  FaultEngine();
  // Puts SQLite's own back.
  ~FaultEngine() override;
  FaultEngine(const FaultEngine&) = delete;
  FaultEngine& operator=(const FaultEngine&) = delete;

  // Fails the fault's statement, step or commit; the counts start again.
  void Arm(const Fault& fault);
  // Fails nothing; the counts start again.
  void Disarm();
  // Called just before the armed failure is raised (for instance to note
  // what is committed at that moment).
  void OnFault(std::function<void()> callback);

  bool Fired() const;
  int Statements() const;  // counted since the last Arm or Disarm
  int Steps() const;
  int Commits() const;

  std::unique_ptr<Session> Open(const ConnectionSettings& settings) override;
  bool SingleWriter() const override;

  // What the sessions share with the engine; outlives it in sessions that
  // a thread's pool still holds.
  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace data::testing
