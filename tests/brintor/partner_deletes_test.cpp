// The partner's deletes and referential answers: what a delete removes and
// keeps, refusals, the links restored on abort, the codes and their votes.
#include <set>

#include "tests/brintor/maintenance_fixture.h"

namespace {

// A referring component: it still uses the ids it holds, and records the
// clean-ups it is asked for.
class Orders : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table = rt::DispatchBuilder<Orders>("Orders")
                                               .Method("IReferentialIntegrity_Exists", &Orders::Exists)
                                               .Method("IReferentialIntegrity_BeforeDelete", &Orders::BeforeDelete)
                                               .Build();
    return &table;
  }
  bool Exists(const std::string&, const rt::Variant&, const rt::Variant& values) {
    return held.count(rt::CLng(values.AsArray().At(0))) > 0;
  }
  bool BeforeDelete(const std::string&, const rt::Variant& keys, const rt::Variant& values) {
    cleanups.push_back(rt::CStr(keys.AsArray().At(0)) + "=" + rt::CStr(values.AsArray().At(0)));
    return true;
  }
  static inline std::set<int32_t> held;
  static inline std::vector<std::string> cleanups;
};

class PartnerDeletes : public PartnerMaintenanceTest {
 protected:
  void SetUp() override {
    PartnerMaintenanceTest::SetUp();
    Orders::held.clear();
    Orders::cleanups.clear();
    rt::RegisterClass({"Test.Orders", "", rt::TransactionAttribute::Required,
                       [] { return rt::ObjectPtr(std::make_shared<Orders>()); }});
    std::ofstream(sandbox_.Site() + "/references.ini", std::ios::trunc)
        << "[BUSINESSPARTNER]\nKey=BUSINESSPARTNERID\nOwner=Brintor.BusinessPartner\n"
           "ReferredBy=Test.Orders:ORDERS.BUSINESSPARTNERID\n"
           "[ADDRESS]\nKey=ADDRESSID\nOwner=Brintor.BusinessPartner\nReferredBy=Test.Orders:ORDERS.ADDRESSID\n";
  }

  // Link rows, "partner:address" in order.
  std::string Links() const {
    return Scalar(
        "SELECT group_concat(L, ' ') FROM (SELECT BUSINESSPARTNERID || ':' || ADDRESSID AS L "
        "FROM BUSINESSPARTNERADDRESS ORDER BY 1)");
  }
  std::string Count(const char* table) const { return Scalar(std::string("SELECT COUNT(*) FROM ") + table); }
};

TEST_F(PartnerDeletes, APartnerDeleteRemovesItsLinksAndKeepsAddressesAndCustomerRow) {
  Run([&] {
    auto bp = NewPartner();
    int32_t one = 1, three = 3, four = 4;
    Golden seen;
    seen.Add("Delete(1)", bp->Delete(one)).Add("Delete(3)", bp->Delete(three));
    seen.Add("links", Links()).Add("partners", Count("BUSINESSPARTNER")).Add("addresses", Count("ADDRESS"));
    seen.Add("customers", Count("CUSTOMER"));
    std::string cleanups;
    for (const std::string& cleanup : Orders::cleanups) cleanups += cleanup + ",";
    seen.Add("cleanups", cleanups);
    seen.Add("CustomerDelete(3)", bp->CustomerDelete(3)).Add("CustomerDelete(3) again", bp->CustomerDelete(3));
    seen.Add("AddressDelete(4)", bp->AddressDelete(four));
    seen.Add("links after", Links()).Add("customers after", Count("CUSTOMER"));
    EXPECT_EQ(seen.Add("addresses after", Count("ADDRESS")).Lines(),
              "Delete(1): true\nDelete(3): true\nlinks: 2:3 4:5\npartners: 3\naddresses: 5\ncustomers: 2\n"
              "cleanups: BUSINESSPARTNERID=1,BUSINESSPARTNERID=3,\n"
              "CustomerDelete(3): true\nCustomerDelete(3) again: false\nAddressDelete(4): true\n"
              "links after: 2:3 4:5\ncustomers after: 1\naddresses after: 4\n");
  });
}

