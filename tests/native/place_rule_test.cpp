// The rule every place the clean run destroys in must pass, case by case,
// against one believable set of kept places.
#include "gate/place_rule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using gate::Candidate;
using gate::Kept;
using gate::Role;
using gate::Use;

namespace {

std::vector<Kept> Believable() {
  using gate::Bit;
  const unsigned news = Bit(Use::NewsFolder) | Bit(Use::NewsServer);
  return {
      {"C:\\WINDOWS", Role::Windows, "the Windows folder", 0, {}},
      {"C:\\WINDOWS\\system32", Role::Closed, "the Windows system folder", 0, {}},
      {"C:\\Program Files\\Mopwell", Role::Closed, "this program's folder", 0, {}},
      {"C:\\Docs", Role::Closed, "one of the user's own folders", 0, {}},
      {"C:\\NS\\Users\\ann", Role::Holder, "the profile folder", Bit(Use::BrowserFiles), {}},
      {"C:\\NS\\Users\\ann\\mail", Role::Closed, "the mail folder", Bit(Use::MailFiles), {}},
      {"C:\\NS\\Users\\ann\\news", Role::Closed, "the news folder", news, {}},
      {"C:\\NS\\Users\\ann\\cache", Role::Closed, "the cache folder", Bit(Use::Cache), {}},
      {"C:\\NS\\Users\\ann\\prefs.js", Role::File, "prefs.js", 0, {}},
      {"C:\\NS\\Users\\ann\\cookies.txt", Role::File, "the cookie file", Bit(Use::CookieFile), {}},
      {"C:\\WINDOWS\\Recent", Role::Closed, "the recent documents folder", Bit(Use::Recent), {}},
      {"C:\\NS\\Program", Role::Holder, "the browser's folder", Bit(Use::BrowserFiles), {}},
      {"C:\\NS\\Program\\archive", Role::Closed, "the archive folder", Bit(Use::Archive), {}},
      // A place that could not be resolved is never a match.
      {"", Role::Closed, "nothing", 0, {}},
  };
}

struct Case {
  Use use;
  const char* path;
  bool viaLink;
  bool nameRuleOff;
  const char* refusal;  // "" for accepted
};

}  // namespace

