// What the catalog classes of quarvel/catalog/ share: ids written into SQL,
// the walk over a caller's array, recordsets opened on a method's
// connection, node dictionaries, statements run on a connection of their
// own, and the closing on a failure path.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/dictionary.h"
#include "runtime/variant.h"

namespace quarvel::catalog {

// A caller's id as it goes into SQL unquoted: the number's digits. Anything
// that is not a number (Null, Empty, text that reads as no number, an
// object, an array) fails with Type mismatch (13), so no caller text
// reaches the statement.
std::string SqlNumber(const rt::Variant& value);
// The same test, then the id as a Long (Overflow, 6, beyond 32 bits).
int32_t LongId(const rt::Variant& value);

// A user or profile id as it goes between single quotes: its quotes doubled.
std::string QuotedId(const std::string& id);

// A 16-bit loop counter's step: Overflow (6) once the index leaves the
// Integer range.
void CountIn16Bits(int32_t index);

// VB's Split(text, ";"): the parts, "" giving none and "12;" giving "12"
// and "".
std::vector<std::string> SplitList(const std::string& text);
// The same parts as VB's array of texts from 0 (an empty one for "").
rt::Variant PartsArray(const std::vector<std::string>& parts);

// VB's `value = ""` for the values of the field arrays: True for the empty
// text and for Empty (which compares as ""); False for anything else, so a
// number is never compared as text.
bool IsEmptyText(const rt::Variant& value);

// Calls f(index, element) for each element of a one-dimensional array from
// its lower to its upper bound (an unallocated array has none). Anything
// that is not an array fails with Type mismatch (13).
template <class F>
void ForEachIndex(const rt::Variant& array, F&& f) {
  const rt::SafeArray& a = array.AsArray();
  if (a.Dimensions() == 0) return;
  for (int32_t i = a.LBound(); i <= a.UBound(); ++i) f(i, a.At(i));
}
// The same, f(element).
template <class F>
void ForEachElement(const rt::Variant& array, F&& f) {
  ForEachIndex(array, [&](int32_t, const rt::Variant& element) { f(element); });
}

// Asks "Solvane.ReferentialChecker" (created through the caller's context)
// whether the row of `table` whose key `keyName` has `value` may go:
// CanDelete("Quarvel", table, (keyName), (value)).
bool CheckerAllowsDelete(const std::string& table, const std::string& keyName, const rt::Variant& value);

// Opens `sql` on the caller's connection with the cursor and lock types
// given, and the values of its "?" parameters, if any.
std::shared_ptr<data::Recordset> OpenRecordset(const std::string& sql, const std::shared_ptr<data::Connection>& cn,
                                               int32_t cursorType, int32_t lockType,
                                               const std::vector<rt::Variant>& parameters = {});

// A node dictionary: NODEID -> NODENAME of the rows of `sql` (which names
// both columns), in the order read, opened forward-only on `cn`. A node read
// twice fails with 457.
std::shared_ptr<rt::Dictionary> ReadNodeNames(const std::string& sql, const std::shared_ptr<data::Connection>& cn);

// The value of `column` in the first row of `sql` opened forward-only on
// `cn`; Missing when there is no row.
rt::Variant FirstValue(const std::string& sql, const std::shared_ptr<data::Connection>& cn, const char* column);

// Runs one statement on a new plain connection to the catalog database,
// closes it and answers the rows changed.
int32_t ExecuteOnOwnConnection(const std::string& sql);

// Closes what a method opened on its failure path, dropping failures of the
// closing (an edit still pending included): the method's own failure is
// the one reported.
void CloseQuietly(std::shared_ptr<data::Recordset>& rs, std::shared_ptr<data::Connection>& cn);
void CloseQuietly(std::shared_ptr<data::Connection>& cn);
// The same for a recordset whose connection goes with it.
void CloseWithConnectionQuietly(std::shared_ptr<data::Recordset>& rs);

// One read of Catalog: `work(cn)` on a new connection of its own, closed
// after it. A failure closes the connection and is logged and raised with
// `source`; the answer is then `failure`.
template <class R, class F>
R ReadOnOwnConnection(const std::string& source, R failure, F&& work) {
  std::shared_ptr<data::Connection> cn;
  try {
    cn = getConnection();
    R answer = work(cn);
    Sql_CloseConnection(cn);
    return answer;
  } catch (...) {
    HandleMethodError(source, [&] { CloseQuietly(cn); });
  }
  return failure;
}

}  // namespace quarvel::catalog
