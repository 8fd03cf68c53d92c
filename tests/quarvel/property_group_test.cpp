// Property groups: re-seeding product values (in the caller's transaction,
// a failure undoing what came before), creating and filling groups, and
// the guarded delete.
#include <cstring>

#include "interfaces/property_group.h"
#include "tests/quarvel/reference_fixture.h"

namespace {


// Properties 1 A (default a1), 2 B (Null), 3 C (O'Brien), 4 Ext (external),
// 5 Other, 40000 Far; groups 1 (A, B, C), 2 (none), 3 (A, Other, Far).
// Products 1 (group 1, no values), 2 (1: A, Ext, Other), 3 (3: Other), 4 (2: A, Ext).
const char* const kGroups =
    "INSERT INTO PROPERTY VALUES (1, 'A', 1, 'a1', 0), (2, 'B', 1, NULL, 0), (3, 'C', 1, 'O''Brien', 0),"
    " (4, 'Ext', 1, 'e', 1), (5, 'Other', 1, 'o', 0), (40000, 'Far', 1, 'far', 0);"
    "INSERT INTO PROPERTYGROUP VALUES (1, 'G'), (2, 'Empty'), (3, 'Two');"
    "INSERT INTO PROPSBYPROPGROUP (PROPERTYGROUPID, PROPERTYID) VALUES (1, 1), (1, 2), (1, 3), (3, 1), (3, 5),"
    " (3, 40000);"
    "INSERT INTO PRODUCT (PRODUCTID, PARTNUMBER, PROPERTYGROUPID) VALUES (1, 'P1', 1), (2, 'P2', 1), (3, 'P3', 3),"
    " (4, 'P4', 2);"
    "INSERT INTO PRODUCTPROPVALUE VALUES (2, 1, 'kept'), (2, 4, 'ext'), (2, 5, 'gone'), (3, 5, 'x'), (4, 1, 'y'),"
    " (4, 4, 'z');";

const char* const kValues = "SELECT * FROM PRODUCTPROPVALUE ORDER BY PRODUCTID, PROPERTYID";

bool Reseed(int32_t group, int32_t product) {
  return ReferenceTest::New<IPropertyGroup>("Quarvel.PropertyGroup")->UpdateGroupChange(group, product);
}

// Product 2 keeps A's value and Ext (external), and loses Other. -1
// settles every product of the group, each once; an explicit product is
// settled against the group given, whatever its own. Ids past 32767 stay
// 32-bit. A memberless group keeps only external values.
class PropertyGroups : public ReferenceTest {
 protected:
  void SetUp() override {
    ReferenceTest::SetUp();
    Exec(kGroups);
  }
};
using SampleGroups = SampleReferenceTest;

TEST_F(PropertyGroups, ReseedingAddsDefaultsDropsNonMembersAndKeepsTheRest) {
  Golden text;
  Run([&] {
    text.Add("group 1, product 1", Reseed(1, 1)).Add("group 1, every product", Reseed(1, -1));
    text.Add("group 3, product 4", Reseed(3, 4)).Add("values", Rows(kValues));
  });
  Exec(std::string("DELETE FROM PRODUCTPROPVALUE;") + std::strstr(kGroups, "INSERT INTO PRODUCTPROPVALUE"));
  Run([&] {
    text.Add("empty group 2, every product", Reseed(2, -1)).Add("group 77, every product", Reseed(77, -1));
    text.Add("values after", Rows(kValues));
  });
  EXPECT_EQ(text.Lines(),
            "group 1, product 1: true\ngroup 1, every product: true\ngroup 3, product 4: true\n"
            "values:\n1|1|a1\n1|2|\n1|3|O'Brien\n2|1|kept\n2|2|\n2|3|O'Brien\n2|4|ext\n3|5|x\n4|1|y\n4|4|z\n"
            "4|5|o\n4|40000|far\nempty group 2, every product: true\ngroup 77, every product: true\n"
            "values after:\n2|1|kept\n2|4|ext\n2|5|gone\n3|5|x\n4|4|z\n");
}

// The product writers' case: created through the caller's context, the
// re-seeding sees the caller's uncommitted product, and the caller's abort
// leaves nothing of either.
TEST_F(PropertyGroups, ReseedingJoinsTheCallersTransaction) {
  const std::string before = Snapshot();
  Run([&] {
    std::string seen;
    EXPECT_FALSE(CallerKeepsItsWork([&] {
      Rows("INSERT INTO PRODUCT (PARTNUMBER, PROPERTYGROUPID) VALUES ('NEW', 1)", true);
      int32_t product = std::stoi(Rows("SELECT PRODUCTID FROM PRODUCT WHERE PARTNUMBER = 'NEW'", true)), group = 1;
      EXPECT_TRUE(Inner<IPropertyGroup>("Quarvel.PropertyGroup")->UpdateGroupChange(group, product));
      seen = Rows("SELECT PROPERTYID, VALUE FROM PRODUCTPROPVALUE WHERE PRODUCTID = " + std::to_string(product) +
                  " ORDER BY 1", true);
    }, false));
    EXPECT_EQ(seen, "1|a1\n2|\n3|O'Brien\n");
  });
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(Rows("SELECT * FROM PRODUCT WHERE PARTNUMBER = 'NEW'"), "");
}

// An insert that fails after a delete: the call fails and the delete is undone.
TEST_F(PropertyGroups, AFailingInsertUndoesTheEarlierDeletes) {
  Exec("CREATE TRIGGER FAIL_C BEFORE INSERT ON PRODUCTPROPVALUE WHEN NEW.PROPERTYID = 3"
       " BEGIN SELECT RAISE(ABORT, 'no C here'); END;");
  const std::string before = Snapshot();
  Run([&] {
    EXPECT_EQ(Failure([&] { Reseed(1, 2); }),
              "80040E2F SQLite: |ERROR 0x80040E2F| METHOD: Quarvel.PropertyGroup.UpdateGroupChange| DESC: no C here.|");
    EXPECT_FALSE(CallerKeepsItsWork([] {
      int32_t group = 1, product = 2;
      EXPECT_THROW(Inner<IPropertyGroup>("Quarvel.PropertyGroup")->UpdateGroupChange(group, product), rt::ComError);
    }));
  });
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(SampleGroups, GroupsAreCreatedAndFilledWithTheirFlagsEachPairOnce) {
  Run([&] {
    auto groups = New<IPropertyGroup>("Quarvel.PropertyGroup");
    const rt::Variant id = groups.Call("Insert", {"Tools"});
    groups.Call("AddPropertyToPropertyGroup", {id, 3, true});
    groups.Call("AddPropertyToPropertyGroupEx", {id, 5, false, true});
    int32_t group = 1, property = 2;
    bool mandatory = false;
    Golden seen;
    seen.Add("new id", id);
    seen.Add("B into group 1 again", Failure([&] { groups->AddPropertyToPropertyGroup(group, property, mandatory); }));
    EXPECT_EQ(seen.Lines(),
              "new id: Long:11\nB into group 1 again: 80040E2F SQLite: |ERROR 0x80040E2F| METHOD: "
              "Quarvel.PropertyGroup.AddPropertyToPropertyGroup| DESC: UNIQUE constraint failed: "
              "PROPSBYPROPGROUP.PROPERTYGROUPID, PROPSBYPROPGROUP.PROPERTYID.|\n");
  });
  Golden rows;
  rows.Add("group 11", Rows("SELECT * FROM PROPERTYGROUP WHERE PROPERTYGROUPID = 11"));
  rows.Add("members of 1 and 11",
           Rows("SELECT * FROM PROPSBYPROPGROUP WHERE PROPERTYGROUPID IN (1, 11) ORDER BY 1, 2"));
  EXPECT_EQ(rows.Lines(), "group 11: 11|Tools\nmembers of 1 and 11:\n1|1|1|1\n1|2|1|1\n11|3|1|0\n11|5|0|1\n");
}

// A group that a product or a commodity has stays: False, no error, a
// commit vote. A group without a row fails, its memberships brought back.
TEST_F(SampleGroups, DeleteIsRefusedByProductsAndCommoditiesAndFailsWithoutARow) {
  Exec("INSERT INTO PROPERTYGROUP VALUES (20, 'Commodity only');"
       "INSERT INTO COMMODITY VALUES ('TOOLS', 'Tools', NULL, 20, NULL, NULL, NULL);"
       "INSERT INTO PROPSBYPROPGROUP VALUES (77, 1, 0, 0);");
  const std::string before = Snapshot();
  Run([&] {
    EXPECT_TRUE(CallerKeepsItsWork([] {
      auto groups = Inner<IPropertyGroup>("Quarvel.PropertyGroup");
      Golden answers;
      for (int32_t id : {1, 20})
        answers.Add(std::to_string(id),
                    Golden().Add("CanDelete", groups->CanDelete(id)).Add("Delete", groups->Delete(id)));
      EXPECT_EQ(answers.Lines(), "1: CanDelete=false Delete=false\n20: CanDelete=false Delete=false\n");
    }));
    auto groups = New<IPropertyGroup>("Quarvel.PropertyGroup");
    int32_t missing = 77;
    EXPECT_TRUE(groups->CanDelete(missing));
    EXPECT_EQ(Failure([&] { groups->Delete(missing); }),
              "800400CA Quarvel.PropertyGroup.Delete: |ERROR 0x800400CA| METHOD: Quarvel.PropertyGroup.Delete| "
              "DESC: Property group not present.|");
  });
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(LogEntries(), 1);
  // The sample head office names group 10: the user class answers that it
  // is in use until the office lets go of it.
  int32_t office = 10;
  Run([&] { EXPECT_FALSE(New<IPropertyGroup>("Quarvel.PropertyGroup")->Delete(office)); });
  Exec("UPDATE OFFICE SET PROPERTYGROUPID = NULL WHERE PROPERTYGROUPID = 10");
  Run([&] { EXPECT_TRUE(New<IPropertyGroup>("Quarvel.PropertyGroup")->Delete(office)); });
  EXPECT_EQ(Golden()
                .Add("group 10", Rows("SELECT * FROM PROPERTYGROUP WHERE PROPERTYGROUPID = 10"))
                .Add("members of 10", Rows("SELECT * FROM PROPSBYPROPGROUP WHERE PROPERTYGROUPID = 10"))
                .Line(),
            "group 10= members of 10=");
}

}  // namespace
