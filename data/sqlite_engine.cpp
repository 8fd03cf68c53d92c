// The SQLite engine: sessions, statements, typed values and error mapping.
#include "data/sqlite_engine.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>
#include <list>
#include <map>
#include <mutex>
#include <set>
#include <unordered_map>

#include "data/column_fit.h"
#include "data/date_text.h"
#include "data/engine_hooks.h"
#include "data/sqlite_text_rules.h"
#include "data/statement_cache.h"
#include "data/tsql_lexer.h"
#include "data/tsql_translator.h"

namespace data {

namespace {

constexpr const char* kSource = "SQLite";
// Prepared statements kept per session, the least recently used given up
// first, and translations kept per thread (for all its sessions).
constexpr size_t kCachedStatements = 64;
constexpr size_t kCachedTranslations = 512;
constexpr size_t kRecentTexts = 256;

[[noreturn]] void RaiseEngineError(sqlite3* db, int rc) {
  std::string text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  throw SqliteError(rc, std::move(text));
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The database handle and its statement cache are shared by the session and
// the statements it handed out, so a statement outlives neither.
//
// Writers take turns on a file. A writer that finds the write lock taken
// waits in the busy handler, polling every millisecond, and while it waits
// it holds a shared lock (flock) on the database's turn file
// ("<database>-turn"). A connection's own transaction (the grouped writers
// use them) first waits until no writer holds the turn file, up to
// kHandOverLimit (LetWaitingWritersGo): so a writer waiting behind an import gets the
// lock between two of its groups instead of losing every race for it until
// its timeout. flock locks belong to the open file, so every session has its
// own and threads of one process take turns too.
using Clock = std::chrono::steady_clock;
constexpr auto kHandOverLimit = std::chrono::seconds(1);
std::atomic<uint64_t> gBusyWaits{0};

class TurnFile {
 public:
  explicit TurnFile(std::string path) : path_(std::move(path)) {}
  ~TurnFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  // Says that this session waits for the write lock (kept until Done).
  void Waiting() {
    if (!waiting_ && Open() && ::flock(fd_, LOCK_SH | LOCK_NB) == 0) waiting_ = true;
  }
  void Done() {
    if (!waiting_) return;
    ::flock(fd_, LOCK_UN);
    waiting_ = false;
  }
  // Waits while other sessions wait for the write lock, up to the limit.
  void LetWaitersGo() {
    if (!Open()) return;
    const Clock::time_point until = Clock::now() + kHandOverLimit;
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      if (Clock::now() >= until) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ::flock(fd_, LOCK_UN);
  }

 private:
  bool Open() {
    if (fd_ < 0 && !failed_) {
      fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
      failed_ = fd_ < 0;  // a folder not writable: no turns, as before
    }
    return fd_ >= 0;
  }
  std::string path_;
  int fd_ = -1;
  bool failed_ = false;
  bool waiting_ = false;
};

struct Handle {
  explicit Handle(const std::string& path) : turns(path + "-turn") {}

  sqlite3* db = nullptr;
  std::unique_ptr<StatementCache> statements;  // made once the database is open
  TurnFile turns;
  Clock::time_point waitingSince;
  // The file that was opened, to tell it from one put in its place later.
  dev_t device = 0;
  ino_t inode = 0;
  sqlite3_stmt* schemaVersion = nullptr;

  // The schema's version, asked before every use of a translation made for
  // the schema: its statement is kept aside from the cache (no lookup, no
  // bindings to clear).
  int SchemaVersion() {
    if (!schemaVersion && sqlite3_prepare_v2(db, "PRAGMA schema_version", -1, &schemaVersion, nullptr) != SQLITE_OK)
      RaiseEngineError(db, sqlite3_errcode(db));
    const int rc = sqlite3_step(schemaVersion);
    turns.Done();
    const int version = rc == SQLITE_ROW ? sqlite3_column_int(schemaVersion, 0) : 0;
    sqlite3_reset(schemaVersion);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) RaiseEngineError(db, rc);
    return version;
  }

  ~Handle() {
    sqlite3_finalize(schemaVersion);
    statements.reset();
    sqlite3_close_v2(db);
  }
  void Exec(const char* sql) {
    int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    turns.Done();
    if (rc != SQLITE_OK) RaiseEngineError(db, rc);
  }
  // Runs a statement without rows (BEGIN, COMMIT, SAVEPOINT, ...) prepared
  // once and kept with the others. Answers SQLite's result code.
  int RunKept(std::string_view sql) {
    StatementCache::Index::node_type key;
    StatementCache::List::iterator p = statements->Take(sql, key);
    const int rc = sqlite3_step(p->stmt);
    turns.Done();
    statements->Give(p, std::move(key));
    return rc == SQLITE_DONE || rc == SQLITE_ROW ? SQLITE_OK : rc;
  }
  // Runs a rollback, which must not throw (it runs in handlers and
  // destructors): the kept statement, or, when that cannot be had (say,
  // memory short), the text run directly.
  void RunQuietly(const std::string& sql) noexcept {
    try {
      RunKept(sql);
      return;
    } catch (...) {
    }
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  }
  void MustRun(std::string_view sql) {
    const int rc = RunKept(sql);
    if (rc != SQLITE_OK) RaiseEngineError(db, rc);
  }
  // SQLite's busy handler: wait a millisecond and try again, up to the busy
  // timeout, saying meanwhile that this session waits for its turn.
  static int Busy(void* self, int count) {
    Handle& h = *static_cast<Handle*>(self);
    const Clock::time_point now = Clock::now();
    if (count == 0) {
      gBusyWaits.fetch_add(1, std::memory_order_relaxed);
      h.waitingSince = now;
    }
    // Again on every try: the first can meet a writer that holds the turn
    // file for a moment (LetWaitersGo), and a waiter not registered would
    // lose every race to it.
    h.turns.Waiting();
    if (now - h.waitingSince >= std::chrono::milliseconds(kSqliteBusyTimeoutMs)) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 1;
  }
};

rt::Variant IntegerValue(int64_t v, rt::VarType subtype) {
  switch (subtype) {
    case rt::VarType::Byte:
      if (v >= 0 && v <= 255) return rt::Variant(static_cast<uint8_t>(v));
      break;
    case rt::VarType::Integer:
      if (v >= INT16_MIN && v <= INT16_MAX) return rt::Variant(static_cast<int16_t>(v));
      break;
    case rt::VarType::Decimal: return rt::Variant(rt::Decimal{v, 0});
    default: break;
  }
  if (v >= INT32_MIN && v <= INT32_MAX) return rt::Variant(static_cast<int32_t>(v));
  return rt::Variant(rt::Decimal{v, 0});
}

class SqliteStatement final : public Statement {
 public:
  SqliteStatement(std::shared_ptr<Handle> handle, std::string_view sql)
      : handle_(std::move(handle)),
        entry_(handle_->statements->Take(sql, key_)),
        prepared_(*entry_),
        stmt_(prepared_.stmt) {}
  ~SqliteStatement() override { handle_->statements->Give(entry_, std::move(key_)); }

