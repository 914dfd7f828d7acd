// prefs.js on disk: loading, writing back, and the cases where the user's
// file must stay exactly as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "fake_platform.h"
#include "globals.h"
#include "held_file.h"
#include "prefs_file.h"
#include "text/bounded.h"

namespace {

const char kPrefs[] =
    "// Mozilla User Preferences\r\n"
    "user_pref(\"browser.cache.directory\", \"C:\\\\Netscape\\\\Users\\\\joe\\\\cache\");\r\n"
    "user_pref(\"mail.identity.username\", \"Joe Bloggs\");\r\n"
    "user_pref(\"javascript.enabled\", true);\r\n";

class PrefsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake = std::make_unique<FakePlatform>();
    profile = fake->root + "\\profile";
    ASSERT_TRUE(CreateDirectoryA(profile.c_str(), nullptr));
    path = profile + "\\prefs.js";
    savedProfileDir = ProfileDir;
    SetProfileDir(profile);
  }
  void TearDown() override {
    LoadPrefsFile(nullptr);  // the table holds no file any more
    text::CopyWhole(ProfileDir, savedProfileDir);
    fake.reset();
  }
  static void SetProfileDir(const std::string& dir) { ASSERT_TRUE(text::CopyWhole(ProfileDir, dir)); }
  std::string Read(const std::string& file) const {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(file, bytes)) << file;
    return bytes;
  }
  std::set<std::string> FilesInProfile() const { return NamesIn(profile); }
  // Volume and index of the file at `file`: a new file is swapped in when
  // they change, the same one was rewritten when they do not.
  static std::string FileId(const std::string& file) {
    HANDLE h = CreateFileA(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    bool ok = h != INVALID_HANDLE_VALUE && GetFileInformationByHandle(h, &info);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    if (!ok) return "?";
    return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + ":" +
           std::to_string(info.nFileIndexLow);
  }
  const std::set<std::string> justPrefs{"prefs.js"};

  std::unique_ptr<FakePlatform> fake;
  std::string profile, path, savedProfileDir;
};

}  // namespace

TEST_F(PrefsFileTest, UnchangedFileIsWrittenBackByteForByte) {
  std::string file = kPrefs;
  for (int i = 0; i < 400; ++i) file += "user_pref(\"x." + std::to_string(i) + "\", \"" + std::string(600, 'v') + "\");\r\n";
  ASSERT_TRUE(WriteFileBytes(path, file));
  ASSERT_TRUE(LoadPrefsFile(path.c_str()));
  EXPECT_EQ(LineCount, 404);
  std::string before = FileId(path);
  EXPECT_TRUE(WritePrefsFile());
  EXPECT_NE(FileId(path), before) << "a complete new file took the old one's place";
  EXPECT_EQ(std::string(PrefsFile), path);
  EXPECT_EQ(Read(path), file);
  EXPECT_EQ(FilesInProfile(), justPrefs) << "no temporary file stays behind";
}

TEST_F(PrefsFileTest, EditsReachTheDiskAndAnUnendedLastLineIsKept) {
  ASSERT_TRUE(WriteFileBytes(path, std::string(kPrefs) + "user_pref(\"security.enable_java\", true);"));
  ASSERT_TRUE(LoadPrefsFile(path.c_str()));
  ASSERT_TRUE(ReplacePrefLine(FindPrefLine("javascript.enabled"),
                              "\nuser_pref(\"browser.url_history.URL_17\", \"\");"));
  ASSERT_TRUE(AppendPrefLine("\nuser_pref(\"browser.url_history.URL_16\", \"\");"));
  EXPECT_TRUE(WritePrefsFile());
  EXPECT_EQ(Read(path),
            "// Mozilla User Preferences\r\n"
            "user_pref(\"browser.cache.directory\", \"C:\\\\Netscape\\\\Users\\\\joe\\\\cache\");\r\n"
            "user_pref(\"mail.identity.username\", \"Joe Bloggs\");\r\n"
            "user_pref(\"browser.url_history.URL_17\", \"\");\r\n"
            "user_pref(\"security.enable_java\", true);\r\n"
            "user_pref(\"browser.url_history.URL_16\", \"\");\r\n");
  EXPECT_EQ(FilesInProfile(), justPrefs);
}

TEST_F(PrefsFileTest, ProfilePathEndingInABackslashGivesOneBackslash) {
  ASSERT_TRUE(WriteFileBytes(path, kPrefs));
  ASSERT_TRUE(LoadPrefsFile((profile + "\\\\prefs.js").c_str()));
  SetProfileDir(profile + "\\");
  ASSERT_TRUE(AppendPrefLine("\nuser_pref(\"x\", 1);"));
  EXPECT_TRUE(WritePrefsFile());
  EXPECT_EQ(std::string(PrefsFile), path);
  EXPECT_EQ(Read(path), std::string(kPrefs) + "user_pref(\"x\", 1);\r\n");
}

