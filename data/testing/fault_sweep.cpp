// The fault sweep over a writer's statements and commits, and the table
// digests it compares.
#include "data/testing/fault_sweep.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <set>
#include <sstream>

#include "runtime/com_error.h"

namespace data::testing {

namespace {

// A plain handle on the database; closed with the object.
class RawDatabase {
 public:
  RawDatabase(const std::string& path, int flags) {
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK)
      throw std::runtime_error("cannot open " + path + ": " + (db_ ? sqlite3_errmsg(db_) : "out of memory"));
    sqlite3_busy_timeout(db_, 5000);
  }
  ~RawDatabase() { sqlite3_close(db_); }
  RawDatabase(const RawDatabase&) = delete;
  RawDatabase& operator=(const RawDatabase&) = delete;
  sqlite3* get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

uint64_t Fnv1a(uint64_t hash, const std::string& text) {
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

std::vector<std::string> Rows(sqlite3* db, const std::string& table) {
  std::string quoted = "\"";
  for (char c : table) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  quoted += "\"";
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, ("SELECT * FROM " + quoted).c_str(), -1, &st, nullptr) != SQLITE_OK)
    throw std::runtime_error(std::string("cannot read ") + table + ": " + sqlite3_errmsg(db));
  std::vector<std::string> rows;
  int rc;
  while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    std::string row;
    for (int i = 0; i < sqlite3_column_count(st); ++i) {
      const int type = sqlite3_column_type(st, i);
      row += static_cast<char>('0' + type);
      if (type != SQLITE_NULL) {
        const void* blob = sqlite3_column_blob(st, i);
        row.append(static_cast<const char*>(blob ? blob : ""), sqlite3_column_bytes(st, i));
      }
      row += '\x1f';
    }
    rows.push_back(std::move(row));
  }
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE) throw std::runtime_error("cannot read " + table);
  return rows;
}

std::string Hex(uint64_t value) {
  char text[17];
  snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

Outcome Invoke(const std::function<Outcome()>& call, std::string& error) {
  try {
    return call();
  } catch (const rt::ComError& e) {
    error = e.description();
  } catch (const std::exception& e) {
    error = e.what();
  }
  return Outcome::Raised;
}

// The lines of `after` that `expected` lacks, for a problem's text.
std::string Changed(const std::string& expected, const std::string& after) {
  std::set<std::string> lines;
  std::istringstream in(expected);
  for (std::string line; std::getline(in, line);) lines.insert(line);
  std::string changed;
  std::istringstream out(after);
  for (std::string line; std::getline(out, line);) {
    if (!lines.count(line)) changed += (changed.empty() ? "" : "; ") + line;
  }
  return changed.empty() ? "something is missing" : changed;
}

}  // namespace

std::string TableDigests(const std::string& databasePath) {
  RawDatabase db(databasePath, SQLITE_OPEN_READONLY);
  std::vector<std::string> tables;
  {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db.get(), "SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY name", -1, &st,
                       nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
  }
  std::string text;
  for (const std::string& table : tables) {
    std::vector<std::string> rows = Rows(db.get(), table);
    std::sort(rows.begin(), rows.end());
    uint64_t hash = 14695981039346656037ull;
    for (const std::string& row : rows) hash = Fnv1a(hash, row + '\x1e');
    text += table + " rows=" + std::to_string(rows.size()) + " digest=" + Hex(hash) + "\n";
  }
  return text;
}

SweepTarget DatabaseTarget(const std::string& databasePath) {
  // The snapshot: a copy of the database in memory.
  auto snapshot = std::make_shared<RawDatabase>(":memory:", SQLITE_OPEN_READWRITE);
  auto copy = [](sqlite3* from, sqlite3* to) {
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup) throw std::runtime_error(std::string("cannot copy the database: ") + sqlite3_errmsg(to));
    const int rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) throw std::runtime_error(std::string("cannot copy the database: ") + sqlite3_errstr(rc));
  };
  {
    RawDatabase file(databasePath, SQLITE_OPEN_READONLY);
    copy(file.get(), snapshot->get());
  }
  SweepTarget target;
  target.state = [databasePath] { return TableDigests(databasePath); };
  target.undo = [databasePath, snapshot, copy] {
    RawDatabase file(databasePath, SQLITE_OPEN_READWRITE);
    copy(snapshot->get(), file.get());
  };
  return target;
}

std::string SweepReport::Problems() const {
  std::string text;
  for (const std::string& p : problems) text += p + "\n";
  return text;
}

SweepReport SweepFaults(FaultEngine& engine, const SweepTarget& target, const std::function<Outcome()>& call,
                        const SweepOptions& options) {
  constexpr int kMostStatements = 10000;
  SweepReport report;
  // One run with the fault armed; false when the fault was never reached.
  auto run = [&](const Fault& fault, const std::string& where) {
    const std::string before = target.state();
    std::string atFault;
    if (options.rowByRow) engine.OnFault([&] { atFault = target.state(); });
    engine.Arm(fault);
    std::string error;
    const Outcome outcome = Invoke(call, error);
    const bool fired = engine.Fired();
    const int statements = engine.Statements();
    const int commits = engine.Commits();
    engine.Disarm();
    engine.OnFault(nullptr);
    ++report.runs;
    if (!fired) {
      report.statements = statements;
      report.commits = commits;
      if (outcome != Outcome::Succeeded)
        report.problems.push_back("without a failure the call did not succeed" +
                                  (error.empty() ? std::string() : ": " + error));
      if (target.undo) target.undo();
      return false;
    }
    if (outcome == Outcome::Succeeded) report.problems.push_back(where + ": the call answered success");
    const std::string after = target.state();
    const std::string& expected = options.rowByRow ? atFault : before;
    if (after != expected) report.problems.push_back(where + ": the state changed: " + Changed(expected, after));
    return true;
  };
  for (int code : options.codes) {
    const std::string name = CodeName(code);
    int n = 1;
    while (run(Fault{FaultPoint::Statement, n, code}, name + " at statement " + std::to_string(n))) {
      if ((n += std::max(1, options.every)) > kMostStatements) {
        report.problems.push_back(name + ": the call never ran without a failure");
        break;
      }
    }
    const int commits = report.commits;
    for (int c = 1; c <= commits; ++c) {
      if (!run(Fault{FaultPoint::Commit, c, code}, name + " at commit " + std::to_string(c)))
        report.problems.push_back(name + ": commit " + std::to_string(c) + " was not reached again");
    }
  }
  return report;
}

}  // namespace data::testing
