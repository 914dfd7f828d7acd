#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "fake_platform.h"
#include "folder_link.h"
#include "held_file.h"
#include "wipe.h"
#include "wipe_marker.h"

namespace {

// What the file held at the moment between the overwrite and the delete.
struct Seen {
  int calls = 0;
  std::string path;
  std::string bytes;
};

void Observe(const char* path, void* context) {
  Seen* seen = static_cast<Seen*>(context);
  ++seen->calls;
  seen->path = path;
  ReadFileBytes(path, seen->bytes);
}

class WipeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake = std::make_unique<FakePlatform>();
    dir = fake->root + "\\files";
    CreateDirectoryA(dir.c_str(), nullptr);
    SetWipeObserver(Observe, &seen);
  }
  void TearDown() override {
    SetWipeObserver(nullptr, nullptr);
    fake.reset();
  }
  std::string In(const std::string& name) const { return dir + "\\" + name; }
  int FilesInDir() const { return static_cast<int>(NamesIn(dir).size()); }
  std::unique_ptr<FakePlatform> fake;
  std::string dir;
  Seen seen;
};

using wipe_marker::IsWholeBlocks;

}  // namespace

TEST_F(WipeTest, SmallFileBecomesOneMarkerBlockThenIsGone) {
  std::string path = In("cookies.txt");
  ASSERT_TRUE(WriteFileBytes(path, "0123456789"));
  nukeIt(path.c_str());
  ASSERT_EQ(seen.calls, 1);
  EXPECT_EQ(seen.bytes.size(), 65535u);
  EXPECT_TRUE(IsWholeBlocks(seen.bytes));
  EXPECT_FALSE(FileExists(path));
  EXPECT_EQ(FilesInDir(), 0) << "no renamed leftover";
}

TEST_F(WipeTest, EmptyFileStillReceivesTheMarker) {
  std::string path = In("empty");
  ASSERT_TRUE(WriteFileBytes(path, ""));
  nukeIt(path.c_str());
  EXPECT_EQ(seen.bytes.size(), 65535u);
  EXPECT_TRUE(IsWholeBlocks(seen.bytes));
  EXPECT_FALSE(FileExists(path));
}

