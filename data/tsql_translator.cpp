// Turns SQL Server statement text into SQLite's dialect, token by token.
//
// What changes:
//   set TRANSACTION ISOLATION LEVEL ...     no statement (SQLite is serializable)
//   N'text'                                  'text'
//   dbo.NAME                                 NAME
//   INSERT t ... / DELETE t WHERE ...        INSERT INTO t ... / DELETE FROM t ...
//   SELECT [DISTINCT] TOP n ...              SELECT [DISTINCT] ... LIMIT n
//   OFFSET n ROWS FETCH NEXT m ROWS ONLY     LIMIT m OFFSET n
//   a + 'text' + b                           a || 'text' || b
//   ISNULL(a, b)                             IFNULL(a, b)
//   CAST(x AS varchar(n))                    substr(CAST(x AS TEXT), 1, n)
//   a text compared with a date column       the date SQL Server reads from it, in
//                                            the stored form 'YYYY-MM-DD HH:MM:SS'
//                                            (with its fraction of a second), or
//                                            the statement is refused as SQL
//                                            Server refuses the text
//   'true', 'false', '' compared with a bit column
//                                            1, 0, 0
//   a literal written into a column (INSERT ... VALUES, UPDATE ... SET)
//                                            converted to fit the column as SQL
//                                            Server converts it (column_fit.h),
//                                            or the statement is refused
//   5AND (a number glued to a word)          5 AND
// Refused, with the reason: TOP in a member of a compound query, TOP PERCENT
// or WITH TIES, a parameter as a row count, DELETE with a join, SET options
// other than the isolation level, an empty IN list, text joined with + next
// to other arithmetic or to a number literal, CAST to a type SQLite reads
// otherwise, the functions SQLite lacks or reads otherwise, *= and =*.
// The "?" parameters written into a column are noted with the column's type,
// so that the values bound to them are made to fit it too.
// LIKE with bracket classes, case-insensitive text comparison and trailing
// blanks need no rewriting: the engine's LIKE function and the columns'
// collation follow SQL Server's rules on our connections.
//
// For the engine's own use the literals of a SELECT, INSERT, UPDATE or
// DELETE become "?" parameters bound to their values (BoundLiteral), so
// that statements which differ only in them share one translation and one
// prepared statement; a literal is left as written where a bound value would
// mean something else (see ChooseBoundLiterals).
#include "data/tsql_translator.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <set>

#include "data/column_fit.h"
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

// SQLite's historic limit on a statement's parameters: a statement that
// would bind more keeps its literals as written.
constexpr size_t kMostBound = 999;

// Whether a number literal is a whole number that fits 64 bits, which the
// engine reads as exactly the value bound in its place. One with a fraction
// or an exponent stays as written: SQLite's reading of its digits can
// differ in the last bit from a double parsed here.
bool WholeNumberLiteral(std::string_view text) {
  if (text.empty() || text.size() > 19) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return text.size() < 19 || text <= "9223372036854775807";
}

// Whether a literal may become a parameter: a string or a whole number.
bool MayBind(TokenKind kind, std::string_view text) {
  return kind == TokenKind::String || kind == TokenKind::NString ||
         (kind == TokenKind::Number && WholeNumberLiteral(text));
}

// Whether a text may read otherwise against a column that holds dates or
// bits: anything but a date in the stored form, which a date column takes
// as it is (converted, refused, or 'true' made 1).
bool ReadsOtherwiseAgainstColumns(std::string_view value) { return !IsStoredDateText(value); }

// Words that may stand before a "(" that opens a group or a list rather
// than a function's arguments.
bool OpensGroup(const Token& t) {
  static constexpr std::string_view kWords[] = {
      "IN",   "EXISTS", "VALUES", "AND",  "OR",   "NOT",   "WHERE", "ON",     "HAVING", "WHEN",
      "THEN", "ELSE",   "BETWEEN", "LIKE", "IS",  "SELECT", "FROM", "JOIN",   "AS",     "SET",
      "ALL",  "ANY",    "SOME",   "UNION", "EXCEPT", "INTERSECT", "DISTINCT", "RETURN"};
  for (std::string_view word : kWords) {
    if (t.IsWord(word)) return true;
  }
  return false;
}

class StatementRewriter {
 public:
  StatementRewriter(std::vector<Token> tokens, SchemaInfo* schema, bool bindLiterals)
      : t_(std::move(tokens)), schema_(schema) {
    SeparateGluedNumbers();
    Index();
    bound_.assign(t_.size(), false);
    if (bindLiterals) ChooseBoundLiterals();
  }