// The links of a partner id without a row are removed first; the abort of
// the not-present error brings them back.
TEST_F(PartnerDeletes, AMissingPartnerRaisesAndItsLinkRemovalIsUndone) {
  Exec("INSERT INTO BUSINESSPARTNERADDRESS VALUES (99, 1)");
  Run([&] {
    auto bp = NewPartner();
    const std::string block =
        "|ERROR 0x80040064| METHOD: Brintor.BusinessPartner.Delete| DESC: BusinessPartner not present.|";
    EXPECT_EQ(Failure([&] { bp->Delete(Ref(int32_t{99})); }), "80040064 Brintor.BusinessPartner.Delete: " + block);
    auto bdo = DataObject("BPDataObject", {{"BUSINESSPARTNERID", int32_t{99}}});
    EXPECT_EQ(Failure([&] { bp.Rules().BusinessRules_Delete(bdo); }),
              "80040064 Brintor.BusinessPartner.Delete: |ERROR 0x80040064| METHOD: "
              "Brintor.BusinessPartner.BusinessRules_Delete| DESC: " + block + ".|");
    EXPECT_EQ(Links(), "1:1 1:2 2:3 3:4 4:5 99:1");
  });
}

// A refusal by a referring component, or a row that is not there, answers
// False with an abort vote; through the delete rule it is a code, and
// commits. When the database refuses a row after its links were removed,
// the code comes with an abort that brings the links back.
TEST_F(PartnerDeletes, DeletesThatDoNotHappenAnswerTheirCodesAndCommitUnlessLinksWereRemoved) {
  Orders::held = {2};
  Exec("CREATE TRIGGER KEEP_ADDRESS BEFORE DELETE ON ADDRESS BEGIN SELECT RAISE(ABORT, 'kept'); END;"
       "INSERT INTO ADDRESS (ADDRESSID, COUNTRYCODE, NAME1) VALUES (6, 'NL', 'Depot');"  // named by no partner
       "INSERT INTO BUSINESSPARTNERADDRESS VALUES (1, 6);");
  Run([&] {
    InTransaction([&] {
      auto bp = JoinedPartner();
      int32_t partner = 2, address = 77;
      Golden seen;
      seen.Add("Delete(2)", bp->Delete(partner)).Add("AddressDelete(77)", bp->AddressDelete(address));
      seen.Add("CustomerDelete(1)", bp->CustomerDelete(1)).Add("doomed", Doomed());
      EXPECT_EQ(seen.Line(), "Delete(2)=false AddressDelete(77)=false CustomerDelete(1)=false doomed=true");
    });
    InTransaction([&] {
      auto bp = JoinedPartner();
      Golden outcomes;
      for (auto [kind, key, id] :
           {std::tuple{"BPDataObject", "BUSINESSPARTNERID", 2}, std::tuple{"AddressDataObject", "ADDRESSID", 77},
            std::tuple{"CustomerDataObject", "BUSINESSPARTNERID", 1}, std::tuple{"OfficeDataObject", "OFFICEID", 1}}) {
        outcomes.Add(std::string(kind) + " " + key + "=" + std::to_string(id),
                     Outcome(bp.Rules().BusinessRules_Delete(DataObject(kind, {{key, id}}))));
      }
      EXPECT_EQ(outcomes.Lines(),
                "BPDataObject BUSINESSPARTNERID=2: failed SLBBR0000\nAddressDataObject ADDRESSID=77: failed SLBBR0001\n"
                "CustomerDataObject BUSINESSPARTNERID=1: failed SLBBR0002\nOfficeDataObject OFFICEID=1: ok\n");
      EXPECT_FALSE(Doomed());
    });
    // Only the missing address passed the checker; the referred partner was never cleaned up.
    EXPECT_EQ(Orders::cleanups, (std::vector<std::string>{"ADDRESSID=77", "ADDRESSID=77"}));
    EXPECT_EQ(LogEntries(), 0);
    InTransaction([&] {
      auto bp = JoinedPartner();
      rt::Variant names = Array({"ADDRESSID"}), values = Array({int32_t{6}});
      EXPECT_EQ(Outcome(bp->DeleteFromScript("ADDRESS", names, values)), "failed SLBBR0001");
      EXPECT_TRUE(Doomed());
    });
    EXPECT_EQ(Links(), "1:1 1:2 1:6 2:3 3:4 4:5");
    EXPECT_EQ(Golden().Add("partners", Count("BUSINESSPARTNER")).Add("addresses", Count("ADDRESS")).Line(),
              "partners=5 addresses=6");
  });
}

