// Product properties (table PROPERTY) and the values of enumerated
// properties (PROPERTYENUM): the transactional class Property
// ("Quarvel.Property"). Every statement runs on a READ COMMITTED connection
// of its own. Its members are split by what they do: creation, referential
// answers and the withdrawn members (property.cpp), writes (property_writes.cpp),
// lookups and the paged list (property_lookups.cpp); the dispatch table is
// in property_dispatch.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "interfaces/property.h"
#include "interfaces/referential_integrity.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"

namespace quarvel {

class Property : public rt::Object, public IProperty, public IReferentialIntegrity {
 public:
  std::string TypeName() const override { return "Property"; }
  const rt::DispatchTable* Dispatch() const override;

  // --- writes ---------------------------------------------------------------
  bool Delete(int32_t& iPropertyId) override;
  void DeleteUserProperties(std::string& iUserID) override;            // withdrawn
  void DeleteOfficeProperties(std::string& iOfficeDescription) override;  // withdrawn
  int16_t Insert20(const rt::Variant& iFields, const rt::Variant& iValues) override;
  int16_t Insert(std::string& iPropertyName, int16_t& iDataType) override;
  bool Update20(int32_t iPropertyId, const rt::Variant& iFields, const rt::Variant& iValues) override;
  rt::Variant Update(int32_t& iPropertyId, std::string& iPropertyName, int16_t& iDataType) override;

  // --- lookups and the paged list ---------------------------------------------
  rt::ObjectPtr GetPropertyData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                int32_t i_iPageSize, const rt::Variant& i_alPropertyIDs,
                                const rt::Variant& i_sSortTableFieldNames) override;
  int16_t getDataType(int32_t i_lPropertyID) override;
  std::string GetPropertyName(int32_t i_lPropertyID) override;
  int32_t GetPropertyIDFromName(const std::string& i_sPropertyName) override;
  std::shared_ptr<rt::Dictionary> getPropertyEnums(int32_t iPropertyId) override;

  int32_t Insert21(std::string& iPropertyName, int16_t& iDataType, std::string& iDefaultValue,
                   bool& iExternal) override;

  // --- IReferentialIntegrity: the key PROPERTYID -----------------------------------
  // True when PROPERTY holds the id; the value must be a number.
  bool IReferentialIntegrity_Exists(const std::string& iOrigin, const rt::Variant& iKeys,
                                    const rt::Variant& iValues) override;
  // True; deletes nothing (the keys must be an array).
  bool IReferentialIntegrity_BeforeDelete(const std::string& iOrigin, const rt::Variant& iKeys,
                                          const rt::Variant& iValues) override;

 private:
  // Deletes the property's enumeration values on a connection of its own.
  void DeleteEnums(int32_t iPropertyId);
};

}  // namespace quarvel
