// The identity switch, first step of every clean run: the browser is made
// to present the alias (box 125 checked) or the real identity, in each
// place a browser generation reads it from — the Navigator 3 registry key,
// the Corel edition's own INI file and Communicator 4's prefs.js — and the
// choice is recorded for the tray companion.
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "clean_engine.h"
#include "step_settings.h"
#include "config/names.h"
#include "globals.h"
#include "ini.h"
#include "engine.h"
#include "places.h"
#include "platform.h"
#include "registry.h"
#include "prefs/pref_value.h"
#include "prefs_file.h"
#include "text/bounded.h"
#include "text/paths.h"

IdentityRecord AliasIdentity;
IdentityRecord RealIdentity;
IdentityRecord Navigator3Identity;
bool Navigator3Known;
char szProFile[MAX_PATH];
bool IdentitiesRead;
const char* const kIdentityPrefKeys[kIdentityPrefs] = {"mail.identity.username",     "mail.identity.useremail",
                                                       "mail.identity.reply_to",     "mail.identity.organization",
                                                       "mail.signature_file",        "mail.pop_name"};

namespace {

constexpr char kCaptionIndent[] = "              ";  // fourteen blanks
constexpr char kBrowserSection[] = "Netscape Settings";

// The fields in the order they are read, with their read limits and
// defaults.
using Text = char[sizeof(IdentityRecord::user)];
struct Field {
  const char* key;
  Text IdentityRecord::*member;
  DWORD limit;
  const char* def;
};
// Every value is read whole as far as its field holds it (the settings
// page keeps what the browser itself had, which may be longer than what
// its fields take typed in).
constexpr Field kFields[] = {
    {kKeySigFile, &IdentityRecord::sigFile, 150, ""},
    {kKeyUserOrg, &IdentityRecord::organization, 150, kIdentityEmpty},
    {kKeyUserAddr, &IdentityRecord::address, 150, kIdentityEmpty},
    {kKeyUser, &IdentityRecord::user, 150, kIdentityEmpty},
    {kKeyReplyTo, &IdentityRecord::replyTo, 150, kIdentityEmpty},
    {kKeyPopName, &IdentityRecord::popName, 150, kIdentityEmpty},
};

char* FieldOf(IdentityRecord& r, const Field& f) { return (r.*f.member); }

void Reset(IdentityRecord& r) {
  for (const Field& f : kFields) text::CopyCut(FieldOf(r, f), sizeof r.sigFile, f.def);
  for (char* line : r.held) line[0] = '\0';
}

// A signature file's path with every doubled backslash made one but the
// pair a network path begins with: earlier versions stored the path as
// prefs.js holds it, escaped, and no path has doubled separators.
std::string SignaturePath(const std::string& path) {
  std::string out;
  std::size_t at = 0;
  if (path.compare(0, 2, "\\\\") == 0) {
    out = "\\\\";
    while (at < path.size() && path[at] == '\\') ++at;
  }
  for (; at < path.size(); ++at)
    if (path[at] != '\\' || out.empty() || out.back() != '\\') out += path[at];
  return out;
}

// Reads one record from `file`. A missing key gives the field's default,
// or with `keepHeld` the value the field holds.
void ReadRecord(const char* file, const char* section, IdentityRecord& r, bool keepHeld) {
  for (const Field& f : kFields) {
    std::string def = keepHeld ? std::string(FieldOf(r, f), text::BoundedLen(FieldOf(r, f), sizeof r.sigFile))
                               : std::string(f.def);
    ini::GetString(file, section, f.key, def.c_str(), FieldOf(r, f), f.limit);
  }
  text::CopyCut(r.sigFile, SignaturePath(std::string(r.sigFile, text::BoundedLen(r.sigFile, sizeof r.sigFile))));
  for (int i = 0; i < kIdentityPrefs; ++i) {
    std::string def = keepHeld ? std::string(r.held[i], text::BoundedLen(r.held[i], sizeof r.held[i])) : std::string();
    ini::GetString(file, section, kIdentityPrefKeys[i], def.c_str(), r.held[i], sizeof r.held[i]);
  }
}

std::size_t Len(const char* field) { return text::BoundedLen(field, sizeof(IdentityRecord::user)); }

// A field that still holds the reader's default was never stored: writing
// that text would put "(empty!)" in place of what the browser holds. Nor
// is "{empty}", which the settings page stores for an organization the
// browser has no line for.
bool Stored(const char* field) {
  std::string_view text(field, Len(field));
  return !text::EqualsNoCase(text, kIdentityEmpty) && text != "{empty}";
}

// An identity whose address is still "?" was never entered (the settings
// page shows it so until the user types one): it is written nowhere.
bool Unentered(const IdentityRecord& id) {
  return std::string_view(id.address, Len(id.address)).find(kAliasNotEntered[0]) != std::string_view::npos;
}

// Navigator 3: the values under regit + "User", only into a key that is
// already there, and only for a user name long enough to be a real one.
void WriteRegistry(CleanRun& run, const IdentityRecord& id, bool alias) {
  if (regit[0] == '\0') return;  // no browser key known: "User" alone is no place of the browser's
  if (Len(id.user) < (alias ? 2u : 3u)) return;
  std::string keyPath = std::string(regit, text::BoundedLen(regit, sizeof regit)) + "User";
  const struct {
    const char* name;
    const char* data;
  } values[] = {{"Sig_File", id.sigFile},
                {"User_Organization", id.organization},
                {"User_Addr", id.address},
                {"User_Name", id.user},
                {"Reply_To", id.replyTo}};
  std::vector<std::pair<std::string, std::string>> set;
  for (const auto& v : values)
    if (Stored(v.data)) set.emplace_back(v.name, std::string(v.data, Len(v.data)));
  run.SetRegistry(keyPath, set);
}

// The Corel edition's own INI file, when "customs" "Vnet" names one.
void WriteBrowserIni(CleanRun& run, const IdentityRecord& id) {
  char vnet[MAX_PATH];
  ini::GetString(szIniFile, kSecCustoms, kKeyVnet, "=", vnet);
  // An empty value names no file either.
  if (vnet[0] == '\0' || text::EqualsNoCase(vnet, "=")) return;
  const struct {
    const char* key;
    const char* value;
  } keys[] = {{"User\\Sig_File", id.sigFile},
              {"User\\Reply_To", id.replyTo},
              {"User\\User_Name", id.user},
              {"User\\User_Addr", id.address},
              {"User\\User_Organization", id.organization}};
  for (const auto& k : keys)
    if (Stored(k.value)) run.SetIni(vnet, kBrowserSection, k.key, k.value);
}

// Communicator 4: the identity lines of prefs.js that are there; none is
// added. Every line that sets a key gets the value (the browser reads the
// last of them), escaped as the browser reads its script, so that any text
// comes back from the file as it went in; a line that already says so
// stays as it is, byte for byte.
// The alias answers and logs in with its address. The real identity
// gives back the browser's own reply-to address and login where the
// settings page kept them, and each line the browser had, byte for byte,
// while the record still says what that line says.
void WritePrefs(CleanRun& run, const IdentityRecord& id, bool alias) {
  ReloadPrefsIfChanged();
  const bool keepLogin = ini::GetInt(szIniFile, kSecPrefs, kKeyUnrecover, 0) != 0;
  const char* login = !alias && Stored(id.popName) ? id.popName : id.address;
  const char* replyTo = !alias && Stored(id.replyTo) ? id.replyTo : id.address;
  const char* values[kIdentityPrefs] = {id.user, id.address, replyTo, id.organization, id.sigFile, login};
  for (int i = 0; i < kIdentityPrefs; ++i) {
    const char* key = kIdentityPrefKeys[i];
    if (keepLogin && std::strcmp(key, "mail.pop_name") == 0) continue;
    if (!Stored(values[i])) continue;
    std::string text(values[i], Len(values[i]));
    std::string line = std::string("\nuser_pref(\"") + key + "\", \"" + prefs::EscapeValue(text) + "\");";
    bool own = false;
    if (!alias && id.held[i][0] != '\0') {
      std::string held(id.held[i], text::BoundedLen(id.held[i], sizeof id.held[i]));
      std::optional<std::string> value = prefs::CutValue(held);
      if (value && prefs::Unescape(*value) == text && prefs::PrefKeyOf(held) == key) {
        line = "\n" + held;
        own = true;
      }
    }
    for (int slot : PrefLinesOf(key)) {
      const std::string& now = PrefsLines[slot];
      if (now == line || (slot == 0 && "\n" + now == line)) continue;
      // A line that already says so stays as it is (another spelling of
      // the same text), unless the browser's own line is to come back.
      std::optional<std::string> held = prefs::CutValue(now);
      if (!own && held && prefs::Unescape(*held) == text) continue;
      ReplacePrefLine(slot, line.c_str());
    }
  }
  run.WritePrefs();
}

}  // namespace