  int ParameterCount() const override { return sqlite3_bind_parameter_count(stmt_); }

  void Bind(int index, const rt::Variant& v) override {
    using rt::VarType;
    int rc = SQLITE_OK;
    switch (v.Type()) {
      case VarType::Empty:
      case VarType::Null: rc = sqlite3_bind_null(stmt_, index); break;
      case VarType::Boolean: rc = sqlite3_bind_int(stmt_, index, *v.Get<bool>() ? 1 : 0); break;
      case VarType::Byte:
      case VarType::Integer:
      case VarType::Long: rc = sqlite3_bind_int64(stmt_, index, rt::CLng(v)); break;
      case VarType::Single:
      case VarType::Double: rc = sqlite3_bind_double(stmt_, index, rt::CDbl(v)); break;
      case VarType::Currency: {
        int64_t scaled = v.Get<rt::Currency>()->scaled;
        rc = scaled % rt::Currency::kScale == 0
                 ? sqlite3_bind_int64(stmt_, index, scaled / rt::Currency::kScale)
                 : sqlite3_bind_double(stmt_, index, v.Get<rt::Currency>()->ToDouble());
        break;
      }
      case VarType::Decimal: {
        const rt::Decimal& d = *v.Get<rt::Decimal>();
        if (d.scale == 0 && d.mantissa >= std::numeric_limits<int64_t>::min() &&
            d.mantissa <= std::numeric_limits<int64_t>::max()) {
          rc = sqlite3_bind_int64(stmt_, index, static_cast<int64_t>(d.mantissa));
        } else {
          rc = sqlite3_bind_double(stmt_, index, d.ToDouble());
        }
        break;
      }
      case VarType::Date: {
        std::string text = StoredDateText(*v.Get<rt::Date>());
        rc = sqlite3_bind_text(stmt_, index, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        break;
      }
      case VarType::String: {
        const std::string& s = *v.Get<std::string>();
        rc = sqlite3_bind_text(stmt_, index, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
        break;
      }
      default: rt::RaiseVb(rt::vberr::kTypeMismatch);
    }
    if (rc != SQLITE_OK) RaiseEngineError(handle_->db, rc);
  }

  bool Step() override {
    int rc = sqlite3_step(stmt_);
    handle_->turns.Done();
    // The engine prepares a statement again when the schema changed since it
    // was prepared; its columns are then described anew.
    int reprepared = sqlite3_stmt_status(stmt_, SQLITE_STMTSTATUS_REPREPARE, 0);
    if (reprepared != prepared_.reprepared) {
      prepared_.columns = std::make_shared<const std::vector<ColumnInfo>>(DescribeColumns(stmt_));
      prepared_.reprepared = reprepared;
      if (prepared_.schemaEpoch == handle_->statements->SchemaEpoch()) handle_->statements->ForgetAll();
    }
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    RaiseEngineError(handle_->db, rc);
  }

  int ColumnCount() const override { return static_cast<int>(prepared_.columns->size()); }
  const ColumnInfo& Column(int index) const override { return prepared_.columns->at(index); }
  ColumnList Columns() const override { return prepared_.columns; }
  bool ReadOnly() const override { return sqlite3_stmt_readonly(stmt_) != 0; }
  bool Reset() override {
    sqlite3_reset(stmt_);
    return true;
  }

  rt::Variant Value(int i) const override {
    using rt::VarType;
    int storage = sqlite3_column_type(stmt_, i);
    if (storage == SQLITE_NULL) return rt::Variant::Null();
    const TypeInfo& type = (*prepared_.columns)[i].type;
    switch (type.subtype) {
      case VarType::Boolean: return rt::Variant(sqlite3_column_int64(stmt_, i) != 0);
      case VarType::Byte:
      case VarType::Integer:
      case VarType::Long:
      case VarType::Decimal:
        if (storage == SQLITE_INTEGER) return IntegerValue(sqlite3_column_int64(stmt_, i), type.subtype);
        if (type.subtype == VarType::Decimal) return DecimalValue(i, storage);
        return rt::Variant(sqlite3_column_double(stmt_, i));
      case VarType::Double: return rt::Variant(sqlite3_column_double(stmt_, i));
      case VarType::Currency: return CurrencyValue(i, storage);
      case VarType::Date:
        if (storage == SQLITE_TEXT) {
          if (auto d = DateOf(i)) return rt::Variant(*d);
        }
        return StorageValue(i, storage);
      case VarType::String: {
        std::string text(Text(i));
        if (type.padTo > 0) {
          int32_t n = CharacterCount(text);
          if (n < type.padTo) text.append(type.padTo - n, ' ');
        }
        return rt::Variant(std::move(text));
      }
      default: return StorageValue(i, storage);
    }
  }

 private:
  std::string_view Text(int i) const {
    const unsigned char* p = sqlite3_column_text(stmt_, i);
    return std::string_view(reinterpret_cast<const char*>(p), sqlite3_column_bytes(stmt_, i));
  }
  // A date column's text parsed; rows one after another often hold the same
  // date, so each column keeps the last text it parsed.
  std::optional<rt::Date> DateOf(int i) const {
    const std::string_view text = Text(i);
    if (lastDates_.size() <= static_cast<size_t>(i)) lastDates_.resize(i + 1);
    auto& [lastText, lastDate] = lastDates_[i];
    if (!lastText.empty() && text == lastText) return lastDate;
    std::optional<rt::Date> date = ParseStoredDate(text);
    if (date) {
      lastText.assign(text);
      lastDate = *date;
    }
    return date;
  }
  rt::Variant StorageValue(int i, int storage) const {
    switch (storage) {
      case SQLITE_INTEGER: {
        int64_t v = sqlite3_column_int64(stmt_, i);
        if (v >= INT32_MIN && v <= INT32_MAX) return rt::Variant(static_cast<int32_t>(v));
        return rt::Variant(static_cast<double>(v));
      }
      case SQLITE_FLOAT: return rt::Variant(sqlite3_column_double(stmt_, i));
      default: return rt::Variant(std::string(Text(i)));
    }
  }
  rt::Variant CurrencyValue(int i, int storage) const {
    if (storage == SQLITE_INTEGER) {
      int64_t v = sqlite3_column_int64(stmt_, i);
      if (v > INT64_MAX / rt::Currency::kScale || v < INT64_MIN / rt::Currency::kScale)
        rt::RaiseVb(rt::vberr::kOverflow);
      return rt::Variant(rt::Currency::FromScaled(v * rt::Currency::kScale));
    }
    if (storage == SQLITE_FLOAT) {
      // Most stored amounts have at most four decimals: take them exactly
      // without the general rounding.
      double scaled = sqlite3_column_double(stmt_, i) * rt::Currency::kScale;
      if (std::fabs(scaled) < 9.0e15 && std::nearbyint(scaled) == scaled)
        return rt::Variant(rt::Currency::FromScaled(static_cast<int64_t>(scaled)));
      return rt::Variant(rt::Currency::FromDouble(sqlite3_column_double(stmt_, i)));
    }
    return rt::Variant(rt::CCur(rt::Variant(std::string(Text(i)))));
  }
  rt::Variant DecimalValue(int i, int storage) const {
    if (storage == SQLITE_FLOAT) return rt::Variant(rt::Decimal::FromDouble(sqlite3_column_double(stmt_, i)));
    rt::Decimal d;
    if (rt::Decimal::Parse(Text(i), d)) return rt::Variant(d);
    return rt::Variant(std::string(Text(i)));
  }

  mutable std::vector<std::pair<std::string, rt::Date>> lastDates_;
  std::shared_ptr<Handle> handle_;
  StatementCache::Index::node_type key_;
  StatementCache::List::iterator entry_;
  PreparedStatement& prepared_;
  sqlite3_stmt* stmt_;
};

// Translations kept per thread for all its sessions and bounded: when the
// newer half is full it becomes the older half and the oldest entries go;
// an entry used from the older half moves to the newer. The key is the text
// with its bound literals taken out (LiteralKey), so that statements which
// differ only in them share one entry and the engine text it holds. A text
// whose translation keeps some literals as written has a second entry under
// the key extended by them (AddKeptLiterals), and the first entry says
// which they are. A text that comes again as it was (the same literals as
// the last time its key was used) is also kept as written, with where its
// literals stand, so that it is found without looking for them.
class TranslationCache {
 public:
  struct Entry {
    Translation statements;  // null for an entry that names kept literals
    std::vector<uint32_t> kept;
    std::string database;   // empty when the translation asked nothing of the schema
    int schemaVersion = -1;  // the schema asked
    // Under a key: the literals of the text that used it last.
    std::string lastLiterals;
    // Under a text as written: the offset and size of each of its literals.
    std::vector<uint32_t> literalSpans;
  };
  explicit TranslationCache(size_t capacity) : capacity_(capacity) {}
  Entry* Find(std::string_view text) {
    auto it = newer_.find(text);
    if (it != newer_.end()) return &it->second;
    auto old = older_.find(text);
    if (old == older_.end()) return nullptr;
    auto node = older_.extract(old);
    return &Insert(std::move(node.key()), std::move(node.mapped()));
  }
  void Add(std::string_view text, Entry entry) {
    auto it = newer_.find(text);
    if (it != newer_.end()) {
      it->second = std::move(entry);
      return;
    }
    Insert(std::string(text), std::move(entry));
  }

 private:
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
  };
  using Map = std::unordered_map<std::string, Entry, Hash, std::equal_to<>>;
  Entry& Insert(std::string text, Entry entry) {
    if (newer_.size() >= capacity_ / 2) {
      older_ = std::move(newer_);
      newer_ = Map();
    }
    return newer_.emplace(std::move(text), std::move(entry)).first->second;
  }
  size_t capacity_;
  Map newer_, older_;
};

TranslationCache& ThreadTranslations() {
  thread_local TranslationCache cache(kCachedTranslations);
  return cache;
}

// Texts that came again as they were, by their text.
TranslationCache& ThreadRecentTexts() {
  thread_local TranslationCache cache(kRecentTexts);
  return cache;
}

// The literals of a text, each with its size before it, to tell the same
// literals again.
void AppendLiterals(std::string& out, const std::vector<std::string_view>& literals) {
  for (std::string_view literal : literals) {
    const uint32_t size = static_cast<uint32_t>(literal.size());
    out.append(reinterpret_cast<const char*>(&size), sizeof size);
    out += literal;
  }
}

class SqliteSession final : public Session {
 public:
  SqliteSession(ConnectionSettings settings, std::shared_ptr<Handle> handle)
      : settings_(std::move(settings)), handle_(std::move(handle)) {}

