// ADODB.Fields and ADODB.Field: the columns of a recordset and the current
// row's values, by name (without regard to letter case) or position.
#pragma once

#include <memory>
#include <string>

#include "runtime/object.h"

namespace data {

class Recordset;

class Field : public rt::Object {
 public:
  Field(std::shared_ptr<Recordset> recordset, int32_t index)
      : recordset_(std::move(recordset)), index_(index) {}
  std::string TypeName() const override { return "Field"; }
  const rt::DispatchTable* Dispatch() const override;

  std::string Name();
  rt::Variant Value();
  void SetValue(const rt::Variant& value);
  int32_t Type();
  int32_t DefinedSize();
  int32_t ActualSize();
  uint8_t Precision();
  uint8_t NumericScale();
  rt::Variant OriginalValue();

 private:
  std::shared_ptr<Recordset> recordset_;
  int32_t index_;
};

class Fields : public rt::Object {
 public:
  explicit Fields(std::shared_ptr<Recordset> recordset) : recordset_(std::move(recordset)) {}
  std::string TypeName() const override { return "Fields"; }
  const rt::DispatchTable* Dispatch() const override;

  int32_t Count();
  // By name or by position from 0; raises 3265 for neither.
  std::shared_ptr<Field> Item(const rt::Variant& nameOrIndex);

 private:
  std::shared_ptr<Recordset> recordset_;
};

}  // namespace data
