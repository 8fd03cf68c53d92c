// Turns SQL Server statement text into SQLite's dialect, token by token.
//
// What changes:
//   set TRANSACTION ISOLATION LEVEL ...     no statement (SQLite is serializable)
//   N'text'                                  'text'
//   dbo.NAME                                 NAME
//   INSERT t ... / DELETE t WHERE ...        INSERT INTO t ... / DELETE FROM t ...
//   SELECT [DISTINCT] TOP n ...              SELECT [DISTINCT] ... LIMIT n
//   OFFSET n ROWS FETCH NEXT m ROWS ONLY     LIMIT m OFFSET n
//   'text' + x, x + 'text'                   'text' || x, x || 'text'
//   ISNULL(a, b)                             IFNULL(a, b)
//   a date literal compared with, or written into, a date column
//                                            the stored form 'YYYY-MM-DD HH:MM:SS'
// Refused, with the reason: TOP in a member of a compound query, TOP PERCENT
// or WITH TIES, a parameter as a row count, DELETE with a join, SET options
// other than the isolation level, an empty IN list.
// LIKE with bracket classes, case-insensitive text comparison and trailing
// blanks need no rewriting: the engine's LIKE function and NOCASE collation
// follow SQL Server's rules on our connections.
#include "data/tsql_translator.h"

#include <optional>

#include "data/date_text.h"
#include "data/tsql_lexer.h"

namespace data {

namespace {

bool IsComparison(const Token& t) {
  if (t.kind != TokenKind::Symbol) return false;
  static constexpr std::string_view kOps[] = {"=", "<>", "!=", "<", ">", "<=", ">=", "!<", "!>"};
  for (auto op : kOps) {
    if (t.text == op) return true;
  }
  return false;
}

bool IsName(const Token& t) { return t.kind == TokenKind::Word || t.kind == TokenKind::QuotedName; }

class StatementRewriter {
 public:
  StatementRewriter(std::vector<Token> tokens, SchemaInfo* schema)
      : t_(std::move(tokens)), schema_(schema) {
    Index();
  }

  std::optional<std::string> Run() {
    if (sig_.empty()) return std::nullopt;
    insert_ = S(0).IsWord("INSERT");
    if (S(0).IsWord("SET")) {
      if (S(1).IsWord("TRANSACTION") && S(2).IsWord("ISOLATION") && S(3).IsWord("LEVEL"))
        return std::nullopt;
      throw UntranslatableStatement("SET options other than the isolation level have no equivalent");
    }
    UnicodeLiterals();
    OwnerQualifiers();
    InsertAndDelete();
    Concatenation();
    Functions();
    LimitClauses();
    if (schema_) {
      DateLiteralsInComparisons();
      DateLiteralsInInsert();
    }
    std::string out;
    for (const Token& t : t_) out += t.text;
    return out;
  }

 private:
  void Index() {
    sig_.clear();
    for (size_t i = 0; i < t_.size(); ++i) {
      if (t_[i].kind != TokenKind::Space && !t_[i].text.empty()) sig_.push_back(i);
    }
  }
  // The k-th significant token, or an empty Space token past either end.
  Token& S(ptrdiff_t k) {
    if (k < 0 || static_cast<size_t>(k) >= sig_.size()) {
      none_ = Token{TokenKind::Space, ""};
      return none_;
    }
    return t_[sig_[k]];
  }
  ptrdiff_t Count() const { return static_cast<ptrdiff_t>(sig_.size()); }

  void UnicodeLiterals() {
    for (Token& t : t_) {
      if (t.kind == TokenKind::NString) {
        t.kind = TokenKind::String;
        t.text.erase(0, 1);
      }
    }
  }

