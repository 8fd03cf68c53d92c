// ADODB.Command, ADODB.Parameters and ADODB.Parameter.
#include "data/command.h"

#include <strings.h>

#include <cmath>

#include "data/ado_classes.h"
#include "data/ado_errors.h"
#include "data/column_fit.h"
#include "data/data_types.h"
#include "data/recordset.h"
#include "runtime/dispatch.h"

namespace data {

namespace {
constexpr const char* kSource = "ADODB.Command";
}

const rt::DispatchTable* Parameter::Dispatch() const {
  using P = Parameter;
  static const rt::DispatchTable table = rt::DispatchBuilder<P>("Parameter")
                                             .Get("Name", &P::Name)
                                             .Let("Name", &P::SetName)
                                             .Get("Type", &P::Type)
                                             .Let("Type", &P::SetType)
                                             .Get("Direction", &P::Direction)
                                             .Let("Direction", &P::SetDirection)
                                             .Get("Size", &P::Size)
                                             .Let("Size", &P::SetSize)
                                             .Get("Value", &P::Value)
                                             .Let("Value", &P::SetValue)
                                             .Get("Precision", &P::Precision)
                                             .Let("Precision", &P::SetPrecision)
                                             .Get("NumericScale", &P::NumericScale)
                                             .Let("NumericScale", &P::SetNumericScale)
                                             .Default("Value")
                                             .Build();
  return &table;
}

namespace {

// The column type that a parameter's ADO type stands for, for the texts of
// the refusals its conversion raises.
TypeInfo ParameterColumnType(int32_t adoType) {
  switch (adoType) {
    case adtype::kBoolean: return TypeFromDeclared("bit");
    case adtype::kTinyInt:
    case adtype::kSmallInt: return TypeFromDeclared("smallint");
    case adtype::kUnsignedTinyInt: return TypeFromDeclared("tinyint");
    case adtype::kInteger: return TypeFromDeclared("int");
    case adtype::kBigInt: return TypeFromDeclared("bigint");
    case adtype::kSingle: return TypeFromDeclared("real");
    case adtype::kDouble: return TypeFromDeclared("float");
    case adtype::kCurrency: return TypeFromDeclared("money");
    case adtype::kDecimal:
    case adtype::kNumeric: return TypeFromDeclared("decimal(38,0)");
    case adtype::kDate:
    case adtype::kDBDate:
    case adtype::kDBTime:
    case adtype::kDBTimeStamp: return TypeFromDeclared("datetime");
    default: return TypeFromDeclared("nvarchar(max)");
  }
}

}  // namespace

rt::Variant Parameter::BoundValue() const {
  rt::Variant v;
  try {
    v = CoerceToType(value_, type_);
  } catch (const rt::ComError& e) {
    RaiseRefusalFor(e, value_, ParameterColumnType(type_));
  }
  if (scale_ > 0 && (type_ == adtype::kNumeric || type_ == adtype::kDecimal) && !v.IsNull()) {
    double factor = std::pow(10.0, scale_);
    double rounded = std::round(rt::CDbl(v) * factor) / factor;
    v = rt::Variant(rt::Decimal::FromDouble(rounded));
  }
  return v;
}

const rt::DispatchTable* Parameters::Dispatch() const {
  static const rt::DispatchTable table = rt::DispatchBuilder<Parameters>("Parameters")
                                             .Method("Append", &Parameters::Append)
                                             .Get("Count", &Parameters::Count)
                                             .Get("Item", &Parameters::Item)
                                             .Method("Delete", &Parameters::Delete)
                                             .Default("Item")
                                             .Build();
  return &table;
}

void Parameters::Append(std::shared_ptr<Parameter> parameter) {
  if (!parameter) rt::RaiseVb(rt::vberr::kObjectNotSet);
  if (items_.empty()) items_.reserve(4);  // one block for the few a command has
  items_.push_back(std::move(parameter));
}

std::shared_ptr<Parameter> Parameters::Item(const rt::Variant& nameOrIndex) {
  if (nameOrIndex.IsString()) {
    for (auto& p : items_) {
      if (strcasecmp(p->Name().c_str(), nameOrIndex.Get<std::string>()->c_str()) == 0) return p;
    }
  } else {
    int32_t i = rt::CLng(nameOrIndex);
    if (i >= 0 && i < Count()) return items_[i];
  }
  adoerr::Raise(adoerr::kItemNotFound, "ADODB.Parameters", "No parameter '" + rt::CStr(nameOrIndex) + "'.");
}

void Parameters::Delete(const rt::Variant& nameOrIndex) {
  auto p = Item(nameOrIndex);
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (*it == p) {
      items_.erase(it);
      return;
    }
  }
}

