// The configuration conventions the programs rely on, checked against the
// real profile functions, and the trace rule.
#include <windows.h>

#include <gtest/gtest.h>

#include "config/names.h"
#include "fake_platform.h"
#include "ini.h"
#include "mopwell.h"

class ConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake = std::make_unique<FakePlatform>();
    szCommand[0] = '\0';
  }
  void TearDown() override { fake.reset(); }
  std::unique_ptr<FakePlatform> fake;
};

TEST_F(ConfigTest, BareFileNamesLiveInTheWindowsDirectory) {
  EXPECT_EQ(ini::PathOf(szIniFile), fake->windowsDir + "\\MOPWELL.INI");
  EXPECT_EQ(ini::PathOf("C:\\profile\\MPW-ID.INI"), "C:\\profile\\MPW-ID.INI");
  ini::Write(szIniFile, kSecOptions, kKeyNT, "2");
  EXPECT_EQ(ReadIni(fake->IniPath(), "Options", "NT"), "2");
}

TEST_F(ConfigTest, OnOffValuesAreOneAndZeroAndAnyNumberButZeroIsOn) {
  ini::WriteOnOff(szIniFile, kSecOptions, kKeyCookies, true);
  ini::WriteOnOff(szIniFile, kSecOptions, kKeyCache, false);
  EXPECT_EQ(ReadIni(fake->IniPath(), "Options", "cookies"), "1");
  EXPECT_EQ(ReadIni(fake->IniPath(), "Options", "cache"), "0");
  EXPECT_TRUE(ini::GetOnOff(szIniFile, kSecOptions, kKeyCookies));
  EXPECT_FALSE(ini::GetOnOff(szIniFile, kSecOptions, kKeyCache));
  EXPECT_FALSE(ini::GetOnOff(szIniFile, kSecOptions, kKeyDocs)) << "absent means off";
  ini::Write(szIniFile, kSecOptions, kKeyDocs, "7");
  EXPECT_TRUE(ini::GetOnOff(szIniFile, kSecOptions, kKeyDocs));
  ini::Write(szIniFile, kSecOptions, kKeyDocs, "yes");
  EXPECT_FALSE(ini::GetOnOff(szIniFile, kSecOptions, kKeyDocs)) << "malformed reads as off";
  ini::Write(szIniFile, kSecOptions, kKeyDocs, "12abc");
  EXPECT_EQ(ini::GetInt(szIniFile, kSecOptions, kKeyDocs, 0), 12);
}

TEST_F(ConfigTest, StringsUseTheDefaultOnlyWhenAbsentAndAreCutToTheBuffer) {
  EXPECT_EQ(ini::GetString(szIniFile, kSecCopyMe, kKeyWhere, kNotSet, 150), "@");
  ini::Write(szIniFile, kSecCopyMe, kKeyWhere, "");
  EXPECT_EQ(ini::GetString(szIniFile, kSecCopyMe, kKeyWhere, kNotSet, 150), "");
  ini::Write(szIniFile, kSecCopyMe, kKeyWhere, "C:\\Program Files\\Netscape");
  char small[8];
  EXPECT_EQ(ini::GetString(szIniFile, kSecCopyMe, kKeyWhere, kNotSet, small), 7u);
  EXPECT_STREQ(small, "C:\\Prog");
}

TEST_F(ConfigTest, KeyNamesIgnoreCase) {
  ini::Write(szIniFile, kSecOptions, "UserID", "1");
  EXPECT_EQ(ini::GetInt(szIniFile, kSecOptions, kKeyUserID, 0), 1);
  ini::Write(szIniFile, "options", "userid", "0");
  EXPECT_EQ(ini::GetInt(szIniFile, kSecOptions, "USERID", 5), 0);
}

TEST_F(ConfigTest, NullValueDeletesAKeyAndNullKeyASection) {
  ini::Write(szIniFile, kSecOptions, kKeyMode, "Corel");
  ini::Write(szIniFile, kSecOptions, kKeyMode, nullptr);
  EXPECT_EQ(ReadIni(fake->IniPath(), "Options", "mode"), "<absent>");
  ini::Write(szIniFile, kSecDiagnostics, "A", "1");
  ini::Write(szIniFile, kSecDiagnostics, "B", "2");
  ini::DeleteSection(szIniFile, kSecDiagnostics);
  EXPECT_EQ(ReadIni(fake->IniPath(), "Diagnostics", "A"), "<absent>");
  EXPECT_EQ(ReadIni(fake->IniPath(), "Diagnostics", "B"), "<absent>");
}

TEST_F(ConfigTest, TraceIsWrittenOnlyWhileDiagnosticsAreOn) {
  struct Case {
    const char* cow;
    bool written;
  } cases[] = {{nullptr, false}, {"@", false}, {"oom", false}, {"OOM", false}, {"", false},
               {"moo", true},    {"MOO", true}, {"on", true}};
  for (const Case& c : cases) {
    ini::DeleteSection(szIniFile, kSecDiagnostics);
    ini::Write(szIniFile, kSecOptions, kKeyCow, c.cow);
    ReadDiagnosticsSwitch();
    EXPECT_EQ(DiagnosticsOn(), c.written) << (c.cow ? c.cow : "absent");
    Trace("Probe", "value");
    EXPECT_EQ(ReadIni(fake->IniPath(), "Diagnostics", "Probe"), c.written ? "value" : "<absent>")
        << (c.cow ? c.cow : "absent");
  }
}

TEST_F(ConfigTest, TheSwitchIsTestedAtEachWrite) {
  ini::Write(szIniFile, kSecOptions, kKeyCow, "moo");
  ReadDiagnosticsSwitch();
  Trace("First", "1");
  lstrcpyA(szCommand, "oom");  // switched off in the middle of a run
  Trace("Second", "2");
  EXPECT_EQ(ReadIni(fake->IniPath(), "Diagnostics", "First"), "1");
  EXPECT_EQ(ReadIni(fake->IniPath(), "Diagnostics", "Second"), "<absent>");
}

TEST_F(ConfigTest, AMissingFileIsTheFirstRunState) {
  EXPECT_EQ(ini::GetInt(szIniFile, kSecOptions, kKeyNT, 0), 0);
  EXPECT_FALSE(ini::GetOnOff(szIniFile, kSecOptions, kKeyCookies));
  ReadDiagnosticsSwitch();
  EXPECT_FALSE(DiagnosticsOn());
  EXPECT_FALSE(FileExists(fake->IniPath())) << "reading creates nothing";
}
