// ProductXML's shared pieces: the loaded document and the value rules.
#include "quarvel/import/product_xml_common.h"

#include "quarvel/import/import_xml.h"
#include "runtime/com_error.h"

namespace quarvel::productxml {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

// The byte offset of the character at `index` (or the text's end).
size_t CharacterOffset(const std::string& text, int32_t index) {
  size_t at = 0;
  for (int32_t n = 0; at < text.size(); ++at) {
    if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) continue;
    if (n++ == index) return at;
  }
  return text.size();
}

}  // namespace

// --- the document -----------------------------------------------------------------

ProductDocument::ProductDocument(rt::ObjectPtr document) : document_(std::move(document)), firstWithout_(kNone) {
  const rt::ObjectPtr list = document_->Call("getElementsByTagName", {rt::Variant(kProductElement)}).AsObject();
  for (const rt::ObjectPtr& node : import::ListItems(list)) {
    const rt::Variant attribute = node->Call("getAttribute", {rt::Variant(kPartNumberAttribute)});
    Element element{node, std::nullopt};
    if (attribute.IsNull()) {
      if (firstWithout_ == kNone) firstWithout_ = elements_.size();
    } else {
      element.partNumber = rt::CStr(attribute);
      byPartNumber_[*element.partNumber].push_back(elements_.size());
    }
    position_.emplace(node.get(), elements_.size());
    elements_.push_back(std::move(element));
  }
  removed_.assign(elements_.size(), false);
}

rt::ObjectPtr ProductDocument::First(const std::string& partNumber) const {
  auto it = byPartNumber_.find(partNumber);
  const size_t at = it == byPartNumber_.end() ? kNone : it->second.front();
  if (firstWithout_ != kNone && (at == kNone || firstWithout_ < at)) rt::RaiseVb(rt::vberr::kObjectNotSet);
  return at == kNone ? nullptr : elements_[at].node;
}

rt::ObjectPtr ProductDocument::Remaining(const std::string& partNumber) const {
  auto it = byPartNumber_.find(partNumber);
  if (it == byPartNumber_.end()) return nullptr;
  for (size_t at : it->second) {
    if (!removed_[at] && import::InDocument(elements_[at].node)) return elements_[at].node;
  }
  return nullptr;
}

void ProductDocument::Remove(const rt::ObjectPtr& element) {
  element->GetProperty("parentNode").AsObject()->Call("removeChild", {rt::Variant(element)});
  auto at = position_.find(element.get());
  if (at != position_.end()) removed_[at->second] = true;
}

bool ProductDocument::ElementsLeft() const {
  const rt::ObjectPtr left = document_->Call("getElementsByTagName", {rt::Variant(kProductElement)}).AsObject();
  return rt::CLng(left->GetProperty("length")) > 0;
}

std::string PartNumberOf(const ProductDocument::Element& element) {
  if (!element.partNumber) rt::RaiseVb(rt::vberr::kObjectNotSet);
  return *element.partNumber;
}

// --- value rules -------------------------------------------------------------------

std::string LeftChars(const std::string& text, int32_t count) {
  return text.substr(0, CharacterOffset(text, count));
}

std::string RightChars(const std::string& text, int32_t count) {
  const int32_t length = rt::Len(text);
  return count >= length ? text : text.substr(CharacterOffset(text, length - count));
}

bool IsNumberValue(const rt::Variant& value) {
  if (value.IsNumericType()) return true;
  return value.IsString() && rt::IsNumeric(value);
}

bool NumberEquals(const rt::Variant& value, double n) { return IsNumberValue(value) && rt::CDbl(value) == n; }

std::vector<std::string> ListEntries(const std::string& list, const std::string& separator) {
  std::vector<std::string> entries;
  if (separator.empty()) {
    if (!list.empty()) entries.push_back(list);
    return entries;
  }
  for (size_t from = 0;;) {
    const size_t at = list.find(separator, from);
    std::string entry = list.substr(from, at == std::string::npos ? std::string::npos : at - from);
    if (!entry.empty() && entry != separator) entries.push_back(std::move(entry));
    if (at == std::string::npos) break;
    from = at + separator.size();
  }
  return entries;
}

}  // namespace quarvel::productxml
