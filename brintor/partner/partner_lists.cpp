// BusinessPartner: the paged lists of addresses, partners and customers.
// Each composes its query and hands it to the paged-list protocol; these
// methods cast no vote, on success or on failure.
#include "brintor/partner/business_partner.h"
#include "brintor/partner/partner_common.h"
#include "common/lib_paging.h"
#include "common/method_error.h"
#include "runtime/context.h"

namespace brintor {

using namespace partner;

// Opens the list; no handler of its own (the calling method's handles it).
rt::ObjectPtr BusinessPartner::PagedList(std::string sql, const char* keyColumn, const rt::ObjectPtr& page,
                                         const std::string& state, int16_t pageSize,
                                         const rt::Variant& sortFields) {
  PagedQueryArgs args;
  args.page = page;
  args.persistedState = state;
  args.pageSize = pageSize;
  // The list's sort fields are always set: the empty text when none were given.
  args.sortFields = sortFields.IsMissing() ? rt::Variant("") : rt::Variant(rt::Concat(sortFields));
  args.sql = std::move(sql);
  args.keyColumn = keyColumn;
  args.connectionName = "BrintorConnection";
  args.connectionString = [this] { return ConnectionString(); };
  return PagedQuery(args);
}

namespace {

// The id filter (every id converted to a number) when ids were given.
void AddIdFilter(std::string& sql, const char* keyColumn, const rt::Variant& ids) {
  if (!ids.IsMissing()) sql = buildWhereClause(sql, IdInList(keyColumn, ids));
}

void AddSkipFilters(std::string& sql, bool skipOneTime, bool skipInternal) {
  if (skipOneTime) sql = buildWhereClause(sql, "NOT ISONETIMEBP = 1");
  if (skipInternal) sql = buildWhereClause(sql, "NOT ISINTERNALBP = 1");
}

}  // namespace

rt::ObjectPtr BusinessPartner::GetAddressData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                              int16_t i_iPageSize, const rt::Variant& i_alAddressIDs,
                                              const rt::Variant& i_sSortTableFieldNames) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    std::string sql = "SELECT * FROM ADDRESS";
    AddIdFilter(sql, "ADDRESSID", i_alAddressIDs);
    return PagedList(sql, "ADDRESSID", i_oPage, i_sPersistedStateInfo, i_iPageSize, i_sSortTableFieldNames);
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetAddressData");
  }
  return nullptr;
}

rt::ObjectPtr BusinessPartner::GetBusinessPartnerData(const rt::ObjectPtr& i_oPage,
                                                      const std::string& i_sPersistedStateInfo, int16_t i_iPageSize,
                                                      bool i_bSkipOneTimeBusinessPartners,
                                                      bool i_bSkipInternalBusinessPartners,
                                                      const rt::Variant& i_alBPIDs,
                                                      const rt::Variant& i_sSortTableFieldNames) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    std::string sql = "SELECT * FROM BUSINESSPARTNER";
    AddIdFilter(sql, "BUSINESSPARTNERID", i_alBPIDs);
    AddSkipFilters(sql, i_bSkipOneTimeBusinessPartners, i_bSkipInternalBusinessPartners);
    return PagedList(sql, "BUSINESSPARTNERID", i_oPage, i_sPersistedStateInfo, i_iPageSize, i_sSortTableFieldNames);
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetBusinessPartnerData");
  }
  return nullptr;
}

rt::ObjectPtr BusinessPartner::GetCustomerData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                               int16_t i_iPageSize, bool i_bSkipOneTimeBusinessPartners,
                                               bool i_bSkipInternalBusinessPartners, const rt::Variant& i_alBPIDs,
                                               const rt::Variant& i_sSortTableFieldNames) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    std::string sql = "SELECT * FROM BUSINESSPARTNER";
    AddIdFilter(sql, "BUSINESSPARTNERID", i_alBPIDs);
    AddSkipFilters(sql, i_bSkipOneTimeBusinessPartners, i_bSkipInternalBusinessPartners);
    sql = buildWhereClause(sql, "BISCUSTOMERCODE <> ''");
    sql = buildWhereClause(sql, "NOT BISCUSTOMERCODE IS NULL");
    return PagedList(sql, "BUSINESSPARTNERID", i_oPage, i_sPersistedStateInfo, i_iPageSize, i_sSortTableFieldNames);
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetCustomerData");
  }
  return nullptr;
}

rt::ObjectPtr BusinessPartner::GetBusinessPartnersLimited(const rt::ObjectPtr& i_oPage,
                                                          const std::string& i_sPersistedStateInfo,
                                                          int16_t i_iPageSize, bool i_bSkipOneTimeBusinessPartners,
                                                          bool i_bSkipInternalBusinessPartners,
                                                          const rt::Variant& i_alBPIDs,
                                                          const rt::Variant& i_sSortTableFieldNames) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    std::string sql = "SELECT BUSINESSPARTNERID, NAME FROM BUSINESSPARTNER";
    AddIdFilter(sql, "BUSINESSPARTNERID", i_alBPIDs);
    AddSkipFilters(sql, i_bSkipOneTimeBusinessPartners, i_bSkipInternalBusinessPartners);
    return PagedList(sql, "BUSINESSPARTNERID", i_oPage, i_sPersistedStateInfo, i_iPageSize, i_sSortTableFieldNames);
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetBusinessPartnersLimited");
  }
  return nullptr;
}

}  // namespace brintor
