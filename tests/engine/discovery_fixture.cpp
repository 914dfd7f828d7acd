#include "discovery_fixture.h"

#include <cstring>

void ClearProfileLocations() {
  char* fields[] = {MainDir, szNewsLoc, szMail, szBookmarkLoc, szCacheLoc, szCookieLoc, HistLoc,
                    szDocDir, Udata1, Udata2, Udata3, Udata4, Udata5, ProfileDir, PrefsFile,
                    RegProfileDir, NewsPrefjs, regit, CurrentUser, User40, DirRoot, helpLoc,
                    TemplateFile};
  for (char* f : fields) f[0] = '\0';
  for (int i = 1; i <= 15; ++i) TypedUrl(i)[0] = '\0';
  OSV = 0;
  szCommand[0] = '\0';
}

void DiscoveryTest::SetUp() {
  fake = std::make_unique<FakePlatform>();
  ClearProfileLocations();
  lstrcpyA(RegProfileDir, "\\");  // what the lookup leaves without nsreg.dat
  SetCurrentDirectoryA(fake->programDir.c_str());
}

void DiscoveryTest::TearDown() { fake.reset(); }
