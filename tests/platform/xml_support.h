// Helpers of the XML tests: documents made by ProgID and called late-bound,
// as the catalog library calls them.
#pragma once

#include <string>

#include "runtime/com_error.h"
#include "runtime/registry.h"
#include "runtime/variant.h"

namespace xmltest {

inline rt::ObjectPtr NewDocument() {
  rt::ObjectPtr doc = rt::CreateObject("MSXML2.DOMDocument");
  doc->LetProperty("async", rt::Variant(false));
  doc->Call("setProperty", {rt::Variant("ServerHTTPRequest"), rt::Variant(true)});
  return doc;
}

inline rt::ObjectPtr Obj(const rt::Variant& v) { return v.AsObject(); }
inline std::string Str(const rt::Variant& v) { return rt::CStr(v); }

// "True" or "False [code] reason": what a load answered and why.
inline std::string Outcome(const rt::ObjectPtr& doc, const rt::Variant& answer) {
  rt::ObjectPtr error = Obj(doc->GetProperty("parseError"));
  std::string text = rt::CBool(answer) ? "True" : "False";
  int32_t code = rt::CLng(error->GetProperty(""));
  std::string reason = Str(error->GetProperty("reason"));
  if (code != 0 || !reason.empty()) text += " [" + std::to_string(code) + "] " + reason;
  return text;
}

inline std::string LoadXml(const rt::ObjectPtr& doc, const std::string& text) {
  return Outcome(doc, doc->Call("loadXML", {rt::Variant(text)}));
}

inline std::string Load(const rt::ObjectPtr& doc, const std::string& location) {
  return Outcome(doc, doc->Call("load", {rt::Variant(location)}));
}

inline std::string ErrorText(const rt::ComError& e) {
  return std::to_string(e.number()) + "|" + e.source() + "|" + e.description();
}

}  // namespace xmltest
