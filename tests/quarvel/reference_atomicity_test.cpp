// Every writer of the reference-data classes fails as a whole: triggers on
// every table they write make the k-th row written fail, for k = 1, 2, ...
// until the call gets through. Each failing call must raise and leave every
// table as it was.
#include <functional>

#include "interfaces/faqlist.h"
#include "interfaces/hazardous_class.h"
#include "interfaces/property.h"
#include "interfaces/property_group.h"
#include "interfaces/unit.h"
#include "tests/quarvel/reference_fixture.h"

namespace {

class Atomicity : public SampleReferenceTest {
 protected:
  // Triggers that count the rows written to the reference tables and fail
  // the one whose count is FAULTPLAN.K.
  void InstallFaultTriggers() {
    std::string sql = "CREATE TABLE FAULTPLAN (K int, N int); INSERT INTO FAULTPLAN VALUES (0, 0);";
    for (const char* table : {"UNIT", "HAZARDOUSCLASS", "PROPERTY", "PROPERTYENUM", "PROPERTYGROUP",
                              "PROPSBYPROPGROUP", "PRODUCTPROPVALUE", "FAQISSUE"}) {
      for (const char* op : {"INSERT", "UPDATE", "DELETE"}) {
        sql += std::string("CREATE TRIGGER FAULT_") + op + "_" + table + " BEFORE " + op + " ON " + table +
               " BEGIN UPDATE FAULTPLAN SET N = N + 1;"
               " SELECT RAISE(ABORT, 'injected fault') WHERE (SELECT N FROM FAULTPLAN) = (SELECT K FROM FAULTPLAN);"
               " END;";
      }
    }
    Exec(sql);
  }

  // Runs the call with a fault at the first, second, ... row written until
  // it succeeds; answers how many runs failed.
  int Sweep(const char* name, const std::function<void()>& call) {
    for (int k = 1; k < 100; ++k) {
      Exec("UPDATE FAULTPLAN SET K = " + std::to_string(k) + ", N = 0");
      const std::string before = Snapshot();
      bool failed = false;
      Run([&] {
        try {
          call();
        } catch (const rt::ComError&) {
          failed = true;
        }
      });
      if (!failed) return k - 1;
      EXPECT_EQ(Snapshot(), before) << name << " with a fault at row " << k;
    }
    ADD_FAILURE() << name << " never got through";
    return 0;
  }
};

TEST_F(Atomicity, AFaultAtAnyRowWrittenFailsTheWholeCall) {
  // GLOVE-200 gets a value its group does not cover and loses one it does,
  // so that re-seeding group 1 both deletes and inserts.
  Exec("INSERT INTO PRODUCTPROPVALUE SELECT PRODUCTID, 3, '12' FROM PRODUCT WHERE PARTNUMBER = 'GLOVE-200';"
       "DELETE FROM PRODUCTPROPVALUE WHERE PROPERTYID = 2 AND PRODUCTID ="
       " (SELECT PRODUCTID FROM PRODUCT WHERE PARTNUMBER = 'GLOVE-200');"
       "INSERT INTO PROPSBYPROPGROUP VALUES (77, 1, 0, 0);"
       // No office holds group 10, so that it may be deleted.
       "UPDATE OFFICE SET PROPERTYGROUPID = NULL WHERE PROPERTYGROUPID = 10;");
  InstallFaultTriggers();
  std::string text;
  auto sweep = [&](const char* name, const std::function<void()>& call) {
    text += std::string(name) + ":" + std::to_string(Sweep(name, call)) + " ";
  };
  std::string unit = "MTR", hazard = "2.1", name = "Weight", value = "1", none;
  int16_t type = 2;
  int32_t property = 1, group = 1, all = -1, officeGroup = 10, voltage = 3, zero = 0;
  bool yes = true;
  sweep("TUnit.Delete", [&] { New<ITUnit>("Quarvel.TUnit")->Delete(unit); });
  sweep("THazardousClass.Delete", [&] { New<ITHazardousClass>("Quarvel.THazardousClass")->Delete(hazard); });
  sweep("Property.Insert", [&] { New<IProperty>("Quarvel.Property")->Insert(name, type); });
  sweep("Property.Insert21", [&] { New<IProperty>("Quarvel.Property")->Insert21(name, type, value, yes); });
  sweep("Property.Update20", [&] {
    New<IProperty>("Quarvel.Property")->Update20(2, Array({"PROPERTYNAME", "DATATYPE"}), Array({"Fit", 1}));
  });
  sweep("Property.Delete", [&] { New<IProperty>("Quarvel.Property")->Delete(property); });
  sweep("PropertyGroup.UpdateGroupChange",
        [&] { New<IPropertyGroup>("Quarvel.PropertyGroup")->UpdateGroupChange(group, all); });
  sweep("PropertyGroup.Insert", [&] { New<IPropertyGroup>("Quarvel.PropertyGroup")->Insert(name); });
  sweep("PropertyGroup.AddPropertyToPropertyGroupEx", [&] {
    New<IPropertyGroup>("Quarvel.PropertyGroup")->AddPropertyToPropertyGroupEx(officeGroup, voltage, yes, yes);
  });
  sweep("PropertyGroup.Delete", [&] { New<IPropertyGroup>("Quarvel.PropertyGroup")->Delete(officeGroup); });
  sweep("Faqlist.AddIssue", [&] {
    New<IFaqlist>("Quarvel.Faqlist")->AddIssue(zero, group, group, group, name, name, name, none, none, none);
  });
  // How many rows each writer wrote once it got through.
  EXPECT_EQ(text,
            "TUnit.Delete:1 THazardousClass.Delete:1 Property.Insert:1 Property.Insert21:1 Property.Update20:5 "
            "Property.Delete:8 PropertyGroup.UpdateGroupChange:4 PropertyGroup.Insert:1 "
            "PropertyGroup.AddPropertyToPropertyGroupEx:1 PropertyGroup.Delete:3 Faqlist.AddIssue:1 ");
  // What got through: Colour was deleted before the re-seeding, so its
  // values went with Voltage's and Size came in.
  EXPECT_EQ(Rows("SELECT PROPERTYID, VALUE FROM PRODUCTPROPVALUE WHERE PRODUCTID ="
                 " (SELECT PRODUCTID FROM PRODUCT WHERE PARTNUMBER = 'GLOVE-200') ORDER BY 1"),
            "2|M\n");
}

}  // namespace
