// Tests of "Scripting.FileSystemObject": removal that checks before it
// deletes, literal names, links left unfollowed, VB's errors.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "runtime/registry.h"
#include "tests/common/raised_by.h"
#include "tests/common/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class Fso : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (folder_.path() / name).string(); }
  void Touch(const std::string& name) const { testfs::WriteFile(Path(name), name); }
  // Every entry under the folder, relative, sorted, links marked with "@".
  std::string Tree() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder_.path())) {
      names.push_back(fs::relative(entry.path(), folder_.path()).string() +
                      (entry.is_symlink() ? "@" : ""));
    }
    std::sort(names.begin(), names.end());
    std::string text;
    for (const std::string& n : names) text += n + " ";
    return text;
  }
  // "number source description" of a call that must fail.
  std::string Refusal(const char* member, const std::string& path, rt::Variant force = rt::Variant::Missing()) {
    rt::Args args{rt::Variant(path)};
    if (!force.IsMissing()) args.push_back(force);
    rt::ComError e = RaisedBy([&] { fso_->Call(member, args); });
    return std::to_string(e.number()) + " " + e.source() + " " + e.description();
  }
  bool Ask(const char* member, const std::string& path) {
    return rt::CBool(fso_->Call(member, {rt::Variant(path)}));
  }

  testfs::TempFolder folder_;
  rt::ObjectPtr fso_ = rt::CreateObject("Scripting.FileSystemObject");
};

TEST_F(Fso, DeleteFolderRefusesADeepReadOnlyFileBeforeRemovingAnything) {
  // The test runs as root as well, whom the system lets write anything: the
  // refusal must come from the file's own mode.
  fs::create_directories(Path("p/a/b/c"));
  Touch("p/first.txt");
  Touch("p/a/b/c/deep.txt");
  Touch("p/z.txt");
  ::chmod(Path("p/a/b/c/deep.txt").c_str(), 0444);
  const std::string before = Tree();
  EXPECT_EQ(Refusal("DeleteFolder", Path("p")), "70 Scripting.FileSystemObject Permission denied");
  EXPECT_EQ(Refusal("DeleteFolder", Path("p"), rt::Variant(false)),
            "70 Scripting.FileSystemObject Permission denied");
  EXPECT_EQ(Tree(), before);

  ::chmod(Path("p/a/b").c_str(), 0555);  // a read-only folder refuses as well
  ::chmod(Path("p/a/b/c/deep.txt").c_str(), 0644);
  EXPECT_EQ(Refusal("DeleteFolder", Path("p")), "70 Scripting.FileSystemObject Permission denied");
  EXPECT_EQ(Tree(), before);

  fso_->Call("DeleteFolder", {rt::Variant(Path("p")), rt::Variant(true)});
  EXPECT_EQ(Tree(), "");
}

TEST_F(Fso, LinksAreRemovedNeverFollowed) {
  fs::create_directories(Path("target"));
  Touch("target/kept.txt");
  fs::create_directories(Path("p"));
  fs::create_directory_symlink(Path("target"), Path("p/link"));
  fs::create_directory_symlink(Path("target"), Path("alias"));
  Touch("target/readonly.txt");
  ::chmod(Path("target/readonly.txt").c_str(), 0444);  // beyond the link: not checked

  fso_->Call("DeleteFolder", {rt::Variant(Path("p"))});
  fso_->Call("DeleteFolder", {rt::Variant(Path("alias") + "/")});
  fso_->Call("DeleteFile", {rt::Variant(Path("target/readonly.txt")), rt::Variant(true)});
  EXPECT_EQ(Tree(), "target target/kept.txt ");
}

TEST_F(Fso, WildcardsAreLiteralCharacters) {
  Touch("remaining_prices_a.xml");
  Touch("remaining_prices_*.xml");
  fs::create_directories(Path("dir1"));
  EXPECT_TRUE(Ask("FileExists", Path("remaining_prices_*.xml")));
  fso_->Call("DeleteFile", {rt::Variant(Path("remaining_prices_*.xml"))});
  EXPECT_EQ(Refusal("DeleteFile", Path("remaining_prices_*.xml")),
            "53 Scripting.FileSystemObject File not found");
  EXPECT_EQ(Refusal("DeleteFile", Path("remaining_prices_?.xml")),
            "53 Scripting.FileSystemObject File not found");
  EXPECT_EQ(Refusal("DeleteFolder", Path("dir*")), "76 Scripting.FileSystemObject Path not found");
  EXPECT_FALSE(Ask("FolderExists", Path("dir?")));
  EXPECT_EQ(Tree(), "dir1 remaining_prices_a.xml ");

  // A name holding NUL is not cut short at it.
  const std::string cut = Path("remaining_prices_a.xml") + std::string(1, '\0') + "x";
  EXPECT_FALSE(Ask("FileExists", cut));
  EXPECT_EQ(Refusal("DeleteFile", cut), "53 Scripting.FileSystemObject File not found");
  // Neither is a folder named by "." emptied before its removal fails.
  Touch("dir1/kept.txt");
  EXPECT_EQ(Refusal("DeleteFolder", Path("dir1/.")),
            "75 Scripting.FileSystemObject Path/File access error");
  EXPECT_EQ(Tree(), "dir1 dir1/kept.txt remaining_prices_a.xml ");
}

TEST_F(Fso, ExistenceCreationAndFileRemovalAnswerVbsErrors) {
  Touch("file.txt");
  fs::create_directories(Path("folder"));
  EXPECT_TRUE(Ask("FileExists", Path("file.txt")));
  EXPECT_FALSE(Ask("FileExists", Path("folder")));
  EXPECT_TRUE(Ask("FolderExists", Path("folder")));
  EXPECT_FALSE(Ask("FolderExists", Path("file.txt")));
  EXPECT_FALSE(Ask("FolderExists", ""));

  fso_->Call("CreateFolder", {rt::Variant(Path("folder/new"))});
  EXPECT_TRUE(Ask("FolderExists", Path("folder/new")));
  EXPECT_EQ(Refusal("CreateFolder", Path("folder")), "58 Scripting.FileSystemObject File already exists");
  EXPECT_EQ(Refusal("CreateFolder", Path("file.txt")), "58 Scripting.FileSystemObject File already exists");
  EXPECT_EQ(Refusal("CreateFolder", Path("none/new")), "76 Scripting.FileSystemObject Path not found");

  EXPECT_EQ(Refusal("DeleteFile", Path("folder")), "53 Scripting.FileSystemObject File not found");
  EXPECT_EQ(Refusal("DeleteFolder", Path("file.txt")), "76 Scripting.FileSystemObject Path not found");
  EXPECT_EQ(Refusal("DeleteFolder", Path("none")), "76 Scripting.FileSystemObject Path not found");
  ::chmod(Path("file.txt").c_str(), 0400);
  EXPECT_EQ(Refusal("DeleteFile", Path("file.txt")), "70 Scripting.FileSystemObject Permission denied");
  fso_->Call("DeleteFile", {rt::Variant(Path("file.txt")), rt::Variant(true)});
  fso_->Call("DeleteFolder", {rt::Variant(Path("folder"))});
  EXPECT_EQ(Tree(), "");
}

}  // namespace
