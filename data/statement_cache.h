// The prepared statements that a SQLite session keeps for reuse, by their
// engine text. Preparing a statement costs more than running most of them,
// and every method opens its connection anew, so a session keeps the
// statements it ran: a statement taken again answers its own text only, is
// reset when given back, and the least recently given back is finalised
// first once more than the capacity are kept. Its bindings are not cleared
// then: whoever runs it next binds every parameter before its first step
// (the engine's statement binds Null to those its user left out), so a run
// that failed half way leaves nothing for the next. When the schema
// changes every kept statement is finalised, and one still running then is
// finalised when given back. Statements move between the kept and the
// running list without being copied or allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/engine.h"

struct sqlite3;
struct sqlite3_stmt;

namespace data {

// A prepared statement with its engine text and the description of its
// columns.
struct PreparedStatement {
  std::string sql;
  sqlite3_stmt* stmt = nullptr;
  ColumnList columns;
  int reprepared = 0;         // the engine's count of re-preparations when described
  uint64_t schemaEpoch = 0;   // the cache's schema epoch when prepared
  bool running = false;       // taken and not given back yet
  // Kept with the statement between runs so that a run allocates nothing for
  // them: the texts bound to its parameters, one per parameter, which SQLite
  // reads in place until they are bound again (a long one is given up when
  // the statement is given back, its parameter bound to Null first); and per
  // date column the last text read with its date.
  std::vector<std::string> boundTexts;
  std::vector<std::pair<std::string, rt::Date>> lastDates;
};

// The columns of a prepared statement's result as SQLite describes them.
std::vector<ColumnInfo> DescribeColumns(sqlite3_stmt* stmt);

class StatementCache {
 public:
  using List = std::list<PreparedStatement>;
  // Views of the statements' texts, running ones included (a text's running
  // statement is passed over), so that giving one back touches no index.
  using Index = std::unordered_multimap<std::string_view, List::iterator>;

  // What the cache did, for tests and benchmarks.
  struct Counts {
    uint64_t hits = 0;       // taken from the kept statements
    uint64_t prepared = 0;   // prepared anew
    uint64_t evicted = 0;    // finalised to stay within the capacity
  };

  StatementCache(sqlite3* db, size_t capacity) : db_(db), capacity_(capacity) {}
  ~StatementCache();
  StatementCache(const StatementCache&) = delete;
  StatementCache& operator=(const StatementCache&) = delete;

  // A statement for the text: a kept one not running, or one prepared now
  // (raising EngineError when SQLite refuses the text).
  List::iterator Take(std::string_view sql);
  // Gives a taken statement back: reset and kept, or finalised when the
  // schema changed since it was prepared.
  void Give(List::iterator statement);
  // The schema changed: no statement prepared before is used again.
  void ForgetAll();

  uint64_t SchemaEpoch() const { return schemaEpoch_; }
  int Running() const { return running_; }  // taken and not given back
  size_t Kept() const { return kept_.size(); }
  const Counts& counts() const { return counts_; }

 private:
  sqlite3* db_;
  size_t capacity_;
  List kept_;     // most recently given back first
  List taken_;    // handed out
  Index bySql_;
  int running_ = 0;
  uint64_t schemaEpoch_ = 0;
  Counts counts_;
};

}  // namespace data