TEST_F(WipeTest, EveryByteOfALargeFileIsOverwrittenBeforeDeletion) {
  std::string path = In("netscape.hst");
  std::string content(5 * 1024 * 1024 + 7, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>('A' + i % 23);
  ASSERT_TRUE(WriteFileBytes(path, content));
  nukeIt(path.c_str());
  ASSERT_EQ(seen.calls, 1);
  EXPECT_EQ(seen.bytes.size(), 81u * 65535u) << "whole blocks up to the first past the old end";
  EXPECT_TRUE(IsWholeBlocks(seen.bytes));
  EXPECT_FALSE(FileExists(path));
}

TEST_F(WipeTest, ExactMultipleOfTheBlockKeepsItsLength) {
  std::string path = In("two-blocks");
  ASSERT_TRUE(WriteFileBytes(path, std::string(2 * 65535, 'x')));
  nukeIt(path.c_str());
  EXPECT_EQ(seen.bytes.size(), 2u * 65535u);
  EXPECT_TRUE(IsWholeBlocks(seen.bytes));
}

TEST_F(WipeTest, MissingPathCreatesNothing) {
  std::string path = In("not-there.txt");
  nukeIt(path.c_str());
  EXPECT_EQ(seen.calls, 0);
  EXPECT_FALSE(FileExists(path));
  EXPECT_EQ(FilesInDir(), 0);
  nukeIt("");
  nukeIt(nullptr);
}

TEST_F(WipeTest, ReadOnlyFileSurvivesUntouched) {
  std::string path = In("bookmark.htm");
  ASSERT_TRUE(WriteFileBytes(path, "<keep me>"));
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  DWORD before = GetFileAttributesA(path.c_str());
  nukeIt(path.c_str());
  EXPECT_EQ(seen.calls, 0);
  std::string after;
  ASSERT_TRUE(ReadFileBytes(path, after));
  EXPECT_EQ(after, "<keep me>");
  EXPECT_EQ(GetFileAttributesA(path.c_str()), before);
}

TEST_F(WipeTest, FolderPathDoesNothing) {
  std::string folder = In("cache");
  CreateDirectoryA(folder.c_str(), nullptr);
  WriteFileBytes(folder + "\\inside", "data");
  nukeIt(folder.c_str());
  EXPECT_EQ(seen.calls, 0);
  EXPECT_TRUE(FileExists(folder));
  std::string inside;
  ASSERT_TRUE(ReadFileBytes(folder + "\\inside", inside));
  EXPECT_EQ(inside, "data");
}

TEST_F(WipeTest, AnotherFileWithTheRenameNameIsNeverReplaced) {
  // "cookies.txt" has 11 characters: the first rename candidate is 11 A's.
  std::string path = In("cookies.txt");
  std::string bystander = In("AAAAAAAAAAA");
  ASSERT_TRUE(WriteFileBytes(path, "cookie data"));
  ASSERT_TRUE(WriteFileBytes(bystander, "someone else's"));
  nukeIt(path.c_str());
  EXPECT_FALSE(FileExists(path));
  std::string kept;
  ASSERT_TRUE(ReadFileBytes(bystander, kept));
  EXPECT_EQ(kept, "someone else's");
  EXPECT_EQ(FilesInDir(), 1);
}

TEST_F(WipeTest, ARelativePathIsWipedInTheWorkingDirectory) {
  SetCurrentDirectoryA(dir.c_str());
  ASSERT_TRUE(WriteFileBytes(In("History.Database"), "history"));
  nukeIt("History.Database");
  EXPECT_EQ(seen.bytes.size(), 65535u);
  EXPECT_TRUE(IsWholeBlocks(seen.bytes));
  EXPECT_FALSE(FileExists(In("History.Database")));
  EXPECT_EQ(FilesInDir(), 0);
}

TEST_F(WipeTest, FileHeldOpenWithReadWriteSharingIsOverwrittenButStays) {
  std::string path = In("cookies.txt");
  ASSERT_TRUE(WriteFileBytes(path, "the browser holds this"));
  {
    HeldFile browser(path, "rw");
    ASSERT_TRUE(browser.ok());
    nukeIt(path.c_str());
    ASSERT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.bytes.size(), 65535u);
    // The holder did not allow deletion: the file stays, under its own name.
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(FilesInDir(), 1);
  }
  std::string after;
  ASSERT_TRUE(ReadFileBytes(path, after));
  EXPECT_TRUE(IsWholeBlocks(after));
  EXPECT_EQ(after.find("browser"), std::string::npos);
}

TEST_F(WipeTest, FileHeldOpenWithDeleteSharingIsOverwrittenAndDeleted) {
  std::string path = In("cookies.txt");
  ASSERT_TRUE(WriteFileBytes(path, "the browser holds this"));
  HeldFile browser(path, "rwd");
  ASSERT_TRUE(browser.ok());
  nukeIt(path.c_str());
  EXPECT_EQ(seen.calls, 1);
  EXPECT_FALSE(FileExists(path));
}

TEST_F(WipeTest, FileHeldWithoutWriteSharingIsNotTouched) {
  std::string path = In("cookies.txt");
  ASSERT_TRUE(WriteFileBytes(path, "locked"));
  {
    HeldFile browser(path, "r");
    ASSERT_TRUE(browser.ok());
    nukeIt(path.c_str());
    EXPECT_EQ(seen.calls, 0);
  }
  std::string after;
  ASSERT_TRUE(ReadFileBytes(path, after));
  EXPECT_EQ(after, "locked");
}

TEST_F(WipeTest, AFolderLinkIsLeftAlone) {
  std::string target = In("real-folder");
  CreateDirectoryA(target.c_str(), nullptr);
  WriteFileBytes(target + "\\precious", "data");
  std::string link = In("link-folder");
  FolderLink made(link, target);
  ASSERT_TRUE(made.ok()) << "a folder link is needed for this test";
  nukeIt(link.c_str());
  EXPECT_TRUE(FileExists(link)) << "the link itself stays";
  std::string kept;
  ASSERT_TRUE(ReadFileBytes(target + "\\precious", kept));
  EXPECT_EQ(kept, "data");
  EXPECT_EQ(seen.calls, 0);
}
