// Product properties: creation (16-bit answers, their overflow undone),
// changes, the guarded delete, lookups, the paged list, the referential
// answers; and the ids of the reference classes taken only as numbers.
#include "interfaces/property.h"
#include "interfaces/property_group.h"
#include "interfaces/referential_integrity.h"
#include "interfaces/unit.h"
#include "tests/quarvel/reference_fixture.h"

namespace {

using Properties = SampleReferenceTest;

// Insert leaves DEFAULTVALUE to the table. The 16-bit answers overflow past
// 32767 after the row was saved, and the abort vote takes the row (and the
// identity's step) back; Insert21 answers 32 bits.
TEST_F(Properties, InsertsAnswerTheNewIdIn16BitsExceptInsert21) {
  Exec("UPDATE sqlite_sequence SET seq = 32765 WHERE name = 'PROPERTY'");
  Run([&] {
    auto property = New<IProperty>("Quarvel.Property");
    EXPECT_EQ(InOrder({Answer([&] { return property.Call("Insert", {"Weight", 2}); }), " ",
                       Answer([&] { return property.Call("Insert20", {Array({"PROPERTYNAME", "DEFAULTVALUE", "EXTERNAL"}),
                                                                      Array({"Batch", "B'1", true})}); }), " ",
                       Answer([&] { return property.Call("Insert", {"Far", 1}); }), " ",
                       Answer([&] { return property.Call("Insert21", {"Gauge", 2, "0.5", false}); })}),
              "Integer:32766 Integer:32767 6 Quarvel: |ERROR 0x6| METHOD: Quarvel.Property.Insert| DESC: Overflow.| "
              "Long:32768");
  });
  EXPECT_EQ(Rows("SELECT * FROM PROPERTY WHERE PROPERTYID > 5"),
            "32766|Weight|2|null|0\n32767|Batch|null|B'1|1\n32768|Gauge|2|0.5|0\n");
}

// "PROPERTYID" is skipped; the names compare exactly, so "propertyid" is a
// column to set and "datatype" sets the type without dropping values.
TEST_F(Properties, UpdateSkipsTheIdAndDropsEnumerationValuesForEveryTypeButThree) {
  Exec("INSERT INTO PROPERTYENUM VALUES (3, 1, 'a'), (4, 1, 'b'), (5, 1, 'c');");
  Run([&] {
    auto property = New<IProperty>("Quarvel.Property");
    EXPECT_TRUE(property->Update20(1, Array({"PROPERTYID", "PROPERTYNAME", "DATATYPE"}), Array({99, "Shade", 3})));
    for (int32_t id : {2, 3, 4}) EXPECT_TRUE(property->Update20(id, Array({"DATATYPE"}), Array({int16_t(id - 1)})));
    EXPECT_TRUE(property->Update20(5, Array({"datatype"}), Array({1})));
    std::string name = "Expiry";
    int16_t type = 4;
    int32_t id = 4;
    // A missing row fails before any field is set.
    EXPECT_EQ(Answer([&] { return property->Update(id, name, type); }) + "\n" +
                  Failure([&] { property->Update20(1, Array({"propertyid"}), Array({7})); }) + "\n" +
                  Failure([&] { property->Update20(77, Array({"NOPE"}), Array({1})); }),
              "Boolean:True\n80040E21 ADODB.Recordset: |ERROR 0x80040E21| METHOD: Quarvel.Property.Update| DESC: The "
              "field 'PROPERTYID' is the table's identity and cannot be written..|\n800400C9 Quarvel.Property.Update: "
              "|ERROR 0x800400C9| METHOD: Quarvel.Property.Update| DESC: Property not present.|");
  });
  EXPECT_EQ(Rows("SELECT PROPERTYID, PROPERTYNAME, DATATYPE FROM PROPERTY ORDER BY 1"),
            "1|Shade|3\n2|Size|1\n3|Voltage|2\n4|Expiry|4\n5|Supplier reference|1\n");
  EXPECT_EQ(Rows("SELECT PROPERTYID, COUNT(*) FROM PROPERTYENUM GROUP BY PROPERTYID"), "1|4\n5|1\n");
}

// The property goes with its enumeration values and memberships; product
// values stay. An id without a row fails, and the abort brings back what
// the first two statements removed. The checker's refusal is a quiet False.
TEST_F(Properties, DeleteTakesEnumerationValuesAndMembershipsButNotProductValues) {
  Exec("INSERT INTO PROPERTYENUM VALUES (77, 1, 'x'); INSERT INTO PROPSBYPROPGROUP VALUES (2, 77, 0, 0);");
  const std::string before = Snapshot();
  Run([&] {
    int32_t missing = 77;
    EXPECT_EQ(Failure([&] { New<IProperty>("Quarvel.Property")->Delete(missing); }),
              "800400C9 Quarvel.Property.Delete: |ERROR 0x800400C9| METHOD: Quarvel.Property.Delete| DESC: Property "
              "not present.|");
  });
  auto referrer = Owner("Quarvel.TestReferrer", true);
  WriteRegistry({{"Key=PROPERTYID", "ReferredBy=Quarvel.TestReferrer:ORDERLINE.PROPERTYID"}});
  Run([&] {
    EXPECT_FALSE(CallerKeepsItsWork([] {
      int32_t id = 2;
      EXPECT_FALSE(Inner<IProperty>("Quarvel.Property")->Delete(id));
    }));
  });
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(LogEntries(), 1);
  WriteRegistry();
  Run([&] {
    int32_t id = 1;
    EXPECT_TRUE(New<IProperty>("Quarvel.Property")->Delete(id));
  });
  EXPECT_EQ(Rows("SELECT (SELECT COUNT(*) FROM PROPERTYENUM WHERE PROPERTYID = 1), (SELECT COUNT(*) FROM PROPERTY WHERE "
                 "PROPERTYID = 1), (SELECT COUNT(*) FROM PROPSBYPROPGROUP WHERE PROPERTYID = 1), (SELECT COUNT(*) FROM "
                 "PRODUCTPROPVALUE WHERE PROPERTYID = 1)"),
            "0|0|0|2\n");
}

TEST_F(Properties, LookupsAndThePagedListAnswerTheRowsOrTheirFailures) {
  Exec("INSERT INTO PROPERTY VALUES (40000, 'O''Neil', 1, NULL, 0)");
  Run([&] {
    auto property = New<IProperty>("Quarvel.Property");
    const rt::Variant none = rt::Variant::Missing();
    EXPECT_EQ(Answer([&] { return property.Call("getDataType", {2}); }) + " " +
                  Answer([&] { return property->GetPropertyIDFromName("colour "); }) + " " +
                  Answer([&] { return property->GetPropertyIDFromName("o'neil"); }) + " [" +
                  Render(property->getPropertyEnums(2)) + "] " +
                  Page(property->GetPropertyData(nullptr, "", 2, none, none), "PROPERTYID") + "\n" +
                  Failure([&] { property->getDataType(77); }) + "\n" +
                  Failure([&] { property->GetPropertyData(nullptr, "", 40000, none, none); }),
              "Integer:3 Long:1 Long:40000 [1=String:S; 2=String:M; 3=String:L; 4=String:XL] 3: 1 2\n"
              "800400C9 Quarvel.Property.getDataType: |ERROR 0x800400C9| METHOD: Quarvel.Property.getDataType| "
              "DESC: Property 77 not present.|\n"
              "6 Quarvel: |ERROR 0x6| METHOD: Quarvel.Property.GetPropertyData| DESC: Overflow.|");
  });
}

TEST_F(Properties, ExistsTakesTheKeyInAnyCaseAndVotesCommit) {
  Run([&] {
    auto property = New<IReferentialIntegrity>("Quarvel.Property");
    EXPECT_TRUE(property->IReferentialIntegrity_Exists("", Array({"propertyid"}), Array({"4"})));
    EXPECT_FALSE(property->IReferentialIntegrity_Exists("", Array({"PROPERTYNAME"}), Array({1})));
    EXPECT_TRUE(CallerKeepsItsWork([] {
      EXPECT_FALSE(Inner<IReferentialIntegrity>("Quarvel.Property")->IReferentialIntegrity_Exists("", Array({"OTHER"}), Array({1})));
    }));
  });
}

// Ids and key values of the reference classes go into SQL only as numbers;
// keys must come as an array.
TEST_F(Properties, IdsThatAreNoNumbersAreTypeMismatches) {
  const rt::Variant none = rt::Variant::Missing();
  std::string text;
  Run([&] {
    auto property = New<IProperty>("Quarvel.Property");
    auto references = New<IReferentialIntegrity>("Quarvel.Property");
    for (const std::function<void()>& call : std::vector<std::function<void()>>{
             [&] { property->GetPropertyData(nullptr, "", 10, Array({"3) OR (1=1"}), none); },
             [&] { references->IReferentialIntegrity_Exists("", Array({"PROPERTYID"}), Array({"1 OR 1=1"})); },
             [&] { references->IReferentialIntegrity_BeforeDelete("", rt::Variant("PROPERTYID"), Array({1})); },
             [&] { New<IRPropertyGroup>("Quarvel.RPropertyGroup")->GetPropertyGroupData(nullptr, "", 10, Array({"1 OR 1=1"}), none); },
             [&] { New<IReferentialIntegrity>("Quarvel.TUnit")->IReferentialIntegrity_Exists("", rt::Variant("UNITCODE"), Array({"BX"})); }})
      text += Failure(call) + "\n";
  });
  EXPECT_EQ(text,
            "D Quarvel: |ERROR 0xD| METHOD: Quarvel.Property.GetPropertyData| DESC: Type mismatch.|\n"
            "D Quarvel: |ERROR 0xD| METHOD: Quarvel.Property.Exists| DESC: Type mismatch.|\n"
            "D Quarvel: |ERROR 0xD| METHOD: Quarvel.Property.BeforeDelete| DESC: Type mismatch.|\n"
            "D Quarvel: |ERROR 0xD| METHOD: Quarvel.RPropertyGroup.GetPropertyGroupData| DESC: Type mismatch.|\n"
            "D Quarvel: |ERROR 0xD| METHOD: Quarvel.Unit.Exists| DESC: Type mismatch.|\n");
  EXPECT_EQ(Rows("SELECT * FROM PROPERTY WHERE PROPERTYID = 1"), "1|Colour|3|Black|0\n");
}

}  // namespace
