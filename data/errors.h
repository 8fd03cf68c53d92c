// The Errors collection of a connection: what the last failed operation on
// it reported, one Error object per engine message.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "runtime/com_error.h"
#include "runtime/object.h"

namespace data {

class Error : public rt::Object {
 public:
  Error(int32_t number, std::string description, std::string source, int32_t nativeError)
      : number_(number), description_(std::move(description)), source_(std::move(source)), native_(nativeError) {}
  std::string TypeName() const override { return "Error"; }
  const rt::DispatchTable* Dispatch() const override;

  int32_t Number() { return number_; }
  std::string Description() { return description_; }
  std::string Source() { return source_; }
  int32_t NativeError() { return native_; }
  std::string SQLState() { return {}; }

 private:
  int32_t number_;
  std::string description_;
  std::string source_;
  int32_t native_;
};

class Errors : public rt::Object {
 public:
  std::string TypeName() const override { return "Errors"; }
  const rt::DispatchTable* Dispatch() const override;

  int32_t Count() { return static_cast<int32_t>(items_.size()); }
  // By position from 0; raises 3265 out of range.
  std::shared_ptr<Error> Item(int32_t index);
  void Clear() { items_.clear(); }

  // Replaces the collection by the error of a failed operation.
  void Record(const rt::ComError& error);

 private:
  std::vector<std::shared_ptr<Error>> items_;
};

}  // namespace data
