// Tamrick.Utilities.
#include "suite/tamrick/utilities.h"

#include "data/date_text.h"
#include "data/tsql_lexer.h"
#include "runtime/com_error.h"
#include "runtime/dispatch.h"
#include "runtime/regional.h"

namespace tamrick {

const rt::DispatchTable* Utilities::Dispatch() const {
  static const rt::DispatchTable table = rt::DispatchBuilder<Utilities>("Utilities")
                                             .Method("ToSqlUnicodeText", &Utilities::ToSqlUnicodeText)
                                             .Method("ToSqlText", &Utilities::ToSqlText)
                                             .Method("ToSqlNumber", &Utilities::ToSqlNumber)
                                             .Method("ToSqlDate", &Utilities::ToSqlDate)
                                             .Build();
  return &table;
}

std::string Utilities::ToSqlUnicodeText(const std::string& text) { return "N" + data::QuoteString(text); }

std::string Utilities::ToSqlText(const std::string& text) { return data::QuoteString(text); }

std::string Utilities::ToSqlNumber(const rt::Variant& number) {
  if (number.IsNull() || number.IsEmpty()) return "null";
  if (auto* b = number.Get<bool>()) return *b ? "1" : "0";
  if (!rt::IsNumeric(number))
    rt::Raise(rt::vberr::kTypeMismatch, "Tamrick.Utilities",
              "Type mismatch: '" + rt::Concat(number) + "' is not a number");
  std::string text = rt::CDec(number).ToString();
  // A Double whose 15 decimal digits name another number keeps all it needs.
  if (const double* d = number.Get<double>(); d && rt::ParseNumber(text) != *d) text = rt::FormatDoubleExact(*d);
  return text;
}

std::string Utilities::ToSqlDate(const rt::Variant& date) {
  return data::QuoteString(data::StoredDateText(rt::CDate(date)));
}

}  // namespace tamrick
