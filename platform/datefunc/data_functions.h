// DataFunctions: the date parser that the catalog library creates by its
// class identifier {66EF21CA-6A88-4D16-B416-C5CEFF675F7F} to check dates that
// callers write in a locale of their own.
#pragma once

#include <string>

#include "runtime/object.h"

namespace datefunc {

class DataFunctions : public rt::Object {
 public:
  std::string TypeName() const override { return "DataFunctions"; }
  const rt::DispatchTable* Dispatch() const override;

  // The text as a Date read in the locale: yyyy-mm-dd (a time may follow a
  // blank or a "T"), or the locale's short numeric order (month/day/year
  // for 1033, day/month/year for 2057, day.month.year for 1031) with two-
  // or four-digit years, optionally followed by a blank and h:nn[:ss] with
  // AM or PM, or a time alone. Null for Null, Empty, "" and any text that is
  // no real date in 100-9999. A locale id that ICU does not know raises 5.
  rt::Variant ToDate(const rt::Variant& text, const rt::Variant& localeId);
};

}  // namespace datefunc
