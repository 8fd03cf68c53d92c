// What the catalog classes of quarvel/catalog/ share: ids written into SQL,
// the walk over a caller's array, recordsets opened on a method's
// connection, statements run on a connection of their own, the closing on
// a failure path, and the answer of members still to come.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "data/connection.h"
#include "data/recordset.h"
#include "runtime/variant.h"

namespace quarvel::catalog {

// A caller's id as it goes into SQL unquoted: the number's digits. Anything
// that is not a number (Null, Empty, text that reads as no number, an
// object, an array) fails with Type mismatch (13), so no caller text
// reaches the statement.
std::string SqlNumber(const rt::Variant& value);
// The same test, then the id as a Long (Overflow, 6, beyond 32 bits).
int32_t LongId(const rt::Variant& value);

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

// Opens `sql` on the caller's connection with the cursor and lock types given.
std::shared_ptr<data::Recordset> OpenRecordset(const std::string& sql, const std::shared_ptr<data::Connection>& cn,
                                               int32_t cursorType, int32_t lockType);

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

// A member whose work is still to come: 0x80004001 with the source
// "Quarvel.<className>.<method>" and "<method> is not yet available".
[[noreturn]] void NotYetAvailable(const char* className, const std::string& method);

}  // namespace quarvel::catalog
