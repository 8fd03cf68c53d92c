// ProductXML's shared pieces: the loaded document and the value rules.
#include "quarvel/import/product_xml_common.h"

#include "quarvel/import/import_xml.h"
#include "runtime/com_error.h"

namespace quarvel::productxml {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

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

bool IsZeroOrOne(const rt::Variant& value) {
  if (!rt::IsNumeric(value)) return false;
  const double number = rt::CDbl(value);
  return number == 0 || number == 1;
}

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