  // The literals of the statement left as written.
  void KeptLiterals(std::vector<uint32_t>& kept) const {
    for (size_t i = 0; i < t_.size(); ++i) {
      if (t_[i].literal >= 0 && !bound_[i]) kept.push_back(static_cast<uint32_t>(t_[i].literal));
    }
  }

  std::optional<EngineStatement> Run() {
    if (sig_.empty()) return std::nullopt;
    insert_ = S(0).IsWord("INSERT");
    if (S(0).IsWord("SET")) {
      if (S(1).IsWord("TRANSACTION") && S(2).IsWord("ISOLATION") && S(3).IsWord("LEVEL"))
        return std::nullopt;
      throw UntranslatableStatement("SET options other than the isolation level have no equivalent");
    }
    delete_ = S(0).IsWord("DELETE");
    OwnerQualifiers();
    if (schema_) {
      // Before N'...' loses its N, which SQL Server's messages name.
      if (insert_) InsertedValues();
      if (S(0).IsWord("UPDATE")) UpdatedValues();
    }
    UnicodeLiterals();
    InsertAndDelete();
    Concatenation();
    Functions();
    LimitClauses();
    if (schema_) LiteralsInComparisons();
    Casts();
    return Assembled();
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

  // Chooses the literals that become parameters. A literal stays as
  // written where a bound value would mean something else or be read
  // otherwise:
  //  - in any statement but SELECT, INSERT, UPDATE and DELETE (a schema
  //    statement takes no parameters);
  //  - in a select list, where an item's text is its column's name
  //    ("SELECT 1" names its column "1"), subqueries in it included;
  //  - in ORDER BY and GROUP BY, where a number is a column's position;
  //  - the row counts of TOP, OFFSET, FETCH and LIMIT: TOP's moves to the
  //    end of its query (and OFFSET's after FETCH's), where a "?" would take
  //    another's place in the order;
  //  - in a function's arguments (CAST's type widths among them), where an
  //    index on an expression must find its own text: the '' of
  //    IFNULL(GROUPBY, '') that CATALOGPRODUCTPRICE's key matches;
  //  - after ESCAPE, part of the pattern's syntax;
  //  - glued to the word before it (x'1F' is a blob);
  //  - a number with a fraction or an exponent (WholeNumberLiteral);
  //  - all of a statement's when it would bind more than kMostBound.
  // A string that holds NUL is bound wherever the statement takes
  // parameters: written, the engine would read the text only up to it.
  void ChooseBoundLiterals() {
    const Token& first = S(0);
    if (!first.IsWord("SELECT") && !first.IsWord("INSERT") && !first.IsWord("UPDATE") && !first.IsWord("DELETE"))
      return;
    enum class Clause { Other, SelectList, Grouping, ToEnd };
    struct Scope {
      Clause clause = Clause::Other;
      bool kept = false;  // everything inside stays as written
    };
    std::vector<Scope> scopes(1);
    std::vector<size_t> chosen;
    size_t parameters = 0;
    for (ptrdiff_t k = 0; k < Count(); ++k) {
      const Token& t = S(k);
      Scope& scope = scopes.back();
      if (t.IsSymbol("(")) {
        const Token& before = S(k - 1);
        const bool call = (before.Is(TokenKind::Word) && !OpensGroup(before)) || before.Is(TokenKind::QuotedName);
        scopes.push_back(Scope{Clause::Other, scope.kept || scope.clause != Clause::Other || call});
      } else if (t.IsSymbol(")")) {
        if (scopes.size() > 1) scopes.pop_back();
      } else if (t.Is(TokenKind::Word)) {
        if (scope.clause == Clause::ToEnd) continue;
        if (t.IsWord("SELECT")) {
          scope.clause = Clause::SelectList;
        } else if ((t.IsWord("ORDER") && S(k + 1).IsWord("BY")) || t.IsWord("LIMIT") || t.IsWord("OFFSET") ||
                   t.IsWord("FETCH")) {
          scope.clause = Clause::ToEnd;
        } else if (t.IsWord("GROUP") && S(k + 1).IsWord("BY")) {
          scope.clause = Clause::Grouping;
        } else if (t.IsWord("FROM") || t.IsWord("WHERE") || t.IsWord("HAVING") || t.IsWord("UNION") ||
                   t.IsWord("EXCEPT") || t.IsWord("INTERSECT")) {
          scope.clause = Clause::Other;
        }
      } else if (t.Is(TokenKind::Parameter)) {
        ++parameters;
      } else if (t.literal >= 0) {
        const Token& before = S(k - 1);
        const bool kept = scope.kept || scope.clause != Clause::Other || before.IsWord("TOP") ||
                          before.IsWord("ESCAPE") || (sig_[k] > 0 && t_[sig_[k] - 1].Is(TokenKind::Word));
        const bool nul = !t.Is(TokenKind::Number) && t.text.find('\0') != std::string::npos;
        if (!kept || nul) chosen.push_back(sig_[k]);
      }
    }
    if (chosen.size() + parameters > kMostBound) return;
    for (size_t i : chosen) bound_[i] = true;
  }

  // The statement's text with a "?" for each bound literal, and what each
  // "?" binds.
  EngineStatement Assembled() {
    EngineStatement out;
    std::vector<TypeInfo> columns;
    bool written = false;
    for (size_t i = 0; i < t_.size(); ++i) {
      const Token& t = t_[i];
      const bool literal = bound_[i] && !t.text.empty();
      if (literal || t.Is(TokenKind::Parameter)) {
        auto slot = slots_.find(i);
        columns.push_back(slot == slots_.end() ? TypeInfo{} : slot->second.column);
        written = written || columns.back().store != StoreKind::Any;
        if (literal) {
          BoundLiteral bound;
          bound.parameter = static_cast<int>(columns.size());
          bound.literal = static_cast<uint32_t>(t.literal);
          if (slot != slots_.end()) {
            bound.fitted = slot->second.fitted;
            bound.sign = slot->second.sign;
            bound.against = slot->second.against;
          }
          out.literals.push_back(bound);
        }
      }
      out.sql += literal ? std::string_view("?") : std::string_view(t.text);
      auto after = after_.find(i);
      if (after != after_.end()) {
        out.sql += after->second;
      } else if (literal) {
        // "?5" would name the fifth parameter.
        for (size_t j = i + 1; j < t_.size(); ++j) {
          if (t_[j].text.empty()) continue;
          if (std::isdigit(static_cast<unsigned char>(t_[j].text[0]))) out.sql += ' ';
          break;
        }
      }
    }
    if (written) out.parameterColumns = std::move(columns);
    return out;
  }

  // SQL Server ends a number where the word after it begins ("CATALOGID=5AND
  // USERID" reads as "5 AND"); SQLite refuses the glued text. A blank goes
  // between them. Exponents (1e3) and binary literals (0x1F) are numbers
  // of their own and stay as written.
  void SeparateGluedNumbers() {
    for (size_t i = 0; i + 1 < t_.size(); ++i) {
      if (t_[i].kind == TokenKind::Number && t_[i + 1].kind == TokenKind::Word)
        t_.insert(t_.begin() + static_cast<ptrdiff_t>(++i), Token{TokenKind::Space, " "});
    }
  }

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

  // SQL Server's + joins texts; SQLite's joins only numbers. A chain of
  // operands joined by + (a + b + c, at one level of parentheses) that holds
  // a string literal joins texts from its first operand on, so every + of it
  // becomes ||, which is associative and so keeps the grouping. A chain that
  // mixes the texts with other arithmetic, or adds a number literal to a
  // text (SQL Server would turn the text into a number), is refused: || binds
  // tighter than * in SQLite and the meaning would change.
  void Concatenation() {
    for (ptrdiff_t k = 0; k < Count(); ++k) {
      const Token& before = S(k - 1);
      if (IsArithmetic(before) || before.IsSymbol(".")) continue;
      std::vector<ptrdiff_t> pluses;
      bool text = false, number = false, other = false;
      ptrdiff_t j = k;
      while (true) {
        ptrdiff_t end = OperandEnd(j);
        if (end < 0) break;
        text = text || (end == j + 1 && S(j).Is(TokenKind::String));
        number = number || (end == j + 1 && S(j).Is(TokenKind::Number));
        if (!IsArithmetic(S(end))) break;
        if (S(end).IsSymbol("+")) pluses.push_back(end);
        else other = true;
        j = end + 1;
      }
      if (pluses.empty() || !text) continue;
      if (other) throw UntranslatableStatement("text joined with + next to other arithmetic has no equivalent");
      if (number) throw UntranslatableStatement("a number literal added to a text has no equivalent");
      for (ptrdiff_t p : pluses) S(p).text = "||";
    }
  }

  static bool IsArithmetic(const Token& t) {
    return t.IsSymbol("+") || t.IsSymbol("-") || t.IsSymbol("*") || t.IsSymbol("/") || t.IsSymbol("%");
  }

  // The position after the matching ")" of the "(" at `k`, or Count().
  ptrdiff_t AfterGroup(ptrdiff_t k) {
    int depth = 0;
    for (; k < Count(); ++k) {
      if (S(k).IsSymbol("(")) ++depth;
      if (S(k).IsSymbol(")") && --depth == 0) return k + 1;
    }
    return Count();
  }

  // The position after the operand that starts at `k` (a literal, a
  // parameter, a possibly qualified name, a function call, CASE ... END or a
  // parenthesised group, with an optional sign); -1 when none starts there.
  ptrdiff_t OperandEnd(ptrdiff_t k) {
    if (S(k).IsSymbol("-") || S(k).IsSymbol("+")) ++k;
    const Token& t = S(k);
    if (t.Is(TokenKind::String) || t.Is(TokenKind::Number) || t.Is(TokenKind::Parameter)) return k + 1;
    if (t.IsSymbol("(")) return AfterGroup(k);
    if (t.IsWord("CASE")) {
      int depth = 0;
      for (; k < Count(); ++k) {
        if (S(k).IsWord("CASE")) ++depth;
        if (S(k).IsWord("END") && --depth == 0) return k + 1;
      }
      return Count();
    }
    if (!IsName(t)) return -1;
    ++k;
    while (S(k).IsSymbol(".") && IsName(S(k + 1))) k += 2;
    if (S(k).IsSymbol("(")) return AfterGroup(k);
    return k;
  }

  // SQL Server functions and operators that SQLite lacks or reads otherwise.
  static const char* RefusedFunction(const Token& t) {
    static constexpr std::string_view kRefused[] = {
        "CONVERT",  "TRY_CONVERT", "GETDATE",   "GETUTCDATE", "SYSDATETIME", "DATEADD", "DATEDIFF",
        "DATEPART", "DATENAME",    "YEAR",      "MONTH",      "DAY",         "LEN",     "DATALENGTH",
        "CHARINDEX", "PATINDEX",   "STUFF",     "LEFT",       "RIGHT",       "SPACE",   "REPLICATE",
        "STR",      "REPLACE",     "NEWID",     "SCOPE_IDENTITY", "IDENT_CURRENT", "ISNUMERIC", "ISDATE"};
    for (std::string_view name : kRefused) {
      if (t.IsWord(name)) return name.data();
    }
    return nullptr;
  }

  void Functions() {
    for (ptrdiff_t k = 0; k < Count(); ++k) {
      const Token& t = S(k);
      bool call = S(k + 1).IsSymbol("(");
      if (t.IsWord("ISNULL") && call) S(k).text = "IFNULL";
      // SQLite takes an empty IN list; SQL Server refuses it as a syntax error.
      if (t.IsWord("IN") && call && S(k + 2).IsSymbol(")"))
        throw UntranslatableStatement("an empty IN list is not valid SQL");
      if (call && RefusedFunction(t) && !NamesATable(k))
        throw UntranslatableStatement(std::string("the function ") + RefusedFunction(t) + " has no equivalent");
      if (t.IsWord("@@IDENTITY") || t.IsWord("CURRENT_TIMESTAMP"))
        throw UntranslatableStatement(t.text + " has no equivalent");
      // The old outer-join operators *= and =*.
      if (((t.IsSymbol("*") && S(k + 1).IsSymbol("=")) || (t.IsSymbol("=") && S(k + 1).IsSymbol("*"))) &&
          sig_[k + 1] == sig_[k] + 1)
        throw UntranslatableStatement("the outer-join operators *= and =* have no equivalent");
    }
  }

  // Last, since it writes text around the parentheses that the other
  // passes count.
  void Casts() {
    for (ptrdiff_t k = 0; k + 1 < Count(); ++k) {
      if (S(k).IsWord("CAST") && S(k + 1).IsSymbol("(")) CastTarget(k + 1);
    }
  }

  // Whether the name at `k` stands where a table is named (a table may be
  // called like a function, and is followed by its column list).
  bool NamesATable(ptrdiff_t k) {
    const Token& before = S(k - 1);
    return before.IsSymbol(".") || before.IsWord("INTO") || before.IsWord("TABLE") || before.IsWord("FROM") ||
           before.IsWord("JOIN") || before.IsWord("UPDATE") || (insert_ && k == 1);
  }

  // CAST(x AS type): SQLite converts by the type name's affinity, so only
  // the types whose conversion means the same are let through; a text type
  // with a length is cut to it as SQL Server does (30 without a length).
  void CastTarget(ptrdiff_t open) {
    ptrdiff_t close = AfterGroup(open) - 1;
    ptrdiff_t as = -1;
    int depth = 0;
    for (ptrdiff_t k = open; k < close; ++k) {
      if (S(k).IsSymbol("(")) ++depth;
      if (S(k).IsSymbol(")")) --depth;
      if (depth == 1 && S(k).IsWord("AS")) as = k;
    }
    const Token& type = S(as + 1);
    if (as < 0 || !IsName(type)) return;  // the engine reports the syntax error
    static constexpr std::string_view kSame[] = {"int", "integer", "bigint", "smallint", "tinyint", "float", "real"};
    for (std::string_view same : kSame) {
      if (type.IsWord(same)) return;
    }
    if (!type.IsWord("varchar") && !type.IsWord("nvarchar"))
      throw UntranslatableStatement("CAST to " + type.text + " has no equivalent");
    std::string length = "30";
    if (S(as + 2).IsSymbol("(")) {
      const Token& n = S(as + 3);
      if (n.IsWord("MAX")) length.clear();
      else if (n.Is(TokenKind::Number)) length = n.text;
      else throw UntranslatableStatement("CAST to " + type.text + " with that length has no equivalent");
    }
    for (ptrdiff_t k = as + 1; k < close; ++k) S(k).text.clear();
    S(as + 1).text = "TEXT";
    if (!length.empty()) {
      S(open - 1).text = "substr(" + S(open - 1).text;
      S(close).text += ", 1, " + length + ")";
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
      after_[sig_[Count() - 1]] += " LIMIT " + scope.top;  // the last token may become a "?"
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
    // An element of an IN list: back over the elements before it, whatever
    // they are (names, parameters, function calls), to the list's "(".
    if (!(S(k - 1).IsSymbol(",") || S(k - 1).IsSymbol("(")) || !(S(k + 1).IsSymbol(",") || S(k + 1).IsSymbol(")")))
      return {};
    int depth = 0;
    for (ptrdiff_t j = k - 1; j >= 0; --j) {
      const Token& t = S(j);
      if (t.IsSymbol(")")) {
        ++depth;
      } else if (t.IsSymbol("(")) {
        if (depth == 0) return S(j - 1).IsWord("IN") ? nameBefore(j - 2) : std::string();
        --depth;
      } else if (depth == 0 && (t.IsWord("SELECT") || t.IsSymbol(";"))) {
        return {};  // a subquery's select list, or another statement
      }
    }
    return {};
  }

  // Whether the literal would read otherwise if its column held dates or
  // bits. Only for those is the schema asked, so a statement whose dates are
  // written in the stored form (as Tamrick.Utilities writes them) asks
  // nothing and costs no schema look-up.
  static bool WouldChange(const Token& t) {
    return (t.Is(TokenKind::String) || t.Is(TokenKind::NString)) && ReadsOtherwiseAgainstColumns(t.StringValue());
  }

  // The tables that the statement names (after FROM, JOIN, UPDATE, INTO and
  // in a FROM list, its subqueries' included; the words after INSERT and
  // DELETE too, which name no table when they are INTO or FROM).
  const std::vector<std::string>& Tables() {
    if (tablesRead_) return tables_;
    tablesRead_ = true;
    bool fromList = false;
    for (ptrdiff_t k = 0; k + 1 < Count(); ++k) {
      const Token& t = S(k);
      bool names = k == 0 && (insert_ || delete_);
      if (t.IsWord("FROM") || t.IsWord("JOIN") || t.IsWord("UPDATE") || t.IsWord("INTO")) {
        names = true;
        fromList = t.IsWord("FROM");
      } else if (fromList && t.IsSymbol(",")) {
        names = true;
      } else if ((t.Is(TokenKind::Symbol) && !t.IsSymbol(".")) || t.IsWord("WHERE") || t.IsWord("ON") ||
                 t.IsWord("GROUP") || t.IsWord("ORDER") || t.IsWord("HAVING")) {
        fromList = false;  // names and aliases only until then
      }
      if (!names || !IsName(S(k + 1))) continue;
      ptrdiff_t j = k + 1;
      while (S(j + 1).IsSymbol(".") && IsName(S(j + 2))) j += 2;
      tables_.push_back(S(j).Name());
    }
    return tables_;
  }

  // Whether the column holds values of a kind (`holds` tells by the type) in
  // the statement's tables: one name may hold bits or dates in one table and
  // text in another, so a table of the statement that holds it otherwise
  // makes the answer no. Nothing when none of the tables the statement names
  // has such a column (a view's, say).
  template <typename Holds>
  std::optional<bool> HoldsInTables(const std::string& column, Holds holds) {
    std::optional<bool> answer;
    for (const std::string& table : Tables()) {
      const TypeInfo type = schema_->ColumnType(table, column);
      if (type.adoType == adtype::kEmpty) continue;  // not a column of that table
      if (!holds(type)) return false;
      answer = true;
    }
    return answer;
  }
  bool HoldsBits(const std::string& column) {
    return HoldsInTables(column, [](const TypeInfo& type) { return type.store == StoreKind::Bit; }).value_or(false);
  }
  // Where the statement's tables do not tell, a column of that name that
  // holds dates in any table counts.
  bool HoldsDates(const std::string& column) {
    const std::optional<bool> inTables =
        HoldsInTables(column, [](const TypeInfo& type) { return type.subtype == rt::VarType::Date; });
    return inTables ? *inTables : schema_->IsDateColumn("", column);
  }

  // A text compared with a column that holds dates is the date that SQL
  // Server reads from it, its fraction of a second kept, or the statement
  // is refused as SQL Server refuses the text (241, 242); a 'true', 'false'
  // or blank text compared with a bit column is 1 or 0. A bound literal
  // is converted when its value is bound. A value that INSERT ... VALUES or
  // UPDATE ... SET writes is its column's alone (WrittenValue), even where
  // "SET NAME = 'x'" reads like a comparison.
  void LiteralsInComparisons() {
    for (ptrdiff_t k = 0; k < Count(); ++k) {
      Token& t = S(k);
      const size_t i = sig_[k];
      if (written_.count(i) || !WouldChange(t)) continue;
      const std::string column = ComparedColumn(k);
      if (column.empty()) continue;
      if (HoldsDates(column)) {
        if (bound_[i]) {
          slots_[i].against = BoundLiteral::Against::ComparedDate;
        } else {
          t.text = QuoteString(ComparedDateText(t.StringValue()));
        }
      } else if (HoldsBits(column)) {
        if (bound_[i]) {
          slots_[i].against = BoundLiteral::Against::ComparedBit;
        } else if (std::optional<int32_t> bit = BitWord(t.StringValue())) {
          t.text = *bit ? "1" : "0";
          t.kind = TokenKind::Number;
        }
      }
    }
  }

  // The value written into a column that spans the significant tokens
  // [from, to): a literal is made to fit the column (column_fit.h); a
  // parameter is marked with the column, so that the value bound to it is
  // made to fit when the statement runs. Anything else (an expression) is
  // left to the column's CHECK constraints.
  void WrittenValue(ptrdiff_t from, ptrdiff_t to, const TypeInfo& column) {
    if (to - from == 1) written_.insert(sig_[from]);
    if (to - from == 2) written_.insert(sig_[from + 1]);
    if (column.store == StoreKind::Any) {
      // A date column without checks of its own (smalldatetime, datetime2,
      // date) still gets a date text in the stored form; other text stays.
      if (column.subtype == rt::VarType::Date && to - from == 1 && WouldChange(S(from))) {
        Token& t = S(from);
        if (bound_[sig_[from]]) {
          slots_[sig_[from]].against = BoundLiteral::Against::WrittenDate;
        } else if (std::optional<std::string> stored = StoredFormOf(ReadDateText(t.StringValue()))) {
          t.text = QuoteString(*stored);
          t.kind = TokenKind::String;
        }
      }
      return;
    }
    const bool signedNumber = to - from == 2 && (S(from).IsSymbol("-") || S(from).IsSymbol("+")) &&
                              S(from + 1).Is(TokenKind::Number) && sig_[from + 1] == sig_[from] + 1;
    if (signedNumber) {
      if (bound_[sig_[from + 1]]) {
        slots_[sig_[from + 1]] = Slot{column, true, S(from).text[0]};
      } else {
        S(from + 1).text = FitLiteral(S(from).text + S(from + 1).text, LiteralKind::Number, column);
      }
      S(from).text.clear();
      return;
    }
    if (to - from != 1) return;
    Token& t = S(from);
    if (t.Is(TokenKind::Parameter)) {
      slots_[sig_[from]].column = column;
    } else if (bound_[sig_[from]]) {
      slots_[sig_[from]] = Slot{column, true, 0};
    } else if (t.Is(TokenKind::Number)) {
      t.text = FitLiteral(t.text, LiteralKind::Number, column);
    } else if (t.Is(TokenKind::String) || t.Is(TokenKind::NString)) {
      t.text = FitLiteral(t.StringValue(), t.Is(TokenKind::NString) ? LiteralKind::NString : LiteralKind::String,
                          column);
      t.kind = TokenKind::String;
    }
  }

  // INSERT [INTO] table [(columns)] VALUES (...)[, (...)]
  void InsertedValues() {
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
    } else if (S(k).IsWord("VALUES")) {
      columns = schema_->ColumnNames(table);
    }
    if (!S(k).IsWord("VALUES")) return;
    std::vector<TypeInfo> types;
    for (const std::string& column : columns) types.push_back(schema_->ColumnType(table, column));
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
          if (position < types.size()) WrittenValue(valueStart, k, types[position]);
          ++position;
          valueStart = k + 1;
        }
        if (ends) break;
      }
      if (!S(k + 1).IsSymbol(",")) break;
      ++k;
    }
  }

  // UPDATE table SET column = value[, ...] [FROM ...] [WHERE ...]
  void UpdatedValues() {
    if (!IsName(S(1)) || !S(2).IsWord("SET")) return;
    const std::string table = S(1).Name();
    ptrdiff_t k = 3;
    while (k < Count()) {
      // The column: the last name before "=".
      ptrdiff_t equals = k;
      while (equals < Count() && !S(equals).IsSymbol("=") && !S(equals).IsSymbol(",")) ++equals;
      if (!S(equals).IsSymbol("=") || !IsName(S(equals - 1))) return;
      const std::string column = S(equals - 1).Name();
      int depth = 0;
      ptrdiff_t end = equals + 1;
      for (; end < Count(); ++end) {
        if (S(end).IsSymbol("(")) ++depth;
        if (S(end).IsSymbol(")")) --depth;
        if (depth == 0 && (S(end).IsSymbol(",") || S(end).IsWord("WHERE") || S(end).IsWord("FROM"))) break;
        if (depth < 0) return;
      }
      WrittenValue(equals + 1, end, schema_->ColumnType(table, column));
      if (!S(end).IsSymbol(",")) return;
      k = end + 1;
    }
  }

  std::vector<Token> t_;
  std::vector<size_t> sig_;
  SchemaInfo* schema_;
  Token none_{TokenKind::Space, ""};
  bool insert_ = false;
  bool delete_ = false;
  // The statement's tables, once asked for.
  std::vector<std::string> tables_;
  bool tablesRead_ = false;
  // The literals that INSERT ... VALUES or UPDATE ... SET writes, by token.
  std::set<size_t> written_;
  // By token: whether the literal becomes a parameter.
  std::vector<bool> bound_;
  // What is known of a "?" (a caller's parameter or a bound literal) by its
  // token: the column it writes into, and how a bound literal's value is made.
  struct Slot {
    TypeInfo column;
    bool fitted = false;
    char sign = 0;
    BoundLiteral::Against against = BoundLiteral::Against::Nothing;
  };
  std::map<size_t, Slot> slots_;
  // By token: text written after it.
  std::map<size_t, std::string> after_;
};

}  // namespace