  void OwnerQualifiers() {
    bool changed = false;
    for (ptrdiff_t k = 0; k + 2 < Count(); ++k) {
      const Token& t = S(k);
      bool owner = (t.kind == TokenKind::Word || t.kind == TokenKind::QuotedName) && t.Name().size() == 3 &&
                   Token{TokenKind::Word, t.Name()}.IsWord("dbo");
      if (owner && S(k + 1).IsSymbol(".") && sig_[k + 1] == sig_[k] + 1 && IsName(S(k + 2)) &&
          !(k > 0 && S(k - 1).IsSymbol("."))) {
        t_[sig_[k]].text.clear();
        t_[sig_[k + 1]].text.clear();
        changed = true;
      }
    }
    if (changed) Index();
  }

  void InsertAndDelete() {
    if (S(0).IsWord("INSERT") && !S(1).IsWord("INTO")) {
      S(0).text += " INTO";
    } else if (S(0).IsWord("DELETE") && !S(1).IsWord("FROM")) {
      for (ptrdiff_t k = 1; k < Count() && !S(k).IsWord("WHERE"); ++k) {
        if (S(k).IsWord("FROM"))
          throw UntranslatableStatement("DELETE with a FROM clause that joins tables has no equivalent");
      }
      S(0).text += " FROM";
    }
  }

  void Concatenation() {
    for (ptrdiff_t k = 0; k < Count(); ++k) {
      if (S(k).IsSymbol("+") && (S(k - 1).Is(TokenKind::String) || S(k + 1).Is(TokenKind::String)))
        S(k).text = "||";
    }
  }

  void Functions() {
    for (ptrdiff_t k = 0; k + 1 < Count(); ++k) {
      if (S(k).IsWord("ISNULL") && S(k + 1).IsSymbol("(")) S(k).text = "IFNULL";
      // SQLite takes an empty IN list; SQL Server refuses it as a syntax error.
      if (S(k).IsWord("IN") && S(k + 1).IsSymbol("(") && S(k + 2).IsSymbol(")"))
        throw UntranslatableStatement("an empty IN list is not valid SQL");
    }
  }

  // The text of a row count after TOP or in OFFSET/FETCH: a number or a
  // parenthesised expression; `k` moves past it.
  std::string CountAt(ptrdiff_t& k, const char* clause) {
    std::string text;
    if (S(k).Is(TokenKind::Number)) {
      text = S(k).text;
      ++k;
    } else if (S(k).IsSymbol("(")) {
      int depth = 0;
      size_t from = sig_[k];
      for (; k < Count(); ++k) {
        if (S(k).IsSymbol("(")) ++depth;
        if (S(k).IsSymbol(")") && --depth == 0) break;
      }
      if (k >= Count()) throw UntranslatableStatement(std::string("unbalanced parentheses after ") + clause);
      for (size_t i = from; i <= sig_[k]; ++i) text += t_[i].text;
      ++k;
    } else {
      throw UntranslatableStatement(std::string("the row count of ") + clause + " is not a number");
    }
    if (text.find('?') != std::string::npos)
      throw UntranslatableStatement(std::string("a parameter as the row count of ") + clause);
    return text;
  }

  // Removes the significant tokens [from, to), the blanks between them and
  // the blanks after them.
  void Blank(ptrdiff_t from, ptrdiff_t to) {
    size_t end = sig_[to - 1] + 1;
    while (end < t_.size() && t_[end].kind == TokenKind::Space) ++end;
    for (size_t i = sig_[from]; i < end; ++i) t_[i].text.clear();
  }

  struct Scope {
    bool compound = false;
    bool limited = false;
    std::string top;
  };

  void CloseScope(const Scope& scope, ptrdiff_t closing) {
    if (scope.top.empty()) return;
    if (scope.compound)
      throw UntranslatableStatement("TOP in a member of UNION, EXCEPT or INTERSECT has no equivalent");
    if (scope.limited) throw UntranslatableStatement("TOP together with OFFSET");
    if (closing < Count()) {
      S(closing).text = " LIMIT " + scope.top + S(closing).text;
    } else {
      S(Count() - 1).text += " LIMIT " + scope.top;
    }
  }

