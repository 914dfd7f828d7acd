// A new user's first sitting with the real mopwell.exe, driven from
// outside through the real controls: the first-run message, the Settings
// page (alias typed in, browser version chosen, saved), the Preferences
// page (Java refused), the Fettlor page (one cookie kept), then a clean
// run that switches to the alias and cleans the cookies. Everything is
// checked from outside afterwards against what was known before the run.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "demo_profile.h"
#include "e2e_support.h"
#include "window_probe.h"

namespace {

constexpr DWORD kPatience = 60000;  // a cold prefix can take long to show a window

// Tabs of the main window.
constexpr int kTabClean = 0;
constexpr int kTabKeeper = 2;
constexpr int kTabSettings = 3;
constexpr int kTabPrefs = 4;

// Settings page.
constexpr int kRealName = 156, kRealAddr = 157, kRealOrg = 158, kRealSig = 159;
constexpr int kAliasName = 160, kAliasAddr = 161, kAliasOrg = 162, kAliasSig = 163;
constexpr int kBrowserDir = 164, kVersion4 = 165;
constexpr int kSave = 151;
// Preferences page.
constexpr int kRefuseJava = 113;
// Fettlor page.
constexpr int kCollected = 147, kKept = 148, kKeep = 156;
// Clean page.
constexpr int kUseAlias = 125, kCleanCookies = 111;
constexpr int kCleanBoxes[] = {125, 107, 108, 150, 109, 110, 111, 112, 113, 153};

struct Identity {
  std::string name, address, organization, signature;
  std::string replyTo, login;  // as stored: "<absent>" for a login that is the address
};

// The file's lines, each with its line end.
std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    end = end == std::string::npos ? bytes.size() : end + 1;
    lines.push_back(bytes.substr(start, end - start));
    start = end;
  }
  return lines;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

std::string IniValue(const std::string& file, const char* section, const char* key) {
  char value[512] = "";
  GetPrivateProfileStringA(section, key, "<absent>", value, sizeof value, file.c_str());
  return value;
}

void ExpectIdentity(const std::string& file, const char* section, const Identity& id) {
  SCOPED_TRACE(file + " [" + section + "]");
  EXPECT_EQ(IniValue(file, section, "User"), id.name);
  EXPECT_EQ(IniValue(file, section, "User_Addr"), id.address);
  EXPECT_EQ(IniValue(file, section, "User_Organization"), id.organization);
  EXPECT_EQ(IniValue(file, section, "Sig_File"), id.signature);
  EXPECT_EQ(IniValue(file, section, "Reply_To"), id.replyTo);
  EXPECT_EQ(IniValue(file, section, "Pop_Name"), id.login);
}

// The lines of prefs.js that carry the identity, in file order.
std::vector<std::string> IdentityLines(const std::string& prefs) {
  std::vector<std::string> out;
  for (const std::string& line : Lines(prefs))
    for (const char* key : {"mail.identity.username", "mail.identity.useremail", "mail.identity.reply_to",
                            "mail.identity.organization", "mail.signature_file", "mail.pop_name"})
      if (line.rfind(std::string("user_pref(\"") + key + "\"", 0) == 0) out.push_back(line);
  return out;
}

std::string PrefLine(const std::string& key, const std::string& value) {
  return "user_pref(\"" + key + "\", \"" + value + "\");";
}

// Answers the message box titled `title` with OK and returns its text;
// "<no box>" when none came.
std::string Acknowledge(const char* title) {
  HWND box = probe::WaitForMessageBox(title, kPatience);
  if (!box) return "<no box>";
  std::string text = probe::MessageBoxText(box);
  probe::PressButton(box, IDOK);
  DWORD start = GetTickCount();
  while (IsWindow(box) && GetTickCount() - start < kPatience) Sleep(20);
  return text;
}

// List rows for a failure message, one a line, control characters shown
// by their codes.
std::string Shown(const std::vector<std::string>& rows) {
  std::string out;
  for (const std::string& row : rows) {
    for (unsigned char c : row) {
      char code[8];
      std::snprintf(code, sizeof code, c < 32 || c > 126 ? "<%02X>" : "%c", c);
      out += code;
    }
    out += '\n';
  }
  return out;
}

std::string Join(const std::vector<std::string>& titles) {
  std::string out;
  for (const std::string& t : titles) out += (out.empty() ? "" : ", ") + ("\"" + t + "\"");
  return out;
}

// A file of the program's folder that the sitting changes (the keep file,
// the bookmark template): its bytes are put back afterwards, or it is
// removed when there was none, so the build tree is as the next test
// expects it.
class RestoredFile {
 public:
  explicit RestoredFile(std::string path) : path_(std::move(path)), before_(Read(path_)) {}
  ~RestoredFile() {
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (before_ == "<missing>")
      DeleteFileA(path_.c_str());
    else
      Write(path_, before_);
  }
  RestoredFile(const RestoredFile&) = delete;
  RestoredFile& operator=(const RestoredFile&) = delete;

