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

// Values go into prefs.js escaped, as the browser reads its script, and
// come back out as the text they stand for: a quote in a name, a network
// path's leading pair of backslashes, a path that ends in a backslash.
TEST(PrefsValue, TextIsEscapedIntoItsLineAndComesBackWhole) {
  struct Case {
    const char* text;
    const char* held;  // between the quotes in prefs.js
  };
  const Case cases[] = {
      {"", ""},
      {"Ann O'Nymous <ann@example.org>", "Ann O'Nymous <ann@example.org>"},
      {"Dana \"DW\" Whitfield", "Dana \\\"DW\\\" Whitfield"},
      {"C:\\new\\sig.txt", "C:\\\\new\\\\sig.txt"},
      {"\\\\fileserver\\home\\sig.txt", "\\\\\\\\fileserver\\\\home\\\\sig.txt"},
      {"C:\\sigs\\", "C:\\\\sigs\\\\"},
      {"line\r\nbreak\ttab", "line\\r\\nbreak\\ttab"},
      {"bell\x07", "bell\\x07"},
      {"caf\xe9", "caf\xe9"},  // the code page's own letters as they are
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(prefs::EscapeValue(c.text), c.held);
    std::string line = std::string("\nuser_pref(\"mail.identity.username\", \"") + c.held + "\");";
    ASSERT_EQ(CutValue(line), std::string(c.held)) << "the closing quote is found past escaped ones";
    EXPECT_EQ(prefs::Unescape(c.held), c.text);
    EXPECT_EQ(std::string(line).find_first_of("\r", 1), std::string::npos) << "one line in the file";
  }
}

// What the browser itself may have written, read as it reads it.
TEST(PrefsValue, EscapesTheBrowserWroteAreUndone) {
  const std::pair<const char*, const char*> held[] = {
      {"a\\'b", "a'b"},
      {"a\\/b", "a/b"},
      {"\\x41\\x4a", "AJ"},
      {"\\u0041\\u004A", "AJ"},
      {"\\101\\7\\0618", "A\x07\x31" "8"},  // octal, at most three digits up to 0377
      {"\\b\\f\\v", "\b\f\v"},
      // A letter of 0x80 or more depends on the code page: kept as written.
      {"Ren\\u00E9", "Ren\\u00E9"},
      {"\\u20AC", "\\u20AC"},
      {"\\xe9\\351", "\\xe9\\351"},
      {"\\xZZ", "xZZ"},
      {"end\\", "end\\"},
      {"\\\\\\\\", "\\\\"},
  };
  for (const auto& [in, out] : held) EXPECT_EQ(prefs::Unescape(in), out) << in;
  // What Unescape kept goes back into the file as it was.
  for (const char* kept : {"Ren\\u00E9", "\\u20AC", "\\xe9\\351"}) EXPECT_EQ(prefs::EscapeValue(kept), kept);
  // A single-quoted value is one too; an escaped quote does not end the
  // value; an unclosed one is none.
  EXPECT_EQ(CutValue("user_pref(\"k\", 'a\\'b \"c\"');"), "a\\'b \"c\"");
  EXPECT_EQ(CutValue("user_pref(\"k\", \"a\\\"b\");"), "a\\\"b");
  EXPECT_EQ(CutValue("user_pref(\"k\", \"a\\\\\");"), "a\\\\");
  EXPECT_EQ(CutValue("user_pref(\"k\", \"a\\\");"), std::nullopt);
}

TEST(PrefsValue, ALineIsKnownByTheExactNameItSets) {
  const std::pair<const char*, const char*> lines[] = {
      {"\nuser_pref(\"mail.identity.username\", \"Dana\");", "mail.identity.username"},
      {"  user_pref ( \"network.cookie.cookieBehavior\", 1);", "network.cookie.cookieBehavior"},
      {"\nuser_pref(\"mail.identity.username2\", \"x\");", "mail.identity.username2"},
      {"// user_pref(\"mail.identity.username\", \"old\");", ""},
      {"\npref(\"mail.identity.username\", \"x\");", ""},
      {"\nuser_pref(\"unclosed, 1);", ""},
      {"", ""},
  };
  for (const auto& [line, key] : lines) EXPECT_EQ(prefs::PrefKeyOf(line), key) << line;
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
