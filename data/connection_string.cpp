// Connection strings and the choice of engine by provider.
#include <strings.h>

#include <atomic>
#include <filesystem>
#include <system_error>
#include <unordered_map>

#include "data/engine.h"
#include "data/engine_hooks.h"
#include "data/session_broker.h"
#include "data/sqlite_engine.h"

namespace data {

namespace {

std::string Trimmed(std::string_view s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(b, e - b + 1));
}

bool KeyIs(const std::string& key, std::initializer_list<const char*> names) {
  for (const char* n : names) {
    if (strcasecmp(key.c_str(), n) == 0) return true;
  }
  return false;
}

[[noreturn]] void Fail(const std::string& text) { rt::Raise(rt::hr::kFail, "ADODB.Connection", text); }

constexpr size_t kKnownStrings = 64;

ConnectionSettings Parse(const std::string& text);

}  // namespace

const ConnectionSettings& ParsedConnectionString(const std::string& text) {
  // Every method opens its own connection with the same few strings: the
  // settings of a string that names its database by an absolute path are
  // kept per thread, sparing the path's resolution on each opening.
  thread_local std::unordered_map<std::string, ConnectionSettings> known;
  thread_local ConnectionSettings latest;
  auto hit = known.find(text);
  if (hit != known.end()) return hit->second;
  ConnectionSettings s = Parse(text);
  if (!s.dataSource.empty() && s.dataSource.front() == '/') {
    if (known.size() >= kKnownStrings) known.clear();
    return known.emplace(text, std::move(s)).first->second;
  }
  latest = std::move(s);
  return latest;
}

ConnectionSettings ParseConnectionString(const std::string& text) { return ParsedConnectionString(text); }

namespace {

ConnectionSettings Parse(const std::string& text) {
  ConnectionSettings s;
  size_t i = 0;
  while (i < text.size()) {
    size_t eq = text.find('=', i);
    if (eq == std::string::npos) {
      if (!Trimmed(std::string_view(text).substr(i)).empty())
        Fail("The connection string is not made of key=value pairs: '" + text + "'");
      break;
    }
    std::string key = Trimmed(std::string_view(text).substr(i, eq - i));
    size_t v = eq + 1;
    while (v < text.size() && text[v] == ' ') ++v;
    std::string value;
    if (v < text.size() && (text[v] == '"' || text[v] == '\'')) {
      size_t close = text.find(text[v], v + 1);
      if (close == std::string::npos) Fail("Unterminated quoted value in the connection string");
      value = text.substr(v + 1, close - v - 1);
      i = text.find(';', close);
    } else {
      size_t semi = text.find(';', v);
      value = Trimmed(std::string_view(text).substr(v, semi == std::string::npos ? std::string::npos : semi - v));
      i = semi;
    }
    if (KeyIs(key, {"Provider"})) s.provider = value;
    else if (KeyIs(key, {"Data Source", "DataSource", "Database", "Initial Catalog"})) s.dataSource = value;
    if (i == std::string::npos) break;
    ++i;
  }
  if (s.provider.empty()) s.provider = "SQLite";
  EngineFor(s.provider);
  if (s.dataSource.empty()) Fail("The connection string names no data source: '" + text + "'");
  std::error_code ec;
  std::filesystem::path path = std::filesystem::weakly_canonical(std::filesystem::absolute(s.dataSource, ec), ec);
  s.key = "sqlite:" + (ec ? s.dataSource : path.string());
  return s;
}

}  // namespace

namespace {
std::atomic<Engine*> gOverride{nullptr};
}  // namespace

Engine& EngineFor(const std::string& provider) {
  if (strcasecmp(provider.c_str(), "SQLite") != 0) Fail("Provider cannot be found: '" + provider + "'");
  if (Engine* engine = gOverride.load(std::memory_order_acquire)) return *engine;
  return SqliteEngine();
}

void OverrideEngine(Engine* engine) {
  gOverride.store(engine, std::memory_order_release);
  ForgetPooledSessions();
}

}  // namespace data