// The checker cannot tell whether a partner or an office names an address
// (ship-to, postal, sold-to, an office's address): the delete looks itself
// and refuses with its own answer, False or SLBBR0001, deleting nothing and
// committing the refusal. An address named by nothing goes with its links.
TEST_F(PartnerDeletes, AnAddressThatAPartnerOrAnOfficeNamesStays) {
  Exec("INSERT INTO ADDRESS (ADDRESSID, COUNTRYCODE, NAME1) VALUES (6, 'NL', 'Office'), (7, 'NL', 'Sold to'),"
       " (8, 'NL', 'Depot');"
       "UPDATE OFFICE SET ADDRESSID = 6 WHERE OFFICEDESCRIPTION = 'Head office';"
       "UPDATE BUSINESSPARTNER SET SOLDTOADDRESSID = 7 WHERE BUSINESSPARTNERID = 3;"
       "INSERT INTO BUSINESSPARTNERADDRESS VALUES (3, 7), (3, 8);");
  Run([&] {
    struct Case {
      const char* what;
      int32_t address;
    };
    std::string seen;
    for (const Case& c : std::vector<Case>{{"partner 1 ships to it", 2},
                                           {"partner 1 posts to and sells to it", 1},
                                           {"partner 3 sells to it", 7},
                                           {"an office's address", 6},
                                           {"named by nothing", 8}}) {
      int32_t id = c.address;
      const std::string direct = std::to_string(NewPartner()->AddressDelete(id));
      std::string scripted, ending;
      InTransaction([&] {
        rt::Variant names = Array({"ADDRESSID"}), values = Array({c.address});
        scripted = Outcome(JoinedPartner()->DeleteFromScript("ADDRESS", names, values));
        ending = Doomed() ? "rollback" : "commit";
      });
      seen += std::string(c.what) + ": " + direct + " " + scripted + " " + ending + "\n";
    }
    EXPECT_EQ(seen,
              "partner 1 ships to it: 0 failed SLBBR0001 commit\n"
              "partner 1 posts to and sells to it: 0 failed SLBBR0001 commit\n"
              "partner 3 sells to it: 0 failed SLBBR0001 commit\n"
              "an office's address: 0 failed SLBBR0001 commit\n"
              "named by nothing: 1 failed SLBBR0001 commit\n");
  });
  EXPECT_EQ(Links() + " " + Scalar("SELECT group_concat(ADDRESSID, ' ') FROM (SELECT ADDRESSID FROM ADDRESS ORDER BY 1)"),
            "1:1 1:2 2:3 3:4 3:7 4:5 1 2 3 4 5 6 7");
}

