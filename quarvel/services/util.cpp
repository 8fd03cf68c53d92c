// Util: the per-thread date parser and the date checks. Each procedure has
// a handler of its own, so a failure carries one block per procedure it
// passed through.
#include "quarvel/services/util.h"

#include "common/method_error.h"
#include "runtime/registry.h"

namespace quarvel {

const char* const kDataFunctionsClsid = "{66EF21CA-6A88-4D16-B416-C5CEFF675F7F}";

namespace {

// One per thread, as the component server gives each apartment's module
// data to one thread.
thread_local rt::ObjectPtr tDataFunctions;

}  // namespace

bool IsValidUSDate(const std::string& text) {
  try {
    int32_t usEnglish = 1033;
    return IsValidDate(text, usEnglish);
  } catch (...) {
    HandleMethodError("Quarvel.UtilIsValidUSDate");
  }
  return false;
}

bool IsValidDate(const std::string& text, int32_t& localeId) {
  try {
    rt::ObjectPtr parser = GetDataFunctions();
    return !parser->Call("ToDate", {rt::Variant(text), rt::Variant(localeId)}).IsNull();
  } catch (...) {
    HandleMethodError("Quarvel.UtilIsValidDate");
  }
  return false;
}

rt::ObjectPtr GetDataFunctions() {
  try {
    if (!tDataFunctions) tDataFunctions = rt::CreateObject(kDataFunctionsClsid);
    return tDataFunctions;
  } catch (...) {
    HandleMethodError("Quarvel.UtilGetDataFunctions");
  }
  return nullptr;
}

}  // namespace quarvel
