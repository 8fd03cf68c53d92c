// Catalog authorisation over a 10,000-node catalog eight levels deep (ids
// growing level by level), for a user with 200 node rows and 200 profile
// rows under the same id; each member against the same statements run as
// SQLite prepared statements (prepared once, bound per run):
//   - Catalog.GetUserTopLevelCatalogNodes: the top level, the user's nodes
//     there, the deeper nodes, a walk up from each and the highest held node
//     of its branch, on three connections as the member keeps three
//     recordsets open at a time (the deeper nodes, the walk, the highest
//     node);
//   - TCatalog.PopulateUserNodes as the root of its own transaction: the
//     user's catalogs, the delete, the top level and topmost nodes, the walk
//     down level by level and one insert per node, in one transaction;
//   - Catalog.IsViewOnlyCatalogNodeEx of a deepest node: the node, the
//     catalog's mark, and the node's and each ancestor's row on the way up;
//   - Catalog.GetNodeLevel of the last node: every node of the catalog in
//     NODEID order.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "bench/bench_installation.h"
#include "data/sqlite_text_rules.h"
#include "interfaces/catalog.h"
#include "runtime/context.h"
#include "runtime/registry.h"

namespace {

// Nodes per level (10,000 in all), each level's parents taken in turn from
// the level above.
constexpr int kLevels[] = {5, 20, 75, 200, 500, 1200, 2500, 5500};
constexpr const char* kUser = "bench";

using benchinstall::Exec;

sqlite3_stmt* Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
    fprintf(stderr, "%s: %s\n", sql.c_str(), sqlite3_errmsg(db));
    abort();
  }
  return st;
}

