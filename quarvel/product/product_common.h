// What the files of the product class share beyond the library's class
// support: its private value procedures (the tests by which an argument
// counts as not given, Null as a zero amount), the error texts it raises,
// ids and caller text written into SQL, and the opening of its recordsets
// for writing.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "data/connection.h"
#include "data/recordset.h"
#include "interfaces/quarvel_errors.h"
#include "quarvel/services/class_support.h"
#include "runtime/dictionary.h"
#include "runtime/variant.h"

namespace quarvel::product {

constexpr const char* kClassSource = "Quarvel.Product";

// "Quarvel.Product." & member: the error source of a member.
inline std::string Source(const char* member) { return std::string(kClassSource) + "." + member; }

constexpr int32_t kProductNotFound = ErrorNumber(QuarvelErrors::eProductNotFound);
constexpr int32_t kProductIdNotFound = ErrorNumber(QuarvelErrors::eProductIdNotFound);

// Null gives 0, any other value its conversion to Currency.
rt::Currency nullToCurrency(const rt::Variant& value);
// The tests by which an optional argument counts as not given.
inline bool isMinusOne(int32_t value) { return value == -1; }
inline bool isMinusOneDouble(double value) { return value == -1; }
inline bool isEmptyString(const std::string& value) { return value.empty(); }

// A caller's list of ids (a one-dimensional array), each as SqlNumber
// writes it (the number as it is, a fraction kept), joined by `separator`;
// "" for an array without elements.
std::string SqlNumberList(const rt::Variant& ids, const std::string& separator);

// The catalog filter of the part-number searches: "-1" (no filter) answers
// an empty text; "(" whole numbers joined by "," ")", blanks allowed around
// each, answers the list written "(1,4,7)". Anything else fails with Type
// mismatch (13).
std::string CatalogFilter(const std::string& catalogString);

// A comma-separated list of columns of PRODUCT (blanks allowed around each,
// letter case ignored), or "*" when `star` allows it. Anything else fails
// with Invalid procedure call or argument (5).
void CheckProductColumns(const std::string& list, bool star);

// The thread's Tamrick.Utilities literals: N'text' and 'YYYY-MM-DD HH:MM:SS'.
std::string SqlUnicodeText(const std::string& text);
std::string SqlDate(rt::Date date);

// The condition that picks a price group's lines: `equals` (such as
// "GROUPBY =") followed by the group's literal; for the default group (the
// empty text) "(GROUPBY = N'' OR GROUPBY IS NULL)", as the writers store it
// in either form.
std::string GroupMatch(const std::string& group, const char* equals);

// A quantity as SQL text: the number with a point as decimal separator and
// the digits that read back as the same Double.
std::string SqlQuantity(double quantity);

// Raises 0x80040007 with `description` for a write that the referential
// checker refused; the source is the library's name, as a raise without
// one of its own gets it.
[[noreturn]] void RaiseRefused(const std::string& description);

// The rows of `rs` from the current one on, as "1", "2", ... -> a
// dictionary of the columns named, in their order. The count is 16-bit:
// the 32768th row fails with Overflow (6).
std::shared_ptr<rt::Dictionary> NumberedRows(data::Recordset& rs, std::span<const char* const> columns);

// Opens `sql` on the caller's connection for writing: a server-side cursor
// of the type given, optimistic locks.
std::shared_ptr<data::Recordset> OpenForWrite(const std::string& sql, const std::shared_ptr<data::Connection>& cn,
                                              int32_t cursorType = data::kCursorKeyset);

}  // namespace quarvel::product
