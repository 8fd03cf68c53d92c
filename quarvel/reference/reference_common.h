// What the reference-data classes of quarvel/reference/ share: the question
// to the referential checker that guards their deletes, the walk over the
// key arrays of IReferentialIntegrity, ids written into SQL, and statements
// run on a connection of their own.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "data/connection.h"
#include "data/recordset.h"
#include "runtime/com_error.h"
#include "runtime/variant.h"

namespace quarvel::reference {

// Asks "Solvane.ReferentialChecker" (created through the caller's context)
// whether the row of `table` whose key `keyName` has `value` may go:
// CanDelete("Quarvel", table, (keyName), (value)).
bool CheckerAllowsDelete(const std::string& table, const std::string& keyName, const rt::Variant& value);

// Walks the indexes of a one-dimensional array from its lower to its upper
// bound, as a loop with a 16-bit counter does: an index beyond 16 bits
// raises Overflow (6). A value that is no array raises Type mismatch (13).
template <class F>
void ForEachIndex16(const rt::Variant& array, F&& f) {
  const rt::SafeArray& a = array.AsArray();
  const int32_t lower = a.LBound();
  const int32_t upper = a.UBound();
  for (int32_t i = lower; i <= upper; ++i) {
    if (i < std::numeric_limits<int16_t>::min() || i > std::numeric_limits<int16_t>::max())
      rt::RaiseVb(rt::vberr::kOverflow);
    f(i);
  }
}

// The index of the first entry of `keys` whose name, upper-cased, equals
// `keyName` (an IReferentialIntegrity key array); none when no entry does.
std::optional<int32_t> FindKeyIndex(const rt::Variant& keys, std::string_view keyName);

// A caller's id as it goes into SQL unquoted: the number's digits. Anything
// that is not a number fails with Type mismatch (13), so no caller text
// reaches the statement.
std::string SqlNumber(const rt::Variant& value);

// Runs one statement on a new connection to the catalog database (with
// READ COMMITTED first when asked), closes it and answers the rows changed.
int32_t ExecuteOnOwnConnection(const std::string& sql, bool readCommitted);

// Opens `sql` on the caller's connection with the cursor and lock types given.
std::shared_ptr<data::Recordset> OpenRecordset(const std::string& sql, const std::shared_ptr<data::Connection>& cn,
                                               int32_t cursorType, int32_t lockType);

// Closes what a method opened on its failure path, dropping failures of the
// closing: the method's own failure is the one reported.
void CloseQuietly(std::shared_ptr<data::Recordset>& rs, std::shared_ptr<data::Connection>& cn);
void CloseQuietly(std::shared_ptr<data::Connection>& cn);

}  // namespace quarvel::reference
