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
#include "cleaners.h"
#include "config/names.h"
#include "globals.h"
#include "ini.h"
#include "mopwell.h"
#include "places.h"
#include "platform.h"
#include "registry.h"
#include "prefs/pref_value.h"
#include "prefs_file.h"
#include "text/bounded.h"
#include "text/paths.h"

IdentityRecord AliasIdentity;
IdentityRecord RealIdentity;
char szProFile[MAX_PATH];
bool IdentitiesRead;

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
constexpr Field kFields[] = {
    {kKeySigFile, &IdentityRecord::sigFile, 150, ""},
    {kKeyUserOrg, &IdentityRecord::organization, 50, kIdentityEmpty},
    {kKeyUserAddr, &IdentityRecord::address, 50, kIdentityEmpty},
    {kKeyUser, &IdentityRecord::user, 50, kIdentityEmpty},
    {kKeyReplyTo, &IdentityRecord::replyTo, 50, kIdentityEmpty},
    {kKeyPopName, &IdentityRecord::popName, 50, ""},
};

char* FieldOf(IdentityRecord& r, const Field& f) { return (r.*f.member); }

void Reset(IdentityRecord& r) {
  for (const Field& f : kFields) text::CopyCut(FieldOf(r, f), sizeof r.sigFile, f.def);
}

// Reads one record from `file`. A missing key gives the field's default,
// or with `keepHeld` the value the field holds.
void ReadRecord(const char* file, const char* section, IdentityRecord& r, bool keepHeld) {
  for (const Field& f : kFields) {
    std::string def = keepHeld ? std::string(FieldOf(r, f), text::BoundedLen(FieldOf(r, f), sizeof r.sigFile))
                               : std::string(f.def);
    ini::GetString(file, section, f.key, def.c_str(), FieldOf(r, f), f.limit);
  }
}

std::size_t Len(const char* field) { return text::BoundedLen(field, sizeof(IdentityRecord::user)); }

// A field that still holds the reader's default was never stored: writing
// that text would put "(empty!)" in place of what the browser holds.
bool Stored(const char* field) { return !text::EqualsNoCase(std::string_view(field, Len(field)), kIdentityEmpty); }

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
// settings page kept them (they differ from the address).
void WritePrefs(CleanRun& run, const IdentityRecord& id, bool alias) {
  ReloadPrefsIfChanged();
  const bool keepLogin = ini::GetInt(szIniFile, kSecPrefs, kKeyUnrecover, 0) != 0;
  const char* login = !alias && Len(id.popName) > 0 ? id.popName : id.address;
  const char* replyTo = !alias && Stored(id.replyTo) && Len(id.replyTo) > 0 ? id.replyTo : id.address;
  const struct {
    const char* key;
    const char* value;
  } lines[] = {{"mail.pop_name", login},
               {"mail.identity.reply_to", replyTo},
               {"mail.identity.organization", id.organization},
               {"mail.identity.username", id.user},
               {"mail.identity.useremail", id.address},
               {"mail.signature_file", id.sigFile}};
  for (const auto& l : lines) {
    if (keepLogin && std::strcmp(l.key, "mail.pop_name") == 0) continue;
    if (!Stored(l.value)) continue;
    std::string text(l.value, Len(l.value));
    std::string line = std::string("\nuser_pref(\"") + l.key + "\", \"" + prefs::EscapeValue(text) + "\");";
    for (int slot : PrefLinesOf(l.key)) {
      std::optional<std::string> held = prefs::CutValue(PrefsLines[slot]);
      if (held && prefs::Unescape(*held) == text) continue;
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

void ReadIdentities(bool fromProfile) {
  if (!fromProfile) {
    ReadRecord(szIniFile, kSecAlias, AliasIdentity, false);
    ReadRecord(szIniFile, kSecRealid, RealIdentity, false);
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
    WriteRegistry(run, id, alias);
    WriteBrowserIni(run, id);
    if (communicator) WritePrefs(run, id, alias);
  }
  Trace("UserID", alias ? "AliasID" : "RealID");
}
