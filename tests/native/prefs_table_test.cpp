#include "prefs/line_table.h"

#include "prefs/pref_value.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using prefs::LineTable;

LineTable Loaded(const std::string& bytes) {
  LineTable t;
  EXPECT_TRUE(t.Load(bytes));
  return t;
}

std::string RoundTrip(const std::string& bytes) { return Loaded(bytes).Serialize(); }

const char kThreeLines[] =
    "// Mozilla User Preferences\r\n"
    "user_pref(\"mail.identity.username\", \"Joe\");\r\n"
    "user_pref(\"network.cookie.cookieBehavior\", 0);\r\n";

}  // namespace

TEST(PrefsTable, CrLfFileFillsSlotsWithLeadingLineFeeds) {
  LineTable t = Loaded("a\r\nb\r\nc\r\n");
  ASSERT_EQ(t.Count(), 3);
  EXPECT_EQ(t[0], "a");
  EXPECT_EQ(t[1], "\nb");
  EXPECT_EQ(t[2], "\nc");
  EXPECT_EQ(t[3], "\n");
  // Outside the table every slot reads empty, as the slot a failed find returns.
  EXPECT_EQ(t[4], "");
  EXPECT_EQ(t[-1], "");
}

// ---- Line ends: CR LF, LF or a lone CR, whichever comes, ends a line ----

TEST(PrefsTable, EveryKindOfLineEndStartsASlot) {
  LineTable t = Loaded("a\r\nb\nc\rd\n\re\r\n\nf");
  ASSERT_EQ(t.Count(), 7);
  const char* want[] = {"a", "\nb", "\nc", "\nd", "\n", "\ne", "\n", "\nf"};
  for (int slot = 0; slot <= t.Count(); ++slot) EXPECT_EQ(t[slot], want[slot]) << slot;
}

// A line added by hand with LF alone inside a CR LF file, in front of the
// typed address being cleared: it stays, with its own line end, and the
// lines around it keep theirs.
const char kHandEdited[] =
    "// Mozilla User Preferences\r\n"
    "user_pref(\"browser.url_history.URL_1\", \"http://one.example/\");\r\n"
    "user_pref(\"mail.server_type\", 1);\n"
    "user_pref(\"browser.url_history.URL_2\", \"http://two.example/\");\r\n"
    "user_pref(\"network.proxy.http\", \"proxy.example\");\n"
    "user_pref(\"mail.identity.username\", \"Joe Bloggs\");\r\n";

TEST(PrefsTable, ReplacingTheLineAfterAnLfOnlyLineKeepsThatLine) {
  LineTable t = Loaded(kHandEdited);
  int slot = t.Find("browser.url_history.URL_2");
  ASSERT_EQ(slot, 3);
  ASSERT_TRUE(t.Replace(slot, "\nuser_pref(\"browser.url_history.URL_2\", \"\");"));
  EXPECT_EQ(t.Serialize(),
            "// Mozilla User Preferences\r\n"
            "user_pref(\"browser.url_history.URL_1\", \"http://one.example/\");\r\n"
            "user_pref(\"mail.server_type\", 1);\n"
            "user_pref(\"browser.url_history.URL_2\", \"\");\r\n"
            "user_pref(\"network.proxy.http\", \"proxy.example\");\n"
            "user_pref(\"mail.identity.username\", \"Joe Bloggs\");\r\n");
  // ... and so does the LF-only line replaced itself.
  ASSERT_TRUE(t.Replace(t.Find("mail.server_type"), "\nuser_pref(\"mail.server_type\", 0);"));
  EXPECT_NE(t.Serialize().find("(\"mail.server_type\", 0);\nuser_pref(\"browser.url_history.URL_2\""),
            std::string::npos);
}

TEST(PrefsTable, LookupReadsTheValueOfItsOwnLine) {
  LineTable t = Loaded(kHandEdited);
  EXPECT_EQ(prefs::CutValue(t[t.Find("mail.identity.username")]), "Joe Bloggs");
  EXPECT_EQ(prefs::CutValue(t[t.Find("network.proxy.http")]), "proxy.example");
  EXPECT_EQ(prefs::CutValue(t[t.Find("browser.url_history.URL_2")]), "http://two.example/");
  EXPECT_EQ(prefs::CutValue(t[t.Find("mail.server_type")]), std::nullopt) << "a number has no string value";
}

