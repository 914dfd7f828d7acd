// A clean slate for discovery: every program-wide location emptied, a
// scratch platform, and the working directory in the program folder.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "demo_profile.h"
#include "engine.h"
#include "fake_platform.h"

class DiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void SetIni(const char* section, const char* key, const char* value) {
    WritePrivateProfileStringA(section, key, value, fake->IniPath().c_str());
  }
  std::string Ini(const char* section, const char* key) const {
    return ReadIni(fake->IniPath(), section, key);
  }
  void SetUser(const std::string& key, const char* value, const std::string& data) {
    SetRegText(fake->hkcu, key.c_str(), value, data);
  }
  void SetMachine(const std::string& key, const char* value, const std::string& data) {
    SetRegText(fake->hklm, key.c_str(), value, data);
  }
  void WriteNscp(const std::string& text) { WriteFileBytes(fake->windowsDir + "\\NSCP.INI", text); }
  void MakeDir(const std::string& dir) { CreateDirectoryA(dir.c_str(), nullptr); }
  // The demo browser user's options, placed in this test's Windows
  // directory, scratch folder and registry roots.
  DemoOptions DemoHere(int cacheFiles) const {
    DemoOptions o;
    o.windowsDir = fake->windowsDir;
    o.root = fake->root + "\\Program Files\\Netscape";
    o.currentUser = fake->hkcu;
    o.localMachine = fake->hklm;
    o.cacheFiles = cacheFiles;
    return o;
  }

  const std::string kPlain = "Software\\Netscape\\Netscape Navigator\\";
  const std::string kCorel = "Software\\Corel\\Corel Netscape\\Netscape Navigator\\";
  const std::string kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  std::unique_ptr<FakePlatform> fake;
};

// Empties every field discovery fills.
void ClearProfileLocations();
