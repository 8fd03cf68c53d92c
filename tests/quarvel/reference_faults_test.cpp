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
  Golden text;
  Run([&] {
    data::testing::FaultEngine engine;
    const auto target = data::testing::DatabaseTarget(sandbox_.CatalogPath());
    for (const auto& [writer, call] : writers) {
      const auto report = data::testing::SweepFaults(engine, target, call);
      text.Add(writer, Golden()
                           .Add("statements", report.statements)
                           .Add("commits", report.commits)
                           .Add("problems", report.Problems()));
    }
  });
  // What each writer runs once it gets through.
  EXPECT_EQ(text.Lines(),
            "TUnit.Delete: statements=2 commits=1 problems=\n"
            "THazardousClass.Delete: statements=2 commits=1 problems=\n"
            "Property.Insert: statements=2 commits=1 problems=\n"
            "Property.Insert21: statements=2 commits=1 problems=\n"
            "Property.Update20: statements=3 commits=1 problems=\n"
            "Property.Delete: statements=4 commits=1 problems=\n"
            "PropertyGroup.UpdateGroupChange: statements=5 commits=1 problems=\n"
            "PropertyGroup.Insert: statements=2 commits=1 problems=\n"
            "PropertyGroup.AddPropertyToPropertyGroup: statements=2 commits=1 problems=\n"
            "PropertyGroup.AddPropertyToPropertyGroupEx: statements=2 commits=1 problems=\n"
            "PropertyGroup.Delete: statements=5 commits=1 problems=\n"
            "Faqlist.AddIssue: statements=2 commits=0 problems=\n");
}

}  // namespace
