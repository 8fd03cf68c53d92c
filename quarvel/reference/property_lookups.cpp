// Property: single lookups (data type, name, id by name, enumeration
// values) and the paged list of properties.
#include "common/lib_errorhandling.h"
#include "common/lib_mts.h"
#include "common/lib_paging.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "interfaces/quarvel_errors.h"
#include "quarvel/reference/property.h"
#include "quarvel/reference/reference_common.h"
#include "quarvel/services/catalog_connection.h"
#include "quarvel/services/catalog_paging.h"
#include "runtime/context.h"

namespace quarvel {

using namespace reference;

namespace {

// One column of the property's row, read on a READ COMMITTED connection of
// its own; a missing row fails with "Property <id> not present" under
// `source`.
rt::Variant PropertyColumn(const char* column, int32_t id, const std::string& source) {
  std::shared_ptr<data::Connection> cn = getReadCommittedConnection();
  std::shared_ptr<data::Recordset> rs =
      OpenRecordset(std::string("SELECT ") + column + " FROM PROPERTY WHERE PROPERTYID=" + std::to_string(id), cn,
                    data::kCursorStatic, data::kLockReadOnly);
  if (rs->Eof())
    Err_Raise(ErrorNumber(QuarvelErrors::ePropertyNotFound), source,
              "Property " + std::to_string(id) + " not present");
  rt::Variant value = rs->Value(column);
  Sql_CloseConnection(cn);
  return value;
}

}  // namespace

int16_t Property::getDataType(int32_t i_lPropertyID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    const int16_t type = rt::CInt(PropertyColumn("DATATYPE", i_lPropertyID, "Quarvel.Property.getDataType"));
    Mts_SetComplete();
    return type;
  } catch (...) {
    HandleMethodError("Quarvel.Property.getDataType", Mts_SetAbort);
  }
  return 0;
}

std::string Property::GetPropertyName(int32_t i_lPropertyID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    std::string name = rt::CStr(PropertyColumn("PROPERTYNAME", i_lPropertyID, "Quarvel.Property.GetPropertyName"));
    Mts_SetComplete();
    return name;
  } catch (...) {
    HandleMethodError("Quarvel.Property.GetPropertyName", Mts_SetAbort);
  }
  return {};
}

// The name reaches the statement as Tamrick.Utilities' text literal.
int32_t Property::GetPropertyIDFromName(const std::string& i_sPropertyName) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    const std::string literal = rt::CStr(ThreadUtilities()->Call("ToSqlText", {rt::Variant(i_sPropertyName)}));
    cn = getReadCommittedConnection();
    rs = OpenRecordset("SELECT PROPERTYID FROM PROPERTY WHERE PROPERTYNAME=" + literal, cn, data::kCursorStatic,
                       data::kLockReadOnly);
    const int32_t id = rs->Eof() ? 0 : rt::CLng(rs->Value("PROPERTYID"));
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return id;
  } catch (...) {
    HandleMethodError("Quarvel.Property.GetPropertyIDFromName", [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return 0;
}

// SEQUENCEID as text -> VALUE as text, in the table's key order (list order).
std::shared_ptr<rt::Dictionary> Property::getPropertyEnums(int32_t iPropertyId) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getReadCommittedConnection();
    rs = OpenRecordset("SELECT SEQUENCEID, VALUE FROM PROPERTYENUM WHERE PROPERTYID=" + std::to_string(iPropertyId),
                       cn, data::kCursorStatic, data::kLockReadOnly);
    auto values = rt::NewDictionary();
    for (; !rs->Eof(); rs->MoveNext())
      values->Add(rt::Variant(rt::CStr(rs->Value("SEQUENCEID"))), rt::Variant(rt::CStr(rs->Value("VALUE"))));
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return values;
  } catch (...) {
    HandleMethodError("Quarvel.Property.getPropertyEnums", [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return nullptr;
}

// No vote. The page size is taken as a 16-bit number: past 32767 the call
// fails with Overflow.
rt::ObjectPtr Property::GetPropertyData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                        int32_t i_iPageSize, const rt::Variant& i_alPropertyIDs,
                                        const rt::Variant& i_sSortTableFieldNames) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    return CatalogPagedQuery(
        "SELECT * FROM PROPERTY", "PROPERTYID", IdListForm::kNumbers,
        ListRequest(i_oPage, i_sPersistedStateInfo, i_iPageSize, i_alPropertyIDs, i_sSortTableFieldNames));
  } catch (...) {
    HandleMethodError("Quarvel.Property.GetPropertyData");
  }
  return nullptr;
}

}  // namespace quarvel
