// The withdrawn members of the catalog library's classes, called late-bound as
// old callers do: each fails with -1 from "Quarvel", its text standing as
// METHOD (Property's two name themselves and explain in INFO), logs once
// and changes nothing.
#include "tests/quarvel/reference_fixture.h"

namespace {

using Withdrawn = SampleReferenceTest;

const char* const kContract = "This method is depricated, Contract module is now not being used in QVS";

struct Stub {
  const char* progId;
  const char* member;
  rt::Args args;
  std::string method;
  const char* info;
};

std::string Expected(const Stub& stub) {
  std::string text = "FFFFFFFF Quarvel: |ERROR 0xFFFFFFFF| METHOD: " + stub.method +
                     "| DESC: Application-defined or object-defined error.|";
  if (stub.info) text += std::string(" INFO: ") + stub.info + ".|";
  return text;
}

TEST_F(Withdrawn, EveryWithdrawnMemberFailsWithMinusOneAndChangesNothing) {
  const rt::Variant keys = Array({"UNITCODE"});
  const rt::Variant values = Array({"PCE"});
  // One of each kind of text: members that name their successor (the
  // catalog's as spelt there), one that names itself and explains in INFO,
  // and the contract module's.
  const rt::Variant list = Array({"A"});
  const std::vector<Stub> stubs = {
      {"Quarvel.Catalog", "InsertFavoriteFolder", {list, list},
       "This method is depricated, Use Quarvel.TCatalog.InsertFavouriteFolder", nullptr},
      {"Quarvel.Catalog", "PopulateUserNodes", {rt::Variant("u1")},
       "This method is depricated, Use Quarvel.TCatalog.PopulateUserNodes", nullptr},
      {"Quarvel.UNSPSC", "IReferentialIntegrity_Exists", {rt::Variant("x"), Array({"UNSPSCCODES"}), Array({"43"})},
       "This method is depricated, Use Quarvel.TUNSPSC.Exists", nullptr},
      {"Quarvel.Unit", "IReferentialIntegrity_Exists", {rt::Variant(""), keys, values},
       "This method is depricated, Use Quarvel.TUnit.Exists", nullptr},
      {"Quarvel.Property", "DeleteOfficeProperties", {rt::Variant("Head office")},
       "Quarvel.Property.DeleteOfficeProperties", "DeleteOfficeProperties is deprecated - don't use"},
      {"Quarvel.PropertyGroup", "GetPropertyGroupData", {rt::Variant::Nothing(), rt::Variant(""), rt::Variant(10)},
       "This method is depricated, Use Quarvel.RPropertyGroup.GetPropertyGroupData", nullptr},
      {"Quarvel.Contract", "Insert", {rt::Variant("C1"), rt::Variant(1), keys, values}, kContract, nullptr},
  };
  const std::string before = Snapshot();
  Run([&] {
    for (const Stub& stub : stubs) {
      auto object = New<rt::Object>(stub.progId);
      EXPECT_EQ(Failure([&] { object.Call(stub.member, stub.args); }), Expected(stub))
          << stub.progId << "." << stub.member;
    }
  });
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(LogEntries(), static_cast<int>(stubs.size()));
}

// A referential check that reaches Contract fails instead of answering.
TEST_F(Withdrawn, ACheckerAskingTheContractClassFails) {
  WriteRegistry({{"Key=UNITCODE", "ReferredBy=Quarvel.Contract:CONTRACT.UNITCODE"}});
  Run([&] {
    std::string code = "MTR";
    rt::ComError e = RaisedBy([&] { New<rt::Object>("Quarvel.TUnit").Call("Delete", {rt::Variant(code)}); });
    EXPECT_EQ(e.number(), -1);
    EXPECT_NE(e.description().find(std::string("METHOD: ") + kContract), std::string::npos);
  });
  EXPECT_EQ(Rows("SELECT * FROM UNIT WHERE UNITCODE = 'MTR'"), "MTR|Metre\n");
}

}  // namespace
