// The configuration conventions the programs rely on, checked against the
// real profile functions, and the trace rule.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "config/names.h"
#include "engine.h"
#include "fake_platform.h"
#include "ini.h"
#include "registry.h"

using std::string;

class ConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake = std::make_unique<FakePlatform>();
    szCommand[0] = '\0';
  }
  void TearDown() override {
    ini::HoldWrites(false);
    fake.reset();
  }
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

// A preview holds every write: the file keeps its bytes, while the reads
// see what the run would have written, with the profile functions' rules.
TEST_F(ConfigTest, HeldWritesChangeNoFileAndAreReadBackUntilReleased) {
  ini::Write(szIniFile, kSecOptions, kKeyNT, "2");
  ini::Write(szIniFile, kSecDiagnostics, "A", "1");
  ini::Write(szIniFile, kSecCopyMe, kKeyWhere, "C:\\Netscape");
  string before, after;
  ASSERT_TRUE(ReadFileBytes(fake->IniPath(), before));
  ini::HoldWrites(true);
  EXPECT_TRUE(ini::Write(szIniFile, "OPTIONS", "nt", "1"));
  ini::Write(szIniFile, kSecOptions, kKeyDocs, "12abc");
  ini::Write(szIniFile, kSecOptions, kKeyMode, "");
  ini::Write(szIniFile, kSecCopyMe, kKeyWhere, nullptr);
  ini::DeleteSection(szIniFile, kSecDiagnostics);
  ini::Write(szIniFile, kSecDiagnostics, "B", "2");  // after the section went
  ini::WriteInt(szIniFile, kSecCustoms, kKeySizeX, 640);
  EXPECT_EQ(ini::GetInt(szIniFile, kSecOptions, kKeyNT, 0), 1);
  EXPECT_EQ(ini::GetInt(szIniFile, kSecOptions, kKeyDocs, 0), 12);
  EXPECT_EQ(ini::GetInt(szIniFile, kSecOptions, kKeyMode, 7), 7) << "an empty value reads as the default number";
  EXPECT_EQ(ini::GetString(szIniFile, kSecOptions, kKeyMode, kNotSet, 150), "") << "but as an empty text";
  EXPECT_EQ(ini::GetString(szIniFile, kSecCopyMe, kKeyWhere, kNotSet, 150), kNotSet);
  EXPECT_EQ(ini::GetString(szIniFile, kSecDiagnostics, "A", "none", 150), "none");
  EXPECT_EQ(ini::GetString(szIniFile, kSecDiagnostics, "B", "none", 150), "2");
  EXPECT_EQ(ini::GetInt(szIniFile, kSecCustoms, kKeySizeX, 0), 640);
  char small[3];
  EXPECT_EQ(ini::GetString(szIniFile, kSecCustoms, kKeySizeX, "", small), 2u);
  EXPECT_STREQ(small, "64");
  ASSERT_TRUE(ReadFileBytes(fake->IniPath(), after));
  EXPECT_EQ(after, before) << "no byte written while held";
  ini::HoldWrites(false);
  EXPECT_EQ(ini::GetInt(szIniFile, kSecOptions, kKeyNT, 0), 2) << "released: the file again";
  EXPECT_EQ(ini::GetString(szIniFile, kSecDiagnostics, "A", "none", 150), "1");
  ini::Write(szIniFile, kSecOptions, kKeyNT, "3");
  EXPECT_EQ(ReadIni(fake->IniPath(), "Options", "NT"), "3") << "writes reach the file again";
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

namespace {

// The kernel's name of an open key ("\REGISTRY\USER\...").
std::wstring KernelName(HKEY key) {
  using Query = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryKey")));
  if (!query) return std::wstring();
  alignas(ULONG) char buf[2048] = {};
  ULONG got = 0;
  if (query(key, 3 /* KeyNameInformation */, buf, sizeof buf, &got) != 0) return std::wstring();
  ULONG length = *reinterpret_cast<ULONG*>(buf);
  return std::wstring(reinterpret_cast<wchar_t*>(buf + sizeof(ULONG)), length / sizeof(wchar_t));
}

}  // namespace

// Deleting a tree takes every key below it, but never enters or deletes a
// key that is a link to another: the keys it leads to stay.
TEST_F(ConfigTest, DeletingATreeLeavesWhatALinkLeadsTo) {
  SetRegText(fake->hkcu, "Nav\\Cache\\Deeper\\Deepest", "v", "x");
  SetRegText(fake->hkcu, "Nav\\Cache", "Cache Dir", "C:\\cache");
  EXPECT_TRUE(reg::DeleteTree(fake->hkcu, "Nav\\Cache\\"));
  EXPECT_FALSE(reg::KeyExists(fake->hkcu, "Nav\\Cache"));
  EXPECT_TRUE(reg::KeyExists(fake->hkcu, "Nav"));
  EXPECT_TRUE(reg::DeleteTree(fake->hkcu, "Nav\\Cache")) << "gone already counts as done";
  EXPECT_FALSE(reg::DeleteTree(fake->hkcu, "")) << "never the root";

  SetRegText(fake->hkcu, "Precious\\Child", "keep", "me");
  HKEY precious;
  ASSERT_EQ(RegOpenKeyExA(fake->hkcu, "Precious", 0, KEY_READ, &precious), ERROR_SUCCESS);
  std::wstring target = KernelName(precious);
  RegCloseKey(precious);
  ASSERT_FALSE(target.empty());
  HKEY link;
  ASSERT_EQ(RegCreateKeyExA(fake->hkcu, "Nav\\Cookies", 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &link, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target.data()),
                           static_cast<DWORD>(target.size() * sizeof(wchar_t))),
            ERROR_SUCCESS);
  RegCloseKey(link);
  string through;
  ASSERT_TRUE(GetRegText(fake->hkcu, "Nav\\Cookies\\Child", "keep", through)) << "the link leads on";
  EXPECT_FALSE(reg::DeleteTree(fake->hkcu, "Nav\\Cookies"));
  EXPECT_FALSE(reg::DeleteTree(fake->hkcu, "Nav"));
  string kept;
  EXPECT_TRUE(GetRegText(fake->hkcu, "Precious\\Child", "keep", kept));
  EXPECT_EQ(kept, "me");

  // With its target gone the link leads nowhere and cannot be opened by
  // name; the test's registry must still go with the test, or the next
  // process given this id starts on it.
  ASSERT_TRUE(reg::DeleteTree(fake->hkcu, "Precious"));
  HKEY dangling;
  ASSERT_EQ(RegOpenKeyExA(fake->hkcu, "Nav\\Cookies", 0, KEY_READ, &dangling), ERROR_FILE_NOT_FOUND);
  string key = fake->KeyPath();
  fake.reset();
  HKEY left;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &left), ERROR_FILE_NOT_FOUND) << key;
}
