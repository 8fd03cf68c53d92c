// The SQLite engine: sessions, statements, typed values and error mapping.
#include "data/sqlite_engine.h"

#include <fcntl.h>
#include <malloc.h>
#include <sqlite3.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstring>
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
    StatementCache::List::iterator p = statements->Take(sql);
    const int rc = sqlite3_step(p->stmt);
    turns.Done();
    statements->Give(p);
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

// A value as the engine holds it in a row: its storage class and content.
struct StoredCell {
  int storage = SQLITE_NULL;
  int64_t integer = 0;
  double real = 0;
  std::string_view text;
  char dateText[kStoredDateLength];  // a date's stored form, made here
};

// How a bound value is stored before the column's affinity applies; false
// for a value that cannot be bound. Bind binds exactly this.
inline bool StorageOf(const rt::Variant& v, StoredCell& cell) {
  using rt::VarType;
  switch (v.Type()) {
    case VarType::Empty:
    case VarType::Null: cell.storage = SQLITE_NULL; return true;
    case VarType::Boolean:
      cell.storage = SQLITE_INTEGER;
      cell.integer = *v.Get<bool>() ? 1 : 0;
      return true;
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
      cell.storage = SQLITE_INTEGER;
      cell.integer = rt::CLng(v);
      return true;
    case VarType::Single:
    case VarType::Double:
      cell.storage = SQLITE_FLOAT;
      cell.real = rt::CDbl(v);
      return true;
    case VarType::Currency: {
      const int64_t scaled = v.Get<rt::Currency>()->scaled;
      if (scaled % rt::Currency::kScale == 0) {
        cell.storage = SQLITE_INTEGER;
        cell.integer = scaled / rt::Currency::kScale;
      } else {
        cell.storage = SQLITE_FLOAT;
        cell.real = v.Get<rt::Currency>()->ToDouble();
      }
      return true;
    }
    case VarType::Decimal: {
      const rt::Decimal& d = *v.Get<rt::Decimal>();
      if (d.scale == 0 && d.mantissa >= std::numeric_limits<int64_t>::min() &&
          d.mantissa <= std::numeric_limits<int64_t>::max()) {
        cell.storage = SQLITE_INTEGER;
        cell.integer = static_cast<int64_t>(d.mantissa);
      } else {
        cell.storage = SQLITE_FLOAT;
        cell.real = d.ToDouble();
      }
      return true;
    }
    case VarType::Date:
      WriteStoredDateText(*v.Get<rt::Date>(), cell.dateText);
      cell.storage = SQLITE_TEXT;
      cell.text = std::string_view(cell.dateText, sizeof cell.dateText);
      return true;
    case VarType::String:
      cell.storage = SQLITE_TEXT;
      cell.text = *v.Get<std::string>();
      return true;
    default: return false;
  }
}

// SQLite's column affinity of a declared type, by the engine's own rules
// (the first that applies: INT; CHAR, CLOB or TEXT; BLOB or no type; REAL,
// FLOA or DOUB; else NUMERIC).
enum class Affinity : uint8_t { Integer = 1, Text, Blob, Real, Numeric };

Affinity AffinityOf(std::string_view declared) {
  auto has = [&](std::string_view word) {
    for (size_t i = 0; i + word.size() <= declared.size(); ++i)
      if (strncasecmp(declared.data() + i, word.data(), word.size()) == 0) return true;
    return false;
  };
  if (has("INT")) return Affinity::Integer;
  if (has("CHAR") || has("CLOB") || has("TEXT")) return Affinity::Text;
  if (declared.empty() || has("BLOB")) return Affinity::Blob;
  if (has("REAL") || has("FLOA") || has("DOUB")) return Affinity::Real;
  return Affinity::Numeric;
}

// The stored value after a column's affinity applied to it on insert, and
// as a read then hands it out; false where the engine would convert in a
// way not modelled here (a number into a text column, a text that might
// read as a number into a numeric one).
bool ApplyAffinity(Affinity affinity, StoredCell& cell) {
  switch (cell.storage) {
    case SQLITE_NULL: return true;
    case SQLITE_TEXT:
      if (affinity == Affinity::Text || affinity == Affinity::Blob) return true;
      // A date's stored form ("2026-12-09 10:30:00") never reads as a number
      // (no number holds a colon).
      return cell.text.size() == 19 && cell.text[4] == '-' && cell.text[7] == '-' && cell.text[13] == ':';
    case SQLITE_INTEGER:
      if (affinity == Affinity::Text) return false;
      if (affinity == Affinity::Real) {
        cell.storage = SQLITE_FLOAT;
        cell.real = static_cast<double>(cell.integer);
      }
      return true;
    case SQLITE_FLOAT: {
      if (affinity == Affinity::Text) return false;
      if (affinity == Affinity::Blob || !std::isfinite(cell.real)) return std::isfinite(cell.real);
      // A whole number is kept as an integer (a REAL column reads it back as
      // a double again): -0.0 comes back as 0.
      constexpr double kTwoTo63 = 9223372036854775808.0;
      if (cell.real >= -kTwoTo63 && cell.real < kTwoTo63 && cell.real == std::trunc(cell.real) &&
          static_cast<int64_t>(cell.real) != std::numeric_limits<int64_t>::min()) {
        const int64_t whole = static_cast<int64_t>(cell.real);
        if (affinity == Affinity::Real) {
          cell.real = static_cast<double>(whole);
        } else {
          cell.storage = SQLITE_INTEGER;
          cell.integer = whole;
        }
      }
      return true;
    }
    default: return false;
  }
}

