// SQL Server's text rules as SQLite functions and collations. Compiled twice:
// into the data layer, and with SUITE_SQLITE_EXTENSION into the loadable
// extension, where SQLite's functions are reached through the table of
// routines that the loading client hands over.
#include "data/sqlite_text_rules.h"

#ifdef SUITE_SQLITE_EXTENSION
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT3
#else
#include <sqlite3.h>
#endif

#include <optional>
#include <string>
#include <string_view>

#include "data/text_rules.h"

namespace data {

namespace {

int CompareCollated(void*, int n1, const void* p1, int n2, const void* p2) {
  return CompareText(std::string_view(static_cast<const char*>(p1), n1),
                     std::string_view(static_cast<const char*>(p2), n2));
}

std::string_view TextOf(sqlite3_value* value) {
  const unsigned char* p = sqlite3_value_text(value);
  return std::string_view(reinterpret_cast<const char*>(p), sqlite3_value_bytes(value));
}

// like(pattern, text[, escape]) stands for "text LIKE pattern [ESCAPE e]".
void LikeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i) {
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
      sqlite3_result_null(ctx);
      return;
    }
  }
  std::optional<char32_t> escape;
  if (argc == 3) {
    const std::string_view e = TextOf(argv[2]);
    size_t characters = 0;
    for (unsigned char c : e) characters += (c & 0xC0) != 0x80 ? 1 : 0;
    if (characters != 1) {
      sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
      return;
    }
    if (static_cast<unsigned char>(e[0]) >= 0x80) {
      sqlite3_result_error(ctx, "ESCAPE character must be ASCII", -1);
      return;
    }
    escape = static_cast<char32_t>(e[0]);
  }
  sqlite3_result_int(ctx, LikeMatches(TextOf(argv[1]), TextOf(argv[0]), escape) ? 1 : 0);
}

// upper(x) and lower(x) over all of Unicode, as SQL Server's.
template <std::string (*Map)(std::string_view)>
void CaseFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    sqlite3_result_null(ctx);
    return;
  }
  const std::string out = Map(TextOf(argv[0]));
  sqlite3_result_text(ctx, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

}  // namespace

int InstallSqlServerTextRules(sqlite3* db) {
  for (const char* name : {kTextCollation, "NOCASE"}) {
    const int rc = sqlite3_create_collation_v2(db, name, SQLITE_UTF8, nullptr, CompareCollated, nullptr);
    if (rc != SQLITE_OK) return rc;
  }
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  struct Function {
    const char* name;
    int arguments;
    void (*call)(sqlite3_context*, int, sqlite3_value**);
  };
  const Function functions[] = {{"like", 2, LikeFunction},
                                {"like", 3, LikeFunction},
                                {"upper", 1, CaseFunction<UpperText>},
                                {"lower", 1, CaseFunction<LowerText>}};
  for (const Function& f : functions) {
    const int rc = sqlite3_create_function(db, f.name, f.arguments, flags, nullptr, f.call, nullptr, nullptr);
    if (rc != SQLITE_OK) return rc;
  }
  return SQLITE_OK;
}

}  // namespace data
