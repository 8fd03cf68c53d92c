// The reference-data writers under the fault sweep: a failed statement or
// commit raises or refuses (False) and leaves every table as it was.
#include <functional>
#include <utility>
#include <vector>

#include "data/testing/fault_sweep.h"
#include "interfaces/faqlist.h"
#include "interfaces/hazardous_class.h"
#include "interfaces/property.h"
#include "interfaces/property_group.h"
#include "interfaces/unit.h"
#include "tests/quarvel/reference_fixture.h"

namespace {

using data::testing::Outcome;

Outcome Of(bool done) { return done ? Outcome::Succeeded : Outcome::Refused; }
Outcome Of(int32_t id) { return id != 0 ? Outcome::Succeeded : Outcome::Refused; }
Outcome Done(const std::function<void()>& call) {
  call();
  return Outcome::Succeeded;
}

using ReferenceFaults = SampleReferenceTest;

TEST_F(ReferenceFaults, EveryWriterRaisesOrRefusesAndLeavesTheTables) {
  // GLOVE-200 gets a value its group does not cover and loses one it does,
  // so that re-seeding group 1 both deletes and inserts.
  Exec("INSERT INTO PRODUCTPROPVALUE SELECT PRODUCTID, 3, '12' FROM PRODUCT WHERE PARTNUMBER = 'GLOVE-200';"
       "DELETE FROM PRODUCTPROPVALUE WHERE PROPERTYID = 2 AND PRODUCTID ="
       " (SELECT PRODUCTID FROM PRODUCT WHERE PARTNUMBER = 'GLOVE-200');"
       "INSERT INTO PROPSBYPROPGROUP VALUES (77, 1, 0, 0);"
       // No office holds group 10, so that it may be deleted.
       "UPDATE OFFICE SET PROPERTYGROUPID = NULL WHERE PROPERTYGROUPID = 10;");
  std::string unit = "MTR", hazard = "2.1", name = "Weight", value = "1", none;
  int16_t type = 2;
  int32_t id = 1, group = 1, all = -1, officeGroup = 10, voltage = 3, zero = 0;
  bool yes = true;
  auto property = [] { return New<IProperty>("Quarvel.Property"); };
  auto groups = [] { return New<IPropertyGroup>("Quarvel.PropertyGroup"); };
  const std::vector<std::pair<const char*, std::function<Outcome()>>> writers = {
      {"TUnit.Delete", [&] { return Of(New<ITUnit>("Quarvel.TUnit")->Delete(unit)); }},
      {"THazardousClass.Delete", [&] { return Of(New<ITHazardousClass>("Quarvel.THazardousClass")->Delete(hazard)); }},
      {"Property.Insert", [&] { return Of(int32_t{property()->Insert(name, type)}); }},
      {"Property.Insert21", [&] { return Of(property()->Insert21(name, type, value, yes)); }},
      {"Property.Update20", [&] { return Of(property()->Update20(2, Array({"PROPERTYNAME", "DATATYPE"}), Array({"Fit", 1}))); }},
      {"Property.Delete", [&] { return Of(property()->Delete(id)); }},
      {"PropertyGroup.UpdateGroupChange", [&] { return Of(groups()->UpdateGroupChange(group, all)); }},
      {"PropertyGroup.Insert", [&] { return Of(groups()->Insert(name)); }},
      {"PropertyGroup.AddPropertyToPropertyGroup",
       [&] { return Done([&] { groups()->AddPropertyToPropertyGroup(officeGroup, voltage, yes); }); }},
      {"PropertyGroup.AddPropertyToPropertyGroupEx",
       [&] { return Done([&] { groups()->AddPropertyToPropertyGroupEx(officeGroup, voltage, yes, yes); }); }},
      {"PropertyGroup.Delete", [&] { return Of(groups()->Delete(officeGroup)); }},
      {"Faqlist.AddIssue",
       [&] { return Of(New<IFaqlist>("Quarvel.Faqlist")->AddIssue(zero, id, id, id, name, name, name, none, none, none)); }},
  };
  std::string text;
  Run([&] {
    data::testing::FaultEngine engine;
    const auto target = data::testing::DatabaseTarget(sandbox_.CatalogPath());
    for (const auto& [writer, call] : writers) {
      const auto report = data::testing::SweepFaults(engine, target, call);
      text += std::string(writer) + " " + std::to_string(report.statements) + "/" + std::to_string(report.commits) +
              "\n" + report.Problems();
    }
  });
  // What each writer runs once it gets through: statements/commits.
  EXPECT_EQ(text,
            "TUnit.Delete 2/1\n"
            "THazardousClass.Delete 2/1\n"
            "Property.Insert 3/1\n"
            "Property.Insert21 3/1\n"
            "Property.Update20 3/1\n"
            "Property.Delete 4/1\n"
            "PropertyGroup.UpdateGroupChange 5/1\n"
            "PropertyGroup.Insert 3/1\n"
            "PropertyGroup.AddPropertyToPropertyGroup 3/1\n"
            "PropertyGroup.AddPropertyToPropertyGroupEx 3/1\n"
            "PropertyGroup.Delete 5/1\n"
            "Faqlist.AddIssue 3/1\n");
}

}  // namespace