// Catalog 1 with the big tree; the user's rows: the first 20 nodes of level 3
// and 36 nodes spread over each of levels 4 to 8; the profile's rows: 200
// nodes of levels 1 to 4. Answers the id of the last node of the deepest level.
int AddTree(sqlite3* db) {
  int deepest = 0;
  Exec(db, "BEGIN; INSERT INTO CATALOG (CATALOGID, CATALOGNAME, ACTIVE) VALUES (1, 'Big', 1)");
  sqlite3_stmt* node = Prepare(db, "INSERT INTO CATALOGNODE (PARENTNODEID, CATALOGID, NODENAME, SEQUENCE, NODETYPE) "
                                   "VALUES (?, 1, ?, ?, 0)");
  sqlite3_stmt* row = Prepare(db, "INSERT INTO CATALOGNODEBYUSER (USERID, CATALOGID, NODEID, LEVEL, ISPROFILE, VIEWONLY) "
                                  "VALUES ('bench', 1, ?, ?, ?, 0)");
  auto addRow = [&](int id, int level, int profile) {
    sqlite3_bind_int(row, 1, id);
    sqlite3_bind_int(row, 2, level);
    sqlite3_bind_int(row, 3, profile);
    sqlite3_step(row);
    sqlite3_reset(row);
  };
  std::vector<int> above;
  int level = 0, profileRows = 0;
  for (int size : kLevels) {
    ++level;
    std::vector<int> nodes;
    for (int i = 0; i < size; ++i) {
      if (above.empty()) sqlite3_bind_null(node, 1); else sqlite3_bind_int(node, 1, above[i % above.size()]);
      const std::string name = "Node " + std::to_string(level) + "." + std::to_string(i);
      sqlite3_bind_text(node, 2, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(node, 3, size - i);
      sqlite3_step(node);
      sqlite3_reset(node);
      nodes.push_back(static_cast<int>(sqlite3_last_insert_rowid(db)));
    }
    if (level == 3) {
      for (int i = 0; i < 20; ++i) addRow(nodes[i], level, 0);
    } else if (level > 3) {
      for (int i = 0; i < 36; ++i) addRow(nodes[i * (size / 36) + 1], level, 0);
    }
    for (int i = 0; level <= 4 && i < size && profileRows < 200; ++i, ++profileRows) addRow(nodes[i], level, 1);
    deepest = nodes.back();
    above = std::move(nodes);
  }
  sqlite3_finalize(node);
  sqlite3_finalize(row);
  Exec(db, "COMMIT");
  return deepest;
}

// An installation of its own for the process, with the tree of AddTree.
class Fixture : public benchinstall::Installation {
 public:
  static const Fixture& Get() {
    static const Fixture f;
    return f;
  }
  int deepest = 0;

 private:
  Fixture() : Installation("catalogauthbench", {SUITE_SOURCE_DIR "/db/08_catalog.sql"}, benchinstall::Reader::Quarvel) {
    Fill([this](sqlite3* db) { deepest = AddTree(db); });
  }
};

// The user's USERNODE rows, for comparing what the two rebuilds write.
double UserNodeRows() {
  sqlite3* db = nullptr;
  sqlite3_open(Fixture::Get().path.c_str(), &db);
  data::InstallSqlServerTextRules(db);
  sqlite3_stmt* st = Prepare(db, "SELECT COUNT(*) FROM USERNODE WHERE USERID = 'bench'");
  sqlite3_step(st);
  const double rows = sqlite3_column_int(st, 0);
  sqlite3_finalize(st);
  sqlite3_close(db);
  return rows;
}

// --- the members ------------------------------------------------------------------

std::shared_ptr<ICatalog> NewCatalog() {
  return std::dynamic_pointer_cast<ICatalog>(rt::CreateRootObject("Quarvel.Catalog", std::make_shared<rt::Activity>()));
}

void BM_UserTopLevelCatalogNodes(benchmark::State& state) {
  Fixture::Get();
  int32_t nodes = 0;
  for (auto _ : state) nodes = NewCatalog()->GetUserTopLevelCatalogNodes(kUser, 1)->Count();
  state.counters["nodes"] = nodes;
}

void BM_PopulateUserNodes(benchmark::State& state) {
  Fixture::Get();
  for (auto _ : state) {
    auto writer = std::dynamic_pointer_cast<ITCatalog>(
        rt::CreateRootObject("Quarvel.TCatalog", std::make_shared<rt::Activity>()));
    if (!writer->PopulateUserNodes(kUser)) state.SkipWithError("PopulateUserNodes failed");
  }
  state.counters["rows"] = UserNodeRows();
}

void BM_ViewOnlyOfADeepestNode(benchmark::State& state) {
  const Fixture& f = Fixture::Get();
  for (auto _ : state) benchmark::DoNotOptimize(NewCatalog()->IsViewOnlyCatalogNodeEx(kUser, f.deepest));
}

void BM_NodeLevelOfTheLastNode(benchmark::State& state) {
  const Fixture& f = Fixture::Get();
  int16_t level = 0;
  for (auto _ : state) level = NewCatalog()->GetNodeLevel(1, f.deepest);
  state.counters["level"] = level;
}

// --- the same statements, prepared ----------------------------------------------

// The statements of the members with their literals as parameters.
class Prepared {
 public:
  explicit Prepared(const std::string& path) {
    sqlite3_open(path.c_str(), &db);
    data::InstallSqlServerTextRules(db);
    sqlite3_open(path.c_str(), &walkDb);
    data::InstallSqlServerTextRules(walkDb);
    sqlite3_open(path.c_str(), &highestDb);
    data::InstallSqlServerTextRules(highestDb);
    top = Prepare(db, "SELECT MIN(LEVEL) AS MINLEVEL FROM CATALOGNODEBYUSER WHERE CATALOGID=? AND USERID=? AND ISPROFILE = 0");
    byLevel = Prepare(db, "SELECT CNU.NODEID as NODEID, CN.NODENAME AS NODENAME FROM CATALOGNODEBYUSER CNU, CATALOGNODE CN "
                          "WHERE CNU.USERID=? AND LEVEL=? AND CNU.CATALOGID = ? AND CNU.NODEID = CN.NODEID AND "
                          "CNU.ISPROFILE = 0 ORDER BY CN.SEQUENCE");
    deeper = Prepare(db, "SELECT NODEID FROM CATALOGNODEBYUSER WHERE  CATALOGID =? AND USERID = ?  AND ISPROFILE = 0  "
                         "AND LEVEL > ?");
    const char* walkSql = "SELECT NODEID, PARENTNODEID FROM CATALOGNODE WHERE  CATALOGID =? AND NODEID = ?";
    walk = Prepare(walkDb, walkSql);
    walkInTransaction = Prepare(db, walkSql);
    catalogs = Prepare(db, "SELECT DISTINCT CATALOGID FROM CATALOGNODEBYUSER WHERE USERID=? AND ISPROFILE = 0");
    remove = Prepare(db, "DELETE FROM USERNODE WHERE USERID=?");
    existing = Prepare(db, "SELECT * FROM USERNODE WHERE USERID=?");
    insert = Prepare(db, "INSERT INTO USERNODE (CATALOGID, USERID, NODEID) VALUES (?, ?, ?)");
    node = Prepare(db, "SELECT CATALOGID, PARENTNODEID FROM CATALOGNODE WHERE NODEID = ?");
    catalogMark = Prepare(db, "SELECT  VIEWONLY FROM CATALOGNODEBYUSER WHERE USERID=? AND CATALOGID=? AND NODEID IS NULL "
                              "AND ISPROFILE = 0");
    nodeMark = Prepare(db, "SELECT  VIEWONLY FROM CATALOGNODEBYUSER WHERE USERID=? AND NODEID=? AND ISPROFILE = 0");
    parent = Prepare(db, "SELECT NODEID, PARENTNODEID FROM CATALOGNODE WHERE NODEID = ?");
    levels = Prepare(db, "SELECT NODEID, PARENTNODEID FROM CATALOGNODE WHERE CATALOGID=? ORDER BY NODEID");
  }
  ~Prepared() {
    for (sqlite3_stmt* st : {top, byLevel, deeper, walk, walkInTransaction, catalogs, remove, existing, insert, node, catalogMark, nodeMark,
                             parent, levels})
      sqlite3_finalize(st);
    for (auto& [count, st] : highest) sqlite3_finalize(st);
    for (sqlite3* handle : {db, walkDb, highestDb}) sqlite3_close(handle);
  }

  int TopLevel(int catalog) {
    sqlite3_bind_int(top, 1, catalog);
    sqlite3_bind_text(top, 2, kUser, -1, SQLITE_STATIC);
    sqlite3_step(top);
    const int level = sqlite3_column_type(top, 0) == SQLITE_NULL ? -1 : sqlite3_column_int(top, 0);
    sqlite3_reset(top);
    return level;
  }

  // GetUserTopLevelCatalogNodes for a top level of 1 or more; with
  // `inTransaction` every statement on the connection of the transaction
  // (as when PopulateUserNodes asks).
  std::vector<std::pair<int, std::string>> TopNodes(int catalog, bool inTransaction = false) {
    sqlite3_stmt* const walk = inTransaction ? walkInTransaction : this->walk;
    const int level = TopLevel(catalog);
    std::vector<std::pair<int, std::string>> nodes;
    std::set<int> held;
    sqlite3_bind_text(byLevel, 1, kUser, -1, SQLITE_STATIC);
    sqlite3_bind_int(byLevel, 2, level);
    sqlite3_bind_int(byLevel, 3, catalog);
    while (sqlite3_step(byLevel) == SQLITE_ROW) {
      nodes.emplace_back(sqlite3_column_int(byLevel, 0), reinterpret_cast<const char*>(sqlite3_column_text(byLevel, 1)));
      held.insert(nodes.back().first);
    }
    sqlite3_reset(byLevel);
    sqlite3_bind_int(deeper, 1, catalog);
    sqlite3_bind_text(deeper, 2, kUser, -1, SQLITE_STATIC);
    sqlite3_bind_int(deeper, 3, level);
    while (sqlite3_step(deeper) == SQLITE_ROW) {
      std::vector<int> path;
      int id = sqlite3_column_int(deeper, 0), topNode = 0;
      while (true) {
        sqlite3_bind_int(walk, 1, catalog);
        sqlite3_bind_int(walk, 2, id);
        sqlite3_step(walk);
        const bool hasParent = sqlite3_column_type(walk, 1) != SQLITE_NULL;
        const int parentId = sqlite3_column_int(walk, 1);
        topNode = sqlite3_column_int(walk, 0);
        sqlite3_reset(walk);
        if (!hasParent) break;
        path.push_back(id);
        id = parentId;
      }
      if (path.empty() || held.count(topNode)) continue;
      sqlite3_stmt* st = Highest(inTransaction ? db : highestDb, path.size());
      sqlite3_bind_int(st, 1, catalog);
      for (size_t i = 0; i < path.size(); ++i) sqlite3_bind_int(st, static_cast<int>(i) + 2, path[i]);
      sqlite3_bind_text(st, static_cast<int>(path.size()) + 2, kUser, -1, SQLITE_STATIC);
      if (sqlite3_step(st) == SQLITE_ROW && held.insert(sqlite3_column_int(st, 0)).second)
        nodes.emplace_back(sqlite3_column_int(st, 0), reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
      sqlite3_reset(st);
    }
    sqlite3_reset(deeper);
    return nodes;
  }

  // PopulateUserNodes in one transaction; the walk down is one statement
  // per level, with the level's ids in its text.
  void Populate() {
    Exec(db, "BEGIN IMMEDIATE");
    sqlite3_bind_text(catalogs, 1, kUser, -1, SQLITE_STATIC);
    std::vector<int> ids;
    while (sqlite3_step(catalogs) == SQLITE_ROW) ids.push_back(sqlite3_column_int(catalogs, 0));
    sqlite3_reset(catalogs);
    for (sqlite3_stmt* st : {remove, existing}) {
      sqlite3_bind_text(st, 1, kUser, -1, SQLITE_STATIC);
      while (sqlite3_step(st) == SQLITE_ROW) {
      }
      sqlite3_reset(st);
    }
    std::set<int> written;
    std::vector<std::pair<int, int>> rows;
    for (int catalog : ids) {
      TopLevel(catalog);
      std::string level;
      for (const auto& [id, name] : TopNodes(catalog, true)) {
        if (!written.insert(id).second) continue;
        rows.emplace_back(catalog, id);
        level += (level.empty() ? "" : ",") + std::to_string(id);
      }
      while (!level.empty()) {
        sqlite3_stmt* st = Prepare(db, "SELECT NODEID FROM CATALOGNODE WHERE PARENTNODEID IN (" + level + ") ORDER BY NODEID");
        level.clear();
        while (sqlite3_step(st) == SQLITE_ROW) {
          const int id = sqlite3_column_int(st, 0);
          if (!written.insert(id).second) continue;
          rows.emplace_back(catalog, id);
          level += (level.empty() ? "" : ",") + std::to_string(id);
        }
        sqlite3_finalize(st);
      }
    }
    for (const auto& [catalog, id] : rows) {
      sqlite3_bind_int(insert, 1, catalog);
      sqlite3_bind_text(insert, 2, kUser, -1, SQLITE_STATIC);
      sqlite3_bind_int(insert, 3, id);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    Exec(db, "COMMIT");
  }

  bool Mark(sqlite3_stmt* st) {
    const bool marked = sqlite3_step(st) == SQLITE_ROW && sqlite3_column_int(st, 0) != 0;
    sqlite3_reset(st);
    return marked;
  }
  bool NodeMark(int id) {
    sqlite3_bind_text(nodeMark, 1, kUser, -1, SQLITE_STATIC);
    sqlite3_bind_int(nodeMark, 2, id);
    return Mark(nodeMark);
  }

  // IsViewOnlyCatalogNodeEx.
  bool ViewOnly(int id) {
    sqlite3_bind_int(node, 1, id);
    sqlite3_step(node);
    const int catalog = sqlite3_column_int(node, 0);
    bool hasParent = sqlite3_column_type(node, 1) != SQLITE_NULL;
    int next = sqlite3_column_int(node, 1);
    sqlite3_reset(node);
    sqlite3_bind_text(catalogMark, 1, kUser, -1, SQLITE_STATIC);
    sqlite3_bind_int(catalogMark, 2, catalog);
    if (Mark(catalogMark) || NodeMark(id)) return true;
    while (hasParent) {
      sqlite3_bind_int(parent, 1, next);
      if (sqlite3_step(parent) != SQLITE_ROW) {
        sqlite3_reset(parent);
        return false;
      }
      const int current = sqlite3_column_int(parent, 0);
      hasParent = sqlite3_column_type(parent, 1) != SQLITE_NULL;
      next = sqlite3_column_int(parent, 1);
      sqlite3_reset(parent);
      if (NodeMark(current)) return true;
    }
    return false;
  }

  // GetNodeLevel.
  int Level(int catalog, int id) {
    sqlite3_bind_int(levels, 1, catalog);
    int level = 1, last = -1;
    while (sqlite3_step(levels) == SQLITE_ROW) {
      const int nodeId = sqlite3_column_int(levels, 0);
      const bool top = sqlite3_column_type(levels, 1) == SQLITE_NULL;
      if (nodeId == id && top) {
        level = 1;
        break;
      }
      if (!top && sqlite3_column_int(levels, 1) != last) {
        ++level;
        last = sqlite3_column_int(levels, 1);
      }
      if (nodeId == id) break;
    }
    sqlite3_reset(levels);
    return level;
  }

 private:
  // The highest held node among a path of `count` nodes, on `on`.
  sqlite3_stmt* Highest(sqlite3* on, size_t count) {
    sqlite3_stmt*& st = highest[{on, count}];
    if (!st) {
      std::string marks;
      for (size_t i = 0; i < count; ++i) marks += i ? ",?" : "?";
      st = Prepare(on, "SELECT CNU.NODEID AS NODEID, CN.NODENAME AS NODENAME  FROM CATALOGNODEBYUSER CNU, CATALOGNODE CN "
                       "WHERE  CNU.CATALOGID =? AND CNU.NODEID IN (" + marks + ")  AND CNU.USERID = ?  AND CNU.NODEID = "
                       "CN.NODEID AND CNU.ISPROFILE = 0  ORDER BY CNU.LEVEL LIMIT 1");
    }
    return st;
  }

  sqlite3 *db = nullptr, *walkDb = nullptr, *highestDb = nullptr;
  sqlite3_stmt *top, *byLevel, *deeper, *walk, *walkInTransaction, *catalogs, *remove, *existing, *insert, *node, *catalogMark, *nodeMark,
      *parent, *levels;
  std::map<std::pair<sqlite3*, size_t>, sqlite3_stmt*> highest;
};

void BM_PreparedTopLevelNodes(benchmark::State& state) {
  Prepared p(Fixture::Get().path);
  size_t nodes = 0;
  for (auto _ : state) nodes = p.TopNodes(1).size();
  state.counters["nodes"] = static_cast<double>(nodes);
}

void BM_PreparedPopulate(benchmark::State& state) {
  Prepared p(Fixture::Get().path);
  for (auto _ : state) p.Populate();
  state.counters["rows"] = UserNodeRows();
}

void BM_PreparedViewOnly(benchmark::State& state) {
  const Fixture& f = Fixture::Get();
  Prepared p(f.path);
  for (auto _ : state) benchmark::DoNotOptimize(p.ViewOnly(f.deepest));
}

void BM_PreparedNodeLevel(benchmark::State& state) {
  const Fixture& f = Fixture::Get();
  Prepared p(f.path);
  int level = 0;
  for (auto _ : state) level = p.Level(1, f.deepest);
  state.counters["level"] = level;
}

}  // namespace

BENCHMARK(BM_UserTopLevelCatalogNodes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreparedTopLevelNodes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PopulateUserNodes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreparedPopulate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewOnlyOfADeepestNode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PreparedViewOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NodeLevelOfTheLastNode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PreparedNodeLevel)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