  const ConnectionSettings& Settings() const override { return settings_; }

  TranslatedText Translate(std::string_view text) override {
    TranslatedText out;
    if (TranslationCache::Entry* again = ThreadRecentTexts().Find(text); again && Holds(*again)) {
      const std::vector<uint32_t>& spans = again->literalSpans;
      out.literals.reserve(spans.size() / 2);
      for (size_t i = 0; i + 1 < spans.size(); i += 2) out.literals.push_back(text.substr(spans[i], spans[i + 1]));
      out.statements = again->statements;
      return out;
    }
    TranslationCache& cache = ThreadTranslations();
    std::string& key = key_;
    bool keyed = true;
    try {
      LiteralKey(text, key, out.literals);
    } catch (const std::invalid_argument&) {
      keyed = false;  // the translator names what is unterminated
    }
    if (keyed) {
      TranslationCache::Entry* hit = cache.Find(key);
      if (hit && hit->statements == nullptr) {
        std::string full = key;
        AddKeptLiterals(full, hit->kept, out.literals);
        hit = cache.Find(full);
      }
      if (hit && hit->statements && Holds(*hit)) {
        out.statements = hit->statements;
        RememberIfAgain(*hit, text, out.literals);
        return out;
      }
    }
    try {
      SchemaUse use(*this);
      BoundTranslation translation = TranslateBindingLiterals(text, &use);
      out.statements = std::make_shared<const std::vector<EngineStatement>>(std::move(translation.statements));
      TranslationCache::Entry entry;
      entry.statements = out.statements;
      if (use.asked) {
        entry.database = settings_.key;
        entry.schemaVersion = schemaVersion_;
      }
      AppendLiterals(entry.lastLiterals, out.literals);
      if (keyed) {
        if (translation.keptLiterals.empty()) {
          cache.Add(key, std::move(entry));
        } else {
          std::string full = key;
          AddKeptLiterals(full, translation.keptLiterals, out.literals);
          TranslationCache::Entry shape;
          shape.kept = std::move(translation.keptLiterals);
          cache.Add(key, std::move(shape));
          cache.Add(full, std::move(entry));
        }
      }
      return out;
    } catch (const UntranslatableStatement& e) {
      throw EngineError(rt::hr::kSqlFailed, kSource,
                        std::string("The statement cannot be run on this database (") + e.what() +
                            "): " + std::string(text),
                        SQLITE_ERROR);
    }
  }

