// Every writer of the reference-data classes under the fault sweep: a failed
// statement or commit makes the call raise or give its refusal (False), and
// leaves every table as it was.
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

using Answer = data::testing::Outcome;

Answer Of(bool done) { return done ? Answer::Succeeded : Answer::Refused; }
Answer Of(int32_t id) { return id != 0 ? Answer::Succeeded : Answer::Refused; }
Answer Done(const std::function<void()>& call) {
  call();
  return Answer::Succeeded;
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
  int32_t property = 1, group = 1, all = -1, officeGroup = 10, voltage = 3, zero = 0;
  bool yes = true;
  const std::vector<std::pair<const char*, std::function<Answer()>>> writers = {
      {"TUnit.Delete", [&] { return Of(New<ITUnit>("Quarvel.TUnit")->Delete(unit)); }},
      {"THazardousClass.Delete", [&] { return Of(New<ITHazardousClass>("Quarvel.THazardousClass")->Delete(hazard)); }},
      {"Property.Insert", [&] { return Of(int32_t{New<IProperty>("Quarvel.Property")->Insert(name, type)}); }},
      {"Property.Insert21",
       [&] { return Of(New<IProperty>("Quarvel.Property")->Insert21(name, type, value, yes)); }},
      {"Property.Update20",
       [&] {
         return Of(New<IProperty>("Quarvel.Property")
                       ->Update20(2, Array({"PROPERTYNAME", "DATATYPE"}), Array({"Fit", 1})));
       }},
      {"Property.Delete", [&] { return Of(New<IProperty>("Quarvel.Property")->Delete(property)); }},
      {"PropertyGroup.UpdateGroupChange",
       [&] { return Of(New<IPropertyGroup>("Quarvel.PropertyGroup")->UpdateGroupChange(group, all)); }},
      {"PropertyGroup.Insert", [&] { return Of(New<IPropertyGroup>("Quarvel.PropertyGroup")->Insert(name)); }},
      {"PropertyGroup.AddPropertyToPropertyGroup",
       [&] {
         auto groups = New<IPropertyGroup>("Quarvel.PropertyGroup");
         return Done([&] { groups->AddPropertyToPropertyGroup(officeGroup, voltage, yes); });
       }},
      {"PropertyGroup.AddPropertyToPropertyGroupEx",
       [&] {
         auto groups = New<IPropertyGroup>("Quarvel.PropertyGroup");
         return Done([&] { groups->AddPropertyToPropertyGroupEx(officeGroup, voltage, yes, yes); });
       }},
      {"PropertyGroup.Delete", [&] { return Of(New<IPropertyGroup>("Quarvel.PropertyGroup")->Delete(officeGroup)); }},
      {"Faqlist.AddIssue",
       [&] {
         return Of(New<IFaqlist>("Quarvel.Faqlist")
                       ->AddIssue(zero, group, group, group, name, name, name, none, none, none));
       }},
  };
  std::string text;
  Run([&] {
    data::testing::FaultEngine engine;
    const auto target = data::testing::DatabaseTarget(sandbox_.CatalogPath());
    for (const auto& [writer, call] : writers) {
      const auto report = data::testing::SweepFaults(engine, target, call);
      // What each writer runs once it gets through: statements/commits.
      text += std::string(writer) + " " + std::to_string(report.statements) + "/" + std::to_string(report.commits) +
              "\n" + report.Problems();
    }
  });
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
