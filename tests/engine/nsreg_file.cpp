#include "nsreg_file.h"

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "nsreg/nsreg.h"

void WriteRegistry(const std::string& windowsDir, const std::string& lastUser,
                   const std::vector<Profile>& profiles) {
  std::string file = windowsDir + "\\nsreg.dat";
  ASSERT_TRUE(WriteFileBytes(file, ""));
  HREG reg = nullptr;
  ASSERT_EQ(NR_RegOpen(file.c_str(), &reg), REGERR_OK);
  if (!lastUser.empty()) {
    RKEY manager = 0;
    ASSERT_EQ(NR_RegAddKey(reg, ROOTKEY_COMMON, "Netscape/ProfileManager", &manager), REGERR_OK);
    ASSERT_EQ(NR_RegSetEntryString(reg, manager, "LastNetscapeUser", lastUser.c_str()), REGERR_OK);
  }
  for (const Profile& p : profiles) {
    RKEY user = 0;
    ASSERT_EQ(NR_RegAddKey(reg, ROOTKEY_USERS, p.name.c_str(), &user), REGERR_OK);
    if (!p.location.empty()) {
      ASSERT_EQ(NR_RegSetEntryString(reg, user, "ProfileLocation", p.location.c_str()), REGERR_OK);
    }
  }
  ASSERT_EQ(NR_RegClose(reg), REGERR_OK);
}
