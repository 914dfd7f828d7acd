// Discovery's stages that live in modules of their own.
#pragma once
#include <string>

// Reads the Communicator profile's prefs.js: cache and news folders,
// identity, typed addresses; adds the missing placeholder lines.
// `identity` holds the staged identity values in the order signature file,
// organization, e-mail address, user name, reply-to address; values found
// in the file replace them.
void PreferenceStage(std::string identity[5]);

// Points ProfileDir and every store path (mail, bookmarks, cache, cookies,
// history, news) at their places below one Communicator profile folder.
void UseProfileFolder(const std::string& folder);
