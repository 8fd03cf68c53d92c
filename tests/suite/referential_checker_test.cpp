// Tests of "Solvane.ReferentialChecker" against components registered in
// this process and a reference registry written by each test.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <set>

#include "interfaces/referential_integrity.h"
#include "interfaces/solvane.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/dispatch.h"
#include "runtime/registry.h"
#include "tests/common/suite_sandbox.h"
#include "tests/common/test_values.h"

namespace {

// What the components were asked, in order: "<ProgID> <member> <origin> <key>=<value>".
std::vector<std::string> calls;
// The values each component holds, by ProgID.
std::map<std::string, std::set<std::string>> holds;
// Components whose BeforeDelete answers False.
std::set<std::string> refusesCleanup;
// The transaction stream each component ran in.
std::map<std::string, std::shared_ptr<rt::TransactionStream>> streams;

class Component : public rt::Object, public IReferentialIntegrity {
 public:
  explicit Component(std::string progId) : progId_(std::move(progId)) {}
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table =
        rt::DispatchBuilder<Component>("Component")
            .Method("IReferentialIntegrity_Exists", &Component::IReferentialIntegrity_Exists)
            .Method("IReferentialIntegrity_BeforeDelete", &Component::IReferentialIntegrity_BeforeDelete)
            .Build();
    return &table;
  }
  bool IReferentialIntegrity_Exists(const std::string& iOrigin, const rt::Variant& iKeys,
                                    const rt::Variant& iValues) override {
    std::string value = Record("Exists", iOrigin, iKeys, iValues);
    return holds[progId_].count(value) > 0;
  }
  bool IReferentialIntegrity_BeforeDelete(const std::string& iOrigin, const rt::Variant& iKeys,
                                          const rt::Variant& iValues) override {
    Record("BeforeDelete", iOrigin, iKeys, iValues);
    return refusesCleanup.count(progId_) == 0;
  }

 private:
  std::string Record(const char* member, const std::string& origin, const rt::Variant& keys,
                     const rt::Variant& values) {
    const rt::SafeArray& k = keys.AsArray();
    const rt::SafeArray& v = values.AsArray();
    EXPECT_EQ(k.LBound(), 0);
    EXPECT_EQ(k.UBound(), 0);
    std::string value = rt::CStr(v.At(0));
    calls.push_back(progId_ + " " + member + " " + origin + " " + rt::CStr(k.At(0)) + "=" + value);
    if (Context()) streams[progId_] = Context()->Stream();
    return value;
  }
  std::string progId_;
};

void Register(const std::string& progId) {
  rt::RegisterClass({progId, "", rt::TransactionAttribute::Required,
                     [progId] { return rt::ObjectPtr(std::make_shared<Component>(progId)); }});
}

class ReferentialCheckerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    holds.clear();
    refusesCleanup.clear();
    streams.clear();
    for (const char* progId : {"Test.Currencies", "Test.Partners", "Test.Prices", "Test.Users"}) {
      Register(progId);
    }
    WriteRegistry(
        "; test registry\n"
        "[currency]\n"
        "Key=CURRENCYCODE\n"
        "Owner=Test.Currencies\n"
        "ReferredBy=Test.Partners:BUSINESSPARTNER.CURRENCYCODE, Test.Prices:CATALOGPRODUCTPRICE.PRICECURRENCY\n"
        "[USER]\n"
        "Key=USERID\n"
        "Owner=Test.Users\n"
        "ReferredBy=Test.Prices:PRODUCT.USERID\n"
        "ReferredBy=Test.Partners:BUSINESSPARTNER.SALESREP\n");
    object = rt::CreateObject("Solvane.ReferentialChecker");
    checker = std::dynamic_pointer_cast<IReferentialChecker>(object);
    ASSERT_TRUE(checker);
  }
  void TearDown() override { ::unsetenv("SUITE_REFERENCES"); }

  void WriteRegistry(const std::string& text) {
    std::string path = sandbox.Dir() + "/references.ini";
    sandbox.WriteFile(path, text);
    ::setenv("SUITE_REFERENCES", path.c_str(), 1);
  }

  SuiteSandbox sandbox;
  rt::ObjectPtr object;
  std::shared_ptr<IReferentialChecker> checker;
};