  std::unique_ptr<Statement> Prepare(const std::string& sql) override {
    return std::make_unique<SqliteStatement>(handle_, sql);
  }

  int64_t Changes() const override { return sqlite3_changes64(handle_->db); }
  int64_t LastInsertId() const override { return sqlite3_last_insert_rowid(handle_->db); }

  // The statements of transactions and marks are prepared once per session.
  void Begin() override { handle_->MustRun("BEGIN IMMEDIATE"); }
  void BeginRead() override { handle_->MustRun("BEGIN"); }
  void LetWaitingWritersGo() override { handle_->turns.LetWaitersGo(); }
  void Commit() override { handle_->MustRun("COMMIT"); }
  void Rollback() override {
    if (!sqlite3_get_autocommit(handle_->db)) handle_->RunQuietly("ROLLBACK");
  }
  bool InTransaction() const override { return sqlite3_get_autocommit(handle_->db) == 0; }
  void Mark(const std::string& name) override { handle_->MustRun("SAVEPOINT " + QuoteName(name)); }
  void ReleaseMark(const std::string& name) override { handle_->MustRun("RELEASE " + QuoteName(name)); }
  void RollbackToMark(const std::string& name) override {
    const std::string q = QuoteName(name);
    handle_->RunQuietly("ROLLBACK TO " + q);
    handle_->RunQuietly("RELEASE " + q);
  }

