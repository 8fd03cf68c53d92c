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

constexpr int32_t kUsEnglish = 1033;

// The last two texts the parser read, with their locales and its answers.
struct ParsedText {
  std::string text;
  int32_t localeId = 0;
  rt::Variant answer;
  bool kept = false;
};
thread_local ParsedText tParsed[2];
thread_local size_t tNextParsed = 0;

}  // namespace

rt::Variant ParsedDate(const std::string& text, int32_t localeId) {
  for (const ParsedText& p : tParsed) {
    if (p.kept && p.localeId == localeId && p.text == text) return p.answer;
  }
  rt::Variant answer = GetDataFunctions()->Call("ToDate", {rt::Variant(text), rt::Variant(localeId)});
  ParsedText& slot = tParsed[tNextParsed];
  tNextParsed ^= 1;
  slot.text = text;
  slot.localeId = localeId;
  slot.answer = answer;
  slot.kept = true;
  return answer;
}

bool IsValidUSDate(const std::string& text) {
  try {
    int32_t usEnglish = kUsEnglish;
    return IsValidDate(text, usEnglish);
  } catch (...) {
    HandleMethodError("Quarvel.UtilIsValidUSDate");
  }
  return false;
}

bool IsValidDate(const std::string& text, int32_t& localeId) {
  try {
    return !ParsedDate(text, localeId).IsNull();
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
