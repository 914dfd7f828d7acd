// Writes the browser's profile registry file nsreg.dat for a test, through
// the registry library itself.
#pragma once
#include <string>
#include <vector>

struct Profile {
  std::string name;
  std::string location;  // empty: no "ProfileLocation" entry
};

// Writes windowsDir\nsreg.dat anew with the given last user (none when
// empty) and profiles; a failure fails the calling test.
void WriteRegistry(const std::string& windowsDir, const std::string& lastUser,
                   const std::vector<Profile>& profiles);
