// The product import under the fault-injecting engine: its writes are
// committed in groups and before a failure leaves, so a faulted call keeps
// a prefix of the writes of the run without a fault (triggers log them in
// order); the sweep's own rule would count that last group as a change.
#include <algorithm>
#include <array>
#include <functional>

#include "data/testing/fault_sweep.h"
#include "tests/quarvel/product_xml_fixture.h"

namespace {

using data::testing::Fault;
using data::testing::FaultPoint;

class ProductImportFaults : public ProductXmlTest {
 protected:
  void SetUp() override {
    ProductXmlTest::SetUp();
    std::string sql = "CREATE TABLE WRITELOG (ID INTEGER PRIMARY KEY AUTOINCREMENT, WHAT TEXT);";
    for (const auto& [event, table, what] : std::vector<std::array<const char*, 3>>{
             {"INSERT", "PRODUCT", "'P+' || NEW.BUYFROMPARTNUMBER"}, {"UPDATE", "PRODUCT", "'P~' || NEW.BUYFROMPARTNUMBER"},
             {"INSERT", "PRODUCTBUYER", "'B+' || NEW.USERID"}, {"DELETE", "PRODUCTBUYER", "'B-' || OLD.USERID"},
             {"INSERT", "PRODUCTPROPVALUE", "'V+' || NEW.VALUE"}, {"UPDATE", "PRODUCTPROPVALUE", "'V~' || NEW.VALUE"},
             {"INSERT", "PROPERTY", "'R+' || NEW.PROPERTYNAME"}})
      sql += std::string("CREATE TRIGGER LOG_") + event + "_" + table + " AFTER " + event + " ON " + table +
             " BEGIN INSERT INTO WRITELOG (WHAT) VALUES (" + what + "); END;";
    Exec(sql + "UPDATE PRODUCT SET MULTIPLEBUYER = 1 WHERE PRODUCTID = 1; INSERT INTO PRODUCTBUYER VALUES (1, 'old');"
               "DELETE FROM WRITELOG");
  }

  // A new product with buyers, a supplier, a known and a new property; a
  // part number without an element; an update.
  const std::string doc_ = Doc(
      Product("NEW-1", Sound() + F("BUSINESSID", "BID-S100") + F("BUYERID", "buyer1;approver1") +
                           F("MULTIPLEBUYER", "1") + F("Colour", "Red") + F("NEWPROP", "x")) +
      Product("OS-SH100", F("PRODUCTREMARK", "r") + F("Colour", "White")));

  struct Ending {
    bool fired = false, raised = false;
    int commits = 0, statements = 0;
    std::string writes;  // the logged writes, in order
    std::string rest;    // the rest file
  };

  // One call with `fault` armed (or none), from the installation as it was
  // and an old rest file.
  Ending Faulted(data::testing::FaultEngine& engine, const data::testing::SweepTarget& target,
                 const std::function<void()>& call, const Fault* fault) {
    target.undo();
    Write(RestFile("f"), "old rest");
    Ending ending;
    fault ? engine.Arm(*fault) : engine.Disarm();
    try {
      call();
    } catch (const rt::ComError&) {
      ending.raised = true;
    }
    ending.fired = engine.Fired();
    ending.commits = engine.Commits();
    ending.statements = engine.Statements();
    engine.Disarm();
    ending.writes = Scalar("SELECT IFNULL(GROUP_CONCAT(WHAT, ' '), '') FROM (SELECT WHAT FROM WRITELOG ORDER BY ID)");
    ending.rest = Read(RestFile("f"));
    return ending;
  }

  static bool IsPrefix(const std::string& part, const std::string& whole) {
    return part.empty() || (whole + " ").compare(0, part.size() + 1, part + " ") == 0;
  }

  static size_t WriteCount(const std::string& writes) {
    return writes.empty() ? 0 : std::count(writes.begin(), writes.end(), ' ') + 1;
  }