// A partner's delete takes the links of the users who serve it with it, in
// its transaction: a delete that fails brings them back.
TEST_F(PartnerDeletes, APartnerDeleteRemovesTheLinksOfTheUsersWhoServeIt) {
  Exec("CREATE TRIGGER KEEP_PARTNER BEFORE DELETE ON BUSINESSPARTNER WHEN OLD.BUSINESSPARTNERID = 3"
       " BEGIN SELECT RAISE(ABORT, 'kept'); END;");
  Run([&] {
    auto users = [&] { return Scalar("SELECT group_concat(USERID || ':' || BUSINESSPARTNERID, ' ') FROM BPSPERUSER"); };
    std::string seen = users() + " ";
    seen += Failure([&] { NewPartner()->Delete(Ref(int32_t{3})); }).substr(0, 9);
    seen += users() + " ";
    seen += std::to_string(NewPartner()->Delete(Ref(int32_t{4}))) + " ";
    seen += users();
    EXPECT_EQ(seen, "internal1:3 internal1:4 80040E2F internal1:3 internal1:4 1 internal1:3");
  });
}

TEST_F(PartnerDeletes, ExistsAsksTheTableOfTheFirstKeyItKnows) {
  Run([&] {
    auto bp = NewPartner();
    using Values = std::vector<rt::Variant>;
    auto exists = [&](const std::string& origin, Values names, Values values) {
      return bp.References().IReferentialIntegrity_Exists(origin, Array(names), Array(values));
    };
    Golden answers;
    for (const auto& [origin, names, values] : std::vector<std::tuple<const char*, Values, Values>>{
             {"", {"ADDRESSID"}, {int32_t{1}}}, {"", {"addressid"}, {"99"}},
             {"Brintor", {"BUSINESSPARTNERID"}, {int32_t{1}}},
             {"CUSTOMER", {"BUSINESSPARTNERID"}, {int32_t{1}}}, {"CUSTOMER", {"BUSINESSPARTNERID"}, {int32_t{3}}},
             {"customer", {"BUSINESSPARTNERID"}, {int32_t{1}}}, {"", {"CarrierCode"}, {"road"}},
             {"", {"FOO", "countrycode"}, {"x", "DE"}}, {"", {"COUNTRYCODE"}, {"D'E"}},
             {"", {"COUNTRYCODE"}, {rt::Variant::Null()}}, {"", {"ADDRESSID", "COUNTRYCODE"}, {int32_t{77}, "DE"}},
             {"", {"FOO"}, {int32_t{77}}}, {"", {}, {}}}) {
      std::string label = std::string("origin '") + origin + "'";
      for (size_t i = 0; i < names.size(); ++i) label += " " + rt::CStr(names[i]) + "=" + Golden::Value(values[i]);
      answers.Add(label, exists(origin, names, values));
    }
    EXPECT_EQ(answers.Lines(),
              "origin '' ADDRESSID=Long:1: true\n"
              "origin '' addressid=String:99: false\n"
              "origin 'Brintor' BUSINESSPARTNERID=Long:1: true\n"
              "origin 'CUSTOMER' BUSINESSPARTNERID=Long:1: false\n"
              "origin 'CUSTOMER' BUSINESSPARTNERID=Long:3: true\n"
              "origin 'customer' BUSINESSPARTNERID=Long:1: true\n"
              "origin '' CarrierCode=String:road: true\n"
              "origin '' FOO=String:x countrycode=String:DE: true\n"
              "origin '' COUNTRYCODE=String:D'E: false\n"
              "origin '' COUNTRYCODE=Null: false\n"
              "origin '' ADDRESSID=Long:77 COUNTRYCODE=String:DE: false\n"
              "origin '' FOO=Long:77: true\n"
              "origin '': true\n");
    for (rt::Variant notANumber : {rt::Variant("1; DROP TABLE ADDRESS"), rt::Variant::Null()}) {
      EXPECT_EQ(Failure([&] { exists("", {"ADDRESSID"}, {notANumber}); }),
                "D Brintor: |ERROR 0xD| METHOD: Brintor.BusinessPartner.IReferentialIntegrity_Exists()| DESC: Type "
                "mismatch.|");
    }
    EXPECT_TRUE(bp.References().IReferentialIntegrity_BeforeDelete("", Array({"ADDRESSID"}), Array({int32_t{1}})));
    EXPECT_EQ(Links(), "1:1 1:2 2:3 3:4 4:5");
  });
}

}  // namespace