// A stored value as its storage class gives it, for a column of no
// declared type.
template <class Cell>
rt::Variant StorageValue(const Cell& cell, int storage) {
  switch (storage) {
    case SQLITE_INTEGER: {
      const int64_t v = cell.Int();
      if (v >= INT32_MIN && v <= INT32_MAX) return rt::Variant(static_cast<int32_t>(v));
      return rt::Variant(static_cast<double>(v));
    }
    case SQLITE_FLOAT: return rt::Variant(cell.Real());
    default: return rt::Variant(std::string(cell.Text()));
  }
}

template <class Cell>
rt::Variant CurrencyValue(const Cell& cell, int storage) {
  if (storage == SQLITE_INTEGER) {
    const int64_t v = cell.Int();
    if (v > INT64_MAX / rt::Currency::kScale || v < INT64_MIN / rt::Currency::kScale) rt::RaiseVb(rt::vberr::kOverflow);
    return rt::Variant(rt::Currency::FromScaled(v * rt::Currency::kScale));
  }
  if (storage == SQLITE_FLOAT) {
    // Most stored amounts have at most four decimals: take them exactly
    // without the general rounding.
    const double real = cell.Real();
    const double scaled = real * rt::Currency::kScale;
    if (std::fabs(scaled) < 9.0e15 && std::nearbyint(scaled) == scaled)
      return rt::Variant(rt::Currency::FromScaled(static_cast<int64_t>(scaled)));
    return rt::Variant(rt::Currency::FromDouble(real));
  }
  return rt::Variant(rt::CCur(rt::Variant(std::string(cell.Text()))));
}

template <class Cell>
rt::Variant DecimalValue(const Cell& cell, int storage) {
  if (storage == SQLITE_FLOAT) return rt::Variant(rt::Decimal::FromDouble(cell.Real()));
  rt::Decimal d;
  if (rt::Decimal::Parse(cell.Text(), d)) return rt::Variant(d);
  return rt::Variant(std::string(cell.Text()));
}

// What a read of a column of `type` gives for a stored value other than
// Null. `Cell` hands the value out converted as the engine converts it:
// Int(), Real(), Text(), and Date() (a text parsed as a stored date).
template <class Cell>
[[gnu::always_inline]] inline rt::Variant ReadAs(const Cell& cell, int storage, const TypeInfo& type) {
  using rt::VarType;
  switch (type.subtype) {
    case VarType::Boolean: return rt::Variant(cell.Int() != 0);
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Decimal:
      if (storage == SQLITE_INTEGER) return IntegerValue(cell.Int(), type.subtype);
      if (type.subtype == VarType::Decimal) return DecimalValue(cell, storage);
      return rt::Variant(cell.Real());
    case VarType::Double: return rt::Variant(cell.Real());
    case VarType::Currency: return CurrencyValue(cell, storage);
    case VarType::Date:
      if (storage == SQLITE_TEXT) {
        if (auto d = cell.Date()) return rt::Variant(*d);
      }
      return StorageValue(cell, storage);
    case VarType::String: {
      std::string text(cell.Text());
      if (type.padTo > 0) {
        const int32_t n = CharacterCount(text);
        if (n < type.padTo) text.append(type.padTo - n, ' ');
      }
      return rt::Variant(std::move(text));
    }
    default: return StorageValue(cell, storage);
  }
}

// A value known without reading it, as ReadAs asks for it; `exact` turns
// false when ReadAs asks for a conversion of the engine's that is not
// modelled here (a number's text, a text's number).
struct KnownCell {
  const StoredCell& stored;
  mutable bool exact = true;
  int64_t Int() const {
    if (stored.storage == SQLITE_INTEGER) return stored.integer;
    exact = false;
    return 0;
  }
  double Real() const {
    if (stored.storage == SQLITE_INTEGER) return static_cast<double>(stored.integer);
    if (stored.storage == SQLITE_FLOAT) return stored.real;
    exact = false;
    return 0;
  }
  std::string_view Text() const {
    if (stored.storage == SQLITE_TEXT) return stored.text;
    exact = false;
    return {};
  }
  std::optional<rt::Date> Date() const { return ParseStoredDate(Text()); }
};

