// The withdrawn members of the catalog library's classes, called late-bound as
// old callers do: each fails with -1 from "Quarvel", its text standing as
// METHOD (Property's names itself and explains in INFO), logs once and
// changes nothing.
#include <tuple>

#include "tests/quarvel/reference_fixture.h"

namespace {

class Withdrawn : public SampleReferenceTest {
 protected:
  // Every row of the tables the stubs' classes write: the reference tables,
  // the catalog's favourite folders and user nodes (with the rights they are
  // built from), the UNSPSC codes and the contract lines.
  std::string Tables() const {
    std::string text = Snapshot();
    for (const char* table :
         {"FAVORITEFOLDERS", "FAVORITES", "USERNODE", "CATALOGNODEBYUSER", "UNSPSCCODES", "CONTRACTLINES"})
      text += std::string(table) + ":\n" + Rows(std::string("SELECT * FROM ") + table + " ORDER BY 1, 2, 3");
    return text;
  }
};

const char* const kContract = "This method is depricated, Contract module is now not being used in QVS";
const char* const kUse = "This method is depricated, Use Quarvel.";

TEST_F(Withdrawn, EveryWithdrawnMemberFailsWithMinusOneAndChangesNothing) {
  const rt::Variant keys = Array({"UNITCODE"}), values = Array({"PCE"}), list = Array({"A"});
  // One of each kind of text: members naming their successor (the catalog's
  // as spelt there), one naming itself, and the contract module's.
  const std::vector<std::tuple<const char*, const char*, rt::Args>> stubs = {
      {"Quarvel.Catalog", "InsertFavoriteFolder", {list, list}},
      {"Quarvel.Catalog", "PopulateUserNodes", {"u1"}},
      {"Quarvel.UNSPSC", "IReferentialIntegrity_Exists", {"x", Array({"UNSPSCCODES"}), Array({"43"})}},
      {"Quarvel.Unit", "IReferentialIntegrity_Exists", {"", keys, values}},
      {"Quarvel.Property", "DeleteOfficeProperties", {"Head office"}},
      {"Quarvel.PropertyGroup", "GetPropertyGroupData", {rt::Variant::Nothing(), "", 10}},
      {"Quarvel.Contract", "Insert", {"C1", 1, keys, values}},
  };
  // A stale node of u1's, which rebuilding u1's nodes would remove.
  Exec("INSERT INTO USERNODE VALUES ('u1', 1, 3)");
  const std::string before = Tables();
  Golden text;
  Run([&] {
    for (const auto& [progId, member, args] : stubs) {
      auto object = New<rt::Object>(progId);
      text.Add(std::string(progId) + "." + member,
               std::regex_replace(Failure([&] { object.Call(member, args); }),
                                  std::regex(R"(^FFFFFFFF Quarvel: \|ERROR 0xFFFFFFFF\| METHOD: (.*)\| DESC: )"
                                             R"(Application-defined or object-defined error\.\|)"),
                                  "$1"));
    }
  });
  EXPECT_EQ(text.Lines(),
            "Quarvel.Catalog.InsertFavoriteFolder: " + std::string(kUse) + "TCatalog.InsertFavouriteFolder\n" +
                "Quarvel.Catalog.PopulateUserNodes: " + kUse + "TCatalog.PopulateUserNodes\n" +
                "Quarvel.UNSPSC.IReferentialIntegrity_Exists: " + kUse + "TUNSPSC.Exists\n" +
                "Quarvel.Unit.IReferentialIntegrity_Exists: " + kUse + "TUnit.Exists\n" +
                "Quarvel.Property.DeleteOfficeProperties: Quarvel.Property.DeleteOfficeProperties INFO: "
                "DeleteOfficeProperties is deprecated - don't use.|\n" +
                "Quarvel.PropertyGroup.GetPropertyGroupData: " + kUse + "RPropertyGroup.GetPropertyGroupData\n" +
                "Quarvel.Contract.Insert: " + kContract + "\n");
  EXPECT_EQ(Tables(), before);
  EXPECT_EQ(LogEntries(), static_cast<int>(stubs.size()));
}

// A referential check that reaches Contract fails instead of answering.
TEST_F(Withdrawn, ACheckerAskingTheContractClassFails) {
  WriteRegistry({{"Key=UNITCODE", "ReferredBy=Quarvel.Contract:CONTRACT.UNITCODE"}});
  Run([&] {
    rt::ComError e = RaisedBy([&] { New<rt::Object>("Quarvel.TUnit").Call("Delete", {"MTR"}); });
    EXPECT_EQ(e.number(), -1);
    EXPECT_NE(e.description().find(std::string("METHOD: ") + kContract), std::string::npos);
  });
  EXPECT_EQ(Rows("SELECT * FROM UNIT WHERE UNITCODE = 'MTR'"), "MTR|Metre\n");
}

}  // namespace
