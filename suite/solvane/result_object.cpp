// ResultObject: codes in the order they were added; failed once any code is
// there. Merging takes the other result's codes (and so its failure), not its
// record values.
#include "suite/solvane/result_object.h"

#include "runtime/com_error.h"
#include "runtime/dispatch.h"

namespace solvane {

const rt::DispatchTable* ResultObject::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<ResultObject>("ResultObject")
          .Method("AddMessage", &ResultObject::AddMessage)
          .Method("AddMessageWithParameter", &ResultObject::AddMessageWithParameter)
          .Method("Merge", &ResultObject::Merge)
          .Get("Succeeded", &ResultObject::Succeeded)
          .Method("AddRecordValue", &ResultObject::AddRecordValue)
          .Method("GetRecordValues", &ResultObject::GetRecordValues)
          .Method("GetMessages", &ResultObject::GetMessages)
          .Build();
  return &table;
}

void ResultObject::AddMessage(const rt::Variant& code) {
  messages_.push_back(Message{rt::CStr(code), false, {}});
}

void ResultObject::AddMessageWithParameter(const rt::Variant& code, const rt::Variant& parameter) {
  messages_.push_back(Message{rt::CStr(code), true, rt::Concat(parameter)});
}

void ResultObject::Merge(const rt::ObjectPtr& other) {
  if (!other) rt::RaiseVb(rt::vberr::kObjectNotSet);
  auto result = std::dynamic_pointer_cast<ResultObject>(other);
  if (!result) rt::RaiseVb(rt::vberr::kTypeMismatch);
  if (result.get() == this) {
    std::vector<Message> copy = messages_;
    messages_.insert(messages_.end(), copy.begin(), copy.end());
  } else {
    messages_.insert(messages_.end(), result->messages_.begin(), result->messages_.end());
  }
}

void ResultObject::AddRecordValue(const std::string& name, const rt::Variant& value) {
  GetRecordValues()->SetItem(rt::Variant(name), value);
}

std::shared_ptr<rt::Dictionary> ResultObject::GetRecordValues() {
  if (!recordValues_) recordValues_ = rt::NewDictionary();
  return recordValues_;
}

rt::Variant ResultObject::GetMessages() {
  std::vector<rt::Variant> texts;
  texts.reserve(messages_.size());
  for (const Message& m : messages_) {
    texts.emplace_back(m.hasParameter ? m.code + ":" + m.parameter : m.code);
  }
  return rt::Variant(rt::SafeArray::From(std::move(texts)));
}

}  // namespace solvane
