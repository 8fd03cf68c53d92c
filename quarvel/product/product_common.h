// What the files of the product class share: its private value procedures
// (the tests by which an argument counts as not given, empty text as Null,
// Null as a zero amount), the error texts it raises, ids and caller text
// written into SQL, and the opening and closing of its recordsets.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "data/connection.h"
#include "data/recordset.h"
#include "interfaces/quarvel_errors.h"
#include "runtime/variant.h"

namespace quarvel::product {

constexpr const char* kClassSource = "Quarvel.Product";

// "Quarvel.Product." & member: the error source of a member.
inline std::string Source(const char* member) { return std::string(kClassSource) + "." + member; }

constexpr int32_t kProductNotFound = ErrorNumber(QuarvelErrors::eProductNotFound);
constexpr int32_t kProductIdNotFound = ErrorNumber(QuarvelErrors::eProductIdNotFound);

// A Variant whose trimmed text is empty (Empty included) becomes Null; Null
// stays Null.
void emptyToNull(rt::Variant& value);
// Null gives 0, any other value its conversion to Currency.
rt::Currency nullToCurrency(const rt::Variant& value);
// The tests by which an optional argument counts as not given.
inline bool isMinusOne(int32_t value) { return value == -1; }
inline bool isMinusOneDouble(double value) { return value == -1; }
inline bool isEmptyString(const std::string& value) { return value.empty(); }

// True when the value is the number -1, or a text that reads as it (as the
// comparison of a Variant with the literal -1 takes text). Null is not.
bool IsMinusOneValue(const rt::Variant& value);

// A key value as it goes into SQL unquoted: the number as a Long, in
// decimal digits. Anything that is not a number (Null, Empty, an object, an
// array, text that reads as no number) fails with Type mismatch (13), so no
// caller text reaches the statement; a number beyond 32 bits with Overflow
// (6).
std::string SqlNumber(const rt::Variant& value);

// A caller's list of ids (a one-dimensional array), each as SqlNumber
// writes it, joined by `separator`; "" for an array without elements.
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

// The current date and time to the second.
rt::Date Now();

// The thread's Tamrick.Utilities literals: N'text' and 'YYYY-MM-DD HH:MM:SS'.
std::string SqlUnicodeText(const std::string& text);
std::string SqlDate(rt::Date date);

// The condition that picks a price group's lines: `equals` (such as
// "GROUPBY =") followed by the group's literal; for the default group (the
// empty text) "(GROUPBY = N'' OR GROUPBY IS NULL)", as the writers store it
// in either form.
std::string GroupMatch(const std::string& group, const char* equals);

// A quantity as SQL text: the number with a point as decimal separator.
std::string SqlQuantity(double quantity);

// Raises 0x80040007 with `description` for a write that the referential
// checker refused; the source is the library's name, as a raise without
// one of its own gets it.
[[noreturn]] void RaiseRefused(const std::string& description);

// Opens `sql` on the caller's connection with the cursor and lock types given.
std::shared_ptr<data::Recordset> OpenRecordset(const std::string& sql, const std::shared_ptr<data::Connection>& cn,
                                               int32_t cursorType, int32_t lockType);

// Closes what a method opened on its failure path, dropping an edit still
// pending and failures of the closing: the method's own failure is the one
// reported.
void CloseQuietly(std::shared_ptr<data::Recordset>& rs);
void CloseQuietly(std::shared_ptr<data::Recordset>& rs, std::shared_ptr<data::Connection>& cn);
void CloseQuietly(std::shared_ptr<data::Connection>& cn);

}  // namespace quarvel::product
