// Tests of class registration and creation by ProgID: in-process classes,
// class tables, and the registration file.
#include "runtime/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "runtime/com_error.h"
#include "runtime/dictionary.h"
#include "tests/common/raised_by.h"
#include "tests/common/temp_folder.h"

namespace rt {
namespace {

namespace fs = std::filesystem;

class Thing : public Object {
 public:
  std::string TypeName() const override { return "Thing"; }
};

ClassInfo ThingClass(std::string progId, std::string clsid = {}) {
  return ClassInfo{std::move(progId), std::move(clsid), TransactionAttribute::None,
                   [] { return std::make_shared<Thing>(); }};
}

// Points SUITE_REGISTRY at a file in a folder of the test's own.
class RegistryFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("SUITE_REGISTRY", file_.c_str(), 1); }
  void TearDown() override { ::unsetenv("SUITE_REGISTRY"); }
  std::string ReadFile() const { return testfs::ReadFile(file_); }
  // Through a new file, as the registration's own rewrite does.
  void WriteFile(const std::string& text) const { testfs::WriteFile(file_, text); }

  testfs::TempFolder folder_;
  const fs::path dir_ = folder_.path();
  const std::string file_ = (dir_ / "components.reg").string();
};

TEST_F(RegistryFileTest, UnknownProgIdIsAnInvalidClassStringAndInProcessClassesComeFirst) {
  ComError e = RaisedBy([] { CreateObject("No.SuchClass"); });
  EXPECT_EQ(e.number(), hr::kInvalidClassString);
  EXPECT_EQ(e.description(), "Invalid class string: No.SuchClass");
  EXPECT_EQ(RaisedBy([] { CreateRootObject("No.SuchClass", nullptr); }).number(),
            hr::kInvalidClassString);

  // In-process classes come first, by ProgID or CLSID.
  WriteFile("Reg.Thing\t\t/nowhere/libThing.so\n");
  RegisterClass(ThingClass("Reg.Thing", "{0000AAAA-0000-0000-0000-000000000001}"));
  ObjectPtr byName = CreateObject("REG.thing");
  EXPECT_EQ(byName->ProgId(), "Reg.Thing");
  EXPECT_EQ(byName->Context(), nullptr);
  EXPECT_EQ(CreateObject("{0000aaaa-0000-0000-0000-000000000001}")->TypeName(), "Thing");

  // A later registration of the same ProgID replaces the earlier one.
  const ClassInfo& before = FindClass("Reg.Thing");
  RegisterClass({"Reg.Thing", "", TransactionAttribute::Required, [] { return NewDictionary(); }});
  EXPECT_EQ(CreateObject("Reg.Thing")->TypeName(), "Dictionary");
  EXPECT_EQ(FindClass("reg.thing").attribute, TransactionAttribute::Required);
  EXPECT_EQ(before.progId, "Reg.Thing") << "a class handed out earlier stays valid";
}

TEST_F(RegistryFileTest, RegisteringRewritesOnlyTheLibrarysOwnLines) {
  WriteFile("Hand.Written\t{1}\t/opt/libHand.so\n");
  ClassTable a({ThingClass("A.One", "{A1}"), ThingClass("A.Two")});
  ClassTable b({ThingClass("B.One", "{B1}")});
  ASSERT_EQ(a.Register("/libs/libA.so"), 0);
  ASSERT_EQ(b.Register("/libs/libB.so"), 0);
  ASSERT_EQ(a.Register("/libs/libA.so"), 0);
  EXPECT_EQ(ReadFile(),
            "Hand.Written\t{1}\t/opt/libHand.so\n"
            "B.One\t{B1}\t/libs/libB.so\n"
            "A.One\t{A1}\t/libs/libA.so\n"
            "A.Two\t\t/libs/libA.so\n");

  // A new build of A without A.Two, moved elsewhere, and B's class moving to A.
  ClassTable a2({ThingClass("A.One", "{A1}"), ThingClass("b.one")});
  ASSERT_EQ(a2.Register("/libs/libA.so"), 0);
  EXPECT_EQ(ReadFile(),
            "Hand.Written\t{1}\t/opt/libHand.so\n"
            "A.One\t{A1}\t/libs/libA.so\n"
            "b.one\t\t/libs/libA.so\n");

  ASSERT_EQ(a2.Unregister(), 0);
  EXPECT_EQ(ReadFile(), "Hand.Written\t{1}\t/opt/libHand.so\n");
}