void FormIdFilePath() {
  szProFile[0] = '\0';
  std::string dir(RegProfileDir, text::BoundedLen(RegProfileDir, sizeof RegProfileDir));
  // Without a profile folder (the lookup leaves a lone backslash) there is
  // no MPW-ID.INI: a relative path would put one at a drive's root or in
  // whatever folder is current.
  std::optional<std::string> place = ResolvePlace(dir);
  // A Communicator profile found through the machine's registry or
  // NSCP.INI has no entry in the browser's registry file: its folder is
  // the one discovery took, and its MPW-ID.INI lives there all the same.
  if (!place && ini::GetInt(szIniFile, kSecOptions, kKeyMoz, 0) != 0)
    place = ResolvePlace(std::string(ProfileDir, text::BoundedLen(ProfileDir, sizeof ProfileDir)));
  if (!place) return;
  text::CopyWhole(szProFile, paths::Join(*place, szIdIniFile));
}

bool WriteIdentityRecord(const char* file, const char* section, const IdentityRecord& r, bool held) {
  auto put = [&](const char* key, const char* value, std::size_t size) {
    std::string text(value, text::BoundedLen(value, size));
    return ini::Write(file, section, key, ini::Kept(text).c_str());
  };
  bool ok = put(kKeySigFile, r.sigFile, sizeof r.sigFile);
  ok = put(kKeyUserOrg, r.organization, sizeof r.organization) && ok;
  ok = put(kKeyUserAddr, r.address, sizeof r.address) && ok;
  ok = put(kKeyUser, r.user, sizeof r.user) && ok;
  ok = put(kKeyReplyTo, r.replyTo, sizeof r.replyTo) && ok;
  if (Stored(r.popName))
    ok = put(kKeyPopName, r.popName, sizeof r.popName) && ok;
  else
    ok = ini::Write(file, section, kKeyPopName, nullptr) && ok;
  for (int i = 0; i < kIdentityPrefs; ++i) {
    if (held && r.held[i][0] != '\0')
      ok = put(kIdentityPrefKeys[i], r.held[i], sizeof r.held[i]) && ok;
    else
      ok = ini::Write(file, section, kIdentityPrefKeys[i], nullptr) && ok;
  }
  return ok;
}