  bool Idle() const override { return handle_->statements->Running() == 0 && sqlite3_get_autocommit(handle_->db) != 0; }

  bool SameDatabase() const override {
    struct stat now;
    return stat(settings_.dataSource.c_str(), &now) == 0 && now.st_dev == handle_->device &&
           now.st_ino == handle_->inode;
  }

  std::vector<TableColumn> TableColumns(const std::string& table) override {
    Refresh();
    auto it = tables_.find(Lower(table));
    return it == tables_.end() ? std::vector<TableColumn>{} : it->second;
  }

  std::string QuoteName(const std::string& name) const override {
    return data::QuoteName(name);
  }

 private:
  // The session's schema knowledge for one translation, read afresh at the
  // translator's first question, and whether it asked one.
  struct SchemaUse final : SchemaInfo {
    explicit SchemaUse(SqliteSession& session) : session(session) {}
    bool IsDateColumn(std::string_view table, std::string_view column) override {
      Ask();
      return session.DateColumn(table, column);
    }
    TypeInfo ColumnType(std::string_view table, std::string_view column) override {
      Ask();
      auto it = session.tables_.find(Lower(table));
      if (it == session.tables_.end()) return TypeInfo{};
      for (const TableColumn& c : it->second) {
        if (c.name.size() == column.size() && strncasecmp(c.name.data(), column.data(), column.size()) == 0)
          return TypeFromDeclared(c.declared);
      }
      return TypeInfo{};
    }
    std::vector<std::string> ColumnNames(std::string_view table) override {
      Ask();
      std::vector<std::string> names;
      auto it = session.tables_.find(Lower(table));
      if (it != session.tables_.end()) {
        for (const TableColumn& c : it->second) names.push_back(c.name);
      }
      return names;
    }
    void Ask() {
      if (!asked) session.Refresh();
      asked = true;
    }
    SqliteSession& session;
    bool asked = false;
  };

