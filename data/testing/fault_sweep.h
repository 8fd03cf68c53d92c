// Every writer of this system runs under this sweep, and so does every
// writer added from now on: a failure at any one of its statements, or at
// its commit, must make the call raise or give the method's own refusal
// answer (False, -1, a status: never success), and must leave every table as
// it was before the call. A writer that saves row by row (the imports) keeps
// exactly the rows it had saved when the failure struck, and nothing after.
// A new writer's tests call SweepFaults on it (tests/README.md says how).
#pragma once

#include <sqlite3.h>

#include <functional>
#include <string>
#include <vector>

#include "data/testing/fault_engine.h"

namespace data::testing {

// How a call ended; the test tells a refusal from a success by the answer.
enum class Outcome { Succeeded, Refused, Raised };

// What a failed call must leave as it found it.
struct SweepTarget {
  std::function<std::string()> state;  // rendered as text, compared whole
  // Puts back what a call that succeeded changed, so that every run starts
  // alike; may be empty.
  std::function<void()> undo;
};

// Every table of a database (sqlite_sequence too), one line each: its name,
// its row count and a digest of its rows in any order. Read with a handle of
// its own, so it shows what is committed.
std::string TableDigests(const std::string& databasePath);

// The database's tables; undo restores the database as it was when the
// target was made.
SweepTarget DatabaseTarget(const std::string& databasePath);

struct SweepOptions {
  std::vector<int> codes = {SQLITE_IOERR, SQLITE_FULL, SQLITE_BUSY, SQLITE_CONSTRAINT};
  // The writer saves row by row: after a failure the state must be what was
  // committed when the failure struck, instead of the state before the call.
  bool rowByRow = false;
  // Fails statements 1, 1 + every, 1 + 2 * every, ...: for a writer of
  // hundreds of statements a sample is enough beside a full sweep of a
  // smaller case.
  int every = 1;
};

struct SweepReport {
  int statements = 0;  // statements of the run without a failure
  int commits = 0;     // commits of that run
  int runs = 0;
  std::vector<std::string> problems;
  // One problem a line; empty when the writer keeps the rule.
  std::string Problems() const;
};

// For each code: runs `call` with its first statement failing, then its
// second, and so on until a run meets no failure (that run must succeed; the
// target's undo then puts its work back), then once per commit of that run
// with the commit failing. After every failed run the call must not have
// answered success and the target's state must be as the rule says. An
// exception that leaves `call` counts as raised.
SweepReport SweepFaults(FaultEngine& engine, const SweepTarget& target, const std::function<Outcome()>& call,
                        const SweepOptions& options = {});

}  // namespace data::testing
