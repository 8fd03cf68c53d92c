// The write groups of the import batches: rows committed in groups, at the
// end, and before a failure leaves; nothing of a group never committed.
#include "quarvel/import/import_batch.h"
#include "tests/quarvel/reference_fixture.h"

namespace {

using ImportBatch = ReferenceTest;

TEST_F(ImportBatch, RowsAreCommittedInGroupsAndBeforeAFailureLeavesTheBatch) {
  Run([&] {
    auto committed = [&] { return Scalar("SELECT COUNT(*) FROM FAQCATEGORY"); };
    std::string seen;
    {
      quarvel::import::WriteGroup group(2);
      auto write = [&](int id) {
        group.Connection()->Execute("INSERT INTO FAQCATEGORY VALUES (" + std::to_string(id) + ", 'c')");
        group.RowWritten();
        seen += committed() + " ";
      };
      for (int id = 1; id <= 3; ++id) write(id);
      group.Commit();
      seen += committed() + " ";
      write(4);
      group.CommitAfterFailure();
      seen += committed() + " ";
      write(5);
    }
    // The group left open when the writer went is rolled back.
    seen += committed();
    EXPECT_EQ(seen, "0 2 2 3 3 4 4 4");
  });
}

}  // namespace