TEST(PrefsTable, ReplacingInAnLfOrCrFileKeepsItsLineEnds) {
  for (const char* end : {"\n", "\r"}) {
    std::string e = end;
    LineTable t = Loaded("// prefs" + e + "user_pref(\"javascript.enabled\", true);" + e + "user_pref(\"x\", 1);" + e);
    ASSERT_EQ(t.Count(), 3);
    ASSERT_TRUE(t.Replace(t.Find("javascript.enabled"), "\nuser_pref(\"browser.url_history.URL_17\", \"\");"));
    EXPECT_EQ(t.Serialize(),
              "// prefs" + e + "user_pref(\"browser.url_history.URL_17\", \"\");" + e + "user_pref(\"x\", 1);" + e);
  }
}

TEST(PrefsTable, LoadingForgetsALongerEarlierFile) {
  LineTable t = Loaded("1\r\n2\r\n3\r\n4\r\n5\r\n");
  ASSERT_TRUE(t.Load("x\r\n"));
  EXPECT_EQ(t.Count(), 1);
  EXPECT_EQ(t[2], "");
  EXPECT_EQ(t.Serialize(), "x\r\n");
  t.Clear();
  EXPECT_EQ(t.Count(), 0);
  EXPECT_EQ(t[0], "");
}

// What each kind of file becomes when it is loaded and written back
// unchanged: every line comes back with its own line end, whatever mix of
// CR LF, LF and lone CR the file has. Only a file whose last line has no
// line end gains one.
struct RoundTripCase {
  const char* name;
  std::string in;
  std::string out;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.name; }

class PrefsRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(PrefsRoundTrip, WritesBackEveryByte) { EXPECT_EQ(RoundTrip(GetParam().in), GetParam().out); }

// The output is stable: a written file loads and writes back unchanged.
TEST_P(PrefsRoundTrip, WrittenFileIsStable) {
  const std::string& out = GetParam().out;
  EXPECT_EQ(RoundTrip(out), out);
}

