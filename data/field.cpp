// ADODB.Fields and ADODB.Field.
#include "data/field.h"

#include "data/data_types.h"
#include "data/recordset.h"
#include "runtime/dispatch.h"

namespace data {

const rt::DispatchTable* Field::Dispatch() const {
  static const rt::DispatchTable table = rt::DispatchBuilder<Field>("Field")
                                             .Get("Name", &Field::Name)
                                             .Get("Value", &Field::Value)
                                             .Let("Value", &Field::SetValue)
                                             .Get("Type", &Field::Type)
                                             .Get("DefinedSize", &Field::DefinedSize)
                                             .Get("ActualSize", &Field::ActualSize)
                                             .Get("Precision", &Field::Precision)
                                             .Get("NumericScale", &Field::NumericScale)
                                             .Get("OriginalValue", &Field::OriginalValue)
                                             .Get("UnderlyingValue", &Field::OriginalValue)
                                             .Default("Value")
                                             .Build();
  return &table;
}

std::string Field::Name() { return recordset_->Column(index_).name; }
rt::Variant Field::Value() { return recordset_->Value(index_); }
void Field::SetValue(const rt::Variant& value) { recordset_->SetValue(index_, value); }
int32_t Field::Type() { return recordset_->Column(index_).type.adoType; }
int32_t Field::DefinedSize() { return recordset_->Column(index_).type.definedSize; }
uint8_t Field::Precision() { return recordset_->Column(index_).type.precision; }
uint8_t Field::NumericScale() { return recordset_->Column(index_).type.scale; }
rt::Variant Field::OriginalValue() { return recordset_->OriginalValue(index_); }

int32_t Field::ActualSize() {
  rt::Variant v = Value();
  if (v.IsNull()) return -1;
  if (auto* s = v.Get<std::string>()) {
    int32_t type = Type();
    int32_t chars = CharacterCount(*s);
    return (type == adtype::kWChar || type == adtype::kVarWChar || type == adtype::kLongVarWChar) ? chars * 2 : chars;
  }
  return DefinedSize();
}

const rt::DispatchTable* Fields::Dispatch() const {
  static const rt::DispatchTable table = rt::DispatchBuilder<Fields>("Fields")
                                             .Get("Count", &Fields::Count)
                                             .Get("Item", &Fields::Item)
                                             .Default("Item")
                                             .Build();
  return &table;
}

int32_t Fields::Count() { return recordset_->FieldCount(); }

std::shared_ptr<Field> Fields::Item(const rt::Variant& nameOrIndex) { return recordset_->Field(nameOrIndex); }

}  // namespace data