TEST(PlaceRule, EachPlaceIsJudgedByWhatItIsHoldsAndLiesIn) {
  const Case cases[] = {
      // The stores themselves, as the browser keeps them.
      {Use::Cache, "C:\\NS\\Users\\ann\\cache", false, false, ""},
      {Use::Cache, "c:\\ns\\users\\ANN\\CACHE", false, false, ""},
      {Use::Cache, "C:/NS/Users/ann/cache", false, false, ""},
      {Use::Archive, "C:\\NS\\Program\\archive", false, false, ""},
      {Use::Recent, "C:\\WINDOWS\\Recent", false, false, ""},
      {Use::NewsFolder, "C:\\NS\\Users\\ann\\news", false, false, ""},
      {Use::NewsServer, "C:\\NS\\Users\\ann\\news\\host-news", false, false, ""},
      {Use::MailFiles, "C:\\NS\\Users\\ann\\mail", false, false, ""},
      {Use::BrowserFiles, "C:\\NS\\Users\\ann", false, false, ""},
      {Use::BrowserFiles, "C:\\NS\\Program", false, false, ""},
      {Use::BrowserFiles, "C:\\NS", false, false, ""},
      {Use::HistoryFile, "C:\\NS\\Users\\ann\\netscape.hst", false, false, ""},
      {Use::CookieFile, "C:\\NS\\Users\\ann\\cookies.txt", false, false, ""},
      // Whole names: "annex" is not inside "ann".
      {Use::Cache, "C:\\NS\\Users\\annex\\cache", false, false, ""},
      // No place, or the root of one.
      {Use::Cache, "", false, false, "no such folder is known (no full path names it)"},
      {Use::Cache, "cache", false, false, "no such folder is known (no full path names it)"},
      {Use::Cache, "C:\\NS\\Users\\ann\\cache\\..", false, true, "no such folder is known (no full path names it)"},
      {Use::Cache, "\\\\server\\share\\cache", false, false, "no such folder is known (no full path names it)"},
      {Use::Cache, "C:\\", false, true, "it is the root of a drive"},
      {Use::HistoryFile, "C:\\netscape.hst", false, false, "it lies at the root of a drive"},
      // A link on the way, whatever it leads to.
      {Use::Cache, "C:\\NS\\Users\\ann\\cache", true, false, "it is a link or mount point, or lies behind one"},
      {Use::HistoryFile, "C:\\NS\\Users\\ann\\netscape.hst", true, false,
       "it is a link or mount point, or lies behind one"},
      // The name rules, and the one switch that turns the cache's off.
      {Use::Cache, "C:\\NS\\Users\\ann\\CaChE", false, false, "not in a folder named CACHE"},
      {Use::Cache, "C:\\Temp", false, false, "not in a folder named CACHE"},
      {Use::Cache, "C:\\Temp", false, true, ""},
      {Use::Recent, "C:\\WINDOWS\\Docs", false, false, "not in a folder named RECENT"},
      {Use::Recent, "C:\\WINDOWS\\Docs", false, true, "not in a folder named RECENT"},
      // What the switch never turns off.
      {Use::Cache, "C:\\NS\\Users\\ann", false, true, "it is the profile folder"},
      {Use::Cache, "C:\\NS\\Users", false, true, "it holds the profile folder"},
      {Use::Cache, "C:\\WINDOWS", false, true, "it is the Windows folder"},
      {Use::Cache, "C:\\WINDOWS\\Temp\\cache", false, false, "it lies inside the Windows folder"},
      {Use::Cache, "C:\\Docs\\cache", false, false, "it lies inside one of the user's own folders"},
      {Use::Cache, "C:\\Program Files\\Mopwell\\cache", false, false, "it lies inside this program's folder"},
      {Use::Cache, "C:\\NS\\Users\\ann\\mail\\cache", false, false, "it lies inside the mail folder"},
      {Use::Cache, "C:\\NS\\Users\\ann\\news", false, true, "it is the news folder"},
      {Use::Recent, "C:\\WINDOWS\\system32\\Recent", false, false, "it lies inside the Windows system folder"},
      {Use::Recent, "C:\\NS\\Users\\ann\\Recent\\x", false, false, ""},
      {Use::Archive, "C:\\NS\\Program", false, false, "it is the browser's folder"},
      {Use::NewsFolder, "C:\\NS\\Users\\ann", false, false, "it is the profile folder"},
      {Use::NewsFolder, "C:\\NS\\Users\\ann\\cache", false, false, "it is the cache folder"},
      {Use::MailFiles, "C:\\NS\\Users", false, false, "it holds the profile folder"},
      {Use::MailFiles, "C:\\WINDOWS\\mail", false, false, "it lies inside the Windows folder"},
      {Use::BrowserFiles, "C:\\WINDOWS", false, false, "it is the Windows folder"},
      {Use::HistoryFile, "C:\\NS\\Users\\ann\\prefs.js", false, false, "it is prefs.js"},
      {Use::HistoryFile, "C:\\NS\\Users\\ann\\cookies.txt", false, false, "it is the cookie file"},
      {Use::HistoryFile, "C:\\NS\\Users\\ann\\mail\\inbox", false, false, "it lies inside the mail folder"},
      {Use::BookmarkFile, "C:\\WINDOWS\\win.ini", false, false, "it lies inside the Windows folder"},
      {Use::BookmarkFile, "C:\\Program Files\\Mopwell\\MOPWELL.BKM", false, false,
       "it lies inside this program's folder"},
      {Use::CookieFile, "C:\\NS\\Users\\ann", false, false, "it is the profile folder"},
  };
  const std::vector<Kept> kept = Believable();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " as use " + std::to_string(static_cast<int>(c.use)));
    EXPECT_EQ(gate::Judge(c.use, Candidate{c.path, c.viaLink, {}}, kept, c.nameRuleOff), c.refusal);
  }
}

TEST(PlaceRule, TheNameRulesTakeExactlyTheirThreeSpellings) {
  for (const char* spelling : {"CACHE", "cache", "Cache"})
    EXPECT_TRUE(gate::PassesNameRule(Use::Cache, std::string("C:\\x\\") + spelling + "\\y")) << spelling;
  for (const char* spelling : {"CaChE", "cACHE", "cach"})
    EXPECT_FALSE(gate::PassesNameRule(Use::Cache, std::string("C:\\x\\") + spelling)) << spelling;
  for (const char* spelling : {"RECENT", "recent", "Recent"})
    EXPECT_TRUE(gate::PassesNameRule(Use::Recent, std::string("C:\\") + spelling)) << spelling;
  EXPECT_FALSE(gate::PassesNameRule(Use::Recent, "C:\\ReCeNt"));
  EXPECT_TRUE(gate::PassesNameRule(Use::Archive, "C:\\anything"));
}