TEST_F(ReferentialCheckerTest, CanInsertAndCanUpdateAskTheOwnerOfEachReferencedColumnWithItsKeyName) {
  holds["Test.Currencies"] = {"EUR"};
  holds["Test.Users"] = {"u1"};
  EXPECT_TRUE(checker->CanInsert("Quarvel", "businesspartner",
                                 Array({rt::Variant("NAME1"), rt::Variant("currencycode"), rt::Variant("SALESREP")}),
                                 Array({rt::Variant("Acme"), rt::Variant("EUR"), rt::Variant("u1")})));
  EXPECT_EQ(calls, (std::vector<std::string>{"Test.Currencies Exists Quarvel CURRENCYCODE=EUR",
                                             "Test.Users Exists Quarvel USERID=u1"}));

  calls.clear();
  EXPECT_FALSE(checker->CanInsert("Quarvel", "BUSINESSPARTNER",
                                  Array({rt::Variant("CURRENCYCODE"), rt::Variant("SALESREP")}),
                                  Array({rt::Variant("XXX"), rt::Variant("u1")})));
  EXPECT_EQ(calls, std::vector<std::string>{"Test.Currencies Exists Quarvel CURRENCYCODE=XXX"});

  // CanUpdate checks alike, without an origin.
  calls.clear();
  holds["Test.Users"] = {"u2"};
  EXPECT_TRUE(rt::CBool(object->Call(
      "CanUpdate", {rt::Variant("PRODUCT"), Array({rt::Variant("USERID")}), Array({rt::Variant("u2")})})));
  EXPECT_EQ(calls, std::vector<std::string>{"Test.Users Exists  USERID=u2"});
}

TEST_F(ReferentialCheckerTest, AnOwnerKeyNamesTheKeyTheOwnerIsAskedWithWhileDeletesMatchTheKey) {
  WriteRegistry(
      "[CODES]\n"
      "Key=CODE\n"
      "OwnerKey=CODES\n"
      "Owner=Test.Currencies\n"
      "ReferredBy=Test.Prices:PRODUCT.CODE\n");
  holds["Test.Currencies"] = {"43"};
  EXPECT_TRUE(checker->CanInsert("Quarvel", "PRODUCT", Array({rt::Variant("CODE")}), Array({rt::Variant("43")})));
  EXPECT_EQ(calls, std::vector<std::string>{"Test.Currencies Exists Quarvel CODES=43"});

  calls.clear();
  holds["Test.Prices"] = {"43"};
  EXPECT_FALSE(checker->CanDelete("Quarvel", "codes", Array({rt::Variant("Code")}), Array({rt::Variant("43")})));
  EXPECT_EQ(calls, std::vector<std::string>{"Test.Prices Exists Quarvel CODE=43"});
}

TEST_F(ReferentialCheckerTest, NullOrEmptyValuesAndUnlistedNamesPassWithoutAsking) {
  EXPECT_TRUE(checker->CanInsert("Brintor", "BUSINESSPARTNER",
                                 Array({rt::Variant("CURRENCYCODE"), rt::Variant("SALESREP")}),
                                 Array({rt::Variant::Null(), rt::Variant()})));
  EXPECT_TRUE(checker->CanInsert("Brintor", "OFFICE", Array({rt::Variant("CURRENCYCODE")}),
                                 Array({rt::Variant("XXX")})));
  EXPECT_TRUE(checker->CanDelete("Brintor", "COUNTRY", Array({rt::Variant("COUNTRYCODE")}),
                                 Array({rt::Variant("DE")})));
  EXPECT_TRUE(checker->CanInsert("Brintor", "BUSINESSPARTNER", Array({}), Array({})));
  EXPECT_TRUE(calls.empty());
}