  void LimitClauses() {
    std::vector<Scope> scopes(1);
    for (ptrdiff_t k = 0; k < Count(); ++k) {
      Token& t = S(k);
      if (t.IsSymbol("(")) {
        scopes.emplace_back();
      } else if (t.IsSymbol(")")) {
        if (scopes.size() > 1) {
          CloseScope(scopes.back(), k);
          scopes.pop_back();
        }
      } else if (t.IsWord("UNION") || t.IsWord("EXCEPT") || t.IsWord("INTERSECT")) {
        scopes.back().compound = true;
      } else if (t.IsWord("SELECT")) {
        ptrdiff_t j = k + 1;
        if (S(j).IsWord("DISTINCT") || S(j).IsWord("ALL")) ++j;
        if (!S(j).IsWord("TOP")) continue;
        ptrdiff_t from = j++;
        std::string count = CountAt(j, "TOP");
        if (S(j).IsWord("PERCENT")) throw UntranslatableStatement("TOP ... PERCENT has no equivalent");
        if (S(j).IsWord("WITH") && S(j + 1).IsWord("TIES"))
          throw UntranslatableStatement("TOP ... WITH TIES has no equivalent");
        if (!scopes.back().top.empty()) throw UntranslatableStatement("two TOP clauses in one query");
        scopes.back().top = count;
        Blank(from, j);
        k = j - 1;
      } else if (t.IsWord("OFFSET")) {
        ptrdiff_t j = k + 1;
        std::string offset = CountAt(j, "OFFSET");
        if (!S(j).IsWord("ROWS") && !S(j).IsWord("ROW")) throw UntranslatableStatement("OFFSET without ROWS");
        ++j;
        std::string fetch = "-1";
        if (S(j).IsWord("FETCH")) {
          if (!S(j + 1).IsWord("NEXT") && !S(j + 1).IsWord("FIRST"))
            throw UntranslatableStatement("FETCH without NEXT or FIRST");
          j += 2;
          fetch = CountAt(j, "FETCH");
          if (!(S(j).IsWord("ROWS") || S(j).IsWord("ROW")) || !S(j + 1).IsWord("ONLY"))
            throw UntranslatableStatement("FETCH without ROWS ONLY");
          j += 2;
        }
        Blank(k, j);
        S(k).text = "LIMIT " + fetch + " OFFSET " + offset + (sig_[j - 1] + 1 < t_.size() ? " " : "");
        scopes.back().limited = true;
        k = j - 1;
      }
    }
    while (scopes.size() > 1) {  // unbalanced: the engine reports the syntax error
      scopes.pop_back();
    }
    CloseScope(scopes.front(), Count());
  }

  // The column that the literal at `k` is compared with, or empty.
  std::string ComparedColumn(ptrdiff_t k) {
    auto nameBefore = [&](ptrdiff_t j) -> std::string {
      if (S(j).IsWord("NOT")) --j;
      return IsName(S(j)) ? S(j).Name() : std::string();
    };
    if (IsComparison(S(k - 1)) && IsName(S(k - 2))) return S(k - 2).Name();
    if (IsComparison(S(k + 1)) && IsName(S(k + 2)) && !S(k + 3).IsSymbol("(")) {
      if (S(k + 3).IsSymbol(".") && IsName(S(k + 4))) return S(k + 4).Name();
      return S(k + 2).Name();
    }
    if (S(k - 1).IsWord("BETWEEN")) return nameBefore(k - 2);
    if (S(k - 1).IsWord("AND") && S(k - 3).IsWord("BETWEEN")) return nameBefore(k - 4);
    ptrdiff_t j = k - 1;
    while (S(j).IsSymbol(",") && S(j - 1).Is(TokenKind::String)) j -= 2;
    if (S(j).IsSymbol("(") && S(j - 1).IsWord("IN")) return nameBefore(j - 2);
    return {};
  }

  void RewriteDate(Token& t) {
    auto canonical = CanonicalDateText(t.StringValue());
    if (canonical) t.text = QuoteString(*canonical);
  }

