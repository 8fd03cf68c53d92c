// The embedded directory store: one SQLite file (schema db/directory/*.sql).
#include <sqlite3.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <iterator>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "interfaces/pellorin.h"
#include "interfaces/solvane.h"
#include "runtime/com_error.h"
#include "runtime/registry.h"
#include "suite/pellorin/directory_store.h"
#include "suite/pellorin/password_hash.h"

namespace pellorin {
namespace {

const char* const kSource = "Pellorin.Directory";

// The key under which an id is unique: its full case folding, so that two
// ids are one key exactly when rt::TextCompare finds them equal (the
// comparison of searches and of the user lists' page walk).
std::string KeyOf(const std::string& id) {
  if (std::all_of(id.begin(), id.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return rt::LCase(id);
  icu::UnicodeString folded =
      icu::UnicodeString::fromUTF8(icu::StringPiece(id.data(), static_cast<int32_t>(id.size())));
  folded.foldCase(U_FOLD_CASE_DEFAULT);
  std::string key;
  folded.toUTF8String(key);
  return key;
}

// One prepared statement, finalised when it goes out of scope.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &st_, nullptr) != SQLITE_OK) Fail();
  }
  ~Statement() { sqlite3_finalize(st_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, const std::string& text) {
    sqlite3_bind_text(st_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& Bind(int index, int value) {
    sqlite3_bind_int(st_, index, value);
    return *this;
  }
  bool Step() {
    int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) Fail();
    return false;
  }
  std::string Text(int column) const {
    const unsigned char* text = sqlite3_column_text(st_, column);
    return text ? std::string(reinterpret_cast<const char*>(text),
                              static_cast<size_t>(sqlite3_column_bytes(st_, column)))
                : std::string();
  }
  int Int(int column) const { return sqlite3_column_int(st_, column); }

 private:
  [[noreturn]] void Fail() {
    RaiseDirectoryError(eStoreFailure, kSource,
                        std::string("The directory database failed: ") + sqlite3_errmsg(db_));
  }
  sqlite3* db_;
  sqlite3_stmt* st_ = nullptr;
};

class SqliteDirectory : public DirectoryStore {
 public:
  explicit SqliteDirectory(const std::string& path) : path_(path) {
    // The file must exist: `suitehost init` makes it with its schema.
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
      std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      db_ = nullptr;
      RaiseDirectoryError(eStoreFailure, kSource,
                          "The directory database '" + path + "' cannot be opened: " + why);
    }
    sqlite3_busy_timeout(db_, 5000);
    // Write-ahead logging lets searches and binds of other threads and
    // processes read while one writer writes. The first connection switches
    // the file for good; should another hold it right then, this one works
    // in the old mode and a later one switches.
    sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
  }
  ~SqliteDirectory() override { sqlite3_close(db_); }

  bool Authenticate(const std::string& account, const std::string& password) override {
    if (account.empty()) return false;
    std::string hash;
    {
      Statement st(db_, "SELECT PASSWORDHASH FROM DIRECTORYENTRY WHERE ENTRYKEY = ?");
      st.Bind(1, KeyOf(account));
      if (!st.Step()) return false;
      hash = st.Text(0);
    }
    // A hash is deliberately slow, and every bind checks the account: a
    // bind with the password last proven for the account, whose stored hash
    // is unchanged, is not hashed again.
    const std::string cacheKey = path_ + '\n' + KeyOf(account);
    std::string digest = ProcessDigest(password);
    {
      std::lock_guard<std::mutex> lock(ProvenMutex());
      auto it = Proven().find(cacheKey);
      if (it != Proven().end() && it->second.first == hash && it->second.second == digest) return true;
    }
    if (!VerifyPassword(password, hash)) return false;
    std::lock_guard<std::mutex> lock(ProvenMutex());
    if (Proven().size() >= kProvenLimit) Proven().clear();
    Proven()[cacheKey] = {hash, std::move(digest)};
    return true;
  }

  std::optional<Entry> Read(const std::string& id) override {
    Transaction snapshot(db_, "BEGIN");  // the entry and its attributes as of one moment
    Entry entry;
    {
      Statement st(db_, "SELECT USERID FROM DIRECTORYENTRY WHERE ENTRYKEY = ?");
      st.Bind(1, KeyOf(id));
      if (!st.Step()) return std::nullopt;
      entry.id = st.Text(0);
    }
    Statement st(db_, "SELECT NAME, VALUE FROM DIRECTORYATTRIBUTE WHERE ENTRYKEY = ? ORDER BY NAME, SEQ");
    st.Bind(1, KeyOf(id));
    while (st.Step()) {
      std::string name = st.Text(0);
      if (entry.attributes.empty() || rt::TextCompare(entry.attributes.back().first, name) != 0)
        entry.attributes.emplace_back(name, std::vector<std::string>{});
      entry.attributes.back().second.push_back(st.Text(1));
    }
    snapshot.Commit();
    return entry;
  }

  std::vector<std::string> Search(const std::vector<Filter>& filters) override {
    // Entries and attribute values read as of one moment, so that a change
    // made meanwhile by another process is seen whole or not at all.
    Transaction snapshot(db_, "BEGIN");
    // The keys that pass every attribute filter, then the entries among them
    // that pass the filters on the id.
    std::optional<std::unordered_set<std::string>> passingAll;
    for (const Filter& filter : filters) {
      if (filter.onId) continue;
      std::unordered_set<std::string> passing = Passing(filter);
      if (!passingAll) {
        passingAll = std::move(passing);
        continue;
      }
      for (auto it = passingAll->begin(); it != passingAll->end();)
        it = passing.count(*it) ? std::next(it) : passingAll->erase(it);
    }
    std::vector<std::string> ids;
    auto keep = [&](std::string id) {
      for (const Filter& filter : filters)
        if (filter.onId && !Matches(filter, id)) return;
      ids.push_back(std::move(id));
    };
    Statement st(db_, "SELECT ENTRYKEY, USERID FROM DIRECTORYENTRY");
    while (st.Step())
      if (!passingAll || passingAll->count(st.Text(0))) keep(st.Text(1));
    snapshot.Commit();
    std::sort(ids.begin(), ids.end(), IdLess);
    return ids;
  }

  void Create(const std::string& id, const std::string& password,
              const AttributeChanges& attributes) override {
    CheckUserId(id);
    if (password.empty())
      RaiseDirectoryError(ePasswordRefused, kSource, "The directory refuses an empty password");
    std::string hash = HashPassword(password);
    Transaction tx(db_);
    {
      Statement st(db_, "SELECT USERID FROM DIRECTORYENTRY WHERE ENTRYKEY = ?");
      st.Bind(1, KeyOf(id));
      if (st.Step())
        RaiseDirectoryError(eUserExists, kSource,
                            "The directory already holds the user '" + st.Text(0) + "'");
    }
    Statement st(db_, "INSERT INTO DIRECTORYENTRY (ENTRYKEY, USERID, PASSWORDHASH) VALUES (?, ?, ?)");
    st.Bind(1, KeyOf(id)).Bind(2, id).Bind(3, hash).Step();
    Write(KeyOf(id), attributes);
    tx.Commit();
  }

  bool Change(const std::string& id, const AttributeChanges& changes) override {
    Transaction tx(db_);
    if (!Exists(KeyOf(id))) return false;
    Write(KeyOf(id), changes);
    tx.Commit();
    return true;
  }

  bool Remove(const std::string& id) override {
    Transaction tx(db_);
    if (!Exists(KeyOf(id))) return false;
    Statement(db_, "DELETE FROM DIRECTORYATTRIBUTE WHERE ENTRYKEY = ?").Bind(1, KeyOf(id)).Step();
    Statement(db_, "DELETE FROM DIRECTORYENTRY WHERE ENTRYKEY = ?").Bind(1, KeyOf(id)).Step();
    tx.Commit();
    return true;
  }

 private:
  // Writes begin IMMEDIATE: the write lock is taken at once, so two writers
  // queue on the busy timeout instead of failing half-way. Reads begin
  // deferred, a snapshot that holds only a read lock.
  class Transaction {
   public:
    explicit Transaction(sqlite3* db, const char* begin = "BEGIN IMMEDIATE") : db_(db) { Exec(begin); }
    ~Transaction() {
      if (!done_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void Commit() {
      Exec("COMMIT");
      done_ = true;
    }

   private:
    void Exec(const char* sql) { Statement(db_, sql).Step(); }
    sqlite3* db_;
    bool done_ = false;
  };

  bool Exists(const std::string& key) {
    Statement st(db_, "SELECT 1 FROM DIRECTORYENTRY WHERE ENTRYKEY = ?");
    st.Bind(1, key);
    return st.Step();
  }

  void Write(const std::string& key, const AttributeChanges& changes) {
    for (const auto& [info, values] : changes) {
      Statement(db_, "DELETE FROM DIRECTORYATTRIBUTE WHERE ENTRYKEY = ? AND NAME = ?")
          .Bind(1, key)
          .Bind(2, info.name)
          .Step();
      for (size_t i = 0; i < values.size(); ++i) {
        Statement(db_, "INSERT INTO DIRECTORYATTRIBUTE (ENTRYKEY, NAME, SEQ, VALUE) VALUES (?, ?, ?, ?)")
            .Bind(1, key)
            .Bind(2, info.name)
            .Bind(3, static_cast<int>(i))
            .Bind(4, values[i])
            .Step();
      }
    }
  }

  // Values of one attribute by entry key.
  std::unordered_map<std::string, std::vector<std::string>> ValuesOf(const std::string& name) {
    std::unordered_map<std::string, std::vector<std::string>> values;
    Statement st(db_, "SELECT ENTRYKEY, VALUE FROM DIRECTORYATTRIBUTE WHERE NAME = ?");
    st.Bind(1, name);
    while (st.Step()) values[st.Text(0)].push_back(st.Text(1));
    return values;
  }

  // The keys of the entries with a value that passes the filter.
  std::unordered_set<std::string> Passing(const Filter& filter) {
    std::unordered_set<std::string> passing;
    if (filter.attribute.name != "VYRole") {
      // One pass over the values, none of them kept.
      Statement st(db_, "SELECT ENTRYKEY, VALUE FROM DIRECTORYATTRIBUTE WHERE NAME = ?");
      st.Bind(1, filter.attribute.name);
      while (st.Step())
        if (Matches(filter, st.Text(1))) passing.insert(st.Text(0));
      return passing;
    }
    auto values = ValuesOf(filter.attribute.name);
    auto passes = [&](const std::vector<std::string>& list) {
      return std::any_of(list.begin(), list.end(),
                         [&](const std::string& v) { return Matches(filter, v); });
    };
    for (const auto& [key, list] : values)
      if (passes(list)) passing.insert(key);
    // An entry without roles of its own holds those of its related entry.
    for (const auto& [key, related] : ValuesOf("RelatedEntry")) {
      if (values.count(key) || related.empty()) continue;
      auto it = values.find(KeyOf(related[0]));
      if (it != values.end() && passes(it->second)) passing.insert(key);
    }
    return passing;
  }

  // Accounts proven in this process: database and account key to the stored
  // hash and the process digest of the password that matched it.
  static constexpr size_t kProvenLimit = 256;
  static std::mutex& ProvenMutex() {
    static std::mutex mutex;
    return mutex;
  }
  static std::unordered_map<std::string, std::pair<std::string, std::string>>& Proven() {
    static std::unordered_map<std::string, std::pair<std::string, std::string>> proven;
    return proven;
  }

  std::string path_;
  sqlite3* db_ = nullptr;
};

}  // namespace

const std::vector<std::string>* Entry::Find(std::string_view name) const {
  for (const auto& [n, values] : attributes)
    if (rt::TextCompare(n, name) == 0) return &values;
  return nullptr;
}

void CheckUserId(const std::string& id) {
  // Blanks are refused as well: the user lists continue a page after the
  // last listed id + "!", and only a blank (or a control character) sorts
  // between an id and that key, so "ab c" would be skipped after "ab".
  // Text that is not UTF-8 is refused because it cannot be compared.
  bool valid = !id.empty() && id.size() <= 256;
  const auto* bytes = reinterpret_cast<const uint8_t*>(id.data());
  const int32_t length = static_cast<int32_t>(id.size());
  for (int32_t i = 0; valid && i < length;) {
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    valid = c > 0x20 && c != 0x7f && c != ',' && c != '*' && !(c >= 0x80 && c < 0xa0);
  }
  if (!valid)
    RaiseDirectoryError(eInvalidValue, kSource,
                        "'" + id + "' is not a directory id (empty, too long, not UTF-8, or holding a "
                        "blank, a control character, \",\" or \"*\")");
}

std::shared_ptr<DirectoryStore> OpenSqliteDirectory(const std::string& path) {
  return std::make_shared<SqliteDirectory>(path);
}

std::shared_ptr<DirectoryStore> OpenConfiguredDirectory() {
  std::string path;
  try {
    auto configuration = std::dynamic_pointer_cast<IConfiguration>(
        rt::CreateObject("Solvane.Configuration"));
    if (configuration) path = configuration->GetValue("DIRECTORY", "Path");
  } catch (const rt::ComError& e) {
    RaiseDirectoryError(eStoreFailure, kSource,
                        "The directory's configuration cannot be read: " + e.description());
  }
  if (path.empty())
    RaiseDirectoryError(eStoreFailure, kSource,
                        "The configuration names no directory database ([DIRECTORY] Path)");
  return OpenSqliteDirectory(path);
}

}  // namespace pellorin
