// Discovery's stages that live in modules of their own.
#pragma once
#include <string>

// Reads the Communicator profile's prefs.js: cache and news folders,
// identity, typed addresses; adds the missing placeholder lines.
// `identity` holds the staged identity values in the order signature file,
// organization, e-mail address, user name, reply-to address; values found
// in the file replace them.
void PreferenceStage(std::string identity[5]);
