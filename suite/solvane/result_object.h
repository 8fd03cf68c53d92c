// ResultObject ("Solvane.ResultObject"): message codes and record values of
// a business-rule write.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "interfaces/solvane.h"
#include "runtime/object.h"

namespace solvane {

class ResultObject : public rt::Object, public IResultObject {
 public:
  std::string TypeName() const override { return "ResultObject"; }
  const rt::DispatchTable* Dispatch() const override;

  void AddMessage(const rt::Variant& code) override;
  void AddMessageWithParameter(const rt::Variant& code, const rt::Variant& parameter) override;
  void Merge(const rt::ObjectPtr& other) override;
  bool Succeeded() override { return messages_.empty(); }
  void AddRecordValue(const std::string& name, const rt::Variant& value) override;
  std::shared_ptr<rt::Dictionary> GetRecordValues() override;
  rt::Variant GetMessages() override;

 private:
  struct Message {
    std::string code;
    bool hasParameter = false;
    std::string parameter;
  };
  std::vector<Message> messages_;
  std::shared_ptr<rt::Dictionary> recordValues_;
};

}  // namespace solvane