// A column's default as PRAGMA table_info gives it (the text of its
// declaration), when it is a constant: none or NULL (Null), a whole number,
// or a quoted text. Nothing for anything the engine computes.
std::optional<rt::Variant> ConstantDefault(const rt::Variant& declared) {
  if (declared.IsNull()) return rt::Variant::Null();
  const std::string text = rt::CStr(declared);
  if (strcasecmp(text.c_str(), "NULL") == 0) return rt::Variant::Null();
  if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'') {
    std::string value;
    for (size_t i = 1; i + 1 < text.size(); ++i) {
      if (text[i] == '\'') {
        if (text[i + 1] != '\'' || i + 2 >= text.size()) return std::nullopt;
        ++i;
      }
      value += text[i];
    }
    return rt::Variant(std::move(value));
  }
  const size_t digits = text.size() - (text[0] == '-' ? 1 : 0);
  if (digits == 0 || digits > 18) return std::nullopt;
  for (size_t i = text.size() - digits; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
  return rt::Variant(rt::Decimal{std::stoll(text), 0});
}

class SqliteStatement final : public Statement {
 public:
  SqliteStatement(std::shared_ptr<Handle> handle, std::string_view sql)
      : handle_(std::move(handle)),
        entry_(handle_->statements->Take(sql)),
        prepared_(*entry_),
        stmt_(prepared_.stmt) {
    // The bindings of the statement's last run are still there: those this
    // run leaves unbound are bound to Null before its first step.
    const size_t count = prepared_.boundTexts.size();
    if (count <= 64) {
      unbound_ = count == 64 ? ~uint64_t{0} : (uint64_t{1} << count) - 1;
    } else {
      sqlite3_clear_bindings(stmt_);
    }
  }
  ~SqliteStatement() override { handle_->statements->Give(entry_); }

  int ParameterCount() const override { return static_cast<int>(prepared_.boundTexts.size()); }

  void Bind(int index, const rt::Variant& v) override {
    StoredCell cell;
    if (!StorageOf(v, cell)) rt::RaiseVb(rt::vberr::kTypeMismatch);
    int rc;
    const size_t slot = static_cast<size_t>(index - 1);
    switch (cell.storage) {
      case SQLITE_NULL: rc = sqlite3_bind_null(stmt_, index); break;
      case SQLITE_INTEGER: rc = sqlite3_bind_int64(stmt_, index, cell.integer); break;
      case SQLITE_FLOAT: rc = sqlite3_bind_double(stmt_, index, cell.real); break;
      default:
        if (index >= 1 && slot < prepared_.boundTexts.size()) {
          // Kept with the statement, so SQLite reads it without a copy.
          std::string& held = prepared_.boundTexts[slot];
          held.assign(cell.text);
          rc = sqlite3_bind_text(stmt_, index, held.data(), static_cast<int>(held.size()), SQLITE_STATIC);
        } else {
          rc = sqlite3_bind_text(stmt_, index, cell.text.data(), static_cast<int>(cell.text.size()),
                                 SQLITE_TRANSIENT);
        }
    }
    if (rc != SQLITE_OK) RaiseEngineError(handle_->db, rc);
    if (slot < 64) unbound_ &= ~(uint64_t{1} << slot);
  }

  bool Step() override {
    if (unbound_ != 0) BindLeftOutToNull();
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
    const int storage = sqlite3_column_type(stmt_, i);
    if (storage == SQLITE_NULL) return rt::Variant::Null();
    return ReadAs(ColumnCell{*this, i}, storage, (*prepared_.columns)[i].type);
  }

 private:
  // A column of the current row, as ReadAs asks for it.
  struct ColumnCell {
    const SqliteStatement& st;
    int i;
    int64_t Int() const { return sqlite3_column_int64(st.stmt_, i); }
    double Real() const { return sqlite3_column_double(st.stmt_, i); }
    std::string_view Text() const { return st.Text(i); }
    std::optional<rt::Date> Date() const { return st.DateOf(i); }
  };

  void BindLeftOutToNull() {
    for (size_t slot = 0; slot < 64; ++slot) {
      if (unbound_ & (uint64_t{1} << slot)) sqlite3_bind_null(stmt_, static_cast<int>(slot + 1));
    }
    unbound_ = 0;
  }

