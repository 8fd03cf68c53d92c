// Column types: ADO's type numbers, what a declared SQL type reads as, and
// how a value is made to fit a column or a typed parameter.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/variant.h"

namespace data {

// ADO's DataTypeEnum values that the suite uses.
namespace adtype {
constexpr int32_t kEmpty = 0;
constexpr int32_t kSmallInt = 2;
constexpr int32_t kInteger = 3;
constexpr int32_t kSingle = 4;
constexpr int32_t kDouble = 5;
constexpr int32_t kCurrency = 6;
constexpr int32_t kDate = 7;
constexpr int32_t kBSTR = 8;
constexpr int32_t kBoolean = 11;
constexpr int32_t kVariant = 12;
constexpr int32_t kDecimal = 14;
constexpr int32_t kTinyInt = 16;
constexpr int32_t kUnsignedTinyInt = 17;
constexpr int32_t kBigInt = 20;
constexpr int32_t kChar = 129;
constexpr int32_t kWChar = 130;
constexpr int32_t kNumeric = 131;
constexpr int32_t kDBDate = 133;
constexpr int32_t kDBTime = 134;
constexpr int32_t kDBTimeStamp = 135;
constexpr int32_t kVarChar = 200;
constexpr int32_t kLongVarChar = 201;
constexpr int32_t kVarWChar = 202;
constexpr int32_t kLongVarWChar = 203;
}  // namespace adtype

// What a column of a declared type stores, for making written values fit it.
enum class StoreKind : uint8_t { Any, Text, Integer, Bit, Float, Money, Decimal, DateTime };

struct TypeInfo {
  int32_t adoType = adtype::kEmpty;           // kEmpty: not declared (an expression)
  rt::VarType subtype = rt::VarType::Empty;  // what a value of the column reads as
  int32_t definedSize = 0;
  uint8_t precision = 255;
  uint8_t scale = 255;
  int32_t padTo = 0;  // nchar(n), char(n): blank-padded to n characters on read
  // How written values are checked (column_fit.h). Any: not checked.
  StoreKind store = StoreKind::Any;
  int32_t maxChars = 0;     // Text: the width in characters; 0 for none (max, text)
  int64_t minValue = 0;     // Integer: the range
  int64_t maxValue = 0;
  double maxMagnitude = 0;  // Float: the largest magnitude
  const char* sqlName = "";  // the type as SQL Server's messages name it: "int", "numeric", ...
};

// The type of a column declared as `declared` ("int", "nchar(3)",
// "decimal(18,4)", "datetime", ...). money, smallmoney and decimal(p,s) with
// s <= 4 read as Currency; numeric(p,s) and decimal with more than four
// decimals read as Decimal, so no digit is lost. A type after the storage
// word ("REAL money", see below) reads as the type itself.
TypeInfo TypeFromDeclared(std::string_view declared);

// A database declares its money and decimal columns with the word REAL
// before their type ("REAL money", "REAL decimal(18,4)"): SQLite then keeps
// every value of them as a real, so that a division of one divides as a
// decimal does (a whole amount kept as an integer would divide as integers:
// 39 / 2 would give 19). A real holds any value of 15 significant digits,
// so below 10^11 every value of four decimals reads back as written
// (kLargestDecimalDigits).
//
// The declared type as it is written in the database: the storage word
// before a money or decimal type that lacks it, any other type as it is.
std::string StorageDeclared(std::string_view declared);
// The declared type without the storage word.
std::string_view WithoutStorageWord(std::string_view declared);

// The significant digits that a real holds for certain.
constexpr int kSignificantDigitsKept = 15;
// The integer digits that a money or decimal value may have at most: values
// of 10^11 or more are refused, so that a value of four decimals keeps its
// 15 significant digits in the real that holds it. A decimal of more than
// four decimals has fewer: at most 15 digits in all (15 - s).
constexpr int kLargestDecimalDigits = kSignificantDigitsKept - 4;

// The type that a value of an undeclared column (an expression) reports.
TypeInfo TypeOfValue(const rt::Variant& value);

// The value converted to the subtype of an ADO type with VB's conversions;
// Empty and Null give Null; kVariant and unknown types keep the value as it is.
rt::Variant CoerceToType(const rt::Variant& value, int32_t adoType);

// The value converted to a variant subtype (rt::VarType::Empty keeps it).
rt::Variant CoerceToSubtype(const rt::Variant& value, rt::VarType subtype);

// The number of characters of UTF-8 text.
int32_t CharacterCount(std::string_view text);

}  // namespace data
