// ADODB.Command and its Parameters: a text command with positional "?"
// parameters of ADO's types, run on an open connection.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data/connection.h"
#include "runtime/object.h"

namespace data {

class Recordset;

constexpr int32_t kCmdText = 1;
constexpr int32_t kParamInput = 1;

class Parameter : public rt::Object {
 public:
  std::string TypeName() const override { return "Parameter"; }
  const rt::DispatchTable* Dispatch() const override;

  std::string Name() { return name_; }
  void SetName(const std::string& v) { name_ = v; }
  int32_t Type() { return type_; }
  void SetType(int32_t v) { type_ = v; }
  int32_t Direction() { return direction_; }
  void SetDirection(int32_t v) { direction_ = v; }
  int32_t Size() { return size_; }
  void SetSize(int32_t v) { size_ = v; }
  rt::Variant Value() { return value_; }
  void SetValue(const rt::Variant& v) { value_ = v; }
  uint8_t Precision() { return precision_; }
  void SetPrecision(uint8_t v) { precision_ = v; }
  uint8_t NumericScale() { return scale_; }
  void SetNumericScale(uint8_t v) { scale_ = v; }

  // The value as the statement receives it: converted to the parameter's
  // type (Empty and Null as NULL, a Boolean True as 1), a numeric value
  // rounded to NumericScale decimals.
  rt::Variant BoundValue() const;

 private:
  std::string name_;
  int32_t type_ = 12;  // adVariant: bound by the value's own subtype
  int32_t direction_ = kParamInput;
  int32_t size_ = 0;
  rt::Variant value_;
  uint8_t precision_ = 0;
  uint8_t scale_ = 0;
};

class Parameters : public rt::Object {
 public:
  std::string TypeName() const override { return "Parameters"; }
  const rt::DispatchTable* Dispatch() const override;

  void Append(std::shared_ptr<Parameter> parameter);
  int32_t Count() { return static_cast<int32_t>(items_.size()); }
  std::shared_ptr<Parameter> Item(const rt::Variant& nameOrIndex);
  void Delete(const rt::Variant& nameOrIndex);
  const std::vector<std::shared_ptr<Parameter>>& Items() const { return items_; }

 private:
  std::vector<std::shared_ptr<Parameter>> items_;
};

class Command : public rt::Object {
 public:
  static std::shared_ptr<Command> New();

  std::string TypeName() const override { return "Command"; }
  const rt::DispatchTable* Dispatch() const override;

  std::string CommandText() { return text_; }
  void SetCommandText(std::string v) { text_ = std::move(v); }
  int32_t CommandType() { return type_; }
  void SetCommandType(int32_t v);
  std::shared_ptr<Connection> ActiveConnection() { return connection_; }
  void SetActiveConnection(std::shared_ptr<Connection> connection) { connection_ = std::move(connection); }
  std::shared_ptr<data::Parameters> Parameters() { return parameters_; }

  std::shared_ptr<Parameter> CreateParameter(const std::string& name = {}, int32_t type = 12,
                                             int32_t direction = kParamInput, int32_t size = 0,
                                             const rt::Variant& value = rt::Variant());
  // Runs the text with the appended parameters' values, or with `values`
  // when given. Answers an open read-only recordset when the text returns
  // rows, else a closed one.
  std::shared_ptr<Recordset> Execute(rt::Variant* recordsAffected = nullptr,
                                     const std::vector<rt::Variant>* values = nullptr);

 private:
  rt::Variant ActiveConnectionLate();
  void SetActiveConnectionLate(const rt::Variant& v);
  std::shared_ptr<Parameter> CreateParameterLate(std::optional<std::string> name, std::optional<int32_t> type,
                                                 std::optional<int32_t> direction, std::optional<int32_t> size,
                                                 const rt::Variant& value);
  std::shared_ptr<Recordset> ExecuteLate(rt::Variant& recordsAffected, const rt::Variant& values,
                                         std::optional<int32_t> options);

  std::string text_;
  int32_t type_ = kCmdText;
  std::shared_ptr<Connection> connection_;
  std::shared_ptr<data::Parameters> parameters_ = std::make_shared<data::Parameters>();
};

}  // namespace data
