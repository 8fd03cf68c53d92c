// The partner and currency readers beside writers. Called as the root of its
// transaction (or, for Brintor.Currency, outside any), a reader reads the
// last committed state in a read-only transaction of its own: it completes
// while another session holds the write lock, and does not see that
// session's uncommitted rows. Called inside a writer's transaction, it reads
// through that transaction and sees its rows.
#include <functional>
#include <string>
#include <vector>

#include "interfaces/tcurrency.h"
#include "tests/brintor/maintenance_fixture.h"
#include "tests/common/held_write_transaction.h"

namespace {

using PartnerReaders = PartnerMaintenanceTest;

// What the other session writes and leaves uncommitted: partner 3 renamed,
// a new supplier 99, the pound's rate doubled, a new currency.
const char* const kUncommitted =
    "UPDATE BUSINESSPARTNER SET NAME = 'Renamed' WHERE BUSINESSPARTNERID = 3;"
    "INSERT INTO BUSINESSPARTNER (BUSINESSPARTNERID, NAME, BISSUPPLIERCODE, BUSINESSID)"
    " VALUES (99, 'New supplier', 'S999', 'BID-S999');"
    "UPDATE CURRENCYRATE SET HOMESALESRATE = HOMESALESRATE * 2 WHERE CURRENCYCODE = 'GBP';"
    "INSERT INTO CURRENCY VALUES ('NEW', 'New', 0, 0, 0, 2, NULL);";

struct ReaderCase {
  const char* label;
  std::function<std::string()> call;
  const char* expected;
};

rt::Variant One(rt::Variant value) { return rt::Variant(rt::SafeArray::From({std::move(value)})); }
std::string Flag(bool value) { return value ? "True" : "False"; }

// Each reader on a new object made as the host makes it, while the other
// session holds the write lock: it answers the committed state (a reader
// that took the write lock would fail with "database is locked" after the
// busy timeout instead).
TEST_F(PartnerReaders, RootReadersCompleteBesideAnOpenWriteAndAnswerTheCommittedState) {
  const std::vector<ReaderCase> cases = {
      {"BusinessPartner.GetBusinessPartnerName",
       [] { return NewPartner()->GetBusinessPartnerName(rt::Variant(int32_t{3})); }, "Groothandel Zuid B.V."},
      {"BusinessPartner.GetBusinessPartnerIDByBusinessID",
       [] { return std::to_string(NewPartner()->GetBusinessPartnerIDByBusinessID("BID-S999")); }, "-1"},
      {"BusinessPartner.SupplierExists", [] { return Flag(NewPartner()->SupplierExists("S999")); }, "False"},
      {"BusinessPartner.GetSuppliersByCodeRange",
       [] { return Rows(NewPartner()->GetSuppliersByCodeRange("S100", "S999")); },
       "2|S200|Maschinenbau Nord GmbH\n1|S100|Office Supplies Inc.\n"},
      {"BusinessPartner.IReferentialIntegrity_Exists BUSINESSPARTNERID 99",
       [] {
         return Flag(NewPartner().References().IReferentialIntegrity_Exists(
             "BUSINESSPARTNER", One(rt::Variant("BUSINESSPARTNERID")), One(rt::Variant(int32_t{99}))));
       },
       "False"},
      {"TCurrency.IReferentialIntegrity_Exists CURRENCYCODE NEW",
       [] {
         auto currency = rt::CreateRootObject("Brintor.TCurrency", std::make_shared<rt::Activity>());
         return Flag(dynamic_cast<IReferentialIntegrity&>(*currency).IReferentialIntegrity_Exists(
             "", One(rt::Variant("CURRENCYCODE")), One(rt::Variant("NEW"))));
       },
       "False"},
      {"Currency.ConvertAmount at the committed rates",
       [] {
         auto currency = rt::CreateRootObject("Brintor.Currency", std::make_shared<rt::Activity>());
         std::string from = "GBP", to = "JPY";
         rt::Currency amount = rt::Currency::FromScaled(1000000);
         rt::Date day = rt::Date::FromParts(2026, 12, 8);
         return rt::CStr(rt::Variant(dynamic_cast<ICurrency&>(*currency).ConvertAmount(from, to, amount, day)));
       },
       "20782.0032"},
  };
  Run([&] {
    HeldWriteTransaction writer(sandbox_.CatalogPath(), kUncommitted);
    for (const ReaderCase& c : cases) {
      SCOPED_TRACE(c.label);
      std::string answer;
      try {
        answer = c.call();
      } catch (const rt::ComError& e) {
        answer = e.description();
      }
      EXPECT_EQ(answer, c.expected);
    }
  });
}

// A reader joined to a writer's transaction reads through it: it sees the
// address the writer has added and not yet committed, which goes again when
// the writer aborts.
TEST_F(PartnerReaders, JoinedReaderSeesItsWritersUncommittedAddress) {
  Run([&] {
    std::string seen;
    InTransaction([&] {
      auto address = rt::NewDictionary();
      address->Add(rt::Variant(static_cast<int16_t>(AddressFieldsEnum::NAME1)), rt::Variant("Joined address"));
      EXPECT_GT(JoinedPartner()->AddNewAddressEx(address, rt::Variant(int32_t{2})), 0);
      seen = Rows(JoinedPartner()->GetAddresses(rt::Variant(int32_t{2})));
      rt::GetObjectContext()->SetAbort();
    });
    EXPECT_NE(seen.find("|Joined address|"), std::string::npos) << seen;
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ADDRESS WHERE NAME1 = 'Joined address'"), "0");
  });
}

}  // namespace
