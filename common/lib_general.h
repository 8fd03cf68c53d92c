// Lib_General: creation of components by ProgID inside or outside the
// caller's object context, and the conversions of values to SQL literals
// and text.
#pragma once

#include <string>
#include <string_view>

#include "runtime/object.h"
#include "runtime/variant.h"

// A new object of the class: created in the caller's object context when
// there is one (joining its activity and, where the class asks for it, its
// transaction), else plainly. A failure is logged and raised again with
// "Lib_General.Gen_GetComponent".
rt::ObjectPtr Gen_GetComponent(const std::string& progId);

// The creation step of Gen_GetComponent alone: a failure is raised as it
// came, neither formatted nor logged. For the logging step itself, which
// must not log again.
rt::ObjectPtr CreateComponentUnlogged(const std::string& progId);

// The value as an SQL literal: null for Empty and Null; texts and dates
// quoted (dates in the regional text form); 1 or 0 for Booleans; numbers in
// their regional text form, unquoted, a Double with the digits that read
// back as the same Double.
std::string Gen_SqlValue(const rt::Variant& value);

// The text with each single quote doubled; no quotes around it. Null gives
// empty text, so that it reads as VB's Null inside a concatenation.
std::string Gen_SqlQuote(const rt::Variant& text);

// Gen_SqlQuote, then "[" -> "[[]", "%" -> "[%]", "_" -> "[_]": the text as
// the literal inside of a LIKE pattern; no quotes or wildcards are added.
std::string Gen_SqlEscapeLike(const rt::Variant& text);

// month/day/year without leading zeros ("7/4/2003"); "" for anything that
// is not a date.
std::string Gen_FormatUSDate(const rt::Variant& date);

// Null gives ""; any other value its text (CStr).
std::string Gen_NullToEmpty(const rt::Variant& value);
// Null gives ""; any other value its text by implicit conversion.
std::string Gen_NullToString(const rt::Variant& value);

// Null gives 0; any other value CDbl of it (Empty 0; text that is no number
// raises 13 to the caller).
double Gen_NullToZero(const rt::Variant& value);

// The entry of `values` at the index of the first entry of `names` equal to
// the key (VB's "=" between Variants, so texts compare exactly); Null when no
// name matches. The index runs over `names`' bounds as a 16-bit counter, so
// bounds beyond it raise Overflow (6). No handler: errors reach the caller.
rt::Variant Gen_LookupValue(const std::string& key, const rt::Variant& names, const rt::Variant& values);

// A one-element array (0-based) holding the value: the key-name and
// key-value arrays of one key that the referential checker and the
// existence tests take.
rt::Variant OneElement(const rt::Variant& value);
