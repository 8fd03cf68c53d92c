// ProductXML: the lookups of the checks and writers. Products are looked up
// by supplier part number; master data (units, commodities, contract lines,
// UNSPSC codes, hazardous classes, business partners, buyers) is asked once
// a call and the answer kept for the rest of it. Every statement takes its
// values as parameters.
#include <cstdio>

#include "common/lib_general.h"
#include "common/method_error.h"
#include "data/command.h"
#include "data/recordset.h"
#include "quarvel/import/import_xml.h"
#include "quarvel/import/product_writer.h"
#include "quarvel/import/product_xml.h"
#include "quarvel/import/product_xml_common.h"
#include "quarvel/reference/unspsc_lib.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/com_error.h"

namespace quarvel {

using namespace productxml;

namespace {

constexpr const char* kText = "STRING";

// A late-bound call of a kept component with one text argument.
rt::Variant Ask(const rt::ObjectPtr& component, const char* member, const std::string& text) {
  rt::Args args{rt::Variant(text)};
  return component->Invoke(member, rt::CallKind::Method, args);
}

}  // namespace

// --- products ------------------------------------------------------------------

std::shared_ptr<data::Connection> ProductXML::LookupConnection() {
  if (writer_) return writer_->Connection();
  if (!connection_) connection_ = getConnection();
  return connection_;
}

namespace {

std::shared_ptr<data::Recordset> Lookup(const std::shared_ptr<data::Connection>& connection, const char* sql,
                                        const std::vector<rt::Variant>& values) {
  auto command = data::Command::New();
  command->SetActiveConnection(connection);
  command->SetCommandText(sql);
  return command->Execute(nullptr, &values);
}

}  // namespace

// A product whose description is Null is known all the same: its
// description reads as "".
rt::Variant ProductXML::getProductName(const std::string& partNumber) {
  try {
    std::shared_ptr<data::Recordset> rs =
        Lookup(LookupConnection(), import::kDescriptionQuery, {rt::Variant(partNumber)});
    if (rs->Eof()) return rt::Variant::Null();
    return rt::Variant(rt::Concat(rs->Value(int32_t{0})));
  } catch (...) {
    HandleMethodError(Source("getProductName"));
  }
  return {};
}

std::optional<int32_t> ProductXML::ProductIdOf(const std::string& partNumber) {
  std::shared_ptr<data::Recordset> rs = Lookup(LookupConnection(), import::kIdQuery, {rt::Variant(partNumber)});
  if (rs->Eof()) return std::nullopt;
  return rt::CLng(rs->Value(int32_t{0}));
}

// --- master data --------------------------------------------------------------

bool ProductXML::Exists(const std::string& table, const std::vector<std::string>& columns,
                        const std::vector<rt::Variant>& values, const std::vector<std::string>& types) {
  try {
    std::string key = table;
    std::string sql = "SELECT " + columns.front() + " FROM " + table + " WHERE ";
    std::vector<rt::Variant> parameters;
    for (size_t i = 0; i < columns.size(); ++i) {
      const bool text = types[i] == kText;
      // A number column never matches a value that is no number, and such
      // a value never reaches the statement.
      if (!text && !IsNumberValue(values[i])) return false;
      parameters.push_back(text ? rt::Variant(rt::CStr(values[i])) : rt::Variant(rt::CDbl(values[i])));
      sql += (i ? " AND " : "") + columns[i] + " = ?";
      key += "\x1f" + columns[i] + "=" + rt::CStr(parameters.back());
    }
    auto known = memo_->exists.find(key);
    if (known != memo_->exists.end()) return known->second;
    const bool found = !Lookup(LookupConnection(), sql.c_str(), parameters)->Eof();
    memo_->exists.emplace(std::move(key), found);
    return found;
  } catch (...) {
    HandleMethodError(Source("Exists"));
  }
  return false;
}

std::string ProductXML::UnitCodeOf(const std::string& text) {
  auto known = memo_->unitCodes.find(text);
  if (known != memo_->unitCodes.end()) return known->second;
  if (!unit_) unit_ = Gen_GetComponent("Quarvel.Unit");
  const std::string code = rt::CStr(Ask(unit_, "getUnitCodeFromDescription", text));
  memo_->unitCodes.emplace(text, code);
  return code;
}

int32_t ProductXML::PartnerIdOf(const std::string& businessId) {
  auto known = memo_->partnerIds.find(businessId);
  if (known != memo_->partnerIds.end()) return known->second;
  // The partner class requires a transaction, which takes the write lock
  // that the call's open group holds.
  if (writer_) writer_->CommitOpenGroup();
  if (!businessPartner_) businessPartner_ = Gen_GetComponent("Brintor.BusinessPartner");
  const int32_t id = rt::CLng(Ask(businessPartner_, "GetBusinessPartnerIDByBusinessID", businessId));
  memo_->partnerIds.emplace(businessId, id);
  return id;
}

bool ProductXML::IsBuyer(const std::string& userId) {
  auto known = memo_->buyers.find(userId);
  if (known != memo_->buyers.end()) return known->second;
  if (!user_) user_ = Gen_GetComponent("Brintor.User");
  const bool buyer = rt::CBool(Ask(user_, "CheckUserExists", userId)) && rt::CBool(Ask(user_, "GetBuyerRole", userId));
  memo_->buyers.emplace(userId, buyer);
  return buyer;
}

// The trimmed code is PARENTCODE and a last pair of digits. The pair is
// read as a number, as the code's level rows keep it, and compared as the
// two-digit text the table stores ("01" for 1). A code shorter than a pair
// fails with Invalid procedure call (5), one whose last pair is no number
// with Type mismatch (13).
bool ProductXML::UnspscPairExists(const std::string& code) {
  const std::string trimmed = rt::Trim(code);
  const int32_t length = rt::Len(trimmed);
  if (length < 2) rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
  const int16_t pair = rt::CInt(rt::Variant(Right(trimmed, 2)));
  char text[8];
  std::snprintf(text, sizeof text, pair >= 0 && pair <= 99 ? "%02d" : "%d", static_cast<int>(pair));
  return Exists("UNSPSCCODES", {"PARENTCODE", "UNSPSCCODE"},
                {rt::Variant(Left(trimmed, length - 2)), rt::Variant(std::string(text))}, {kText, kText});
}

bool ProductXML::ContractLineExists(const rt::Variant& code, const rt::Variant& number) {
  return Exists("CONTRACTLINES", {"CONTRACTCODE", "NUMBER"}, {code, number}, {kText, "NUMBER"});
}

bool ProductXML::CodeHasCategories(const std::string& code) {
  auto known = memo_->categories.find(code);
  if (known != memo_->categories.end()) return known->second;
  const bool has = UNSPSCLib::GetProductCategoriesForUNSPSCCode(code)->Count() > 0;
  memo_->categories.emplace(code, has);
  return has;
}

bool ProductXML::UnspscImplemented() {
  if (!unspscImplemented_) unspscImplemented_ = UNSPSCLib::UNSPSCImplementedForImport();
  return *unspscImplemented_;
}

const std::string& ProductXML::EffectiveSeparator() {
  if (separator_.empty()) separator_ = kDefaultSeparator;
  return separator_;
}

}  // namespace quarvel
