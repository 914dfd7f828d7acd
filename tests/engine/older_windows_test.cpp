// The programs on a Windows older than the functions they prefer. Where a
// later call has an older way beside it, each test runs the same cases
// twice in one process: first with the later call (a stand-in that counts
// its calls and passes them on), then with it missing, as on Windows XP.
// The first run must have used the later call, the second must not (a
// pointer kept from the first run would show here), and the results must
// agree, or be the older way's stated answer.
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "folder_link.h"
#include "places.h"
#include "wipe.h"
#include "wipe_marker.h"

using std::string;

namespace {

constexpr char kFileQuery[] = "GetFileInformationByHandleEx";
constexpr char kFinalPath[] = "GetFinalPathNameByHandleA";

int g_laterCalls = 0;

FARPROC RealProc(const char* name) { return plat::Platform().Proc("kernel32.dll", name); }

BOOL WINAPI CountedFileQuery(HANDLE file, int what, LPVOID info, DWORD size) {
  ++g_laterCalls;
  using Fn = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(RealProc(kFileQuery)))(file, what, info, size);
}

DWORD WINAPI CountedFinalPath(HANDLE file, LPSTR path, DWORD size, DWORD flags) {
  ++g_laterCalls;
  using Fn = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(RealProc(kFinalPath)))(file, path, size, flags);
}

class OlderWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    fake = std::make_unique<FakePlatform>();
    ASSERT_NE(RealProc(kFileQuery), nullptr) << "this Windows lacks the later call: the later way cannot run";
    ASSERT_NE(RealProc(kFinalPath), nullptr) << "this Windows lacks the later call: the later way cannot run";
    fake->procs[kFileQuery] = reinterpret_cast<FARPROC>(reinterpret_cast<void*>(CountedFileQuery));
    fake->procs[kFinalPath] = reinterpret_cast<FARPROC>(reinterpret_cast<void*>(CountedFinalPath));
    g_laterCalls = 0;
  }
  void TearDown() override {
    SetWipeObserver(nullptr, nullptr);
    fake.reset();
  }
  // From here on the later calls are missing.
  void BecomeXp() {
    fake->missingProcs = {kFileQuery, kFinalPath};
    g_laterCalls = 0;
  }
  static string LongOf(const string& path) {
    char buffer[4 * MAX_PATH] = "";
    DWORD n = GetLongPathNameA(path.c_str(), buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? string(buffer, n) : string("<none>");
  }
  std::unique_ptr<FakePlatform> fake;
};

void KeepBytes(const char* path, void* bytes) { ReadFileBytes(path, *static_cast<string*>(bytes)); }

// What the wipe made of each case, in one line per case.
string Outcome(WipeOutcome outcome, std::uint64_t size, const char* why) {
  const char* name = "?";
  switch (outcome) {
    case WipeOutcome::Destroyed: name = "Destroyed"; break;
    case WipeOutcome::NameOnly: name = "NameOnly"; break;
    case WipeOutcome::Unshared: name = "Unshared"; break;
    case WipeOutcome::Missing: name = "Missing"; break;
    case WipeOutcome::Left: name = "Left"; break;
  }
  return string(name) + " " + std::to_string(size) + " \"" + why + "\"";
}

}  // namespace