 private:
  std::string path_;
  std::string before_;
};

}  // namespace

TEST(EndToEnd, OneSittingSetsUpKeepsOneCookieAndGoesOnlineAsTheAlias) {
  const std::string root = ScratchFolder("mopwell-e2e-sitting");
  PrefixCleanup cleanup(root);
  const std::string programDir = ProgramFolder();
  RestoredFile keepFile(programDir + "\\hookies.txt");
  RestoredFile bookmarkTemplate(programDir + "\\MOPWELL.BKM");
  DeleteFileA((programDir + "\\hookies.txt").c_str());  // a new user has kept nothing yet

  // A user of both generations: Navigator 3 keeps another identity in the
  // registry, but the profile in use is a Communicator one, so the real
  // identity the page offers is the one its prefs.js holds.
  DemoOptions options;
  options.windowsDir = WindowsDir();
  options.root = root;
  options.navigator3 = true;
  options.cacheFiles = 12;
  options.replaceOthers = true;
  CreateDirectoryA(root.c_str(), nullptr);
  std::string error;
  ASSERT_TRUE(MakeDemoProfile(options, nullptr, &error)) << error;
  const DemoGeneration c4 = DescribeDemo(options).communicator;
  const DemoGeneration n3 = DescribeDemo(options).navigator3;
  ASSERT_NE(n3.email, c4.email) << "the generations must differ for this test";
  const std::string iniFile = WindowsDir() + "\\MOPWELL.INI";
  const std::string idFile = c4.folder + "\\MPW-ID.INI";
  ASSERT_FALSE(Exists(iniFile));

  // The browser's own reply-to address and login stay with the real
  // identity, so that a real run gives them back.
  const Identity real{c4.userName, c4.email, c4.organization, c4.signatureFile, c4.replyTo, "dana"};
  const Identity alias{"Quill Ashgrove", "q.ashgrove@masks.example", "Foxglove Lantern Guild",
                       "C:\\Alias\\quill-sig.txt", "q.ashgrove@masks.example", "<absent>"};

  // What is known before the run: the cookie to keep, as the browser's
  // cookie file holds it (line end included), and the files the run must
  // leave alone.
  const std::string cookiesBefore = Read(c4.cookieFile);
  const std::vector<std::string> cookieLines = Lines(cookiesBefore);
  ASSERT_GT(cookieLines.size(), 6u);
  std::string kept;
  for (const std::string& line : cookieLines)
    if (line.find("\tmember\tdwhitfield") != std::string::npos) kept = line;
  ASSERT_EQ(kept.rfind("www.clay-guild.example\tFALSE\t/members/\tFALSE\t", 0), 0u) << kept;
  ASSERT_EQ(kept.substr(kept.size() - 2), "\r\n");
  const std::string keptRow = kept.substr(0, kept.size() - 2);  // the lists show no line ends
  const std::string prefsBefore = Read(c4.folder + "\\prefs.js");
  ASSERT_NE(prefsBefore.find(PrefLine("mail.identity.useremail", real.address)), std::string::npos);
  ASSERT_NE(prefsBefore.find(PrefLine("mail.pop_name", real.login)), std::string::npos);
  const std::vector<std::string> identityBefore = IdentityLines(prefsBefore);
  ASSERT_EQ(identityBefore.size(), 6u);
  const std::string bookmarksBefore = Read(c4.bookmarkFile);
  const std::string historyBefore = Read(c4.historyFile);

  Program mopwell;
  ASSERT_TRUE(mopwell.Start());

  // First start: the setup message comes before the window.
  std::string firstRun = Acknowledge("IMPORTANT! PLEASE READ THIS!");
  ASSERT_EQ(firstRun.rfind("Thank you for purchasing Mopwell Quorvix.", 0), 0u) << firstRun;
  HWND main = probe::WaitForWindow("Mopwell", "Mopwell", kPatience);
  ASSERT_NE(main, nullptr);
  HWND page = probe::CurrentPage(main);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(probe::ItemText(page, kUseAlias), "Use anonymous User ID online")
      << "the Communicator profile is found at start, so the clean page comes first";

  // Settings: the reminder, then the alias typed in, the version chosen
  // and everything saved.
  {
    SCOPED_TRACE("Settings page");
    page = probe::PickTab(main, kTabSettings, kPatience);
    ASSERT_NE(page, nullptr);
    std::string reminder = Acknowledge("Reminder ...");
    EXPECT_EQ(reminder.rfind("Your alias settings haven't been set.", 0), 0u) << reminder;
    ASSERT_TRUE(probe::Settle(page, kPatience));
    EXPECT_EQ(probe::ItemText(page, kAliasName), "?");
    EXPECT_EQ(probe::ItemText(page, kAliasAddr), "?");
    EXPECT_EQ(probe::ItemText(page, kAliasOrg), "?");
    EXPECT_EQ(probe::ItemText(page, kAliasSig), "");

    ASSERT_TRUE(probe::SetItemText(page, kAliasName, alias.name));
    ASSERT_TRUE(probe::SetItemText(page, kAliasAddr, alias.address));
    ASSERT_TRUE(probe::SetItemText(page, kAliasOrg, alias.organization));
    ASSERT_TRUE(probe::SetItemText(page, kAliasSig, alias.signature));

    probe::Click(page, kVersion4);
    ASSERT_TRUE(probe::Settle(page, kPatience));
    EXPECT_EQ(probe::OpenMessageBoxes(main), std::vector<std::string>())
        << "\"4 or higher\" finds the demo profile without a word";
    std::string dir = probe::ItemText(page, kBrowserDir);
    if (!dir.empty() && dir.back() == '\\') dir.pop_back();  // with its closing backslash or without
    EXPECT_EQ(lstrcmpiA(dir.c_str(), c4.folder.c_str()), 0) << dir << " is the profile folder";
    // The browser's identity, as prefs.js holds it, is the real one.
    EXPECT_EQ(probe::ItemText(page, kRealName), real.name);
    EXPECT_EQ(probe::ItemText(page, kRealAddr), real.address);
    EXPECT_EQ(probe::ItemText(page, kRealOrg), real.organization);
    EXPECT_EQ(probe::ItemText(page, kRealSig), real.signature);
    EXPECT_EQ(probe::ItemText(page, kAliasName), alias.name) << "what the user typed stays";

    probe::Click(page, kSave);
    EXPECT_EQ(Acknowledge("Saving settings"), "Your settings have been saved.");
    ASSERT_TRUE(probe::Settle(page, kPatience));
  }

  // Preferences: refuse Java and JavaScript.
  {
    SCOPED_TRACE("Preferences page");
    page = probe::PickTab(main, kTabPrefs, kPatience);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(probe::SetCheck(page, kRefuseJava, true, kPatience));
    probe::Click(page, kSave);
    EXPECT_EQ(Acknowledge("Saving Preferences"), "Your Preferences have been saved.");
    ASSERT_TRUE(probe::Settle(page, kPatience));
  }

  // Fettlor: keep one cookie.
  {
    SCOPED_TRACE("Fettlor page");
    page = probe::PickTab(main, kTabKeeper, kPatience);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(probe::WaitForRow(page, kCollected, keptRow, kPatience))
        << "the browser's cookies are listed; the list holds:\n" << Shown(probe::ListRows(page, kCollected));
    EXPECT_EQ(probe::ListRows(page, kCollected).size(), cookieLines.size() - 4) << "every cookie, no header";
    EXPECT_TRUE(probe::ListRows(page, kKept).empty());
    ASSERT_TRUE(probe::SelectRow(page, kCollected, keptRow));
    probe::Click(page, kKeep);
    ASSERT_TRUE(probe::WaitForRow(page, kKept, keptRow, kPatience));
    EXPECT_EQ(probe::ListRows(page, kKept), std::vector<std::string>{keptRow});
    EXPECT_EQ(probe::ListRows(page, kCollected).size(), cookieLines.size() - 5) << "moved, not copied";
    probe::Click(page, kSave);
    EXPECT_EQ(Acknowledge("Fettlor settings"), "Fettlor settings have been saved.");
    ASSERT_TRUE(probe::Settle(page, kPatience));
  }

  // Back on the clean page: go online as the alias and clean the cookies.
  page = probe::PickTab(main, kTabClean, kPatience);
  ASSERT_NE(page, nullptr);
  for (int box : kCleanBoxes) EXPECT_EQ(probe::CheckState(page, box), BST_UNCHECKED) << "box " << box;
  ASSERT_TRUE(probe::SetCheck(page, kUseAlias, true, kPatience));
  ASSERT_TRUE(probe::SetCheck(page, kCleanCookies, true, kPatience));
  HWND aliasBox = GetDlgItem(page, kUseAlias);
  HWND cookieBox = GetDlgItem(page, kCleanCookies);
  probe::Click(page, IDOK);

  // The run ends the program three seconds after its last step; the
  // captions are read meanwhile, as stored, since the page answers no
  // message until then.
  std::string aliasCaption, cookieCaption;
  while (WaitForSingleObject(mopwell.process(), 20) == WAIT_TIMEOUT) {
    std::string a = probe::StoredText(aliasBox), c = probe::StoredText(cookieBox);
    if (!IsWindow(cookieBox)) break;  // gone while being read: keep what was read before
    aliasCaption = a;
    cookieCaption = c;
    if (!probe::OpenMessageBoxes(main).empty()) break;
  }
  ASSERT_EQ(probe::WaitForExit(mopwell.process(), kPatience), 0)
      << "the run asks nothing and ends the program; boxes open: " << Join(probe::OpenMessageBoxes(main));
  EXPECT_EQ(aliasCaption, "              " + alias.name);
  EXPECT_EQ(cookieCaption, "Done!     Cookies+java cleaned.");

  // The browser's cookie file holds the kept cookie and nothing else.
  std::string cookies = Read(c4.cookieFile);
  std::vector<std::string> lines = Lines(cookies);
  ASSERT_EQ(lines.size(), 5u) << cookies;
  EXPECT_EQ(lines[0], "# Netscape HTTP Cookie File\r\r\n");
  EXPECT_EQ(lines[1].rfind("# ", 0), 0u);
  EXPECT_EQ(lines[2], "# This is a generated file!  Do not edit.\r\r\n");
  EXPECT_EQ(lines[3], "\r\r\n");
  EXPECT_EQ(lines[4], kept);
  EXPECT_EQ(GetFileAttributesA(c4.cookieFile.c_str()) & FILE_ATTRIBUTE_READONLY, 0u)
      << "cookies were not refused: the browser may store new ones";

  // prefs.js presents the alias and refuses Java and JavaScript.
  std::string prefs = Read(c4.folder + "\\prefs.js");
  EXPECT_EQ(Count(prefs, PrefLine("mail.identity.username", alias.name)), 1u);
  EXPECT_EQ(Count(prefs, PrefLine("mail.identity.useremail", alias.address)), 1u);
  EXPECT_EQ(Count(prefs, PrefLine("mail.identity.reply_to", alias.address)), 1u);
  EXPECT_EQ(Count(prefs, PrefLine("mail.identity.organization", alias.organization)), 1u);
  // Typed with single backslashes, written escaped as the browser reads it.
  EXPECT_EQ(Count(prefs, PrefLine("mail.signature_file", PrefsPath(alias.signature))), 1u);
  EXPECT_EQ(Count(prefs, PrefLine("mail.pop_name", alias.address)), 1u);
  EXPECT_EQ(prefs.find(real.address), std::string::npos) << "no trace of the real address";
  EXPECT_EQ(prefs.find(real.organization), std::string::npos);
  EXPECT_EQ(prefs.find("signature.txt"), std::string::npos);
  EXPECT_EQ(Count(prefs, "user_pref(\"javascript.enabled\", false);"), 1u);
  EXPECT_EQ(Count(prefs, "user_pref(\"security.enable_java\", false);"), 1u);
  EXPECT_EQ(prefs.find("browser.url_history.URL_17"), std::string::npos) << "its placeholder became the refusal";
  EXPECT_EQ(prefs.find("browser.url_history.URL_18"), std::string::npos);
  EXPECT_NE(prefs.find(PrefLine("browser.startup.homepage", "http://www.lakeside.example/")), std::string::npos)
      << "other preferences stay";

  // Both identities in both INI files; the alias is the one in force.
  ASSERT_TRUE(Exists(idFile));
  for (const std::string& file : {iniFile, idFile}) {
    ExpectIdentity(file, "Alias", alias);
    ExpectIdentity(file, "Realid", real);
    EXPECT_EQ(IniValue(file, "Options", "userID"), "1") << file;
  }
  EXPECT_EQ(IniValue(iniFile, "Options", "cookies"), "1");
  EXPECT_EQ(IniValue(iniFile, "Prefs", "JavaDesired"), "1");

  // What was not chosen is left alone.
  EXPECT_TRUE(Read(c4.bookmarkFile) == bookmarksBefore);
  EXPECT_TRUE(Read(c4.historyFile) == historyBefore);

  // A second start, a real run: the browser presents exactly the identity
  // it had, line for line.
  Program again;
  ASSERT_TRUE(again.Start());
  main = probe::WaitForWindow("Mopwell", "Mopwell", kPatience);
  ASSERT_NE(main, nullptr);
  page = probe::CurrentPage(main);
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(probe::SetCheck(page, kUseAlias, false, kPatience));
  ASSERT_TRUE(probe::SetCheck(page, kCleanCookies, false, kPatience));
  probe::Click(page, IDOK);
  ASSERT_EQ(probe::WaitForExit(again.process(), kPatience), 0)
      << "boxes open: " << Join(probe::OpenMessageBoxes(main));
  prefs = Read(c4.folder + "\\prefs.js");
  EXPECT_EQ(IdentityLines(prefs), identityBefore) << "the real identity as the browser had it";
  EXPECT_EQ(prefs.find(n3.email), std::string::npos) << "never the Navigator 3 identity";
  EXPECT_EQ(IniValue(iniFile, "Options", "userID"), "0");
}
