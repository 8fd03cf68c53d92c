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
  std::string text;
  Run([&] { text = InOrder({std::to_string(Reseed(1, 1) && Reseed(1, -1) && Reseed(3, 4)), "\n", Rows(kValues)}); });
  Exec(std::string("DELETE FROM PRODUCTPROPVALUE;") + std::strstr(kGroups, "INSERT INTO PRODUCTPROPVALUE"));
  Run([&] { text += InOrder({std::to_string(Reseed(2, -1) && Reseed(77, -1)), "\n", Rows(kValues)}); });
  EXPECT_EQ(text,
            "1\n1|1|a1\n1|2|\n1|3|O'Brien\n2|1|kept\n2|2|\n2|3|O'Brien\n2|4|ext\n3|5|x\n4|1|y\n4|4|z\n4|5|o\n"
            "4|40000|far\n1\n2|1|kept\n2|4|ext\n2|5|gone\n3|5|x\n4|4|z\n");
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
    EXPECT_EQ(rt::TypeName(id) + ":" + rt::CStr(id) + " " +
                  Failure([&] { groups->AddPropertyToPropertyGroup(group, property, mandatory); }),
              "Long:11 80040E2F SQLite: |ERROR 0x80040E2F| METHOD: Quarvel.PropertyGroup.AddPropertyToPropertyGroup| "
              "DESC: UNIQUE constraint failed: PROPSBYPROPGROUP.PROPERTYGROUPID, PROPSBYPROPGROUP.PROPERTYID.|");
  });
  EXPECT_EQ(Rows("SELECT * FROM PROPERTYGROUP WHERE PROPERTYGROUPID = 11") +
                Rows("SELECT * FROM PROPSBYPROPGROUP WHERE PROPERTYGROUPID IN (1, 11) ORDER BY 1, 2"),
            "11|Tools\n1|1|1|1\n1|2|1|1\n11|3|1|0\n11|5|0|1\n");
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
      for (int32_t id : {1, 20}) EXPECT_FALSE(groups->CanDelete(id) || groups->Delete(id)) << id;
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
  EXPECT_EQ(Rows("SELECT * FROM PROPERTYGROUP WHERE PROPERTYGROUPID = 10") +
                Rows("SELECT * FROM PROPSBYPROPGROUP WHERE PROPERTYGROUPID = 10"),
            "");
}

}  // namespace
