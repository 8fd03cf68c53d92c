// ParseError: the outcome of a load or a validation, 0 and "" when sound.
#pragma once

#include <string>

#include "runtime/object.h"

namespace msxml {

// The error code of a refused document or a failed validation.
constexpr int32_t kXmlFailure = static_cast<int32_t>(0x80004005);

class ParseError : public rt::Object {
 public:
  ParseError(int32_t code, std::string reason) : code_(code), reason_(std::move(reason)) {}
  const rt::DispatchTable* Dispatch() const override;

  int32_t errorCode() const { return code_; }  // the default member
  const std::string& reason() const { return reason_; }

 private:
  int32_t code_;
  std::string reason_;
};

}  // namespace msxml
