// The small steps that the catalog library's classes share: the questions
// to the referential checker, a product's property-group defaults, recordsets opened on a method's connection,
// statements run on a connection of their own, 16-bit loop counters, VB's Left and Right over characters, and the
// tests and conversions of a caller's values. A step of one class alone
// stays in that class's *_common.h.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The classes close what they opened with the shared CloseQuietly
// (lib_sql.h) and pass one key to the checker with OneElement (lib_general.h).
#include "common/lib_general.h"
#include "common/lib_sql.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "runtime/com_error.h"
#include "runtime/variant.h"

namespace quarvel {

// --- the referential checker ----------------------------------------------------

// Asks "Solvane.ReferentialChecker" (created through the caller's context)
// whether the row of `table` whose key `keyName` has `value` may go:
// CanDelete("Quarvel", table, (keyName), (value)).
bool CheckerAllowsDelete(const std::string& table, const std::string& keyName, const rt::Variant& value);

// Asks the checker whether a row of `table` with these key values may be
// written: CanInsert("Quarvel", table, keyNames, keyValues), the two arrays
// as given.
bool CheckerAllowsInsert(const std::string& table, const rt::Variant& keyNames, const rt::Variant& keyValues);

// --- the product's property group -----------------------------------------------

// Gives the product the default values of its group's properties (and
// removes the values of properties outside the group) through
// "Quarvel.PropertyGroup", in the caller's transaction.
void UpdateGroupChange(int32_t groupId, int32_t productId);

// --- recordsets and connections -------------------------------------------------

// Opens `sql` on the caller's connection with the cursor and lock types
// given, and the values of its "?" parameters, if any.
std::shared_ptr<data::Recordset> OpenRecordset(const std::string& sql, const std::shared_ptr<data::Connection>& cn,
                                               int32_t cursorType, int32_t lockType,
                                               const std::vector<rt::Variant>& parameters = {});

// Runs one statement on a new connection to the catalog database (with
// READ COMMITTED first when asked), closes it and answers the rows changed.
// A failure closes the connection and reaches the caller as it came.
int32_t ExecuteOnOwnConnection(const std::string& sql, bool readCommitted = false);

// --- 16-bit loop counters -------------------------------------------------------

// A 16-bit loop counter's step: Overflow (6) once the index leaves the
// Integer range.
inline void CountIn16Bits(int32_t index) {
  if (index < INT16_MIN || index > INT16_MAX) rt::RaiseVb(rt::vberr::kOverflow);
}

// Walks the indexes of a one-dimensional array from its lower to its upper
// bound, as a loop with a 16-bit counter does: an index beyond 16 bits
// raises Overflow (6) when the walk reaches it. A value that is no array
// raises Type mismatch (13), an unallocated one Subscript out of range (9).
template <class F>
void ForEachIndex16(const rt::Variant& array, F&& f) {
  const rt::SafeArray& a = array.AsArray();
  const int32_t lower = a.LBound();
  const int32_t upper = a.UBound();
  for (int32_t i = lower; i <= upper; ++i) {
    CountIn16Bits(i);
    f(i);
  }
}

// --- text -----------------------------------------------------------------------

// VB's Left and Right over the characters of UTF-8 text (as rt::Len counts
// them): a negative length is an invalid procedure call (5); a length
// beyond the text's answers the whole text.
std::string Left(std::string_view text, int32_t length);
std::string Right(std::string_view text, int32_t length);

// --- values ---------------------------------------------------------------------

// Whether `name` is one of `names` (compared exactly).
bool IsOneOf(const std::string& name, std::initializer_list<const char*> names);

// A caller's id checked as SqlNumber checks it (Type mismatch, 13, for
// anything that is no number, Null and Empty included), then converted to
// a Long (Overflow, 6, beyond 32 bits; halves round to even).
int32_t LongId(const rt::Variant& value);
// The same Long in decimal digits, as it goes into SQL unquoted.
std::string SqlLong(const rt::Variant& value);

// Whether the Variant is a number or text that reads as one (Empty, Null,
// Missing, Booleans and dates are not).
bool IsNumberValue(const rt::Variant& value);
// A number-like value whose number equals `n` ("0", "0.0", 0; for -1 also
// "-1"). Null is not.
bool NumberEquals(const rt::Variant& value, double n);

// A Variant whose trimmed text is empty (Empty included) becomes Null; Null
// stays Null.
void emptyToNull(rt::Variant& value);

// The server's local date and time, to the second.
rt::Date LocalNow();

}  // namespace quarvel
