// The tests' own way to Unix programs must leave the test process as it
// was: one test program runs every test, and a handle lost or closed by
// one test broke the named events and mutexes of the tests after it.
#include <windows.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "fake_platform.h"
#include "folder_link.h"
#include "unix_program.h"

namespace {

// The handle values open in this process (Wine gives them out from 4 up,
// lowest free first).
std::set<ULONG_PTR> OpenHandles() {
  std::set<ULONG_PTR> open;
  for (ULONG_PTR value = 4; value < 0x4000; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) open.insert(value);
  }
  return open;
}

std::string Listed(const std::set<ULONG_PTR>& handles) {
  std::string text;
  char one[32];
  for (ULONG_PTR h : handles) {
    wsprintfA(one, " %lx", static_cast<unsigned long>(h));
    text += one;
  }
  return text.empty() ? " none" : text;
}

std::set<ULONG_PTR> Minus(const std::set<ULONG_PTR>& a, const std::set<ULONG_PTR>& b) {
  std::set<ULONG_PTR> left;
  for (ULONG_PTR h : a)
    if (!b.count(h)) left.insert(h);
  return left;
}

}  // namespace

TEST(UnixProgramTest, StartingUnixProgramsLeavesThisProcesssHandlesAsTheyWere) {
  ASSERT_TRUE(StartUnixProgram("Z:\\bin\\true"));  // whatever Wine opens once, it opens now
  const std::set<ULONG_PTR> before = OpenHandles();
  for (int i = 0; i < 8; ++i) ASSERT_TRUE(StartUnixProgram("Z:\\bin\\true")) << i;
  const std::set<ULONG_PTR> after = OpenHandles();
  EXPECT_EQ(after, before) << "closed:" << Listed(Minus(before, after)) << "; opened:" << Listed(Minus(after, before));
}

TEST(UnixProgramTest, FolderLinksMadeAndRemovedLeaveNamedObjectsWorking) {
  FakePlatform fake;
  const std::string target = fake.Folder("target");
  { FolderLink first(fake.root + "\\first", target); }  // whatever Wine opens once, it opens now
  const std::set<ULONG_PTR> before = OpenHandles();
  for (int i = 0; i < 8; ++i) {
    FolderLink link(fake.root + "\\link" + std::to_string(i), target);
    ASSERT_TRUE(link.ok()) << i;
  }
  const std::set<ULONG_PTR> after = OpenHandles();
  EXPECT_EQ(after, before) << "closed:" << Listed(Minus(before, after)) << "; opened:" << Listed(Minus(after, before));
  const std::string name = "MopwellTestNamed-" + std::to_string(GetCurrentProcessId());
  HANDLE named = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
  EXPECT_NE(named, nullptr) << "error " << GetLastError();
  if (named) CloseHandle(named);
}

// A link whose target went first (a link to a link, removed in the wrong
// order, or a target a step took) is neither listed nor removable through
// Win32 under Wine. It must still go with its test, and a world holding
// one must not outlive the test that made it.
TEST(UnixProgramTest, ALinkWhoseTargetIsGoneIsStillRemovedAndTakesNoWorldAlong) {
  {
    FakePlatform fake;
    const std::string target = fake.Folder("target");
    const std::string first = fake.root + "\\first", second = fake.root + "\\second";
    FolderLink toTarget(first, target);
    FolderLink toFirst(second, first);
    ASSERT_TRUE(toTarget.ok() && toFirst.ok());
    ASSERT_TRUE(RemoveFolderLink(first));
    EXPECT_EQ(GetFileAttributesA(second.c_str()), INVALID_FILE_ATTRIBUTES) << "Win32 no longer sees the link";
    EXPECT_EQ(NamesIn(fake.root).count("second"), 0u) << "nor lists it";
    ASSERT_EQ(RunUnixShell("[ -L '" + UnixName(second) + "' ]"), "") << "yet it is there";
    std::string why;
    EXPECT_TRUE(RemoveFolderLink(second, &why)) << why;
    EXPECT_NE(RunUnixShell("[ -L '" + UnixName(second) + "' ]"), "") << "the link itself is gone";
    EXPECT_NE(GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES) << "what it led to stays";
  }

  // One left behind on purpose: the test that leaves it fails, saying so,
  // and the world goes all the same.
  auto fake = std::make_unique<FakePlatform>();
  const std::string root = fake->root, target = fake->Folder("target");
  {
    FolderLink first(root + "\\first", target);
    ASSERT_EQ(RunUnixShell("ln -s '" + UnixName(root + "\\first") + "' '" + UnixName(root) + "/second'"), "");
  }
  ::testing::TestPartResultArray failures;
  {
    ::testing::ScopedFakeTestPartResultReporter reporter(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
    fake.reset();
  }
  ASSERT_EQ(failures.size(), 1);
  EXPECT_NE(std::string(failures.GetTestPartResult(0).message()).find("could not be removed"), std::string::npos)
      << failures.GetTestPartResult(0).message();
  EXPECT_EQ(GetFileAttributesA(root.c_str()), INVALID_FILE_ATTRIBUTES);
}