void ReadIdentities(bool fromProfile) {
  if (!fromProfile) {
    ReadRecord(szIniFile, kSecAlias, AliasIdentity, false);
    ReadRecord(szIniFile, kSecRealid, RealIdentity, false);
    Reset(Navigator3Identity);
    ReadRecord(szIniFile, kSecRealid3, Navigator3Identity, false);
    Navigator3Known = Stored(Navigator3Identity.address);
    IdentitiesRead = true;
    return;
  }
  // Read alone (before setup), MPW-ID.INI lies over the defaults rather
  // than over whatever an earlier page left. That does not make the
  // identities complete enough to be written into the browser.
  if (!IdentitiesRead) {
    Reset(AliasIdentity);
    Reset(RealIdentity);
  }
  if (szProFile[0] == '\0') return;
  ReadRecord(szProFile, kSecAlias, AliasIdentity, true);
  ReadRecord(szProFile, kSecRealid, RealIdentity, true);
}

void SwitchIdentityStep(CleanRun& run, bool alias) {
  const IdentityRecord& id = alias ? AliasIdentity : RealIdentity;
  const char* flag = alias ? kOn : kOff;
  const bool communicator = ini::GetInt(szIniFile, kSecOptions, kKeyMoz, 0) != 0;

  run.SetIni(szIniFile, kSecOptions, kKeyUserID, flag);
  // Without a profile's MPW-ID.INI there is nothing to record it in; an
  // empty name would land in the Windows directory or the current folder.
  // Nor through a link or into a file that has another name.
  if (communicator && szProFile[0] != '\0' && run.Unshare(szProFile))
    run.SetIni(szProFile, kSecOptions, kKeyUserID, flag);

  std::string caption = std::string(kCaptionIndent) + std::string(id.user, Len(id.user));
  run.Status(caption);

  // Identities that page set-up did not read are no identities: writing
  // them would replace the user's name, address and login with blanks. Nor
  // is one that was never saved (Save always stores the address): a run
  // between a version button and Save would write "(empty!)" and an empty
  // signature over what the browser holds.
  if (IdentitiesRead && Stored(id.address) && !Unentered(id)) {
    // Navigator 3's places get its own identity back, where it was kept
    // apart from Communicator's.
    const IdentityRecord& navigator3 = !alias && communicator && Navigator3Known ? Navigator3Identity : id;
    WriteRegistry(run, navigator3, alias);
    WriteBrowserIni(run, navigator3);
    if (communicator) WritePrefs(run, id, alias);
  }
  Trace("UserID", alias ? "AliasID" : "RealID");
}
