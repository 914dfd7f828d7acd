#include <gtest/gtest.h>

#include "prefs/pref_value.h"
#include "prefs/write_rules.h"

using prefs::CutValue;
using prefs::NormalisePath;

TEST(PrefsValue, StringValueIsTheTextBetweenTheQuotesAfterTheComma) {
  EXPECT_EQ(CutValue("\nuser_pref(\"mail.identity.username\", \"Joe Bloggs\");"), "Joe Bloggs");
  EXPECT_EQ(CutValue("\nuser_pref(\"browser.url_history.URL_3\", \"\");"), "");
  // Escapes stay as stored.
  EXPECT_EQ(CutValue("user_pref(\"mail.signature_file\", \"C:\\\\sig.txt\");"), "C:\\\\sig.txt");
  // The cut is at the first comma, wherever it is.
  EXPECT_EQ(CutValue("user_pref(\"odd,key\", \"v\");"), ", ");
}

TEST(PrefsValue, LinesWithoutAStringValueGiveNone) {
  EXPECT_EQ(CutValue("\nuser_pref(\"javascript.enabled\", false);"), std::nullopt);
  EXPECT_EQ(CutValue("\nuser_pref(\"browser.url_history.URL_1\")"), std::nullopt);
  EXPECT_EQ(CutValue("\nuser_pref(\"browser.url_history.URL_1\", \"http://cut-of"), std::nullopt);
  EXPECT_EQ(CutValue(""), std::nullopt);
}

TEST(PrefsValue, PathsLoseDoubledLeadingAndTrailingBackslashes) {
  EXPECT_EQ(NormalisePath("C:\\\\Program Files\\\\Netscape\\\\Users\\\\joe\\\\cache\\\\"),
            "C:\\Program Files\\Netscape\\Users\\joe\\cache");
  EXPECT_EQ(NormalisePath("C:\\news"), "C:\\news");
  EXPECT_EQ(NormalisePath("\\\\\\\\server\\\\share\\\\news"), "server\\share\\news");
  EXPECT_EQ(NormalisePath("\\\\\\"), "");
  EXPECT_EQ(NormalisePath(""), "");
  EXPECT_EQ(NormalisePath("cache"), "cache");
}

using prefs::PlanWrite;
using prefs::WriteAction;
using prefs::WriteTarget;

// What the identity switch may put between the quotes of a line unchanged.
TEST(PrefsValue, StringValuesThatWouldBreakTheirLineAreTold) {
  using prefs::FitsStringValue;
  EXPECT_TRUE(FitsStringValue(""));
  EXPECT_TRUE(FitsStringValue("Ann O'Nymous <ann@example.org>"));
  EXPECT_TRUE(FitsStringValue("C:\\sig.txt"));       // single backslash inside
  EXPECT_TRUE(FitsStringValue("C:\\\\sigs\\\\"));  // escaped pair at the end
  EXPECT_FALSE(FitsStringValue("The \"Firm\""));
  EXPECT_FALSE(FitsStringValue("first\r\nuser_pref(\"x\", 1);"));
  EXPECT_FALSE(FitsStringValue("line\nbreak"));
  EXPECT_FALSE(FitsStringValue("cr\ronly"));
  EXPECT_FALSE(FitsStringValue("C:\\sigs\\"));        // escapes the closing quote
  EXPECT_FALSE(FitsStringValue("\\\\\\"));            // three: one is left over
  // A lone backslash is escaped; pairs, the file's own form, stay.
  using prefs::EscapeLoneBackslashes;
  EXPECT_EQ(EscapeLoneBackslashes("C:\\new\\sig.txt"), "C:\\\\new\\\\sig.txt");
  EXPECT_EQ(EscapeLoneBackslashes("C:\\\\pat\\\\pat.sig"), "C:\\\\pat\\\\pat.sig");
  EXPECT_EQ(EscapeLoneBackslashes("\\\\\\x\\"), "\\\\\\\\x\\\\");  // three, then one
  EXPECT_EQ(EscapeLoneBackslashes("plain"), "plain");
  EXPECT_TRUE(FitsStringValue(EscapeLoneBackslashes("C:\\sigs\\")));
  // A value that fits comes back whole from the line it is written into.
  for (const char* v : {"", "plain", "C:\\a\\\\b", "x\\\\"}) {
    std::string line = std::string("user_pref(\"mail.identity.username\", \"") + v + "\");";
    EXPECT_EQ(CutValue(line), v);
  }
}

TEST(PrefsWriteRules, OnlyTheFileTheTableHoldsIsEverOverwritten) {
  WriteTarget file;
  file.exists = true;
  EXPECT_EQ(PlanWrite(20, file, true), WriteAction::Replace);
  EXPECT_EQ(PlanWrite(20, file, false), WriteAction::Refuse);

  WriteTarget readOnly = file;
  readOnly.readOnly = true;
  EXPECT_EQ(PlanWrite(20, readOnly, true), WriteAction::Refuse);

  WriteTarget link = file;
  link.link = true;
  EXPECT_EQ(PlanWrite(20, link, true), WriteAction::WriteThrough);
  EXPECT_EQ(PlanWrite(20, link, false), WriteAction::Refuse);

  WriteTarget folder = file;
  folder.folder = true;
  EXPECT_EQ(PlanWrite(20, folder, true), WriteAction::Refuse);

  WriteTarget unknown;
  unknown.unknown = true;
  EXPECT_EQ(PlanWrite(20, unknown, false), WriteAction::Refuse);
}

TEST(PrefsWriteRules, MissingFileIsCreatedOnlyInAKnownProfileFolder) {
  WriteTarget missing;
  EXPECT_EQ(PlanWrite(20, missing, false), WriteAction::Create);
  EXPECT_EQ(PlanWrite(5, missing, false), WriteAction::Create);
  EXPECT_EQ(PlanWrite(4, missing, false), WriteAction::Refuse);
  EXPECT_EQ(PlanWrite(0, missing, false), WriteAction::Refuse);
}

TEST(PrefsWriteRules, PathsAndTheirComparison) {
  EXPECT_EQ(prefs::PrefsPathIn("C:\\Users\\joe"), "C:\\Users\\joe\\prefs.js");
  EXPECT_EQ(prefs::PrefsPathIn("C:\\Users\\joe\\"), "C:\\Users\\joe\\prefs.js");
  EXPECT_EQ(prefs::PrefsPathIn(""), "\\prefs.js");

  EXPECT_TRUE(prefs::SamePath("C:\\Users\\Joe\\prefs.js", "c:\\users\\joe\\PREFS.JS"));
  EXPECT_TRUE(prefs::SamePath("C:\\Users\\joe\\\\prefs.js", "C:/Users/joe/prefs.js"));
  EXPECT_FALSE(prefs::SamePath("C:\\Users\\joe\\prefs.js", "C:\\Users\\joe2\\prefs.js"));
  EXPECT_FALSE(prefs::SamePath("C:\\Users\\joe\\prefs.js", "C:\\Users\\joe\\prefs.js.bak"));
  EXPECT_FALSE(prefs::SamePath("C:\\Usersjoe\\prefs.js", "C:\\Users\\joe\\prefs.js"));
}
