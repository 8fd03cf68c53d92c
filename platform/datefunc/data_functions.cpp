// DataFunctions: locale-aware reading of date texts.
#include "platform/datefunc/data_functions.h"

#include "platform/datefunc/locale_date_order.h"
#include "runtime/com_error.h"
#include "runtime/dispatch.h"
#include "runtime/regional.h"

namespace datefunc {

const rt::DispatchTable* DataFunctions::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<DataFunctions>("DataFunctions").Method("ToDate", &DataFunctions::ToDate).Build();
  return &table;
}

rt::Variant DataFunctions::ToDate(const rt::Variant& text, const rt::Variant& localeId) {
  if (text.IsMissing() || localeId.IsMissing()) rt::RaiseVb(rt::vberr::kArgumentNotOptional);
  std::optional<rt::NumericDateOrder> order = LocaleDateOrder(rt::CLng(localeId));
  if (!order) rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
  if (text.IsNull() || text.IsEmpty()) return rt::Variant::Null();
  std::optional<rt::Date> date = rt::ParseDate(rt::CStr(text), *order);
  return date ? rt::Variant(*date) : rt::Variant::Null();
}

}  // namespace datefunc
