// `suitehost init` under the fault sweep, run in this process: a failure at
// any statement of its databases, or at their commits, refuses the init and
// leaves no installation behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <sstream>

#include "data/testing/fault_sweep.h"
#include "tests/common/temp_folder.h"
#include "tools/suitehost/init_command.h"

namespace {

namespace fs = std::filesystem;
using data::testing::Outcome;

// What init leaves in the folder: every path under it.
std::string Listing(const fs::path& dir) {
  std::string text;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) text += entry.path().string() + "\n";
  return text;
}

// Init's messages are kept out of the test's output.
class Quiet {
 public:
  Quiet() : out_(std::cout.rdbuf(sink_.rdbuf())), err_(std::cerr.rdbuf(sink_.rdbuf())) {}
  ~Quiet() {
    std::cout.rdbuf(out_);
    std::cerr.rdbuf(err_);
  }

 private:
  std::stringstream sink_;
  std::streambuf* out_;
  std::streambuf* err_;
};

data::testing::SweepReport SweepInit(bool sample, std::vector<int> codes, int every) {
  testfs::TempFolder folder;
  const fs::path site = folder.path() / "site";
  data::testing::FaultEngine engine;
  data::testing::SweepTarget target;
  target.state = [&] { return Listing(folder.path()); };
  target.undo = [&] { fs::remove_all(site); };
  data::testing::SweepOptions options;
  options.codes = std::move(codes);
  options.every = every;
  Quiet quiet;
  return data::testing::SweepFaults(
      engine, target,
      [&] { return suitehost::InitInstallation(site.string(), sample) == 0 ? Outcome::Succeeded : Outcome::Refused; },
      options);
}

// Init handles every engine error alike: one error that rolls the
// transaction back and one that leaves it open are enough.
TEST(InitFaults, AFailedStatementOrCommitLeavesNoInstallation) {
  const auto schema = SweepInit(false, {SQLITE_IOERR, SQLITE_CONSTRAINT}, 1);
  EXPECT_GT(schema.statements, 20);
  EXPECT_EQ(schema.commits, 2);  // the catalog and the directory
  EXPECT_EQ(schema.Problems(), "");
  // With the sample data: every 40th of its statements.
  const auto sample = SweepInit(true, {SQLITE_BUSY}, 40);
  EXPECT_GT(sample.statements, 300);
  EXPECT_EQ(sample.Problems(), "");
}

}  // namespace
