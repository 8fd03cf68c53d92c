// TUser: registering a bidding supplier. The address and the partner are
// written by "Brintor.BusinessPartner", which joins this class's
// transaction; the link between them and the directory user follow. The
// transaction commits only when the directory user was created, so the
// address, the partner, the link and the user stay together or go together.
#include <string>

#include "brintor/user/tuser.h"
#include "brintor/user/tuser_common.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

using namespace tuser;

namespace {

// The directory's refusals that have codes of their own.
constexpr int32_t kDirectoryUserExists = static_cast<int32_t>(0x8004032A);
constexpr int32_t kDirectoryPasswordRefused = static_cast<int32_t>(0x8004044F);

// A record value of a partner step's result: the new row's id.
int32_t NewId(const rt::ObjectPtr& result, const char* name) {
  const rt::Variant values = result->Call("GetRecordValues");
  const rt::ObjectPtr& dictionary = values.AsObject();
  if (!dictionary) rt::RaiseVb(rt::vberr::kObjectNotSet);
  const rt::Variant key(name);
  if (!rt::CBool(dictionary->Call("Exists", {key}))) rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
  return rt::CLng(dictionary->Call("Item", {key}));
}

rt::ObjectPtr InsertRow(const rt::ObjectPtr& partner, const char* table, const rt::Variant& keys,
                        const rt::Variant& values) {
  return partner->Call("InsertFromScript", {rt::Variant(table), keys, values}).AsObject();
}

}  // namespace

// Until the link step a failure leaves as it came (no block, no log entry),
// with an abort vote so that an address already written cannot commit
// alone. From the link step on, failures become codes in the answer.
rt::ObjectPtr TUser::InsertBiddingUser(rt::Variant i_aAddressKeys, rt::Variant i_aAddressValues,
                                       rt::Variant i_aBPKeys, rt::Variant i_aBPValues, rt::Variant i_aUserKeys,
                                       rt::Variant i_aUserValues, std::string& i_sUserId,
                                       std::string& i_sPassword) {
  rt::ContextScope scope(*this);
  rt::ObjectPtr partner;
  rt::ObjectPtr answer;
  int32_t addressId = 0;
  int32_t partnerId = 0;
  try {
    partner = Gen_GetComponent("Brintor.BusinessPartner");
    rt::ObjectPtr address = InsertRow(partner, "ADDRESS", i_aAddressKeys, i_aAddressValues);
    if (!Succeeded(address)) {
      // No partner result exists yet: the address rule's codes are the answer.
      Mts_SetAbort();
      return address;
    }
    addressId = NewId(address, "ADDRESSID");
    const int32_t added = i_aBPKeys.AsArray().UBound() + 1;
    rt::SafeArray& bpKeys = i_aBPKeys.MutableArray();
    bpKeys.RedimPreserve(added);
    bpKeys.At(added) = rt::Variant("ADDRESSID");
    rt::SafeArray& bpValues = i_aBPValues.MutableArray();
    bpValues.RedimPreserve(added);
    bpValues.At(added) = rt::Variant(addressId);
    answer = InsertRow(partner, "BUSINESSPARTNER", i_aBPKeys, i_aBPValues);
    if (!Succeeded(answer)) {
      Mts_SetAbort();
      return answer;
    }
    partnerId = NewId(answer, "BUSINESSPARTNERID");
    i_aUserValues.MutableArray().At(0) = rt::Variant(partnerId);
  } catch (...) {
    Mts_SetAbort();
    throw;
  }

  bool created = false;
  rt::Err().Clear();
  bool linked = false;
  rt::TryResume([&] {
    linked = rt::CBool(partner->Call("AddExistingAddress", {rt::Variant(addressId), rt::Variant(partnerId)}));
  });
  if (!linked) {
    const std::string failure = rt::Err().description;
    rt::TryResume([&] { AddCode(answer, failure); });
    rt::TryResume([&] { AddCode(answer, "SLBCO8337"); });
  } else {
    rt::ObjectPtr user;
    rt::TryResume([&] { user = CreateUserWithAttributes(i_sUserId, i_sPassword, i_aUserKeys, i_aUserValues); });
    created = user != nullptr;
    if (!created) {
      const rt::PendingError failure = rt::Err();
      const std::string code = failure.number == kDirectoryUserExists       ? "SLBCO8572"
                               : failure.number == kDirectoryPasswordRefused ? "SLBCO8501"
                                                                             : failure.description;
      rt::TryResume([&] { AddCode(answer, code); });
      rt::TryResume([&] { AddCode(answer, "SLBCO8339"); });
    }
  }
  rt::Err().Clear();

  partner.reset();
  created ? Mts_SetComplete() : Mts_SetAbort();
  return answer;
}

}  // namespace brintor