  // Every statement, then every commit, failing in turn with each code.
  // With SQLITE_BUSY, which rolls nothing back, the writes kept grow through
  // every count short of all (each write is one statement). Answers the run
  // without a fault.
  Ending Sweep(const std::function<void()>& call) {
    data::testing::FaultEngine engine;
    const data::testing::SweepTarget target = data::testing::DatabaseTarget(sandbox_.CatalogPath());
    const Ending whole = Faulted(engine, target, call, nullptr);
    EXPECT_FALSE(whole.raised);
    for (int code : {SQLITE_BUSY, SQLITE_CONSTRAINT, SQLITE_IOERR, SQLITE_FULL}) {
      size_t longest = 0;
      std::vector<bool> kept(WriteCount(whole.writes) + 1, false);
      std::vector<Fault> faults;
      for (int n = 1; n <= whole.statements; ++n) faults.push_back({FaultPoint::Statement, n, code});
      for (int n = 1; n <= whole.commits; ++n) faults.push_back({FaultPoint::Commit, n, code});
      for (const Fault& fault : faults) {
        const Ending e = Faulted(engine, target, call, &fault);
        const std::string where = std::string(data::testing::CodeName(code)) +
                                  (fault.point == FaultPoint::Commit ? " at commit " : " at statement ") +
                                  std::to_string(fault.index);
        EXPECT_EQ(Golden().Add("fired", e.fired).Add("raised", e.raised).Add("rest file", e.rest).Line(),
                  "fired=true raised=true rest file=old rest")
            << where;
        EXPECT_TRUE(IsPrefix(e.writes, whole.writes)) << where << ": " << e.writes;
        if (code == SQLITE_BUSY && fault.point == FaultPoint::Statement) {
          EXPECT_GE(e.writes.size(), longest) << where;
          longest = e.writes.size();
          kept[std::min(WriteCount(e.writes), kept.size() - 1)] = true;
        }
      }
      for (size_t count = 0; code == SQLITE_BUSY && count + 1 < kept.size(); ++count)
        EXPECT_TRUE(kept[count]) << count << " writes kept";
    }
    target.undo();
    return whole;
  }
};

TEST_F(ProductImportFaults, ABatchKeepsExactlyTheWritesBeforeItsFailure) {
  Run([&] {
    const Ending whole = Sweep([&] {
      rt::Variant list = Array({"NEW-1", "XX", "OS-SH100"});
      NewProductXml()->insertProductsFromXML("f/\\" + doc_, false, list, false);
    });
    EXPECT_EQ(whole.writes, "P+NEW-1 B+buyer1 B+approver1 V+Red R+NEWPROP V+x P~OS-SH100 B-old V~White");
    EXPECT_EQ(whole.rest, "(none)");
    // The call's group is committed before the partner lookup, and at the
    // end; the lookup only reads, so its own transaction commits nothing.
    EXPECT_EQ(whole.commits, 2);
  });
}

TEST_F(ProductImportFaults, TheOtherWritersKeepExactlyTheWritesBeforeTheirFailure) {
  Run([&] {
    EXPECT_EQ(Sweep([&] { NewProductXml()->insertProductFromXML(doc_, false, "NEW-1", false); }).writes,
              "P+NEW-1 B+buyer1 B+approver1 V+Red R+NEWPROP V+x");
    EXPECT_EQ(Sweep([&] {
                rt::Variant list = Array({"OS-SH100", "OS-SH100"});
                NewProductXml()->updateProductsFromXML(doc_, false, list, false);
              }).writes,
              "P~OS-SH100 B-old V~White P~OS-SH100 V~White");
    EXPECT_EQ(Sweep([&] {
                NewProductXml()->InsertUpdateMultipleBuyer(rt::Variant(int32_t{1}), rt::Variant("a;b"));
              }).writes,
              "B-old B+a B+b");
  });
}

}  // namespace
