// Product properties: creation (16-bit answers, their overflow undone),
// changes, the guarded delete, lookups, the paged list, the referential
// answers; and the ids of the reference classes taken only as numbers.
#include "data/testing/fault_engine.h"
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
    Golden answers;
    answers.Add("Insert Weight", Answer([&] { return property.Call("Insert", {"Weight", 2}); }));
    answers.Add("Insert20 Batch", Answer([&] {
                  return property.Call("Insert20", {Array({"PROPERTYNAME", "DEFAULTVALUE", "EXTERNAL"}),
                                                    Array({"Batch", "B'1", true})});
                }));
    answers.Add("Insert Far", Answer([&] { return property.Call("Insert", {"Far", 1}); }));
    answers.Add("Insert21 Gauge", Answer([&] { return property.Call("Insert21", {"Gauge", 2, "0.5", false}); }));
    EXPECT_EQ(answers.Lines(),
              "Insert Weight: Integer:32766\nInsert20 Batch: Integer:32767\n"
              "Insert Far: 6 Quarvel: |ERROR 0x6| METHOD: Quarvel.Property.Insert| DESC: Overflow.|\n"
              "Insert21 Gauge: Long:32768\n");
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
    Golden answers;
    answers.Add("Update 4", Answer([&] { return property->Update(id, name, type); }));
    answers.Add("Update20 propertyid", Failure([&] { property->Update20(1, Array({"propertyid"}), Array({7})); }));
    answers.Add("Update20 77", Failure([&] { property->Update20(77, Array({"NOPE"}), Array({1})); }));
    EXPECT_EQ(answers.Lines(),
              "Update 4: Boolean:True\nUpdate20 propertyid: 80040E21 ADODB.Recordset: |ERROR 0x80040E21| METHOD: "
              "Quarvel.Property.Update| DESC: The field 'PROPERTYID' is the table's identity and cannot be written..|\n"
              "Update20 77: 800400C9 Quarvel.Property.Update: |ERROR 0x800400C9| METHOD: Quarvel.Property.Update| "
              "DESC: "
              "Property not present.|\n");
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
  Golden left;
  for (const char* table : {"PROPERTYENUM", "PROPERTY", "PROPSBYPROPGROUP", "PRODUCTPROPVALUE"})
    left.Add(table, Scalar(std::string("SELECT COUNT(*) FROM ") + table + " WHERE PROPERTYID = 1"));
  EXPECT_EQ(left.Line(), "PROPERTYENUM=0 PROPERTY=0 PROPSBYPROPGROUP=0 PRODUCTPROPVALUE=2");
}

TEST_F(Properties, LookupsAndThePagedListAnswerTheRowsOrTheirFailures) {
  Exec("INSERT INTO PROPERTY VALUES (40000, 'O''Neil', 1, NULL, 0)");
  Run([&] {
    auto property = New<IProperty>("Quarvel.Property");
    const rt::Variant none = rt::Variant::Missing();
    Golden seen;
    seen.Add("getDataType(2)", Answer([&] { return property.Call("getDataType", {2}); }));
    seen.Add("id of 'colour '", Answer([&] { return property->GetPropertyIDFromName("colour "); }));
    seen.Add("id of o'neil", Answer([&] { return property->GetPropertyIDFromName("o'neil"); }));
    seen.Add("enums of 2", Render(property->getPropertyEnums(2)));
    seen.Add("page of 2", Page(property->GetPropertyData(nullptr, "", 2, none, none), "PROPERTYID"));
    seen.Add("getDataType(77)", Failure([&] { property->getDataType(77); }));
    seen.Add("page of 40000", Failure([&] { property->GetPropertyData(nullptr, "", 40000, none, none); }));
    EXPECT_EQ(seen.Lines(),
              "getDataType(2): Integer:3\nid of 'colour ': Long:1\nid of o'neil: Long:40000\n"
              "enums of 2: 1=String:S; 2=String:M; 3=String:L; 4=String:XL\npage of 2: 3: 1 2\n"
              "getDataType(77): 800400C9 Quarvel.Property.getDataType: |ERROR 0x800400C9| METHOD: "
              "Quarvel.Property.getDataType| DESC: Property 77 not present.|\n"
              "page of 40000: 6 Quarvel: |ERROR 0x6| METHOD: Quarvel.Property.GetPropertyData| DESC: Overflow.|\n");
  });
}

