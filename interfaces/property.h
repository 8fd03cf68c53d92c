// The product property class of the catalog library ("Quarvel.Property")
// for C++ callers: properties with their data type, default value and
// external flag (PROPERTY), and the values of enumerated properties
// (PROPERTYENUM). It also implements IReferentialIntegrity
// (interfaces/referential_integrity.h) for the key PROPERTYID.
//
// Members are listed in the interface's slot order under their late-bound
// names; parameters passed by reference are non-const references.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/dictionary.h"
#include "runtime/variant.h"

// The kind of value a property takes (PROPERTY.DATATYPE). A property keeps
// PROPERTYENUM rows only while it is ENUMPROPERTYTYPE.
enum Datatype : int16_t {
  STRINGPROPERTYTYPE = 1,
  NUMBERPROPERTYTYPE = 2,
  ENUMPROPERTYTYPE = 3,
  DATEPROPERTYTYPE = 4,
};

struct IProperty {
  virtual ~IProperty() = default;
  // Deletes the property with its enumeration values and group memberships
  // (product values stay): True; False when the referential checker refuses.
  virtual bool Delete(int32_t& iPropertyId) = 0;
  // Withdrawn: each fails with -1.
  virtual void DeleteUserProperties(std::string& iUserID) = 0;
  virtual void DeleteOfficeProperties(std::string& iOfficeDescription) = 0;
  // A new property from parallel arrays of column names and values; the new
  // id in 16 bits (Overflow past 32767, the row undone with the transaction).
  virtual int16_t Insert20(const rt::Variant& iFields, const rt::Variant& iValues) = 0;
  // Insert20 of PROPERTYNAME, DATATYPE and EXTERNAL False.
  virtual int16_t Insert(std::string& iPropertyName, int16_t& iDataType) = 0;
  // Sets the named columns (PROPERTYID is skipped); a DATATYPE other than
  // ENUMPROPERTYTYPE deletes the enumeration values. True.
  virtual bool Update20(int32_t iPropertyId, const rt::Variant& iFields, const rt::Variant& iValues) = 0;
  // Update20 of PROPERTYNAME and DATATYPE; the Boolean in a Variant.
  virtual rt::Variant Update(int32_t& iPropertyId, std::string& iPropertyName, int16_t& iDataType) = 0;
  // The properties as a paged list (Tamrick.DRecordset), optionally only
  // those with the given ids.
  virtual rt::ObjectPtr GetPropertyData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                        int32_t i_iPageSize, const rt::Variant& i_alPropertyIDs,
                                        const rt::Variant& i_sSortTableFieldNames) = 0;
  virtual int16_t getDataType(int32_t i_lPropertyID) = 0;
  virtual std::string GetPropertyName(int32_t i_lPropertyID) = 0;
  // The id of the property with that name, 0 when none.
  virtual int32_t GetPropertyIDFromName(const std::string& i_sPropertyName) = 0;
  // SEQUENCEID (as text) -> VALUE (as text), in list order.
  virtual std::shared_ptr<rt::Dictionary> getPropertyEnums(int32_t iPropertyId) = 0;
  // A new property; the new id in 32 bits.
  virtual int32_t Insert21(std::string& iPropertyName, int16_t& iDataType, std::string& iDefaultValue,
                           bool& iExternal) = 0;
};