// Appending a statement to any file adds exactly that statement and a line
// end after everything the file held.
TEST_P(PrefsRoundTrip, AppendAddsOneLineAfterEverything) {
  LineTable t = Loaded(GetParam().in);
  ASSERT_TRUE(t.Append("\nuser_pref(\"browser.url_history.URL_16\", \"\");"));
  EXPECT_EQ(t.Serialize(), GetParam().out + "user_pref(\"browser.url_history.URL_16\", \"\");\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Files, PrefsRoundTrip,
    ::testing::Values(
        RoundTripCase{"CrLf", kThreeLines, kThreeLines},
        RoundTripCase{"Empty", "", "\r\n"},
        RoundTripCase{"NoFinalLineEnd", "a\r\nb\r\nlast", "a\r\nb\r\nlast\r\n"},
        RoundTripCase{"OneLineNoLineEnd", "only", "only\r\n"},
        RoundTripCase{"LfOnly", "a\nb\nc\n", "a\nb\nc\n"},
        RoundTripCase{"LfOnlyNoFinal", "a\nb", "a\nb\r\n"},
        RoundTripCase{"CrOnly", "a\rb\rc\r", "a\rb\rc\r"},
        RoundTripCase{"MixedLfAfterCrLf", "a\r\nb\nc\r\nd\n", "a\r\nb\nc\r\nd\n"},
        RoundTripCase{"MixedAllThree", "a\nb\r\nc\rd\n\r\r\ne\r", "a\nb\r\nc\rd\n\r\r\ne\r"},
        RoundTripCase{"LfCr", "a\n\rb\n", "a\n\rb\n"},
        RoundTripCase{"LoneCrInside", "a\rb\r\nc\r\n", "a\rb\r\nc\r\n"},
        RoundTripCase{"CrCrLf", "a\r\r\nb\r\n", "a\r\r\nb\r\n"},
        RoundTripCase{"EndsInLoneCr", "a\r\nb\r", "a\r\nb\r"},
        RoundTripCase{"OnlyCrs", "\r\r\r", "\r\r\r"},
        RoundTripCase{"OnlyLfs", "\n\n", "\n\n"},
        RoundTripCase{"BlankLines", "\r\n\r\n\r\n", "\r\n\r\n\r\n"},
        RoundTripCase{"ExtraLfAtEnd", "a\r\n\n", "a\r\n\n"},
        RoundTripCase{"NulAndHighBytes", std::string("a\0b\xff\r\n\x1a\r\n", 9),
                      std::string("a\0b\xff\r\n\x1a\r\n", 9)}),
    [](const ::testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

TEST(PrefsTable, LongLinesAndManyLinesAreHeldWhole) {
  std::string file;
  std::string longValue(5000, 'x');
  file += "user_pref(\"browser.url_history.URL_1\", \"" + longValue + "\");\r\n";
  for (int i = 0; i < 1000; ++i) file += "user_pref(\"line." + std::to_string(i) + "\", " + std::to_string(i) + ");\r\n";
  file += "user_pref(\"mail.identity.username\", \"Joe\");\r\n";

  LineTable t = Loaded(file);
  EXPECT_EQ(t.Count(), 1002);
  EXPECT_EQ(t.Serialize(), file);
  // Found far beyond slot 300, and the long first line kept its length.
  int slot = t.Find("mail.identity.username");
  EXPECT_EQ(slot, 1001);
  EXPECT_EQ(t[0].size(), longValue.size() + 43);

  // A long line replaced in the middle keeps its neighbours.
  std::string longLine = "\nuser_pref(\"line.500\", \"" + std::string(700, 'y') + "\");";
  ASSERT_TRUE(t.Replace(t.Find("\"line.500\""), longLine));
  std::string out = t.Serialize();
  EXPECT_NE(out.find("(\"line.499\", 499);\r\nuser_pref(\"line.500\", \"yyy"), std::string::npos);
  EXPECT_NE(out.find("yyy\");\r\nuser_pref(\"line.501\", 501);\r\n"), std::string::npos);
}

TEST(PrefsTable, OversizedFileIsRefusedAndLeavesAnEmptyTable) {
  LineTable t = Loaded("a\r\n");
  EXPECT_FALSE(t.Load(std::string(prefs::kMaxFileBytes + 1, 'z')));
  EXPECT_EQ(t.Count(), 0);
  EXPECT_EQ(t[0], "");
}

// ---- Finding ----

TEST(PrefsTable, FindSkipsSlotZeroAndReportsCountPlusOne) {
  LineTable t = Loaded("user_pref(\"a\", 1);\r\nuser_pref(\"b\", 2);\r\n");
  EXPECT_EQ(t.Find("\"a\""), 3) << "slot 0 is never examined";
  EXPECT_TRUE(t[t.Find("\"a\"")].empty());
  EXPECT_EQ(t.Find("\"b\""), 1);
  EXPECT_EQ(t.Find("\"B\""), 3) << "case matters";

  LineTable empty;
  EXPECT_EQ(empty.Find("anything"), 1);
  EXPECT_TRUE(empty[1].empty());
}

TEST(PrefsTable, FindIsASubstringMatchAndTheFirstLineWins) {
  LineTable t = Loaded(
      "// prefs\r\n"
      "user_pref(\"browser.url_history.URL_12\", \"http://twelve/\");\r\n"
      "user_pref(\"browser.url_history.URL_10\", \"http://ten/\");\r\n");
  EXPECT_EQ(t.Find("browser.url_history.URL_1"), 1);
  EXPECT_EQ(t.Find("URL_10"), 2);
}

TEST(PrefsTable, FindLooksIntoALastLineWithoutLineEnd) {
  LineTable t = Loaded("// prefs\r\nuser_pref(\"javascript.enabled\", false);");
  EXPECT_EQ(t.Count(), 1);
  EXPECT_EQ(t.Find("javascript.enabled"), 1);
}

// ---- Replacing ----

TEST(PrefsTable, ReplacingAMiddleLineKeepsItsNeighboursOnTheirLines) {
  LineTable t = Loaded(kThreeLines);
  int slot = t.Find("mail.identity.username");
  ASSERT_EQ(slot, 1);
  ASSERT_TRUE(t.Replace(slot, "\nuser_pref(\"mail.identity.username\", \"Alias\");"));
  EXPECT_EQ(t.Serialize(),
            "// Mozilla User Preferences\r\n"
            "user_pref(\"mail.identity.username\", \"Alias\");\r\n"
            "user_pref(\"network.cookie.cookieBehavior\", 0);\r\n");
}

TEST(PrefsTable, ReplacementInTheUnterminatedLastLineIsWritten) {
  LineTable t = Loaded("// prefs\r\nuser_pref(\"javascript.enabled\", false);");
  ASSERT_TRUE(t.Replace(t.Find("javascript.enabled"), "\nuser_pref(\"browser.url_history.URL_17\", \"\");"));
  EXPECT_EQ(t.Serialize(), "// prefs\r\nuser_pref(\"browser.url_history.URL_17\", \"\");\r\n");
}

// The line in front keeps its lone CR, the replaced line its CR LF.
TEST(PrefsTable, ReplacingAfterALoneCrKeepsEveryLineEnd) {
  LineTable t = Loaded("a\rkey=1\r\nb\r\n");
  ASSERT_TRUE(t.Replace(t.Find("key"), "\nkey=2"));
  EXPECT_EQ(t.Serialize(), "a\rkey=2\r\nb\r\n");
}

TEST(PrefsTable, ReplacingOutsideTheTableChangesNothing) {
  LineTable t = Loaded(kThreeLines);
  EXPECT_FALSE(t.Replace(t.Find("absent.key"), "\nuser_pref(\"x\", 1);"));
  EXPECT_FALSE(t.Replace(-1, "\nx"));
  EXPECT_EQ(t.Serialize(), kThreeLines);
}

// ---- Appending ----

TEST(PrefsTable, AppendOnCrLfFileTakesTheFormerTailSlot) {
  LineTable t = Loaded("a\r\nb\r\n");
  ASSERT_TRUE(t.Append("\nuser_pref(\"x\", 1);"));
  EXPECT_EQ(t.Count(), 3);
  EXPECT_EQ(t[2], "\nuser_pref(\"x\", 1);");
  EXPECT_EQ(t.Serialize(), "a\r\nb\r\nuser_pref(\"x\", 1);\r\n");
}

// With no file loaded, the table holds just what is appended, and the line
// appended first can be found again, as it can once the file is reloaded.
TEST(PrefsTable, FirstAppendToAnEmptyTableCanBeFound) {
  LineTable t;
  ASSERT_TRUE(t.Append("\nuser_pref(\"network.cookie.cookieBehavior\", 2);"));
  EXPECT_EQ(t[0], "");
  EXPECT_EQ(t.Find("network.cookie.cookieBehavior"), 1);
  const std::string written = "\r\nuser_pref(\"network.cookie.cookieBehavior\", 2);\r\n";
  EXPECT_EQ(t.Serialize(), written);
  EXPECT_EQ(Loaded(written).Find("network.cookie.cookieBehavior"), 1);
  ASSERT_TRUE(t.Replace(1, "\nuser_pref(\"browser.url_history.URL_19\", \"\");"));
  EXPECT_EQ(t.Serialize(), "\r\nuser_pref(\"browser.url_history.URL_19\", \"\");\r\n");
}

TEST(PrefsTable, AppendNeverOverwritesALastLineWithoutLineEnd) {
  LineTable t = Loaded("a\r\nuser_pref(\"kept\", 1);");
  ASSERT_TRUE(t.Append("\nuser_pref(\"new\", 2);"));
  EXPECT_EQ(t.Serialize(), "a\r\nuser_pref(\"kept\", 1);\r\nuser_pref(\"new\", 2);\r\n");
  EXPECT_EQ(t.Find("\"kept\""), 1);
  EXPECT_EQ(t.Find("\"new\""), 2);
}

TEST(PrefsTable, ThreePlaceholdersGoInOrderAndTheFileEndsInALineBreak) {
  LineTable t = Loaded(kThreeLines);
  for (int n = 16; n <= 18; ++n) {
    std::string key = "browser.url_history.URL_" + std::to_string(n);
    ASSERT_GT(t.Find(key), t.Count());
    ASSERT_TRUE(t.Append("\nuser_pref(\"" + key + "\", \"\");"));
    // Each add is written at once; the file written must reload the same.
    ASSERT_TRUE(t.Load(t.Serialize()));
  }
  EXPECT_EQ(t.Serialize(), std::string(kThreeLines) +
                               "user_pref(\"browser.url_history.URL_16\", \"\");\r\n"
                               "user_pref(\"browser.url_history.URL_17\", \"\");\r\n"
                               "user_pref(\"browser.url_history.URL_18\", \"\");\r\n");
}

// ---- The program-wide table ----

TEST(PrefsTable, ProgramWideOperationsShareOneTableAndItsCount) {
  ASSERT_TRUE(PrefsLines.Load("a\r\nuser_pref(\"javascript.enabled\", true);\r\n"));
  EXPECT_EQ(LineCount, 2);
  int slot = FindPrefLine("javascript.enabled");
  EXPECT_EQ(slot, 1);
  EXPECT_TRUE(ReplacePrefLine(slot, "\nuser_pref(\"browser.url_history.URL_17\", \"\");"));
  EXPECT_EQ(FindPrefLine("security.enable_java"), LineCount + 1);
  EXPECT_FALSE(ReplacePrefLine(LineCount + 1, "\nx"));
  EXPECT_TRUE(AppendPrefLine("\nuser_pref(\"security.enable_java\", false);"));
  EXPECT_EQ(LineCount, 3);
  EXPECT_EQ(FindPrefLine(nullptr), LineCount + 1);
  EXPECT_FALSE(AppendPrefLine(nullptr));
  EXPECT_FALSE(ReplacePrefLine(1, nullptr));
  EXPECT_EQ(PrefsLines.Serialize(),
            "a\r\nuser_pref(\"browser.url_history.URL_17\", \"\");\r\n"
            "user_pref(\"security.enable_java\", false);\r\n");
  PrefsLines.Clear();
}
