// The last Communicator profile, read from nsreg.dat files that the
// registry library itself writes into the test's Windows directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fake_platform.h"
#include "main_window_fixture.h"
#include "mopwell.h"
#include "nsreg/nsreg.h"
#include "nsreg_file.h"

namespace {

class ProfileLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake = std::make_unique<FakePlatform>();
    lstrcpyA(RegProfileDir, "stale");
    lstrcpyA(CurrentUser, "stale");
    Udata4[0] = '\0';
  }
  void TearDown() override { fake.reset(); }
  // Every open was matched by a close: nothing holds the file any more.
  void ExpectFileReleased() {
    std::string file = fake->windowsDir + "\\nsreg.dat";
    EXPECT_TRUE(DeleteFileA(file.c_str())) << "nsreg.dat still held open";
  }
  std::unique_ptr<FakePlatform> fake;
};

}  // namespace

TEST_F(ProfileLookupTest, NoRegistryFileLeavesOnlyABackslash) {
  CheckNSReg();
  EXPECT_STREQ(CurrentUser, "");
  EXPECT_STREQ(RegProfileDir, "\\");
}

TEST_F(ProfileLookupTest, LastUserAndTheirFolder) {
  WriteRegistry(fake->windowsDir, "Mary",
                {{"Mary", "C:\\Program Files\\Netscape\\Users\\mary"}, {"John", "C:\\john"}});
  CheckNSReg();
  EXPECT_STREQ(CurrentUser, "Mary");
  EXPECT_STREQ(RegProfileDir, "C:\\Program Files\\Netscape\\Users\\mary\\");
  EXPECT_STREQ(Udata4, "");
  ExpectFileReleased();
}

TEST_F(ProfileLookupTest, NoLastUserGivesTheSameAsNoFile) {
  WriteRegistry(fake->windowsDir, "", {{"Mary", "C:\\mary"}});
  CheckNSReg();
  EXPECT_STREQ(CurrentUser, "");
  EXPECT_STREQ(RegProfileDir, "\\");
  ExpectFileReleased();
}

TEST_F(ProfileLookupTest, ProfileWithoutLocationLeavesItsName) {
  WriteRegistry(fake->windowsDir, "Mary", {{"Mary", ""}});
  CheckNSReg();
  EXPECT_STREQ(CurrentUser, "Mary");
  EXPECT_STREQ(RegProfileDir, "Mary\\");
}

TEST_F(ProfileLookupTest, LongNamesAreCutForTheUserField) {
  std::string name = "Abcdefghijklmnopqrstuvwxyz0123";  // 30 characters
  WriteRegistry(fake->windowsDir, name, {{name, "C:\\profiles\\abc"}});
  CheckNSReg();
  EXPECT_STREQ(CurrentUser, name.substr(0, 24).c_str());
  EXPECT_STREQ(RegProfileDir, "C:\\profiles\\abc\\");
}

TEST_F(ProfileLookupTest, LocationsLongerThan255AreNotRead) {
  std::string location = "C:\\" + std::string(260, 'p');
  WriteRegistry(fake->windowsDir, "Mary", {{"Mary", location}});
  CheckNSReg();
  EXPECT_STREQ(RegProfileDir, "Mary\\");
}

TEST_F(ProfileLookupTest, GuestProfileUsesTheGuestKeyAndHasNoIdentity) {
  WriteRegistry(fake->windowsDir, "guest",
                {{"guest", "C:\\Netscape\\Users\\guest"}, {"guest%20user", "C:\\Netscape\\Users\\guestuser"}});
  CheckNSReg();
  EXPECT_STREQ(CurrentUser, "guest_us");
  EXPECT_STREQ(RegProfileDir, "C:\\Netscape\\Users\\guestuser\\");
  EXPECT_STREQ(Udata4, "Guest user has no ID!");
  ExpectFileReleased();
}

TEST_F(ProfileLookupTest, AFolderNamedLikeAGuestbookAlsoTakesTheGuestBranch) {
  WriteRegistry(fake->windowsDir, "Mary", {{"Mary", "C:\\guestbook\\mary"}});
  CheckNSReg();
  EXPECT_STREQ(CurrentUser, "guest_us");
  EXPECT_STREQ(RegProfileDir, "Mary\\");
  EXPECT_STREQ(Udata4, "Guest user has no ID!");
  ExpectFileReleased();
}

TEST_F(ProfileLookupTest, ADamagedFileIsTreatedAsNoProfile) {
  WriteFileBytes(fake->windowsDir + "\\nsreg.dat", std::string(200, '\xff'));
  CheckNSReg();
  EXPECT_STREQ(RegProfileDir, "\\");
  EXPECT_STREQ(CurrentUser, "");
}

// A preview looks the profile up without changing the browser's file: not
// a header that lags behind the file's end, not an empty file (which the
// library would make a new registry of). The ordinary lookup does both,
// so the comparisons below are not ones that hold whatever happens.
TEST_F(ProfileLookupTest, ReadOnlyLookupLeavesTheBrowsersFileByteForByte) {
  std::string file = fake->windowsDir + "\\nsreg.dat";
  WriteRegistry(fake->windowsDir, "Mary", {{"Mary", "C:\\profiles\\mary"}});
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(file, bytes));
  bytes += std::string(32, '\x5a');  // written after the header was
  ASSERT_TRUE(WriteFileBytes(file, bytes));

  bool was = LookUpReadOnly(true);
  EXPECT_FALSE(was);
  CheckNSReg();
  EXPECT_STREQ(CurrentUser, "Mary");
  EXPECT_STREQ(RegProfileDir, "C:\\profiles\\mary\\");
  std::string after;
  ASSERT_TRUE(ReadFileBytes(file, after));
  EXPECT_TRUE(after == bytes) << "the header was rewritten";

  ASSERT_TRUE(WriteFileBytes(file, ""));
  CheckNSReg();
  EXPECT_STREQ(CurrentUser, "");
  ASSERT_TRUE(ReadFileBytes(file, after));
  EXPECT_EQ(after.size(), 0u) << "an empty file was made a registry";
  EXPECT_TRUE(LookUpReadOnly(false));

  // The ordinary lookup.
  CheckNSReg();
  ASSERT_TRUE(ReadFileBytes(file, after));
  EXPECT_GT(after.size(), 0u);
  ExpectFileReleased();
}

TEST_F(MainWindowTest, StartupLearnsTheLastProfileBeforeDiscovery) {
  WriteRegistry(fake->windowsDir, "Mary", {{"Mary", "C:\\mary"}});
  SetIni("Options", "NT", "2");
  Start();
  EXPECT_STREQ(CurrentUser, "Mary");
  EXPECT_STREQ(RegProfileDir, "C:\\mary\\");
}
