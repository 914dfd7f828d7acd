#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
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
    // The look ahead tells what will happen, and so does the wipe.
    const char* foreseen = "";
    EXPECT_EQ(WouldWipe(path.c_str(), nullptr, &foreseen), WipeOutcome::Destroyed);
    EXPECT_STREQ(foreseen, "overwritten, but its name stays: held open by another program");
    const char* why = "";
    EXPECT_EQ(nukeIt(path.c_str(), nullptr, &why), WipeOutcome::Destroyed);
    EXPECT_STREQ(why, foreseen);
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
  const char* foreseen = "not asked";
  EXPECT_EQ(WouldWipe(path.c_str(), nullptr, &foreseen), WipeOutcome::Destroyed);
  EXPECT_STREQ(foreseen, "");
  const char* why = "not asked";
  EXPECT_EQ(nukeIt(path.c_str(), nullptr, &why), WipeOutcome::Destroyed);
  EXPECT_STREQ(why, "");
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

// ---- What the wipe may not destroy, and what it reports ----

TEST_F(WipeTest, OutcomesSayWhatBecameOfEachFile) {
  std::string plain = In("plain.txt"), readOnly = In("readonly.txt"), folder = In("folder");
  ASSERT_TRUE(WriteFileBytes(plain, "plain"));
  ASSERT_TRUE(WriteFileBytes(readOnly, "kept"));
  ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_EQ(nukeIt(plain.c_str()), WipeOutcome::Destroyed);
  EXPECT_EQ(nukeIt(readOnly.c_str()), WipeOutcome::Left);
  EXPECT_EQ(nukeIt(folder.c_str()), WipeOutcome::Missing);
  EXPECT_EQ(nukeIt(In("not-there.txt").c_str()), WipeOutcome::Missing);
  EXPECT_EQ(nukeIt(""), WipeOutcome::Missing);
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A cache file that is a second name of a document elsewhere: overwriting
// it in place would put the marker into the user's document.
TEST_F(WipeTest, AFileWithASecondNameLosesOnlyTheNameGiven) {
  std::string document = fake->Folder("documents") + "\\letter.txt", cached = In("cached.dat");
  ASSERT_TRUE(WriteFileBytes(document, "the user's letter"));
  ASSERT_TRUE(CreateHardLinkA(cached.c_str(), document.c_str(), nullptr)) << GetLastError();
  EXPECT_EQ(nukeIt(cached.c_str()), WipeOutcome::Unshared);
  EXPECT_EQ(seen.calls, 0) << "nothing may be written into a shared file";
  EXPECT_FALSE(FileExists(cached));
  std::string after;
  ASSERT_TRUE(ReadFileBytes(document, after));
  EXPECT_EQ(after, "the user's letter");
}

// A browser may hold its cookie file sharing reading and deleting but not
// writing: a delete would succeed, hiding the name while the bytes stay.
TEST_F(WipeTest, AFileThatCannotBeOverwrittenIsNeverDeleted) {
  std::string path = In("cookies.txt");
  ASSERT_TRUE(WriteFileBytes(path, "held by the browser"));
  {
    HeldFile browser(path, "rd");
    ASSERT_TRUE(browser.ok());
    EXPECT_EQ(nukeIt(path.c_str()), WipeOutcome::Left);
    EXPECT_EQ(seen.calls, 0);
  }
  std::string after;
  ASSERT_TRUE(ReadFileBytes(path, after)) << "the file outlives its holder";
  EXPECT_EQ(after, "held by the browser");
}

namespace {

struct RenameSeen {
  std::string renamed;
  std::set<std::string> names;  // of the folder at that moment
};

void ObserveRename(const char*, const char* renamed, void* context) {
  RenameSeen* seen = static_cast<RenameSeen*>(context);
  seen->renamed = renamed;
  std::string folder(renamed);
  seen->names = NamesIn(folder.substr(0, folder.find_last_of('\\')));
}

}  // namespace

// The folder must not keep the user's file name: before the delete the
// entry already carries a name of the same length made of one letter.
TEST_F(WipeTest, TheNameIsReplacedBeforeTheFileIsDeleted) {
  std::string path = In("secret-name.txt");
  ASSERT_TRUE(WriteFileBytes(path, "data"));
  RenameSeen rename;
  SetRenameObserver(ObserveRename, &rename);
  WipeOutcome outcome = nukeIt(path.c_str());
  SetRenameObserver(nullptr, nullptr);
  EXPECT_EQ(outcome, WipeOutcome::Destroyed);
  std::string name = rename.renamed.substr(rename.renamed.find_last_of('\\') + 1);
  EXPECT_EQ(rename.names, std::set<std::string>{name}) << "only the renamed entry is there";
  ASSERT_EQ(name.size(), std::string("secret-name.txt").size());
  EXPECT_EQ(name, std::string(name.size(), name[0]));
  EXPECT_EQ(FilesInDir(), 0);
}

// The overwrite fails after the file was opened: the disk refuses the first
// write, fills up after the first of several writes, or the flush fails.
// The file is never deleted unwiped, and says so; a refused first write
// leaves every byte as it was.
TEST_F(WipeTest, AWriteOrFlushThatFailsLeavesTheFileAndSaysSo) {
  struct Case {
    const char* name;
    bool failWrites, failFlushes;
    int writesLeft;
    bool whole;  // not a byte changed
  };
  const Case cases[] = {
      {"the first write fails", true, false, -1, true},
      {"the disk fills after one write", false, false, 1, false},
      {"the flush fails", false, true, -1, false},
  };
  // Large enough for several writes of sixteen blocks.
  const std::string bytes(3 * 16 * 65535 + 17, 'u');
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = In("history.dat");
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    fake->failWrites = c.failWrites;
    fake->failFlushes = c.failFlushes;
    fake->writesLeft = c.writesLeft;
    std::uint64_t size = 0;
    const char* why = "";
    EXPECT_EQ(nukeIt(path.c_str(), &size, &why), WipeOutcome::Left);
    EXPECT_STREQ(why, "could not be overwritten");
    EXPECT_EQ(size, bytes.size());
    EXPECT_EQ(seen.calls, 0) << "never reached the delete";
    std::string after;
    ASSERT_TRUE(ReadFileBytes(path, after)) << "the file is still there";
    if (c.whole) {
      EXPECT_TRUE(after == bytes) << "whole";
    }
    EXPECT_EQ(FilesInDir(), 1) << "under its own name";
    fake->failWrites = fake->failFlushes = false;
    fake->writesLeft = -1;
    DeleteFileA(path.c_str());
  }
}

// Each file overwritten reaches the disk: one flush per file, through the
// platform, after its last write.
TEST_F(WipeTest, EveryOverwrittenFileIsFlushed) {
  const std::size_t sizes[] = {0, 10, 65535, 65536, 16 * 65535 + 1};
  for (std::size_t i = 0; i < std::size(sizes); ++i)
    ASSERT_TRUE(WriteFileBytes(In("f" + std::to_string(i)), std::string(sizes[i], 'x')));
  for (std::size_t i = 0; i < std::size(sizes); ++i)
    EXPECT_EQ(nukeIt(In("f" + std::to_string(i)).c_str()), WipeOutcome::Destroyed) << sizes[i];
  EXPECT_EQ(fake->flushes, static_cast<int>(std::size(sizes)));
  // Blocks of sixteen per write: 1, 1, 1, 1 and 2 writes.
  EXPECT_EQ(fake->writes, 6);
  EXPECT_EQ(FilesInDir(), 0);
}
