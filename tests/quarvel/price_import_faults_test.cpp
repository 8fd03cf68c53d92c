// The batch import under the fault-injecting engine: its rows are
// committed in groups and before a failure leaves, so a failing statement
// keeps exactly the rows before it (unless the engine rolled the open group
// back: then those committed before), a failing commit those committed
// before; the call raises and the rest file stays. The sweep's own rule
// would count that last group as a change.
#include <algorithm>

#include "data/testing/fault_sweep.h"
#include "tests/quarvel/price_xml_fixture.h"

namespace {

using data::testing::Fault;
using data::testing::FaultPoint;
using data::testing::Outcome;

class PriceImportFaults : public PriceXmlTest {
 protected:
  // Rows 1:1 1:2 (OS-SH100), 2:2 (OS-GL200, after an invalid line), 3:1
  // (MN-L300), with an unknown part number between.
  const std::string doc_ =
      Doc(Price("OS-SH100", Sound("1")) + Price("OS-SH100", Sound("2")) + Price("OS-GL200", Sound("1", "0.5")) +
          Price("OS-GL200", Sound("2")) + Price("MN-L300", Sound("1")) + Price("XX-9999", Sound()));
  const std::string all_ = "1:1 1:2 2:2 3:1";

  struct Ending {
    bool fired = false;
    bool raised = false;
    int commits = 0;
    std::string rows;  // product:quantity in the order written
    std::string rest;  // the rest file
  };
  // One batch with `fault` armed, from no prices and an old rest file.
  Ending Faulted(data::testing::FaultEngine& engine, const Fault& fault) {
    Exec("DELETE FROM CATALOGPRODUCTPRICE");
    Write(RestFile("f"), "old rest");
    Ending ending;
    engine.Arm(fault);
    try {
      rt::Variant list = Array({"OS-SH100", "XX-9999", "OS-GL200", "MN-L300"});
      NewPriceXml()->UpdateInsertPricesFromXML("f/\\" + doc_, false, list);
    } catch (const rt::ComError&) {
      ending.raised = true;
    }
    ending.fired = engine.Fired();
    ending.commits = engine.Commits();
    engine.Disarm();
    ending.rows = Scalar(
        "SELECT IFNULL(GROUP_CONCAT(PRODUCTID || ':' || CAST(QUANTITYTO AS INT), ' '), '') FROM"
        " (SELECT PRODUCTID, QUANTITYTO FROM CATALOGPRODUCTPRICE ORDER BY rowid)");
    ending.rest = Read(RestFile("f"));
    return ending;
  }
};

TEST_F(PriceImportFaults, AFailureKeepsTheRowsWrittenBeforeIt) {
  Run([&] {
    data::testing::FaultEngine engine;
    // With the transaction left open: each row's own failure keeps exactly
    // those before it.
    std::vector<std::string> before;
    std::string kept;
    for (int n = 1;; ++n) {
      const Ending e = Faulted(engine, {FaultPoint::Statement, n, SQLITE_BUSY});
      if (!e.fired) {
        EXPECT_FALSE(e.raised);
        EXPECT_EQ(e.rows, all_);
        EXPECT_EQ(PartNumbersIn(RestFile("f")), "XX-9999");
        EXPECT_EQ(e.commits, 1);  // one group
        break;
      }
      EXPECT_TRUE(e.raised) << n;
      EXPECT_EQ(all_.substr(0, e.rows.size()), e.rows) << n;
      EXPECT_EQ(e.rest, "old rest") << n;
      before.push_back(e.rows);
      const char count = static_cast<char>('0' + (e.rows.empty() ? 0 : std::count(e.rows.begin(), e.rows.end(), ' ') + 1));
      if (kept.empty() || kept.back() != count) kept += count;
    }
    EXPECT_EQ(kept, "0123");
    EXPECT_EQ(before.size(), 14u);  // the statements of the batch

    for (int code : {SQLITE_CONSTRAINT, SQLITE_IOERR, SQLITE_FULL}) {
      for (int n = 1; n <= static_cast<int>(before.size()); ++n) {
        const Ending e = Faulted(engine, {FaultPoint::Statement, n, code});
        EXPECT_TRUE(e.raised) << n;
        EXPECT_EQ(e.rest, "old rest") << n;
        // An error that rolled the open group back loses that group only.
        const bool rolledBack = code != SQLITE_CONSTRAINT && e.rows.empty();
        EXPECT_TRUE(e.rows == before[n - 1] || rolledBack) << data::testing::CodeName(code) << " at " << n;
      }
      // A failing commit keeps what was committed before: here nothing.
      const Ending e = Faulted(engine, {FaultPoint::Commit, 1, code});
      EXPECT_EQ(
          Golden().Add("fired", e.fired).Add("raised", e.raised).Add("rows", e.rows).Add("rest file", e.rest).Line(),
          "fired=true raised=true rows= rest file=old rest")
          << data::testing::CodeName(code) << " at the commit";
    }
  });
}

}  // namespace