  std::string_view Text(int i) const {
    const unsigned char* p = sqlite3_column_text(stmt_, i);
    return std::string_view(reinterpret_cast<const char*>(p), sqlite3_column_bytes(stmt_, i));
  }
  // A date column's text parsed; rows one after another often hold the same
  // date, so each column keeps the last text it parsed (with the statement,
  // from one run to the next).
  std::optional<rt::Date> DateOf(int i) const {
    const std::string_view text = Text(i);
    auto& lastDates = prepared_.lastDates;
    if (lastDates.size() <= static_cast<size_t>(i)) lastDates.resize(i + 1);
    auto& [lastText, lastDate] = lastDates[i];
    if (!lastText.empty() && text == lastText) return lastDate;
    std::optional<rt::Date> date = ParseStoredDate(text);
    if (date) {
      lastText.assign(text);
      lastDate = *date;
    }
    return date;
  }

  std::shared_ptr<Handle> handle_;
  StatementCache::List::iterator entry_;
  PreparedStatement& prepared_;
  sqlite3_stmt* stmt_;
  uint64_t unbound_ = 0;  // the parameters (of the first 64) not bound in this run
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
    // The few texts found last are compared before any is hashed: a method's
    // reads come again and again with the same long texts.
    for (const Recent& r : recent_) {
      if (r.entry && r.text->size() == text.size() && std::memcmp(r.text->data(), text.data(), text.size()) == 0)
        return r.entry;
    }
    auto it = newer_.find(text);
    if (it == newer_.end()) {
      auto old = older_.find(text);
      if (old == older_.end()) return nullptr;
      auto node = older_.extract(old);
      it = Insert(std::move(node.key()), std::move(node.mapped()));
    }
    recent_[nextRecent_++ % recent_.size()] = Recent{&it->first, &it->second};
    return &it->second;
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
  Map::iterator Insert(std::string text, Entry entry) {
    if (newer_.size() >= capacity_ / 2) {
      older_ = std::move(newer_);  // the oldest entries go: none is remembered any more
      newer_ = Map();
      recent_.fill(Recent{});
    }
    return newer_.emplace(std::move(text), std::move(entry)).first;
  }
  // An entry found lately, by the text it is kept under (the map's nodes
  // stay where they are until the older half is given up).
  struct Recent {
    const std::string* text = nullptr;
    Entry* entry = nullptr;
  };
  size_t capacity_;
  Map newer_, older_;
  std::array<Recent, 4> recent_{};
  size_t nextRecent_ = 0;
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

  std::optional<rt::Variant> InsertedValue(const TableColumn& column, const TypeInfo& type,
                                           const rt::Variant* bound) const override {
    if (column.storage == 0 || column.triggered || (!bound && !column.constantDefault)) return std::nullopt;
    StoredCell cell;
    if (!StorageOf(bound ? *bound : column.defaultValue, cell) || !ApplyAffinity(static_cast<Affinity>(column.storage), cell))
      return std::nullopt;
    if (cell.storage == SQLITE_NULL) return rt::Variant::Null();
    KnownCell known{cell};
    try {
      rt::Variant value = ReadAs(known, cell.storage, type);
      if (known.exact) return value;
    } catch (const rt::ComError&) {
      // The read would fail: let it, where it happens.
    }
    return std::nullopt;
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
    std::set<std::string> triggered;
    {
      SqliteStatement list(handle_, "SELECT type, tbl_name FROM sqlite_schema WHERE type IN ('table', 'trigger')");
      while (list.Step()) {
        if (rt::CStr(list.Value(0)) == "table") {
          names.push_back(rt::CStr(list.Value(1)));
        } else {
          triggered.insert(Lower(rt::CStr(list.Value(1))));
        }
      }
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
        std::optional<rt::Variant> constant = ConstantDefault(info.Value(4));
        c.constantDefault = constant.has_value();
        if (constant) c.defaultValue = std::move(*constant);
        c.triggered = triggered.count(Lower(name)) > 0;
        c.storage = static_cast<uint8_t>(AffinityOf(c.declared));
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
    ConfigureSqlite();
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

namespace {

// A recordset read whole holds its values in many small blocks (some 45 MB
// for 100,000 rows of seven columns) and frees them all when it goes. The
// C library gives free room at the top of its heap back to the system once
// it passes 128 KB, so the next such read took every page from the system
// again, and those page faults cost it more than SQLite's own work. The
// heap keeps up to 64 MB of free room instead, and blocks of up to 32 MB
// come from it rather than from a mapping of their own made and dropped per
// use: the values that the library's own thresholds slide to after a large
// block is freed, fixed from the start (setting one stops the sliding).
void KeepFreedHeap() {
#ifdef __GLIBC__
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#endif
}

}  // namespace

void ConfigureSqlite() {
  static const bool configured = [] {
    // Refused (and harmless) once SQLite has started: then it keeps its count.
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    KeepFreedHeap();
    return true;
  }();
  (void)configured;
}

Engine& SqliteEngine() {
  static SqliteEngineImpl engine;
  return engine;
}

}  // namespace data
