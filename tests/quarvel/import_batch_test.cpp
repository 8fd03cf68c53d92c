// The write groups of the import batches: rows committed in groups, at the
// end, and before a failure leaves; nothing of a group never committed.
#include "quarvel/import/import_batch.h"
#include "tests/quarvel/reference_fixture.h"

namespace {

using ImportBatch = ReferenceTest;

TEST_F(ImportBatch, RowsAreCommittedInGroupsAndBeforeAFailureLeavesTheBatch) {
  Run([&] {
    auto committed = [&] { return Scalar("SELECT COUNT(*) FROM FAQCATEGORY"); };
    Golden seen;
    {
      quarvel::import::WriteGroup group(2);
      auto write = [&](int id) {
        group.Connection()->Execute("INSERT INTO FAQCATEGORY VALUES (" + std::to_string(id) + ", 'c')");
        group.RowWritten();
        seen.Add("row " + std::to_string(id) + " written", committed());
      };
      for (int id = 1; id <= 3; ++id) write(id);
      group.Commit();
      seen.Add("Commit", committed());
      write(4);
      group.CommitAfterFailure();
      seen.Add("CommitAfterFailure", committed());
      write(5);
    }
    // The group left open when the writer went is rolled back.
    seen.Add("group gone", committed());
    EXPECT_EQ(seen.Lines(),
              "row 1 written: 0\nrow 2 written: 2\nrow 3 written: 2\nCommit: 3\nrow 4 written: 3\n"
              "CommitAfterFailure: 4\nrow 5 written: 4\ngroup gone: 4\n");
  });
}

}  // namespace
