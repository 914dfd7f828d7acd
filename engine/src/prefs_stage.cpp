// The last location stage of discovery: what the Communicator profile's
// prefs.js says about the cache and news folders, the identity and the
// typed addresses; placeholder lines for preferences the file lacks.
#include <optional>
#include <string>
#include <vector>

#include "discovery.h"
#include "engine.h"
#include "places.h"
#include "prefs/line_table.h"
#include "prefs/pref_value.h"
#include "prefs_file.h"
#include "text/bounded.h"
#include "text/paths.h"

namespace {

// The string value of the first line holding `key`, if any.
std::optional<std::string> ValueOf(const char* key) {
  int slot = FindPrefLine(key);
  if (PrefsLines[slot].empty()) return std::nullopt;
  return prefs::CutValue(PrefsLines[slot]);
}

// The identity the browser presents: the text of the last line that sets
// `key` (the one the browser reads), its escapes undone.
std::optional<std::string> IdentityOf(const char* key) {
  std::vector<int> slots = PrefLinesOf(key);
  if (slots.empty()) return std::nullopt;
  std::optional<std::string> held = prefs::CutValue(PrefsLines[slots.back()]);
  if (!held) return std::nullopt;
  return prefs::Unescape(*held);
}

bool Present(const char* key) { return !PrefsLines[FindPrefLine(key)].empty(); }

// Traced once the file is open, before its bytes are read.
void Opened() {
  Trace("Jscript", "Opened");
  Trace("szMailJav", szMail);
}

struct Placeholder {
  const char* key;
  const char* trigger;
  const char* line;
};

const Placeholder kPlaceholders[] = {
    {"browser.url_history.URL_16", "network.cookie.warnAboutCookies",
     "\nuser_pref(\"browser.url_history.URL_16\", \"\");"},
    {"browser.url_history.URL_17", "javascript.enabled", "\nuser_pref(\"browser.url_history.URL_17\", \"\");"},
    {"browser.url_history.URL_18", "security.enable_java", "\nuser_pref(\"browser.url_history.URL_18\", \"\");"},
};

}  // namespace

void PreferenceStage(std::string identity[5]) {
  std::string profile(ProfileDir, text::BoundedLen(ProfileDir, sizeof ProfileDir));
  text::CopyWhole(MainDir, profile);
  text::CopyWhole(PrefsFile, paths::Join(profile, "prefs.js"));
  text::CopyWhole(szMail, paths::Join(profile, "mail"));

  if (!LoadPrefsFile(PrefsFile, Opened)) return;
  Trace("Jscript", "Completed OK");

  // The cache folder is emptied by a run: the folder is taken full and
  // long, "." and ".." gone, links kept for the run's gate to judge. One
  // that names no folder (a relative path, a drive's root) is none: the
  // profile's own stands.
  if (auto cache = ValueOf("browser.cache.directory")) {
    std::optional<std::string> folder = NamedPlace(prefs::NormalisePath(*cache));
    if (folder) text::CopyWhole(szCacheLoc, *folder);
  }
  if (auto org = IdentityOf("mail.identity.organization")) identity[1] = *org;
  if (auto name = IdentityOf("mail.identity.username")) identity[3] = *name;
  if (auto mail = IdentityOf("mail.identity.useremail")) identity[2] = identity[4] = *mail;
  if (auto replyTo = IdentityOf("mail.identity.reply_to")) identity[4] = *replyTo;
  identity[0].clear();
  if (auto signature = IdentityOf("mail.signature_file")) identity[0] = *signature;
  for (int i = 1; i <= 15; ++i) {
    std::string key = "browser.url_history.URL_" + std::to_string(i);
    if (auto url = ValueOf(key.c_str())) text::CopyCut(TypedUrl(i), 91, url->substr(0, 90));
  }
  if (auto news = ValueOf("news.directory")) {
    std::optional<std::string> folder = NamedPlace(prefs::NormalisePath(*news));
    text::CopyWhole(NewsPrefjs, folder ? *folder : std::string());
  }
  Trace("pref.news.dir", NewsPrefjs);

  for (const Placeholder& p : kPlaceholders) {
    if (Present(p.key) || Present(p.trigger)) continue;
    AppendPrefLine(p.line);
    WritePrefsFile();
  }
}
