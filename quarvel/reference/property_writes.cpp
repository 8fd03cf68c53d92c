// Property: creating properties (from parallel arrays of column names and
// values, or from named arguments), changing them (a data type other than
// ENUMPROPERTYTYPE drops the enumeration values at once), and the delete
// guarded by the referential checker, which also removes the property's
// enumeration values and group memberships. Several statements of one call
// run on connections of their own; the transaction's abort undoes them together.
#include "common/lib_errorhandling.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "interfaces/quarvel_errors.h"
#include "quarvel/reference/property.h"
#include "quarvel/reference/reference_common.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/context.h"

namespace quarvel {

using namespace reference;

namespace {

const char* const kNewPropertyRow = "SELECT * FROM PROPERTY WHERE 0=1";

rt::Variant Texts(std::initializer_list<const char*> texts) {
  std::vector<rt::Variant> items;
  for (const char* t : texts) items.emplace_back(t);
  return rt::Variant(rt::SafeArray::From(std::move(items)));
}

}  // namespace

// The new id is answered in 16 bits: past 32767 the call fails with
// Overflow after the row was saved, and the abort vote undoes the row.
int16_t Property::Insert20(const rt::Variant& iFields, const rt::Variant& iValues) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getReadCommittedConnection();
    rs = OpenRecordset(kNewPropertyRow, cn, data::kCursorKeyset, data::kLockOptimistic);
    rs->AddNew();
    ForEachIndex16(iFields, [&](int32_t i) {
      rs->SetValue(rt::CStr(iFields.AsArray().At(i)), iValues.AsArray().At(i));
    });
    rs->Update();
    const int16_t id = rt::CInt(rt::Variant(rt::CLng(rs->Value("PROPERTYID"))));
    Sql_CloseConnection(cn);
    rs.reset();
    Mts_SetComplete();
    return id;
  } catch (...) {
    HandleMethodError("Quarvel.Property.Insert", [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return 0;
}

// No handler of its own: Insert20's failures reach the caller as they are.
int16_t Property::Insert(std::string& iPropertyName, int16_t& iDataType) {
  rt::ContextScope scope(*this);
  return Insert20(Texts({"PROPERTYNAME", "DATATYPE", "EXTERNAL"}),
                  rt::Variant(rt::SafeArray::From({rt::Variant(iPropertyName), rt::Variant(iDataType),
                                                   rt::Variant(false)})));
}

int32_t Property::Insert21(std::string& iPropertyName, int16_t& iDataType, std::string& iDefaultValue,
                           bool& iExternal) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getReadCommittedConnection();
    rs = OpenRecordset(kNewPropertyRow, cn, data::kCursorKeyset, data::kLockOptimistic);
    rs->AddNew();
    rs->SetValue("PROPERTYNAME", rt::Variant(iPropertyName));
    rs->SetValue("DATATYPE", rt::Variant(iDataType));
    rs->SetValue("DEFAULTVALUE", rt::Variant(iDefaultValue));
    rs->SetValue("EXTERNAL", rt::Variant(iExternal));
    rs->Update();
    const int32_t id = rt::CLng(rs->Value("PROPERTYID"));
    Mts_SetComplete();
    Sql_CloseConnection(cn);
    return id;
  } catch (...) {
    HandleMethodError("Quarvel.Property.Insert21", [&] {
      Mts_SetAbort();
      CloseQuietly(rs, cn);
    });
  }
  return 0;
}

// Names compare exactly: "PROPERTYID" is skipped, and only "DATATYPE" set to
// anything but ENUMPROPERTYTYPE drops the enumeration values (before the row
// is saved, also when the type does not change).
bool Property::Update20(int32_t iPropertyId, const rt::Variant& iFields, const rt::Variant& iValues) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getReadCommittedConnection();
    rs = OpenRecordset("SELECT * FROM PROPERTY WHERE PROPERTYID=" + std::to_string(iPropertyId), cn,
                       data::kCursorStatic, data::kLockOptimistic);
    if (rs->Eof())
      Err_Raise(ErrorNumber(QuarvelErrors::ePropertyNotFound), "Quarvel.Property.Update", "Property not present");
    ForEachIndex16(iFields, [&](int32_t i) {
      const std::string name = rt::CStr(iFields.AsArray().At(i));
      if (name == "PROPERTYID") return;
      const rt::Variant& value = iValues.AsArray().At(i);
      rs->SetValue(name, value);
      if (name == "DATATYPE" && rt::CInt(value) != ENUMPROPERTYTYPE) DeleteEnums(iPropertyId);
    });
    rs->Update();
    Sql_CloseConnection(cn);
    rs.reset();
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError("Quarvel.Property.Update", [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return false;
}

// No handler of its own: Update20's failures reach the caller as they are.
rt::Variant Property::Update(int32_t& iPropertyId, std::string& iPropertyName, int16_t& iDataType) {
  rt::ContextScope scope(*this);
  return rt::Variant(Update20(iPropertyId, Texts({"PROPERTYNAME", "DATATYPE"}),
                              rt::Variant(rt::SafeArray::From({rt::Variant(iPropertyName), rt::Variant(iDataType)}))));
}

void Property::DeleteEnums(int32_t iPropertyId) {
  try {
    ExecuteOnOwnConnection("DELETE FROM propertyenum WHERE propertyid=" + std::to_string(iPropertyId), true);
  } catch (...) {
    HandleMethodError("Quarvel.Property.DeleteEnums", Mts_SetAbort);
  }
}

// Product values of the property (PRODUCTPROPVALUE) stay as they are.
bool Property::Delete(int32_t& iPropertyId) {
  rt::ContextScope scope(*this);
  rt::Err().Clear();
  try {
    if (!CheckerAllowsDelete("PROPERTY", "PROPERTYID", rt::Variant(iPropertyId))) {
      Mts_SetAbort();
      return false;
    }
    const std::string id = std::to_string(iPropertyId);
    ExecuteOnOwnConnection("DELETE FROM propertyenum WHERE propertyid = " + id, true);
    ExecuteOnOwnConnection("DELETE FROM propsbypropgroup WHERE propertyid = " + id, true);
    if (ExecuteOnOwnConnection("DELETE FROM property WHERE propertyid = " + id, true) == 0)
      Err_Raise(ErrorNumber(QuarvelErrors::ePropertyNotFound), "Quarvel.Property.Delete", "Property not present");
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError("Quarvel.Property.Delete", Mts_SetAbort);
  }
  return false;
}

}  // namespace quarvel
