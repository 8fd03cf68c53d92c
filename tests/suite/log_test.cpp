// Tests of "Solvane.Log": the entry line, escaping, concurrent writers, and
// failures that never reach the caller.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <thread>

#include "interfaces/solvane.h"
#include "runtime/com_error.h"
#include "runtime/registry.h"
#include "tests/common/suite_sandbox.h"

namespace {

int32_t Write(const rt::Variant& source, const rt::Variant& text, int16_t kind) {
  rt::ObjectPtr log = rt::CreateObject("Solvane.Log");
  return rt::CLng(log->Call("WriteEntry", {source, text, rt::Variant(kind)}));
}

TEST(Log, OneTabSeparatedLinePerEntryWithControlCharactersEscaped) {
  SuiteSandbox sandbox;
  EXPECT_EQ(Write(rt::Variant("Brintor"), rt::Variant("\r\nERROR 0x5\r\n\tC:\\temp"), 0), 0);
  Write(rt::Variant("Quarvel\tX"), rt::Variant("started"), 1);
  Write(rt::Variant("Other"), rt::Variant::Null(), 7);

  auto lines = sandbox.LogLines();
  ASSERT_EQ(lines.size(), 3u);
  std::regex time(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");
  EXPECT_TRUE(std::regex_match(lines[0].substr(0, 19), time)) << lines[0];
  EXPECT_EQ(lines[0].substr(19), "\tERROR\tBrintor\t\\r\\nERROR 0x5\\r\\n\\tC:\\\\temp");
  EXPECT_EQ(lines[1].substr(19), "\tINFO\tQuarvel\\tX\tstarted");
  EXPECT_EQ(lines[2].substr(19), "\t7\tOther\t");
}

TEST(Log, ConcurrentWritersNeverInterleave) {
  SuiteSandbox sandbox;
  constexpr int kThreads = 6;
  constexpr int kEntries = 40;
  const std::string longText(20000, 'x');
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEntries; ++i) {
        Write(rt::Variant("writer" + std::to_string(t)), rt::Variant(longText + std::to_string(i)), 0);
      }
    });
  }
  for (auto& thread : threads) thread.join();

  auto lines = sandbox.LogLines();
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kEntries));
  std::map<std::string, int> perWriter;
  for (const auto& line : lines) {
    LogEntry entry = LogEntry::Parse(line);
    ASSERT_EQ(entry.text.substr(0, longText.size()), longText);
    ++perWriter[entry.source];
  }
  EXPECT_EQ(perWriter.size(), static_cast<size_t>(kThreads));
  for (const auto& [writer, count] : perWriter) EXPECT_EQ(count, kEntries) << writer;
}

TEST(Log, FailuresToWriteAreDroppedSilentlyAndLeaveThePendingError) {
  SuiteSandbox sandbox;
  rt::Err() = rt::PendingError{13, "Brintor", "Type mismatch", "", 0};

  sandbox.WriteConfig("[LOG]\nFile=" + sandbox.Dir() + "/no/such/folder/suite.log\n");
  EXPECT_EQ(Write(rt::Variant("Brintor"), rt::Variant("lost"), 0), 0);
  sandbox.WriteConfig("[INSTALL]\nDir=/tmp\n");
  EXPECT_EQ(Write(rt::Variant("Brintor"), rt::Variant("lost"), 0), 0);
  std::filesystem::remove(sandbox.ConfigPath());
  EXPECT_EQ(Write(rt::Variant("Brintor"), rt::Variant("lost"), 0), 0);
  rt::ObjectPtr log = rt::CreateObject("Solvane.Log");
  EXPECT_NO_THROW(log->Call("WriteEntry", {rt::Variant("Brintor")}));

  EXPECT_EQ(rt::Err().number, 13);
  EXPECT_EQ(rt::Err().description, "Type mismatch");
  rt::Err().Clear();
}

}  // namespace
