// The UNSPSC writers under the fault sweep: Delete and the relinkings raise
// or refuse and leave every table; an upload's failed statement becomes its
// code's status (nothing half-written), a failed commit keeps nothing.
#include <gtest/gtest.h>

#include "data/testing/fault_sweep.h"
#include "quarvel/reference/unspsc_lib.h"
#include "tests/quarvel/unspsc_fixture.h"

namespace {

using data::testing::Outcome;
namespace lib = quarvel::UNSPSCLib;

class UNSPSCFaults : public unspsctest::SampleUNSPSCTest {
 protected:
  std::string Sweep(const std::function<Outcome()>& call) {
    std::string text;
    Run([&] {
      data::testing::FaultEngine engine;
      auto report = data::testing::SweepFaults(engine, data::testing::DatabaseTarget(sandbox_.CatalogPath()), call);
      text = Golden()
                 .Add("statements", report.statements)
                 .Add("commits", report.commits)
                 .Add("problems", report.Problems())
                 .Line();
    });
    return text;
  }
};

// The delete asks the products and categories first. Product 10 moves from
// 43211503 to 43221501 (out of 4321 and 432115, into 4322); category 4 from
// 4322 to 4321 (12 leaves, 10 joins).
TEST_F(UNSPSCFaults, DeleteAndRelinkingsRaiseAndLeaveTheTables) {
  const std::string deleted = Sweep([] {
    std::string code = "43211507";
    return NewTUNSPSC()->Delete(code) ? Outcome::Succeeded : Outcome::Refused;
  });
  // The sample's own categories make way for these.
  Exec("DELETE FROM PRODUCTCATEGORY;"
       "INSERT INTO PRODUCTCATEGORY (CATEGORYID, UNSPSCCODE) VALUES (1, '43'), (2, '4321'), (3, '432115'), (4, '4322');"
       "INSERT INTO PRODUCT (PRODUCTID, UNSPSCCODE) VALUES (10, '43211503'), (11, '43211507'), (12, '43221501');"
       "INSERT INTO PRODUCTSBYCATEGORY VALUES (10, 1, 1), (10, 2, 1), (10, 3, 1), (12, 4, 1), (11, 4, 2);");
  Golden sweeps;
  sweeps.Add("Delete", deleted);
  sweeps.Add("product links", Sweep([] {
               InTransaction([] { lib::UpdateProductLinksForUNSPSCCode(10, "43211503", "43221501", false); });
               return Outcome::Succeeded;
             }));
  sweeps.Add("category links", Sweep([] {
               InTransaction([] { lib::UpdateProductCategoryLinksForUNSPSCCode(4, "4322", "4321", false); });
               return Outcome::Succeeded;
             }));
  EXPECT_EQ(sweeps.Lines(),
            "Delete: statements=3 commits=1 problems=\nproduct links: statements=6 commits=1 problems=\n"
            "category links: statements=5 commits=1 problems=\n");
}

// Three new codes, each with its commodity: a family under segment 43, a
// class under it, a segment of its own. The sweep is run by hand, since a
// refused upload keeps the codes it stored: the catalog is put back after
// every run.
TEST_F(UNSPSCFaults, AFailedStatementOfAnUploadBecomesItsCodesStatus) {
  const std::vector<std::pair<std::string, std::string>> codes = {
      {"43220000", "4322"}, {"43221500", "432215"}, {"45000000", "45"}};
  std::string xml = "<UNSPSC_LIST>";
  for (const auto& [code, node] : codes)
    xml += "<UNSPSC_ITEM><UNSPSC_CODE>" + code + "</UNSPSC_CODE><UNSPSC_DESCRIPTION>new</UNSPSC_DESCRIPTION></UNSPSC_ITEM>";
  WriteDownload("codes.xml", xml + "</UNSPSC_LIST>");

  // The codes whose rows disagree with their answered status (none stored
  // when the call raised).
  std::shared_ptr<rt::Dictionary> answered;
  auto halfWritten = [&] {
    std::string text;
    for (const auto& [code, node] : codes) {
      const rt::Variant* status = answered ? answered->Find(rt::Variant(code)) : nullptr;
      const std::string expected = !answered                ? "absent/absent"
                                   : !status                ? "stored/stored"
                                   : rt::CLng(*status) == 3 ? "stored/absent"
                                                            : "absent/absent";
      auto state = [&](const std::string& sql) { return Rows(sql) == "1\n" ? "stored" : "absent"; };
      const std::string found =
          std::string(state("SELECT COUNT(*) FROM UNSPSCCODES WHERE PARENTCODE || UNSPSCCODE = '" + node + "'")) + "/" +
          state("SELECT COUNT(*) FROM COMMODITY WHERE COMMODITYCODE = '" + code + "'");
      if (found != expected) text += " " + code + " is " + found + ", its status says " + expected + ";";
    }
    return text;
  };
  std::string report;
  Run([&] {
    data::testing::FaultEngine engine;
    const auto database = data::testing::DatabaseTarget(sandbox_.CatalogPath());
    const std::string before = data::testing::TableDigests(sandbox_.CatalogPath());
    auto upload = [&] {
      answered = nullptr;
      try {
        answered = NewTUNSPSC()->UploadFromXML(DownloadPath("codes.xml"), false, true);
      } catch (const rt::ComError&) {
      }
    };
    engine.Disarm();
    upload();
    const int statements = engine.Statements(), commits = engine.Commits();
    report = std::to_string(statements) + " statements, " + std::to_string(commits) + " commit\n";
    if (!answered || answered->Count() != 0) report += "without a failure the upload did not store every code\n";
    database.undo();
    for (int code : {SQLITE_IOERR, SQLITE_FULL, SQLITE_BUSY, SQLITE_CONSTRAINT}) {
      for (int n = 1; n <= statements + commits; ++n) {
        const bool commit = n > statements;
        engine.Arm({commit ? data::testing::FaultPoint::Commit : data::testing::FaultPoint::Statement,
                    commit ? n - statements : n, code});
        upload();
        const std::string at = std::string(data::testing::CodeName(code)) + (commit ? " at commit " : " at statement ") +
                               std::to_string(commit ? n - statements : n) + ":";
        if (!engine.Fired()) report += at + " never reached\n";
        if (answered && answered->Count() == 0) report += at + " the upload answered that every code was stored\n";
        if (const std::string wrong = halfWritten(); !wrong.empty()) report += at + wrong + "\n";
        if (commit && data::testing::TableDigests(sandbox_.CatalogPath()) != before)
          report += at + " a failed commit kept rows\n";
        database.undo();
      }
    }
    engine.Disarm();
  });
  // Per code: the parent's read (none for a segment), the code's row, the commodity.
  EXPECT_EQ(report, "8 statements, 1 commit\n");
}

}  // namespace