  // Whether a kept translation holds here: one that depends on the schema
  // holds for the database and the schema it was made for.
  bool Holds(const TranslationCache::Entry& entry) {
    return entry.database.empty() || (entry.database == settings_.key && entry.schemaVersion == SchemaVersion());
  }

  // Keeps the text as written when it uses its key with the same literals
  // as the text that used it last.
  void RememberIfAgain(TranslationCache::Entry& entry, std::string_view text,
                       const std::vector<std::string_view>& literals) {
    std::string& now = literalsBuffer_;
    now.clear();
    AppendLiterals(now, literals);
    if (now != entry.lastLiterals) {
      entry.lastLiterals.swap(now);
      return;
    }
    TranslationCache::Entry again;
    again.statements = entry.statements;
    again.database = entry.database;
    again.schemaVersion = entry.schemaVersion;
    again.literalSpans.reserve(literals.size() * 2);
    for (std::string_view literal : literals) {
      again.literalSpans.push_back(static_cast<uint32_t>(literal.data() - text.data()));
      again.literalSpans.push_back(static_cast<uint32_t>(literal.size()));
    }
    ThreadRecentTexts().Add(text, std::move(again));
  }

  bool DateColumn(std::string_view table, std::string_view column) const {
    if (table.empty()) return dateColumns_.count(Lower(column)) > 0;
    auto it = tables_.find(Lower(table));
    if (it == tables_.end()) return false;
    for (const TableColumn& c : it->second) {
      if (strcasecmp(c.name.c_str(), std::string(column).c_str()) == 0)
        return TypeFromDeclared(c.declared).subtype == rt::VarType::Date;
    }
    return false;
  }