// Through a caller's page: a page asked for past the end of the list is its
// last page, also past a full last page and from the state of the last page.
TEST_F(Properties, APagePastTheEndOfThePagedListIsItsLastPage) {
  Run([&] {
    auto property = New<IProperty>("Quarvel.Property");
    std::string state;
    auto ask = [&](int32_t requested, const rt::Variant& ids) {
      rt::ObjectPtr page = rt::CreateObject("Tamrick.Page");
      page->LetProperty("RequestedPage", rt::Variant(requested));
      page->LetProperty("PersistedStateInfo", rt::Variant(state));
      rt::ObjectPtr list = property->GetPropertyData(page, "", 2, ids, rt::Variant::Missing());
      state = rt::CStr(page->GetProperty("PersistedStateInfo"));
      return "page " + rt::CStr(list->GetProperty("AbsolutePage")) + " of " + Page(list, "PROPERTYID");
    };
    Golden seen;
    seen.Add("page 2 of [1,2]", ask(2, Array({1, 2})));
    seen.Add("then page 3", ask(3, Array({1, 2})));
    state.clear();
    seen.Add("page 3 of [1,2,3]", ask(3, Array({1, 2, 3})));
    seen.Add("then page 1", ask(1, Array({1, 2, 3})));
    state.clear();
    seen.Add("page 9 of all", ask(9, rt::Variant::Missing()));
    EXPECT_EQ(seen.Lines(),
              "page 2 of [1,2]: page 1 of 1: 1 2\nthen page 3: page 1 of 1: 1 2\n"
              "page 3 of [1,2,3]: page 2 of 2: 3\nthen page 1: page 1 of 2: 1 2\n"
              "page 9 of all: page 3 of 3: 5\n");
  });
}

// A write whose commit the engine refuses says why after the abort's usual
// text, keeping its number; a transaction that a vote doomed ends with the
// usual text alone. Nothing of either is kept.
TEST_F(Properties, AFailedCommitSaysWhyTheEngineRefusedIt) {
  const std::string before = Snapshot();
  Run([&] {
    Golden seen;
    for (int code : {SQLITE_FULL, SQLITE_IOERR}) {
      data::testing::FaultEngine engine;
      engine.Arm({data::testing::FaultPoint::Commit, 1, code});
      const std::string failure = Failure([&] { New<IProperty>("Quarvel.Property").Call("Insert", {"Weight", 2}); });
      seen.Add(data::testing::CodeName(code), failure + (engine.Fired() ? "" : " (never failed)"));
    }
    seen.Add("doomed by a vote", Failure([&] {
               quarveltest::AsRootProbe("Quarvel.TestCaller", rt::TransactionAttribute::Required, [&] {
                 Inner<IProperty>("Quarvel.Property").Call("Insert", {"Weight", 2});
                 int32_t missing = 77;
                 try {
                   Inner<IProperty>("Quarvel.Property")->Delete(missing);
                 } catch (const rt::ComError&) {
                   // Its handler voted abort.
                 }
                 rt::GetObjectContext()->SetComplete();
               });
             }));
    EXPECT_EQ(seen.Lines(),
              "SQLITE_FULL: 8004E002 : The root transaction wanted to commit, but transaction aborted: database or "
              "disk is full\n"
              "SQLITE_IOERR: 8004E002 : The root transaction wanted to commit, but transaction aborted: disk I/O "
              "error\n"
              "doomed by a vote: 8004E002 : The root transaction wanted to commit, but transaction aborted\n");
  });
  EXPECT_EQ(Snapshot(), before);
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
  Golden text;
  Run([&] {
    auto property = New<IProperty>("Quarvel.Property");
    auto references = New<IReferentialIntegrity>("Quarvel.Property");
    for (const auto& [name, call] : std::vector<std::pair<const char*, std::function<void()>>>{
             {"property ids", [&] { property->GetPropertyData(nullptr, "", 10, Array({"3) OR (1=1"}), none); }},
             {"property Exists",
              [&] { references->IReferentialIntegrity_Exists("", Array({"PROPERTYID"}), Array({"1 OR 1=1"})); }},
             {"property BeforeDelete, keys no array",
              [&] { references->IReferentialIntegrity_BeforeDelete("", rt::Variant("PROPERTYID"), Array({1})); }},
             {"group ids",
              [&] {
                New<IRPropertyGroup>("Quarvel.RPropertyGroup")
                    ->GetPropertyGroupData(nullptr, "", 10, Array({"1 OR 1=1"}), none);
              }},
             {"unit Exists, keys no array", [&] {
                New<IReferentialIntegrity>("Quarvel.TUnit")
                    ->IReferentialIntegrity_Exists("", rt::Variant("UNITCODE"), Array({"BX"}));
              }}})
      text.Add(name, Failure(call));
  });
  EXPECT_EQ(text.Lines(),
            "property ids: D Quarvel: |ERROR 0xD| METHOD: Quarvel.Property.GetPropertyData| DESC: Type mismatch.|\n"
            "property Exists: D Quarvel: |ERROR 0xD| METHOD: Quarvel.Property.Exists| DESC: Type mismatch.|\n"
            "property BeforeDelete, keys no array: D Quarvel: |ERROR 0xD| METHOD: Quarvel.Property.BeforeDelete| DESC: "
            "Type mismatch.|\n"
            "group ids: D Quarvel: |ERROR 0xD| METHOD: Quarvel.RPropertyGroup.GetPropertyGroupData| DESC: Type "
            "mismatch.|\n"
            "unit Exists, keys no array: D Quarvel: |ERROR 0xD| METHOD: Quarvel.Unit.Exists| DESC: Type mismatch.|\n");
  EXPECT_EQ(Rows("SELECT * FROM PROPERTY WHERE PROPERTYID = 1"), "1|Colour|3|Black|0\n");
}

}  // namespace
