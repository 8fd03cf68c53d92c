// What the catalog classes of quarvel/catalog/ share beyond the library's
// class support: quoted ids, the lists of ids that callers join with ";",
// the walk over a caller's array, node dictionaries, and reads on a
// connection of their own.
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
#include "quarvel/services/class_support.h"
#include "runtime/dictionary.h"
#include "runtime/variant.h"

namespace quarvel::catalog {

// A user or profile id as it goes between single quotes: its quotes doubled.
std::string QuotedId(const std::string& id);

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

// A node dictionary: NODEID -> NODENAME of the rows of `sql` (which names
// both columns), in the order read, opened forward-only on `cn`. A node read
// twice fails with 457.
std::shared_ptr<rt::Dictionary> ReadNodeNames(const std::string& sql, const std::shared_ptr<data::Connection>& cn);

// The value of `column` in the first row of `sql` opened forward-only on
// `cn`; Missing when there is no row.
rt::Variant FirstValue(const std::string& sql, const std::shared_ptr<data::Connection>& cn, const char* column);

// CloseQuietly for a recordset whose connection goes with it.
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