TEST(PlaceRule, AStoreNamedWhereNoStoreCanBeProtectsNothing) {
  using gate::Bit;
  std::vector<Kept> kept = Believable();
  // A bogus cache setting naming the profile folder, one naming Windows,
  // and a mail folder that holds prefs.js.
  kept.push_back({"C:\\NS\\Users\\ann", Role::Closed, "the cache folder", Bit(Use::Cache), {}});
  kept.push_back({"C:\\WINDOWS", Role::Closed, "the cache folder", Bit(Use::Cache), {}});
  kept.push_back({"C:\\NS\\Users", Role::Closed, "the mail folder", Bit(Use::MailFiles), {}});
  gate::DropFalseStores(kept);
  EXPECT_EQ(kept.size(), Believable().size()) << "only the three bogus stores go";
  // The history file in the profile is the history step's again.
  EXPECT_EQ(gate::Judge(Use::HistoryFile, Candidate{"C:\\NS\\Users\\ann\\netscape.hst", false, {}}, kept), "");
  // And the bogus cache is refused by what it is.
  EXPECT_EQ(gate::Judge(Use::Cache, Candidate{"C:\\NS\\Users\\ann", false, {}}, kept, true), "it is the profile folder");
  // A store file named inside another store (a history setting naming a
  // mail folder) leaves that store standing, and is refused by it.
  std::vector<Kept> named = Believable();
  named.push_back({"C:\\NS\\Users\\ann\\mail\\inbox", Role::File, "the history file", Bit(Use::HistoryFile), {}});
  gate::DropFalseStores(named);
  EXPECT_EQ(named.size(), Believable().size() + 1);
  EXPECT_EQ(gate::Judge(Use::HistoryFile, Candidate{"C:\\NS\\Users\\ann\\mail\\inbox", false, {}}, named),
            "it lies inside the mail folder");
  // A store beside another store stays: both protect each other.
  std::vector<Kept> twice = Believable();
  twice.push_back({"C:\\NS\\Users\\ann\\mail", Role::Closed, "the cache folder", Bit(Use::Cache), {}});
  gate::DropFalseStores(twice);
  EXPECT_EQ(twice.size(), Believable().size() + 1);
  EXPECT_EQ(gate::Judge(Use::Cache, Candidate{"C:\\NS\\Users\\ann\\mail", false, {}}, twice, true), "it is the mail folder");
}

// Two names of one place (another drive letter for the same disk, as a
// substituted drive gives, or Wine's Z:) are told by the place's identity
// where their texts differ.
TEST(PlaceRule, AKeptPlaceByAnotherNameIsKnownByItsIdentity) {
  const gate::PlaceId root{7, 5}, windows{7, 100}, program{7, 200}, other{9, 100};
  std::vector<Kept> kept = {{"C:\\WINDOWS", Role::Windows, "the Windows folder", 0, {windows, {root}}},
                            {"C:\\Program Files\\Mopwell", Role::Closed, "this program's folder", 0,
                             {program, {{7, 150}, root}}}};
  struct Case {
    const char* path;
    gate::Identity identity;
    const char* refusal;
  };
  const Case cases[] = {
      {"Z:\\disk\\WINDOWS", {windows, {{3, 1}, {3, 2}}}, "it is the Windows folder"},
      {"Z:\\disk\\WINDOWS\\cache", {std::nullopt, {windows, {3, 1}}}, "it lies inside the Windows folder"},
      {"Z:\\disk\\Program Files", {gate::PlaceId{7, 150}, {root}}, "it holds this program's folder"},
      {"Z:\\disk", {root, {{3, 1}}}, "it holds the Windows folder"},
      // Another volume with the same index is another place.
      {"Z:\\other\\cache", {other, {{9, 1}}}, ""},
      {"D:\\cache", {}, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(gate::Judge(Use::Cache, Candidate{c.path, false, c.identity}, kept, true), c.refusal) << c.path;
}