  int SchemaVersion() { return handle_->SchemaVersion(); }

  // Reads the tables' columns again when the schema changed since; the
  // statements prepared for the old schema are given up then.
  void Refresh() {
    int version = SchemaVersion();
    if (version == schemaVersion_) return;
    if (schemaVersion_ != -1) handle_->statements->ForgetAll();
    tables_.clear();
    dateColumns_.clear();
    std::vector<std::string> names;
    {
      SqliteStatement list(handle_, "SELECT name FROM sqlite_schema WHERE type = 'table'");
      while (list.Step()) names.push_back(rt::CStr(list.Value(0)));
    }
    for (const std::string& name : names) {
      std::vector<TableColumn> columns;
      SqliteStatement info(handle_, "PRAGMA table_info(" + QuoteName(name) + ")");
      int keys = 0;
      while (info.Step()) {
        TableColumn c;
        c.name = rt::CStr(info.Value(1));
        c.declared = info.Value(2).IsNull() ? "" : rt::CStr(info.Value(2));
        c.primaryKey = rt::CLng(info.Value(5)) > 0;
        keys += c.primaryKey ? 1 : 0;
        if (TypeFromDeclared(c.declared).subtype == rt::VarType::Date) dateColumns_.insert(Lower(c.name));
        columns.push_back(std::move(c));
      }
      // The table's identity is its INTEGER PRIMARY KEY, the alias of the rowid.
      for (TableColumn& c : columns) c.identity = keys == 1 && c.primaryKey && Lower(c.declared) == "integer";
      if (keys == 0) MarkUniqueKey(name, columns);
      tables_[Lower(name)] = std::move(columns);
    }
    schemaVersion_ = version;
  }

