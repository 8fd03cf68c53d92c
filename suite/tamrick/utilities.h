// Tamrick.Utilities: values as complete SQL literals.
#pragma once

#include <string>

#include "runtime/object.h"

namespace tamrick {

class Utilities : public rt::Object {
 public:
  std::string TypeName() const override { return "Utilities"; }
  const rt::DispatchTable* Dispatch() const override;

  // N'text' with each quote doubled, for a Unicode text column.
  std::string ToSqlUnicodeText(const std::string& text);
  // 'text' with each quote doubled.
  std::string ToSqlText(const std::string& text);
  // The number's text ("." as separator; a Double with the digits that
  // read back as the same Double); Null and Empty give null; a value that
  // is no number raises 13.
  std::string ToSqlNumber(const rt::Variant& number);
  // 'YYYY-MM-DD HH:MM:SS', the form in which the database keeps dates, so
  // that it compares correctly with a date column.
  std::string ToSqlDate(const rt::Variant& date);
};

}  // namespace tamrick
