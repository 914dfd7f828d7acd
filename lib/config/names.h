// Names in the shared configuration file MOPWELL.INI and the per-profile
// identity file MPW-ID.INI: sections, keys and the fixed values the
// programs agree on. Every module spells them through these constants.
#pragma once

#define MOPWELL_BUILD "4.50.002"

// Files
constexpr char szIniFile[] = "MOPWELL.INI";
constexpr char szIdIniFile[] = "MPW-ID.INI";

// Sections
constexpr char kSecOptions[] = "Options";
constexpr char kSecPrefs[] = "Prefs";
constexpr char kSecCopyMe[] = "CopyMe";
constexpr char kSecCustoms[] = "customs";
constexpr char kSecRealid[] = "Realid";
// Navigator 3's own identity, for a user of both generations.
constexpr char kSecRealid3[] = "Realid3";
constexpr char kSecAlias[] = "Alias";
constexpr char kSecDiagnostics[] = "Diagnostics";

// Section "Options"
constexpr char kKeyNT[] = "NT";
constexpr char kKeyMoz[] = "Moz";
constexpr char kKeyCow[] = "cow";
constexpr char kKeyMode[] = "mode";
constexpr char kKeyNewsrc[] = "newsrc";
constexpr char kKeyNewsSubs[] = "news-subs";
constexpr char kKeyMail[] = "mail";
constexpr char kKeyWebsites[] = "websites";
constexpr char kKeyUrlwin[] = "urlwin";
constexpr char kKeyCookies[] = "cookies";
constexpr char kKeyBookmarks[] = "bookmarks";
constexpr char kKeyCache[] = "cache";
constexpr char kKeyDocs[] = "docs";
constexpr char kKeyUserID[] = "userID";

// Section "Prefs"
constexpr char kKeyNewsMsgs[] = "NewsMsgs";
constexpr char kKeyNewsRCGs[] = "NewsRCGs";
constexpr char kKeyNewsHost[] = "NewsHost";
constexpr char kKeyNewsSubS[] = "NewsSubS";
constexpr char kKeyDoSent[] = "DoSent";
constexpr char kKeyDoDraft[] = "DoDraft";
constexpr char kKeyDoInbox[] = "DoInbox";
constexpr char kKeyDoOutBx[] = "DoOutBx";
constexpr char kKeyJavaDesired[] = "JavaDesired";
constexpr char kKeyCookBlocker[] = "CookBlocker";
constexpr char kKeyCookieWarn[] = "CookieWarn";
constexpr char kKeyFatDB[] = "FatDB";
constexpr char kKeyMooVariable[] = "MooVariable";
constexpr char kKeyUnrecover[] = "Unrecover";
constexpr char kKeyBookBack[] = "BookBack";
constexpr char kKeyAltCfg[] = "AltCfg";
constexpr char kKeyIniFileName[] = "inifilename";

// Section "CopyMe"
constexpr char kKeyWhich[] = "which";
constexpr char kKeyWhere[] = "where";
constexpr char kKeyCopyUserID[] = "userID";
constexpr char kKeyProfRoot[] = "profroot";

// Section "customs"
constexpr char kKeySizeX[] = "sizeX";
constexpr char kKeySizeY[] = "sizeY";
constexpr char kKeyCustBookmarks[] = "bookmarks";
constexpr char kKeyCustCache[] = "cache";
constexpr char kKeyCustCookies[] = "cookies";
constexpr char kKeyCustHistory[] = "history";
constexpr char kKeyNsreg[] = "nsreg";
constexpr char kKeyNews[] = "news";
constexpr char kKeyFat[] = "fat";
constexpr char kKeySubfix[] = "subfix";
constexpr char kKeySubs[] = "subs";
constexpr char kKeyVnet[] = "Vnet";

// Sections "Realid" and "Alias" (also in MPW-ID.INI)
constexpr char kKeyUser[] = "User";
constexpr char kKeyUserAddr[] = "User_Addr";
constexpr char kKeyUserOrg[] = "User_Organization";
constexpr char kKeySigFile[] = "Sig_File";
constexpr char kKeyReplyTo[] = "Reply_To";
// The browser's own mail login, kept with the real identity only when it
// is not the e-mail address (a real run puts it back).
constexpr char kKeyPopName[] = "Pop_Name";

// Conventions
constexpr char kOn[] = "1";
constexpr char kOff[] = "0";
constexpr char kNotSet[] = "@";           // default of string keys
constexpr char kNoOverride[] = "*";       // "customs" path overrides
constexpr char kAliasNotEntered[] = "?";  // alias identity not yet entered
constexpr char kIdentityEmpty[] = "(empty!)";
constexpr char kDiagOnValue[] = "moo";
constexpr char kDiagOffValue[] = "oom";

// The working copies of browser databases that the viewer page hands to the
// file viewer, relative to the working directory, in the order in which
// they are destroyed.
constexpr const char* kDumpFiles[7] = {"Newsgroups",       "History.Database", "Cookies.Database",
                                       "News.Database",    "Mail.Database",    "Cache.Database",
                                       "Bookmarks.Database"};