  // Marks the columns of the table's first unique index (not a partial
  // one). An index entry that is an expression (IFNULL(GROUPBY, '')) names
  // its columns only in the index's text: every column named there counts.
  void MarkUniqueKey(const std::string& table, std::vector<TableColumn>& columns) {
    std::string index;
    {
      SqliteStatement list(handle_, "PRAGMA index_list(" + QuoteName(table) + ")");
      while (index.empty() && list.Step()) {
        if (rt::CLng(list.Value(2)) == 1 && rt::CLng(list.Value(4)) == 0) index = rt::CStr(list.Value(1));
      }
    }
    if (index.empty()) return;
    bool expression = false;
    {
      SqliteStatement info(handle_, "PRAGMA index_xinfo(" + QuoteName(index) + ")");
      while (info.Step()) {
        if (rt::CLng(info.Value(5)) == 0) continue;  // the rowid the index carries
        const int32_t cid = rt::CLng(info.Value(1));
        if (cid >= 0 && cid < static_cast<int32_t>(columns.size())) columns[cid].uniqueKey = true;
        if (cid == -2) expression = true;
      }
    }
    if (!expression) return;
    SqliteStatement text(handle_, "SELECT sql FROM sqlite_schema WHERE type = 'index' AND name = " + QuoteString(index));
    if (!text.Step() || text.Value(0).IsNull()) return;
    const std::string sql = rt::CStr(text.Value(0));
    const size_t open = sql.find('(');
    if (open == std::string::npos) return;
    std::string word;
    auto mark = [&] {
      for (TableColumn& c : columns)
        if (!word.empty() && strcasecmp(c.name.c_str(), word.c_str()) == 0) c.uniqueKey = true;
      word.clear();
    };
    for (size_t i = open; i < sql.size(); ++i) {
      const char c = sql[i];
      if (c == '\'') {  // a literal names no column
        mark();
        i = sql.find('\'', i + 1);
        if (i == std::string::npos) break;
      } else if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
        word += c;
      } else {
        mark();
      }
    }
  }

  ConnectionSettings settings_;
  std::shared_ptr<Handle> handle_;
  // Translate's key and a text's literals, kept for their buffers.
  std::string key_;
  std::string literalsBuffer_;
  int schemaVersion_ = -1;
  std::map<std::string, std::vector<TableColumn>> tables_;
  std::set<std::string> dateColumns_;
};

class SqliteEngineImpl final : public Engine {
 public:
  std::unique_ptr<Session> Open(const ConnectionSettings& settings) override {
    auto handle = std::make_shared<Handle>(settings.dataSource);
    int rc = sqlite3_open_v2(settings.dataSource.c_str(), &handle->db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    handle->statements = std::make_unique<StatementCache>(handle->db, kCachedStatements);
    try {
      if (rc != SQLITE_OK) RaiseEngineError(handle->db, rc);
      struct stat file;
      if (stat(settings.dataSource.c_str(), &file) == 0) {
        handle->device = file.st_dev;
        handle->inode = file.st_ino;
      }
      sqlite3_extended_result_codes(handle->db, 1);
      sqlite3_busy_handler(handle->db, Handle::Busy, handle.get());
      // The first session switches a new file to WAL for good. Should
      // another process hold the file in its old mode right then, this
      // session works in that mode and a later one switches.
      int wal = sqlite3_exec(handle->db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
      if (wal != SQLITE_OK && (wal & 0xFF) != SQLITE_BUSY) RaiseEngineError(handle->db, wal);
      handle->Exec("PRAGMA foreign_keys=ON");
      // The journal of a savepoint (each statement of a transaction runs
      // under one) stays in memory instead of spilling to a temporary file.
      handle->Exec("PRAGMA temp_store=MEMORY");
      const int rules = InstallSqlServerTextRules(handle->db);
      if (rules != SQLITE_OK) RaiseEngineError(handle->db, rules);
    } catch (const EngineError& e) {
      throw EngineError(rt::hr::kFail, kSource,
                        "Cannot open the database '" + settings.dataSource + "': " + e.description(),
                        e.nativeError());
    }
    return std::make_unique<SqliteSession>(settings, std::move(handle));
  }
  bool SingleWriter() const override { return true; }
};

}  // namespace

EngineError SqliteError(int resultCode, std::string text) {
  // A typed column's CHECK constraint stands for the refusal SQL Server gives.
  if (resultCode == SQLITE_CONSTRAINT_CHECK) {
    if (std::optional<EngineError> refusal = RefusalForCheck(text)) return *refusal;
  }
  const int32_t number =
      (resultCode & 0xFF) == SQLITE_CONSTRAINT ? rt::hr::kConstraintViolation : rt::hr::kSqlFailed;
  return EngineError(number, kSource, std::move(text), resultCode);
}

uint64_t SqliteBusyWaits() { return gBusyWaits.load(std::memory_order_relaxed); }

Engine& SqliteEngine() {
  static SqliteEngineImpl engine;
  return engine;
}

}  // namespace data