// The wipe reads the open file's size, its number of names and its
// attributes: a plain file is overwritten over its whole length and goes;
// a file with a second name loses only that name, and once it has one name
// left it would be wiped; a file made read-only between the first look and
// the open (here: at the moment the program looks for the later call) is
// left as it was.
TEST_F(OlderWindows, TheWipeKnowsSizeNamesAndAttributesWithoutTheLaterCall) {
  auto cases = [&](const string& way) {
    const string dir = fake->Folder(way), plain = dir + "\\netscape.hst";
    const string letter = dir + "\\letter.txt", cached = dir + "\\cached.dat", bookmarks = dir + "\\bookmark.htm";
    std::vector<string> seen;
    string overwritten, kept;
    auto wipe = [&](const string& path) {
      std::uint64_t size = 0;
      const char* why = "";
      WipeOutcome outcome = nukeIt(path.c_str(), &size, &why);
      seen.push_back(Outcome(outcome, size, why));
    };
    auto look = [&](const string& path) {
      std::uint64_t size = 0;
      const char* why = "";
      WipeOutcome outcome = WouldWipe(path.c_str(), &size, &why, false);
      seen.push_back("look: " + Outcome(outcome, size, why));
    };

    EXPECT_TRUE(WriteFileBytes(plain, string(70000, 'h')));
    SetWipeObserver(KeepBytes, &overwritten);
    wipe(plain);
    seen.push_back("overwritten " + std::to_string(overwritten.size()) +
                   (wipe_marker::IsWholeBlocks(overwritten) ? " marker" : " other") +
                   (FileExists(plain) ? " still there" : " gone"));

    EXPECT_TRUE(WriteFileBytes(letter, "the user's letter"));
    EXPECT_TRUE(CreateHardLinkA(cached.c_str(), letter.c_str(), nullptr)) << GetLastError();
    overwritten.clear();
    look(cached);
    wipe(cached);
    ReadFileBytes(letter, kept);
    seen.push_back("letter \"" + kept.substr(0, 40) + "\"" + (overwritten.empty() ? "" : " overwritten") +
                   (FileExists(cached) ? ", second name there" : ""));
    look(letter);

    EXPECT_TRUE(WriteFileBytes(bookmarks, "<keep me>"));
    fake->onProc = [&](const string& name) {
      if (name == kFileQuery) SetFileAttributesA(bookmarks.c_str(), FILE_ATTRIBUTE_READONLY);
    };
    wipe(bookmarks);
    fake->onProc = nullptr;
    ReadFileBytes(bookmarks, kept);
    seen.push_back("bookmarks \"" + kept.substr(0, 40) + "\"");
    return seen;
  };

  const std::vector<string> later = cases("later");
  EXPECT_GT(g_laterCalls, 0) << "the later call was not used";
  BecomeXp();
  const std::vector<string> older = cases("older");
  EXPECT_EQ(g_laterCalls, 0) << "the later call was used although missing";

  const std::vector<string> expected = {
      "Destroyed 70000 \"\"",
      "overwritten 131070 marker gone",
      "look: Unshared 17 \"one of several names of a file: only this name goes, the content stays\"",
      "Unshared 17 \"one of several names of a file: only this name goes, the content stays\"",
      "letter \"the user's letter\"",
      "look: Destroyed 17 \"\"",
      "Left 9 \"read-only\"",
      "bookmarks \"<keep me>\"",
  };
  EXPECT_EQ(later, expected);
  EXPECT_EQ(older, expected);
}

// A size past 4 GiB is read whole, its high part too: a 5 GiB file, sparse
// so that it costs no disk, is reported at its full length.
TEST_F(OlderWindows, TheWipeReadsSizesPastFourGiBWithoutTheLaterCall) {
  const string path = fake->Folder("files") + "\\Cache.Database";
  const std::uint64_t length = (5ull << 30) + 3;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD none = 0;  // on Windows a file is sparse only when marked so
  DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &none, nullptr);
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(length);
  bool made = SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  CloseHandle(h);
  ASSERT_TRUE(made) << GetLastError();

  for (bool xp : {false, true}) {
    SCOPED_TRACE(xp ? "without the later call" : "with the later call");
    if (xp) BecomeXp();
    std::uint64_t size = 0;
    const char* why = "";
    EXPECT_EQ(WouldWipe(path.c_str(), &size, &why, false), WipeOutcome::Destroyed) << why;
    EXPECT_EQ(size, length);
    EXPECT_EQ(g_laterCalls > 0, !xp);
  }
}

// Where a folder link leads can be asked only of the later call: without
// it a path through a link is no place at all (the guards then refuse it),
// while a path without links is the same place either way.
TEST_F(OlderWindows, APathThroughALinkIsNoPlaceWithoutTheLaterCall) {
  const string real = LongOf(fake->Folder("Documents\\real"));
  ASSERT_NE(real, "<none>");
  FolderLink link(fake->Folder("a") + "\\cache", real);
  ASSERT_TRUE(link.ok()) << "folder links are needed for this test";
  const string through = fake->root + "\\a\\cache";

  for (bool xp : {false, true}) {
    SCOPED_TRACE(xp ? "without the later call" : "with the later call");
    if (xp) BecomeXp();
    std::optional<string> plain = ResolvePlace(real + "\\sub\\..\\news.rc");
    ASSERT_TRUE(plain.has_value());
    EXPECT_TRUE(SamePlace(*plain, real + "\\news.rc")) << *plain;
    for (const string& path : {through, through + "\\news.rc"}) {
      SCOPED_TRACE(path);
      std::optional<string> place = ResolvePlace(path);
      if (xp) {
        EXPECT_FALSE(place.has_value()) << *place;
      } else {
        ASSERT_TRUE(place.has_value());
        EXPECT_TRUE(SamePlace(*place, real + path.substr(through.size()))) << *place;
      }
    }
    EXPECT_EQ(g_laterCalls > 0, !xp);
  }
}
