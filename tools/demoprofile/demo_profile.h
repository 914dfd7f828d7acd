// A believable browser user for trying the programs out: a Communicator 4
// profile (named in nsreg.dat and in the machine's registry) and the
// Navigator 3 installation it was upgraded from (settings under the user's
// registry), each with its files: preferences, cookies, history, bookmarks,
// disk cache, mail and news. Every name, address and site is made up and
// lies under .example.
//
// Running it again rewrites the demo's own files and keys. It refuses to
// touch a machine whose browser settings name another profile or another
// Navigator folder, unless told to replace them.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct DemoOptions {
  std::string windowsDir;                 // receives nsreg.dat
  std::string root;                       // e.g. "C:\\Program Files\\Netscape"
  HKEY currentUser = HKEY_CURRENT_USER;   // Navigator 3 settings go below it
  HKEY localMachine = HKEY_LOCAL_MACHINE; // the Communicator profile list
  bool communicator = true;               // make the Communicator 4 profile
  bool navigator3 = true;                 // make the Navigator 3 installation
  int cacheFiles = 300;                   // Communicator cache; Navigator 3 gets a third
  bool replaceOthers = false;             // overwrite another user's browser settings
};

// What one generation of the demo holds, so callers can tell the user and
// tests can hold discovery to it.
struct DemoGeneration {
  std::string folder;        // profile folder (4) or installation folder (3)
  std::string cacheDir;
  std::string cookieFile;
  std::string historyFile;
  std::string bookmarkFile;
  std::string mailDir;
  std::string newsDir;
  std::string signatureFile;
  std::string userName;
  std::string email;
  std::string organization;
  std::string replyTo;
  std::vector<std::string> typedUrls;   // typed-URL list, entry 1 first
  std::vector<std::string> mailFolders; // file names in mailDir (each with a .snm)
  std::vector<int> mailMessages;        // messages in each of them
  std::vector<std::string> newsServers; // server names, in the map's order
  std::vector<std::string> newsrcFiles; // subscription file of each server
  int newsgroups = 0;                   // lines of all subscription files
  int newsDatabases = 0;                // .snm files in the server folders
  int cookies = 0;
  int bookmarks = 0;                    // entries with an address
  int bookmarkFolders = 0;
  int historyEntries = 0;
  int cacheFiles = 0;                   // cache entries, without the index file
  int archiveFiles = 0;                 // Netcaster archive (Communicator only)
};

struct DemoDescription {
  std::string profileName;  // Communicator profile name in nsreg.dat
  std::string nsregFile;    // windowsDir + "\\nsreg.dat"
  DemoGeneration communicator;
  DemoGeneration navigator3;
};

// The demo these options would make (nothing is touched).
DemoDescription DescribeDemo(const DemoOptions& options);

// Makes the demo. `log` (optional) receives one line per thing made; on
// failure `error` (optional) says what went wrong and false is returned.
bool MakeDemoProfile(const DemoOptions& options, std::vector<std::string>* log = nullptr,
                     std::string* error = nullptr);

// A path as prefs.js stores it: every backslash doubled.
std::string PrefsPath(const std::string& path);