TEST_F(PrefsFileTest, ReadOnlyFileIsLeftUntouchedEvenWhereWineWouldWrite) {
  ASSERT_TRUE(WriteFileBytes(path, kPrefs));
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(LoadPrefsFile(path.c_str()));
  ASSERT_TRUE(AppendPrefLine("\nuser_pref(\"x\", 1);"));
  EXPECT_FALSE(WritePrefsFile());
  EXPECT_EQ(Read(path), kPrefs);
  EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(FilesInProfile(), justPrefs);
}

TEST_F(PrefsFileTest, HiddenFileStaysHidden) {
  ASSERT_TRUE(WriteFileBytes(path, kPrefs));
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  ASSERT_TRUE(LoadPrefsFile(path.c_str()));
  ASSERT_TRUE(AppendPrefLine("\nuser_pref(\"x\", 1);"));
  ASSERT_TRUE(WritePrefsFile());
  EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, DWORD(FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(Read(path), std::string(kPrefs) + "user_pref(\"x\", 1);\r\n");
}

TEST_F(PrefsFileTest, FileHeldWithoutDeleteSharingIsRewrittenInPlace) {
  std::string longLine = "user_pref(\"browser.url_history.URL_1\", \"" + std::string(3000, 'u') + "\");\r\n";
  ASSERT_TRUE(WriteFileBytes(path, std::string(kPrefs) + longLine));
  std::string expected =
      std::string(kPrefs) + "user_pref(\"browser.url_history.URL_1\", \"\");\r\n" + "user_pref(\"x\", 1);\r\n";
  {
    HeldFile browser(path, "rw");
    ASSERT_TRUE(browser.ok());
    std::string before = FileId(path);
    ASSERT_TRUE(LoadPrefsFile(path.c_str()));
    // The file gets shorter: the old end must not stay behind.
    ASSERT_TRUE(ReplacePrefLine(FindPrefLine("URL_1"), "\nuser_pref(\"browser.url_history.URL_1\", \"\");"));
    ASSERT_TRUE(AppendPrefLine("\nuser_pref(\"x\", 1);"));
    EXPECT_TRUE(WritePrefsFile());
    EXPECT_EQ(FileId(path), before) << "rewritten in place";
    EXPECT_EQ(Read(path), expected);
    EXPECT_EQ(FilesInProfile(), justPrefs);
  }
  EXPECT_EQ(Read(path), expected);
}

TEST_F(PrefsFileTest, FileHeldWithoutWriteSharingStaysAndNoTemporaryFileIsLeft) {
  ASSERT_TRUE(WriteFileBytes(path, kPrefs));
  {
    HeldFile browser(path, "r");
    ASSERT_TRUE(browser.ok());
    ASSERT_TRUE(LoadPrefsFile(path.c_str()));
    ASSERT_TRUE(AppendPrefLine("\nuser_pref(\"x\", 1);"));
    EXPECT_FALSE(WritePrefsFile());
    EXPECT_EQ(FilesInProfile(), justPrefs);
  }
  EXPECT_EQ(Read(path), kPrefs);
  // Once the other program lets go, the kept edit is written.
  EXPECT_TRUE(WritePrefsFile());
  EXPECT_EQ(Read(path), std::string(kPrefs) + "user_pref(\"x\", 1);\r\n");
}

TEST_F(PrefsFileTest, FileThatCouldNotBeReadIsNeverOverwritten) {
  ASSERT_TRUE(WriteFileBytes(path, kPrefs));
  int openedCalls = 0;
  static int* counter;
  counter = &openedCalls;
  {
    HeldFile browser(path, "w");  // no read sharing
    ASSERT_TRUE(browser.ok());
    EXPECT_FALSE(LoadPrefsFile(path.c_str(), [] { ++*counter; }));
  }
  EXPECT_EQ(openedCalls, 0);
  EXPECT_EQ(LineCount, 0);
  EXPECT_EQ(FindPrefLine("javascript.enabled"), 1);
  ASSERT_TRUE(AppendPrefLine("\nuser_pref(\"browser.url_history.URL_16\", \"\");"));
  EXPECT_FALSE(WritePrefsFile());
  EXPECT_EQ(Read(path), kPrefs);

  // The same once it can be read.
  EXPECT_TRUE(LoadPrefsFile(path.c_str(), [] { ++*counter; }));
  EXPECT_EQ(openedCalls, 1);
  EXPECT_EQ(LineCount, 4);
}

TEST_F(PrefsFileTest, TableLoadedFromAnotherFileNeverOverwritesThisOne) {
  ASSERT_TRUE(WriteFileBytes(path, kPrefs));
  std::string other = fake->root + "\\other.js";
  ASSERT_TRUE(WriteFileBytes(other, "user_pref(\"a\", 1);\r\n"));
  ASSERT_TRUE(LoadPrefsFile(other.c_str()));
  EXPECT_FALSE(WritePrefsFile());
  EXPECT_EQ(Read(path), kPrefs);

  // Nor does a table whose last load failed, after an earlier good one.
  ASSERT_TRUE(LoadPrefsFile(path.c_str()));
  EXPECT_FALSE(LoadPrefsFile((profile + "\\missing.js").c_str()));
  EXPECT_FALSE(WritePrefsFile());
  EXPECT_EQ(Read(path), kPrefs);
}

TEST_F(PrefsFileTest, MissingFileIsCreatedWithTheAppendedLines) {
  EXPECT_FALSE(LoadPrefsFile(path.c_str()));
  ASSERT_TRUE(AppendPrefLine("\nuser_pref(\"browser.url_history.URL_16\", \"\");"));
  ASSERT_TRUE(WritePrefsFile());
  EXPECT_EQ(Read(path), "\r\nuser_pref(\"browser.url_history.URL_16\", \"\");\r\n");
  // The table now holds that file: later writes of the same run go on.
  ASSERT_TRUE(AppendPrefLine("\nuser_pref(\"browser.url_history.URL_17\", \"\");"));
  ASSERT_TRUE(WritePrefsFile());
  EXPECT_EQ(Read(path),
            "\r\nuser_pref(\"browser.url_history.URL_16\", \"\");\r\n"
            "user_pref(\"browser.url_history.URL_17\", \"\");\r\n");
  EXPECT_EQ(FilesInProfile(), justPrefs);
}

TEST_F(PrefsFileTest, NothingAppendedCreatesASingleEmptyLine) {
  EXPECT_FALSE(LoadPrefsFile(path.c_str()));
  ASSERT_TRUE(WritePrefsFile());
  EXPECT_EQ(Read(path), "\r\n");
}

TEST_F(PrefsFileTest, WithoutAProfileFolderNothingIsWritten) {
  std::string cwd = fake->root + "\\cwd";
  CreateDirectoryA(cwd.c_str(), nullptr);
  char saved[MAX_PATH + 1] = "";
  GetCurrentDirectoryA(sizeof saved, saved);
  ASSERT_TRUE(SetCurrentDirectoryA(cwd.c_str()));
  bool rootFileBefore = FileExists("\\prefs.js");
  ASSERT_FALSE(LoadPrefsFile("prefs.js"));
  ASSERT_TRUE(AppendPrefLine("\nuser_pref(\"x\", 1);"));
  for (const char* dir : {"", "C:", "C:\\", "C:\\a"}) {
    SetProfileDir(dir);
    EXPECT_FALSE(WritePrefsFile()) << "'" << dir << "'";
  }
  EXPECT_EQ(FileExists("\\prefs.js"), rootFileBefore);
  EXPECT_EQ(FileExists("C:\\prefs.js"), rootFileBefore);
  EXPECT_FALSE(FileExists(cwd + "\\prefs.js"));
  SetCurrentDirectoryA(saved);

  // A profile folder that does not exist is not made.
  SetProfileDir(profile + "\\gone");
  EXPECT_FALSE(WritePrefsFile());
  EXPECT_FALSE(FileExists(profile + "\\gone"));
}

TEST_F(PrefsFileTest, AFolderNamedPrefsJsIsLeftAlone) {
  ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
  EXPECT_FALSE(LoadPrefsFile(path.c_str()));
  EXPECT_FALSE(WritePrefsFile());
  EXPECT_EQ(GetFileAttributesA(path.c_str()), DWORD(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(FilesInProfile(), justPrefs);
}

TEST_F(PrefsFileTest, FileTooLargeForAnyPrefsIsNeitherLoadedNorOverwritten) {
  std::string huge(prefs::kMaxFileBytes + 1, 'x');
  ASSERT_TRUE(WriteFileBytes(path, huge));
  EXPECT_FALSE(LoadPrefsFile(path.c_str()));
  EXPECT_EQ(LineCount, 0);
  EXPECT_FALSE(WritePrefsFile());
  EXPECT_EQ(Read(path).size(), huge.size());
}