TEST_F(RegistryFileTest, LibrariesRegisteringAtOnceKeepEveryLine) {
  constexpr int kLibraries = 8;
  std::vector<std::unique_ptr<ClassTable>> tables;
  for (int i = 0; i < kLibraries; ++i) {
    tables.push_back(std::make_unique<ClassTable>(
        std::vector<ClassInfo>{ThingClass("Par.C" + std::to_string(i))}));
  }
  std::vector<std::thread> threads;
  for (int i = 0; i < kLibraries; ++i) {
    threads.emplace_back([&, i] {
      for (int round = 0; round < 5; ++round) {
        EXPECT_EQ(tables[i]->Register("/libs/lib" + std::to_string(i) + ".so"), 0);
      }
    });
  }
  for (std::thread& t : threads) t.join();
  std::string text = ReadFile();
  for (int i = 0; i < kLibraries; ++i) {
    std::string line = "Par.C" + std::to_string(i) + "\t\t/libs/lib" + std::to_string(i) + ".so\n";
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), kLibraries);
}

TEST_F(RegistryFileTest, CreationFindsTheLibraryThroughTheFileAndSeesItChange) {
  WriteFile("File.Missing\t{F1}\t" + (dir_ / "libMissing.so").string() + "\n");
  ComError missing = RaisedBy([] { CreateObject("file.missing"); });
  EXPECT_EQ(missing.number(), hr::kClassNotAvailable);
  EXPECT_NE(missing.description().find("Cannot load the library of File.Missing"),
            std::string::npos)
      << missing.description();
  EXPECT_EQ(RaisedBy([] { CreateObject("{f1}"); }).number(), hr::kClassNotAvailable);

  // The runtime library itself loads but holds no class table.
  std::string runtime = LibraryPathOf(reinterpret_cast<const void*>(&CreateObject));
  WriteFile("File.NoTable\t\t" + runtime + "\n");
  ComError noTable = RaisedBy([] { CreateObject("File.NoTable"); });
  EXPECT_EQ(noTable.number(), hr::kClassNotAvailable);
  EXPECT_EQ(noTable.description(), "ClassFactory cannot supply requested class: File.NoTable");
  EXPECT_EQ(RaisedBy([] { CreateObject("File.Missing"); }).number(), hr::kInvalidClassString)
      << "the rewritten file no longer names it";
}

TEST_F(RegistryFileTest, FilePathFollowsTheEnvironmentElseSitsBesideTheRuntime) {
  EXPECT_EQ(RegistrationFilePath(), file_);
  ::unsetenv("SUITE_REGISTRY");
  fs::path runtime = LibraryPathOf(reinterpret_cast<const void*>(&CreateObject));
  EXPECT_EQ(runtime.filename().string().rfind("libsuitert", 0), 0u) << runtime;
  EXPECT_EQ(RegistrationFilePath(), (runtime.parent_path() / "components.reg").string());
}

TEST(ClassTable, HandsOutClassesAndCountsLiveObjects) {
  ClassTable table({ThingClass("T.One", "{T1}"), ThingClass("T.Two")});
  const ClassInfo* info = nullptr;
  EXPECT_EQ(table.GetClassObject("t.ONE", &info), 0);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(table.GetClassObject("{t1}", &info), 0);
  EXPECT_EQ(info->progId, "T.One");
  EXPECT_EQ(table.GetClassObject("T.Three", &info), hr::kClassNotAvailable);
  EXPECT_EQ(info, nullptr);

  EXPECT_EQ(table.CanUnloadNow(), 0);
  ObjectPtr one = table.Classes()[0].create();
  ObjectPtr two = table.Classes()[1].create();
  EXPECT_EQ(table.CanUnloadNow(), 1);
  one.reset();
  auto typed = two->As<Thing>();  // the object's own pointer is the counted one
  two.reset();
  EXPECT_EQ(table.CanUnloadNow(), 1);
  typed.reset();
  EXPECT_EQ(table.CanUnloadNow(), 0);
}

}  // namespace
}  // namespace rt