TEST_F(ReferentialCheckerTest, CanDeleteRefusesWhileAnyReferrerUsesTheKey) {
  EXPECT_TRUE(checker->CanDelete("Brintor", "CURRENCY", Array({rt::Variant("currencycode")}),
                                 Array({rt::Variant("USD")})));
  EXPECT_EQ(calls, (std::vector<std::string>{"Test.Partners Exists Brintor CURRENCYCODE=USD",
                                             "Test.Prices Exists Brintor PRICECURRENCY=USD"}));

  holds["Test.Prices"] = {"USD"};
  EXPECT_FALSE(checker->CanDelete("Brintor", "Currency", Array({rt::Variant("CURRENCYCODE")}),
                                  Array({rt::Variant("USD")})));
}

TEST_F(ReferentialCheckerTest, BeforeDeleteLetsEveryReferrerCleanUpAndReportsARefusal) {
  EXPECT_TRUE(checker->BeforeDelete("USER", Array({rt::Variant("USERID")}), Array({rt::Variant("u1")})));
  const std::vector<std::string> both{"Test.Prices BeforeDelete  USERID=u1",
                                      "Test.Partners BeforeDelete  SALESREP=u1"};
  EXPECT_EQ(calls, both);

  calls.clear();
  refusesCleanup = {"Test.Prices"};
  EXPECT_FALSE(checker->BeforeDelete("User", Array({rt::Variant("USERID")}), Array({rt::Variant("u1")})));
  EXPECT_EQ(calls, both);
}

TEST_F(ReferentialCheckerTest, ComponentsAskedFromATransactionJoinIt) {
  rt::RegisterClass({"Test.Root", "", rt::TransactionAttribute::Required,
                     [] { return rt::ObjectPtr(std::make_shared<Component>("Test.Root")); }});
  rt::ObjectPtr root = rt::CreateRootObject("Test.Root", std::make_shared<rt::Activity>());
  // The root's Exists stands in for a method that consults the checker.
  std::shared_ptr<rt::TransactionStream> rootStream = root->Context()->Stream();
  rt::ObjectPtr inContext = root->Context()->CreateInstance("Solvane.ReferentialChecker");
  holds["Test.Users"] = {"u1"};
  EXPECT_TRUE(rt::CBool(inContext->Call(
      "CanUpdate", {rt::Variant("PRODUCT"), Array({rt::Variant("USERID")}), Array({rt::Variant("u1")})})));
  ASSERT_TRUE(streams["Test.Users"]);
  EXPECT_EQ(streams["Test.Users"], rootStream);
}

TEST_F(ReferentialCheckerTest, AMalformedRegistryOrAnUnregisteredReferrerFailsTheCheck) {
  auto failure = [&](const std::string& referredBy) -> rt::ComError {
    WriteRegistry("[CURRENCY]\nKey=CURRENCYCODE\nReferredBy=" + referredBy + "\n");
    try {
      checker->CanDelete("Brintor", "CURRENCY", Array({rt::Variant("CURRENCYCODE")}), Array({rt::Variant("EUR")}));
    } catch (const rt::ComError& e) {
      return e;
    }
    return rt::ComError(0, "", "nothing was raised");
  };
  rt::ComError malformed = failure("Test.Prices CATALOGPRODUCTPRICE");
  EXPECT_EQ(malformed.source(), "Solvane.ReferentialChecker");
  EXPECT_NE(malformed.description().find("Test.Prices CATALOGPRODUCTPRICE"), std::string::npos)
      << malformed.description();
  EXPECT_EQ(failure("Nowhere.Product:PRODUCT.CURRENCYCODE").number(), rt::hr::kInvalidClassString);
}

TEST(ReferenceRegistryFile, TheShippedRegistryParses) {
  ::setenv("SUITE_REFERENCES", SUITE_SOURCE_DIR "/db/references.ini", 1);
  rt::ObjectPtr checker = rt::CreateObject("Solvane.ReferentialChecker");
  EXPECT_TRUE(rt::CBool(checker->Call("CanDelete", {rt::Variant("Brintor"), rt::Variant("ADDRESS"),
                                                    Array({rt::Variant("ADDRESSID")}), Array({rt::Variant(1)})})));
  ::unsetenv("SUITE_REFERENCES");
}

}  // namespace