namespace {

// The statements of the text; with `bindLiterals`, those of its literals
// that may become parameters (the others noted in `kept`).
std::vector<EngineStatement> TranslateText(std::string_view sql, SchemaInfo* schema, bool bindLiterals,
                                           std::vector<uint32_t>* kept) {
  std::vector<Token> tokens;
  try {
    tokens = Tokenize(sql);
  } catch (const std::invalid_argument& e) {
    throw UntranslatableStatement(e.what());
  }
  int32_t literals = 0;
  for (Token& t : tokens) {
    if (MayBind(t.kind, t.text)) t.literal = literals++;
  }
  std::vector<EngineStatement> statements;
  std::vector<Token> current;
  int depth = 0;
  auto flush = [&] {
    StatementRewriter rewriter(std::move(current), schema, bindLiterals);
    if (auto s = rewriter.Run()) statements.push_back(std::move(*s));
    if (kept) rewriter.KeptLiterals(*kept);
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

// Text outside the literals, with the bytes that the key uses for its own
// marks escaped.
void AppendEscaped(std::string& key, std::string_view text) {
  if (!std::memchr(text.data(), '\x01', text.size()) && !std::memchr(text.data(), '\x02', text.size())) {
    key += text;
    return;
  }
  for (char c : text) {
    if (c == '\x01' || c == '\x02') key += '\x01';
    key += c;
  }
}

}  // namespace

std::vector<EngineStatement> TranslateStatements(std::string_view sql, SchemaInfo* schema) {
  return TranslateText(sql, schema, false, nullptr);
}

BoundTranslation TranslateBindingLiterals(std::string_view sql, SchemaInfo* schema) {
  BoundTranslation out;
  out.statements = TranslateText(sql, schema, true, &out.keptLiterals);
  return out;
}

void LiteralKey(std::string_view sql, std::string& key, std::vector<std::string_view>& literals) {
  key.clear();
  literals.clear();
  size_t copied = 0;
  TokenKind kind;
  size_t end = 0;
  for (size_t at = NextLiteral(sql, 0, kind, end); at != std::string_view::npos;
       at = NextLiteral(sql, end, kind, end)) {
    const std::string_view text = sql.substr(at, end - at);
    if (!MayBind(kind, text)) continue;
    AppendEscaped(key, sql.substr(copied, at - copied));
    key += '\x01';
    if (kind == TokenKind::Number) {
      key += "I0";
    } else {
      // The value matters to the translation in two ways only: whether it
      // may read otherwise against a date or bit column (anything but a date
      // in the stored form, which holds no quote), and whether it holds NUL.
      std::string_view body = text.substr(kind == TokenKind::NString ? 2 : 1);
      body.remove_suffix(1);
      const bool otherwise = ReadsOtherwiseAgainstColumns(body);
      const bool nul = std::memchr(body.data(), '\0', body.size()) != nullptr;
      key += kind == TokenKind::NString ? 'N' : 'S';
      key += static_cast<char>('0' + (otherwise ? 1 : 0) + (nul ? 2 : 0));
    }
    if (literals.empty()) literals.reserve(8);
    literals.push_back(text);
    copied = end;
  }
  AppendEscaped(key, sql.substr(copied));
}

void AddKeptLiterals(std::string& key, const std::vector<uint32_t>& kept,
                     const std::vector<std::string_view>& literals) {
  key += '\x02';
  for (uint32_t k : kept) {
    const std::string_view text = literals[k];
    const uint32_t size = static_cast<uint32_t>(text.size());
    key.append(reinterpret_cast<const char*>(&size), sizeof size);
    key += text;
  }
}

rt::Variant BoundLiteralValue(std::string_view literal, const BoundLiteral& bound, const TypeInfo& column) {
  rt::Variant value;
  if (!literal.empty() && literal[0] >= '0' && literal[0] <= '9') {
    if (bound.fitted) {
      std::string text;
      if (bound.sign) text += bound.sign;
      text += literal;
      value = FitLiteralValue(text, LiteralKind::Number, column);
    } else {
      int64_t v = 0;
      std::from_chars(literal.data(), literal.data() + literal.size(), v);
      value = v >= INT32_MIN && v <= INT32_MAX ? rt::Variant(static_cast<int32_t>(v)) : rt::Variant(rt::Decimal{v, 0});
    }
  } else {
    std::string text = StringLiteralValue(literal);
    if (bound.fitted) {
      value = FitLiteralValue(text, literal[0] == '\'' ? LiteralKind::String : LiteralKind::NString, column);
    } else {
      value = rt::Variant(std::move(text));
    }
  }
  if (bound.against != BoundLiteral::Against::Nothing && value.IsString()) {
    const std::string& text = *value.Get<std::string>();
    switch (bound.against) {
      case BoundLiteral::Against::Nothing: break;
      case BoundLiteral::Against::ComparedDate: {
        std::string compared = ComparedDateText(text);
        value = rt::Variant(std::move(compared));
        break;
      }
      case BoundLiteral::Against::WrittenDate:
        if (std::optional<std::string> stored = StoredFormOf(ReadDateText(text)))
          value = rt::Variant(std::move(*stored));
        break;
      case BoundLiteral::Against::ComparedBit:
        if (std::optional<int32_t> bit = BitWord(text)) value = rt::Variant(*bit);
        break;
    }
  }
  return value;
}

std::vector<std::string> TranslateForSqlite(std::string_view sql, SchemaInfo* schema) {
  std::vector<std::string> texts;
  for (EngineStatement& s : TranslateStatements(sql, schema)) texts.push_back(std::move(s.sql));
  return texts;
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