  void DateLiteralsInComparisons() {
    for (ptrdiff_t k = 0; k < Count(); ++k) {
      Token& t = S(k);
      if (!t.Is(TokenKind::String) || !CanonicalDateText(t.StringValue())) continue;
      std::string column = ComparedColumn(k);
      if (!column.empty() && schema_->IsDateColumn("", column)) RewriteDate(t);
    }
  }

  void DateLiteralsInInsert() {
    if (!insert_) return;
    ptrdiff_t k = S(1).IsWord("INTO") ? 2 : 1;
    if (!IsName(S(k))) return;
    std::string table = S(k).Name();
    while (S(k + 1).IsSymbol(".") && IsName(S(k + 2))) {
      k += 2;
      table = S(k).Name();
    }
    ++k;
    std::vector<std::string> columns;
    if (S(k).IsSymbol("(")) {
      for (++k; k < Count() && !S(k).IsSymbol(")"); ++k) {
        if (IsName(S(k))) columns.push_back(S(k).Name());
      }
      ++k;
    } else {
      columns = schema_->ColumnNames(table);
    }
    if (!S(k).IsWord("VALUES")) return;
    for (++k; S(k).IsSymbol("("); ++k) {
      size_t position = 0;
      int depth = 0;
      ptrdiff_t valueStart = k + 1;
      for (; k < Count(); ++k) {
        const Token& t = S(k);
        if (t.IsSymbol("(")) {
          ++depth;
          continue;
        }
        bool ends = t.IsSymbol(")") && depth == 1;
        if (t.IsSymbol(")")) --depth;
        if ((t.IsSymbol(",") && depth == 1) || ends) {
          if (k == valueStart + 1 && S(valueStart).Is(TokenKind::String) && position < columns.size() &&
              schema_->IsDateColumn(table, columns[position]))
            RewriteDate(S(valueStart));
          ++position;
          valueStart = k + 1;
        }
        if (ends) break;
      }
      if (!S(k + 1).IsSymbol(",")) break;
      ++k;
    }
  }

  std::vector<Token> t_;
  std::vector<size_t> sig_;
  SchemaInfo* schema_;
  Token none_{TokenKind::Space, ""};
  bool insert_ = false;
};

}  // namespace

std::vector<std::string> TranslateForSqlite(std::string_view sql, SchemaInfo* schema) {
  std::vector<Token> tokens;
  try {
    tokens = Tokenize(sql);
  } catch (const std::invalid_argument& e) {
    throw UntranslatableStatement(e.what());
  }
  std::vector<std::string> statements;
  std::vector<Token> current;
  int depth = 0;
  auto flush = [&] {
    if (auto s = StatementRewriter(std::move(current), schema).Run()) statements.push_back(*s);
    current.clear();
  };
  for (Token& t : tokens) {
    if (t.IsSymbol("(")) ++depth;
    if (t.IsSymbol(")")) --depth;
    if (t.IsSymbol(";") && depth <= 0) {
      flush();
      continue;
    }
    current.push_back(std::move(t));
  }
  flush();
  return statements;
}

}  // namespace data

namespace data {

bool ReadsOneTable(std::string_view sql) {
  std::vector<Token> tokens;
  try {
    tokens = Tokenize(sql);
  } catch (const std::invalid_argument&) {
    return false;
  }
  int depth = 0;
  bool inFrom = false;
  for (const Token& t : tokens) {
    if (t.IsSymbol("(")) ++depth;
    if (t.IsSymbol(")")) --depth;
    if (depth != 0) continue;
    if (t.IsWord("DISTINCT") || t.IsWord("GROUP") || t.IsWord("UNION") || t.IsWord("EXCEPT") ||
        t.IsWord("INTERSECT") || t.IsWord("JOIN"))
      return false;
    if (t.IsWord("FROM")) inFrom = true;
    if (t.IsWord("WHERE") || t.IsWord("ORDER") || t.IsWord("HAVING")) inFrom = false;
    if (inFrom && t.IsSymbol(",")) return false;
  }
  return true;
}

}  // namespace data
