// The prepared statements a SQLite session keeps (see statement_cache.h).
#include "data/statement_cache.h"

#include <sqlite3.h>
#include <strings.h>

#include <iterator>

#include "data/engine_hooks.h"
#include "data/sqlite_engine.h"

namespace data {

namespace {

// Statements this thread prepared, for the tests of what is kept.
thread_local uint64_t tPrepared = 0;

}  // namespace

uint64_t StatementsPreparedOnThisThread() { return tPrepared; }

std::vector<ColumnInfo> DescribeColumns(sqlite3_stmt* stmt) {
  int n = sqlite3_column_count(stmt);
  std::vector<ColumnInfo> columns(n);
  for (int i = 0; i < n; ++i) {
    ColumnInfo& c = columns[i];
    const char* name = sqlite3_column_name(stmt, i);
    const char* origin = sqlite3_column_origin_name(stmt, i);
    const char* table = sqlite3_column_table_name(stmt, i);
    const char* declared = sqlite3_column_decltype(stmt, i);
    c.name = name ? name : "";
    if (origin && strcasecmp(c.name.c_str(), origin) == 0) c.name = origin;
    c.declared = declared ? declared : "";
    c.type = TypeFromDeclared(c.declared);
    if (origin && table) {
      c.baseTable = table;
      c.baseColumn = origin;
    }
  }
  return columns;
}

StatementCache::List::iterator StatementCache::Take(std::string_view sql) {
  auto [from, to] = bySql_.equal_range(sql);
  for (auto hit = from; hit != to; ++hit) {
    const List::iterator p = hit->second;
    if (p->running) continue;  // the same text run again while it runs
    taken_.splice(taken_.begin(), kept_, p);
    p->running = true;
    ++running_;
    ++counts_.hits;
    return p;
  }
  PreparedStatement p;
  p.sql = std::string(sql);
  ++tPrepared;
  const int rc = sqlite3_prepare_v2(db_, p.sql.c_str(), static_cast<int>(p.sql.size()), &p.stmt, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(p.stmt);
    throw SqliteError(rc, sqlite3_errmsg(db_));
  }
  p.columns = std::make_shared<const std::vector<ColumnInfo>>(DescribeColumns(p.stmt));
  p.reprepared = sqlite3_stmt_status(p.stmt, SQLITE_STMTSTATUS_REPREPARE, 0);
  p.schemaEpoch = schemaEpoch_;
  p.boundTexts.resize(static_cast<size_t>(sqlite3_bind_parameter_count(p.stmt)));
  p.running = true;
  taken_.push_front(std::move(p));
  bySql_.emplace(taken_.front().sql, taken_.begin());
  ++running_;
  ++counts_.prepared;
  return taken_.begin();
}

void StatementCache::Give(List::iterator p) {
  --running_;
  p->running = false;
  sqlite3_reset(p->stmt);
  // A long text is not kept for the next run: its parameter lets go of it first.
  constexpr size_t kKeptText = 1024;
  for (size_t i = 0; i < p->boundTexts.size(); ++i) {
    if (p->boundTexts[i].capacity() <= kKeptText) continue;
    sqlite3_bind_null(p->stmt, static_cast<int>(i + 1));
    std::string().swap(p->boundTexts[i]);
  }
  if (p->schemaEpoch != schemaEpoch_) {
    // ForgetAll dropped its index entry with all the others.
    sqlite3_finalize(p->stmt);
    taken_.erase(p);
    return;
  }
  kept_.splice(kept_.begin(), taken_, p);
  if (kept_.size() > capacity_) {
    auto last = std::prev(kept_.end());
    auto [from, to] = bySql_.equal_range(last->sql);
    for (auto it = from; it != to; ++it) {
      if (it->second == last) {
        bySql_.erase(it);
        break;
      }
    }
    sqlite3_finalize(last->stmt);
    kept_.erase(last);
    ++counts_.evicted;
  }
}

StatementCache::~StatementCache() {
  ForgetAll();
  for (PreparedStatement& p : taken_) sqlite3_finalize(p.stmt);
}

void StatementCache::ForgetAll() {
  bySql_.clear();
  for (PreparedStatement& p : kept_) sqlite3_finalize(p.stmt);
  kept_.clear();
  ++schemaEpoch_;
}

}  // namespace data