std::shared_ptr<Command> Command::New() {
  RegisterAdoClasses();
  return std::make_shared<Command>();
}

const rt::DispatchTable* Command::Dispatch() const {
  using C = Command;
  static const rt::DispatchTable table = rt::DispatchBuilder<C>("Command")
                                             .Get("CommandText", &C::CommandText)
                                             .Let("CommandText", &C::SetCommandText)
                                             .Get("CommandType", &C::CommandType)
                                             .Let("CommandType", &C::SetCommandType)
                                             .Get("ActiveConnection", &C::ActiveConnectionLate)
                                             .Let("ActiveConnection", &C::SetActiveConnectionLate)
                                             .Set("ActiveConnection", &C::SetActiveConnectionLate)
                                             .Get("Parameters", &C::Parameters)
                                             .Method("CreateParameter", &C::CreateParameterLate)
                                             .Method("Execute", &C::ExecuteLate)
                                             .Default("Parameters")
                                             .Build();
  return &table;
}

void Command::SetCommandType(int32_t v) {
  if (v != kCmdText && v != -1 && v != 8 /* unknown */)
    adoerr::Raise(adoerr::kArgumentsWrong, kSource, "Only text commands are supported.");
  type_ = v;
}

std::shared_ptr<Parameter> Command::CreateParameter(const std::string& name, int32_t type, int32_t direction,
                                                    int32_t size, const rt::Variant& value) {
  auto p = std::make_shared<Parameter>();
  p->SetName(name);
  p->SetType(type);
  p->SetDirection(direction);
  p->SetSize(size);
  p->SetValue(value.IsMissing() ? rt::Variant() : value);
  return p;
}

std::shared_ptr<Recordset> Command::Execute(rt::Variant* recordsAffected, const std::vector<rt::Variant>* values) {
  if (!connection_)
    adoerr::Raise(adoerr::kConnectionUnusable, kSource, "The command has no active connection.");
  const SessionLease& lease = connection_->Lease();
  auto rs = Recordset::New();
  connection_->Guard([&] {
    // A value its parameter's type refuses fails the command like a
    // statement does, in the connection's Errors too.
    std::vector<rt::Variant> bound;
    if (values) {
      bound = *values;
    } else {
      bound.reserve(parameters_->Items().size());
      for (const auto& p : parameters_->Items()) bound.push_back(p->BoundValue());
    }
    Execution ex = Run(lease, text_, bound);
    if (recordsAffected) *recordsAffected = rt::Variant(static_cast<int32_t>(ex.recordsAffected));
    if (ex.rows) rs->Load(std::move(ex.rows), text_, connection_, kCursorForwardOnly, kLockReadOnly);
  });
  return rs;
}

rt::Variant Command::ActiveConnectionLate() {
  return connection_ ? rt::Variant(rt::ObjectPtr(connection_)) : rt::Variant::Nothing();
}

void Command::SetActiveConnectionLate(const rt::Variant& v) {
  if (v.IsString()) {
    auto cn = Connection::New();
    cn->Open(*v.Get<std::string>());
    connection_ = cn;
  } else if (v.IsObject() && !v.IsNothing()) {
    connection_ = std::dynamic_pointer_cast<Connection>(v.AsObject());
    if (!connection_) rt::RaiseVb(rt::vberr::kTypeMismatch);
  } else {
    connection_.reset();
  }
}

std::shared_ptr<Parameter> Command::CreateParameterLate(std::optional<std::string> name, std::optional<int32_t> type,
                                                        std::optional<int32_t> direction, std::optional<int32_t> size,
                                                        const rt::Variant& value) {
  return CreateParameter(name.value_or(""), type.value_or(12), direction.value_or(kParamInput), size.value_or(0),
                         value);
}

std::shared_ptr<Recordset> Command::ExecuteLate(rt::Variant& recordsAffected, const rt::Variant& values,
                                                std::optional<int32_t>) {
  if (values.IsArray()) {
    std::vector<rt::Variant> list = values.AsArray().data;
    return Execute(&recordsAffected, &list);
  }
  return Execute(&recordsAffected);
}

}  // namespace data
