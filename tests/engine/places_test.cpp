// Where a hostile or unusual profile's paths lead: the spellings a browser
// setting could use to name a place other than the one it seems to name
// (prefixes, devices, drive-relative forms, links to links, a link to a
// drive's root), and the news map's file names that are devices.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "discovery_fixture.h"
#include "folder_link.h"
#include "folder_walk.h"
#include "places.h"

using std::string;

namespace {

class PlacesTest : public DiscoveryTest {
 protected:
  string Folder(const string& relative) const { return fake->Folder(relative); }
  // The long form Windows itself gives a folder that exists.
  static string LongOf(const string& path) {
    char buffer[4 * MAX_PATH] = "";
    DWORD n = GetLongPathNameA(path.c_str(), buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? string(buffer, n) : string("<none>");
  }
  static string Shown(const std::optional<string>& place) { return place ? *place : string("<no place>"); }
};

}  // namespace

// A path that is not a plain "X:\..." path on a local drive is no place,
// whatever it would reach: the guards only know how to judge that form.
TEST_F(PlacesTest, PrefixesSharesDevicesAndDriveRelativeFormsAreNoPlace) {
  const string real = Folder("Users\\me\\cache");
  const string tail = real.substr(2);  // "\Users\...\cache" without the drive
  const string forms[] = {
      "\\\\?\\" + real,
      "\\\\.\\" + real,
      "\\\\?\\UNC\\localhost\\c$" + tail,
      "\\\\localhost\\c$" + tail,
      "//localhost/c$" + tail,
      string("C:") + tail.substr(1),  // drive-relative: "C:Users\..."
      tail,                           // root of the current drive
      "C:",
      "C:\\",
      "C:/",
      "C:\\.",
      "C:\\..\\..",
      real + "\\..\\..\\..\\..\\..\\..\\..\\..",
      real + "\\CON",
      real + "\\NUL",
      real + "\\LPT1",
      real + "\\COM1",
      string(" ") + real,
      string(real).replace(0, 1, ""),  // ":\Users\..."
  };
  for (const string& form : forms) {
    SCOPED_TRACE(form);
    EXPECT_EQ(Shown(ResolvePlace(form)), "<no place>");
  }
  // The text cut at its zero byte would name the folder above.
  EXPECT_EQ(Shown(ResolvePlace(real + string("\0\\..", 4))), "<no place>");
}

// Spellings of one folder lead to that folder and to no other.
TEST_F(PlacesTest, SpellingsOfOneFolderLeadToIt) {
  const string real = LongOf(Folder("Users\\me\\Storage of the cache"));
  ASSERT_NE(real, "<none>");
  char shortName[4 * MAX_PATH] = "";
  DWORD n = GetShortPathNameA(real.c_str(), shortName, sizeof shortName);
  ASSERT_TRUE(n > 0 && n < sizeof shortName);
  string slashes = real;
  for (char& c : slashes)
    if (c == '\\') c = '/';
  for (const string& form : {real, string(shortName), slashes, real + "\\", real + "\\\\", real + "\\.",
                             real + "\\sub\\..", real + "\\..\\Storage of the cache"}) {
    SCOPED_TRACE(form);
    std::optional<string> place = ResolvePlace(form);
    ASSERT_TRUE(place.has_value());
    EXPECT_TRUE(SamePlace(*place, real)) << *place;
  }
}

// A link that leads to a link is followed to the end; a link that leads to
// a drive's root makes the whole path no place, with or without more path
// behind the link.
TEST_F(PlacesTest, LinksToLinksAreFollowedAndALinkToADriveRootIsNoPlace) {
  const string real = LongOf(Folder("Documents\\real"));
  FolderLink second(Folder("b") + "\\second", real);
  FolderLink first(Folder("a") + "\\first", fake->root + "\\b\\second");
  FolderLink toRoot(Folder("c") + "\\cache", "C:\\");
  ASSERT_TRUE(second.ok() && first.ok() && toRoot.ok()) << "folder links are needed for this test";

  std::optional<string> place = ResolvePlace(fake->root + "\\a\\first\\news.rc");
  ASSERT_TRUE(place.has_value());
  EXPECT_TRUE(SamePlace(*place, real + "\\news.rc")) << *place;
  place = ResolvePlace(fake->root + "\\a\\first");
  ASSERT_TRUE(place.has_value());
  EXPECT_TRUE(SamePlace(*place, real)) << *place;

  for (const string& form : {fake->root + "\\c\\cache", fake->root + "\\c\\cache\\",
                             fake->root + "\\c\\cache\\.", fake->root + "\\c\\cache\\windows\\.."}) {
    SCOPED_TRACE(form);
    EXPECT_EQ(Shown(ResolvePlace(form)), "<no place>");
  }
}

// A news map that names a device or climbs out through a device name never
// yields a file of the news folder.
TEST_F(PlacesTest, DeviceNamesInANewsFolderAreNoFilesOfIt) {
  const string news = LongOf(Folder("Users\\me\\news"));
  for (const char* name : {"CON", "NUL", "AUX", "PRN", "COM1", "LPT1", "host\\CON", "host\\LPT1"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(FileInsideFolder(news, news + "\\" + name).has_value());
    EXPECT_FALSE(FileInsideFolder(news, name).has_value());
  }
  EXPECT_TRUE(FileInsideFolder(news, news + "\\host\\news.rc").has_value()) << "an ordinary file still is";
}
