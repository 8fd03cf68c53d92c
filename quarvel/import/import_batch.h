// The batch mechanism of the catalog imports (prices, products): the batch
// argument with its file prefix, the time budget on a monotonic clock, the
// caller's list cut to what was handled, the rest file, and rows committed
// in short groups on one session.
//
// A batch runs so:
//   started = clock();                       // the budget counts the loading too
//   BatchArgument arg = SplitBatchArgument(text, "remaining_prices_");
//   ... load the document ...
//   WriteGroup group;                        // the worker writes through it
//   handled = RunWithinBudget(list, clock, started, worker);
//   group.Commit();
//   CutList(list, handled);
//   RestFile(stem, arg.prefix).Settle(document, elementsLeft);
// and on any failure group.CommitAfterFailure() before the error leaves the
// call: the list is then not cut and the rest file not touched.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "data/connection.h"
#include "runtime/object.h"
#include "runtime/variant.h"

namespace quarvel::import {

// A batch stops between two entries once this many seconds have passed
// since it started, so that one call ends within a web request's time.
constexpr double kBudgetSeconds = 180;

// The most rows one group commits at once.
constexpr int32_t kRowsPerGroup = 1000;

// Seconds on a clock that never goes back (the time of day would wrap at
// midnight). The import classes take one when they are made, so that tests
// can put a clock of their own in its place.
using BatchClock = std::function<double()>;
BatchClock MonotonicClock();

// The batch argument prefix & "/\" & document, split at the first "/\".
// Without the separator, and for a prefix that cannot name a rest file in
// the download folder (it holds "/", "\", NUL or another control character,
// or the name `restFileStem` & prefix & ".xml" would exceed 255 bytes), it
// raises Invalid procedure call (5). The prefix may be empty.
struct BatchArgument {
  std::string prefix;
  std::string document;
};
BatchArgument SplitBatchArgument(const std::string& argument, const std::string& restFileStem);

// Calls `worker` with the entries of the caller's list (a one-dimensional
// array) from its lower bound on, in order, and answers how many it
// handled. Before each entry it reads the clock: once kBudgetSeconds or
// more have passed since `started`, the batch stops there. A failure of
// the worker reaches the caller.
int32_t RunWithinBudget(const rt::Variant& list, const BatchClock& clock, double started,
                        const std::function<void(const rt::Variant& entry)>& worker);

// Replaces the caller's list by its first `handled` entries, with the
// bounds 0 to handled - 1 whatever its lower bound was: an empty array when
// none was handled.
void CutList(rt::Variant& list, int32_t handled);

// The rest file <install>/XMLDownload/<stem><prefix>.xml: what is left of a
// batch's document, from which the caller starts the next batch. Making
// one asks the configuration for the install folder and makes the download
// folder when it is missing (one level).
class RestFile {
 public:
  RestFile(const std::string& stem, const std::string& prefix);
  const std::string& Path() const { return path_; }
  // With elements left, the document is written under a temporary name in
  // the folder and renamed over the file; without, an old file is deleted.
  void Settle(const rt::ObjectPtr& document, bool elementsLeft);

 private:
  std::string folder_;
  std::string path_;
};

// Rows written in short transactions on one session: a group begins with
// its first row and is committed when it holds kRowsPerGroup rows, when the
// batch ends, and before any error leaves the batch, so that a failed batch
// keeps every row written before the failure (each row is one statement:
// a failed one leaves nothing of itself). The group holds the database's
// write lock while it is open: a component that writes on a session of its
// own must not run meanwhile (its write would fail at once, or wait for a
// lock this thread holds); commit the group before calling one.
class WriteGroup {
 public:
  explicit WriteGroup(int32_t rowsPerGroup = kRowsPerGroup) : limit_(rowsPerGroup) {}
  // Closes the connection; rows of a group never committed are rolled back.
  ~WriteGroup();
  WriteGroup(const WriteGroup&) = delete;
  WriteGroup& operator=(const WriteGroup&) = delete;

  // The connection to write the next row on, a group open on it.
  const std::shared_ptr<data::Connection>& Connection();
  // Counts one row written; at the limit the group is committed.
  void RowWritten();
  // Commits the open group, if any. When the commit fails, its rows are
  // rolled back and the failure raised.
  void Commit();
  // The failure path: commits what the open group holds and closes the
  // connection, dropping failures of its own so that the batch's failure is
  // the one reported.
  void CommitAfterFailure();

 private:
  void CloseConnection();

  int32_t limit_;
  int32_t rows_ = 0;
  std::shared_ptr<data::Connection> connection_;
  data::OwnTransaction group_;  // the open group; rolled back unless committed
};

}  // namespace quarvel::import
