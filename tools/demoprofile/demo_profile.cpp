// Makes the demo browser user. The contents come from fixed tables and a
// seeded number generator, so every run makes the same files.
#include "demo_profile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <set>
#include <string>
#include <vector>

#include "nsreg/nsreg.h"
#include "text/paths.h"

namespace {

constexpr char kNavigatorKey[] = "Software\\Netscape\\Netscape Navigator\\";
constexpr char kProfileName[] = "dana";
constexpr char kCrLf[] = "\r\n";

// "Now" for the demo user: late March 1998. Every visit, message and
// cookie date is placed around it.
constexpr int64_t kDemoNow = 891000000;
constexpr int64_t kDay = 86400;

// ---- small helpers ----

class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint32_t Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(state_ >> 33);
  }
  int Range(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<uint32_t>(hi - lo + 1)); }

 private:
  uint64_t state_;
};

std::string Join(const std::string& folder, const std::string& name) { return paths::Join(folder, name); }

bool SameText(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

std::string Num(int64_t n) { return std::to_string(n); }

std::string Count(int64_t n, const std::string& one, const std::string& many = "") {
  return Num(n) + " " + (n == 1 ? one : many.empty() ? one + "s" : many);
}

std::string Hex(uint32_t n, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*X", digits, n);
  return buf;
}

std::string FormatTime(int64_t when, const char* format) {
  time_t t = static_cast<time_t>(when);
  struct tm* tmv = std::gmtime(&t);
  char buf[64] = "";
  if (tmv) std::strftime(buf, sizeof buf, format, tmv);
  return buf;
}

void PutU16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

void PutU32(std::string& out, uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

void PadTo(std::string& out, size_t multiple) {
  size_t rest = out.size() % multiple;
  if (rest) out.append(multiple - rest, '\0');
}

std::string HtmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// Files, folders and registry values, with the first failure kept.
class Maker {
 public:
  explicit Maker(std::vector<std::string>* log) : log_(log) {}

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  void Fail(const std::string& what) {
    if (error_.empty()) error_ = what;
  }
  void Note(const std::string& line) {
    if (log_) log_->push_back(line);
  }

  // Creates the folder and every missing folder above it.
  bool Dir(const std::string& path) {
    if (!ok()) return false;
    size_t start = 0;
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') start = 3;
    for (size_t i = start; i <= path.size(); ++i) {
      if (i != path.size() && path[i] != '\\') continue;
      std::string part = path.substr(0, i);
      if (part.empty() || part.size() == 2) continue;
      CreateDirectoryA(part.c_str(), nullptr);
    }
    DWORD attr = GetFileAttributesA(path.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) {
      Fail("cannot make the folder " + path + " (error " + Num(GetLastError()) + ")");
      return false;
    }
    return true;
  }

  // Writes the file whole, replacing an earlier one (even a read-only one,
  // as a cookie blocker leaves the cookie file).
  bool File(const std::string& path, const std::string& bytes) {
    if (!ok()) return false;
    DWORD attr = GetFileAttributesA(path.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY))
      SetFileAttributesA(path.c_str(), attr & ~FILE_ATTRIBUTE_READONLY);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      Fail("cannot write " + path + " (error " + Num(GetLastError()) + ")");
      return false;
    }
    DWORD wrote = 0;
    BOOL done = bytes.empty() ||
                WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    CloseHandle(h);
    if (!done || wrote != bytes.size()) {
      Fail("cannot write " + path + " whole");
      return false;
    }
    return true;
  }

  bool RegText(HKEY root, const std::string& key, const char* value, const std::string& data,
               const char* rootName) {
    if (!ok()) return false;
    HKEY h = nullptr;
    LONG r = RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr);
    if (r == ERROR_SUCCESS) {
      r = RegSetValueExA(h, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                         static_cast<DWORD>(data.size() + 1));
      RegCloseKey(h);
    }
    if (r != ERROR_SUCCESS) {
      Fail(std::string("cannot set ") + rootName + "\\" + key + " \"" + value + "\" (error " + Num(r) + ")");
      return false;
    }
    return true;
  }

 private:
  std::vector<std::string>* log_;
  std::string error_;
};

// Reads a registry text; false when the key or value is missing.
bool ReadRegText(HKEY root, const std::string& key, const char* value, std::string& out) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  char buf[1024] = "";
  DWORD size = sizeof buf - 1, type = 0;
  LONG r = RegQueryValueExA(h, value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(h);
  if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  buf[std::min<DWORD>(size, sizeof buf - 1)] = '\0';
  out = buf;
  return true;
}

// ---- what the demo user has done ----

struct Site {
  const char* url;
  const char* title;
};

struct BookmarkFolder {
  const char* name;
  int depth;  // 1 below the top list, 2 inside the folder before it
  std::vector<Site> sites;
};

struct CookieEntry {
  const char* domain;  // a leading dot: sent to every host of the domain
  const char* path;
  bool secure;
  const char* name;
  int valueLength;     // 0: the value is taken from `fixedValue`
  const char* fixedValue;
  int days;            // lifetime from the demo's "now"
};

struct Message {
  const char* from;
  const char* to;
  const char* subject;
  const char* body;
};

struct MailFolder {
  const char* name;
  int messages;
};

struct Newsgroup {
  const char* name;
  bool subscribed;
  const char* read;  // article ranges read
};

struct NewsServer {
  const char* host;
  const char* newsrc;
  std::vector<Newsgroup> groups;
};

struct Generation {
  bool communicator;
  uint64_t seed;
  const char* userName;
  const char* email;
  const char* organization;
  const char* replyTo;
  std::vector<const char*> typedUrls;
  std::vector<Site> topBookmarks;
  std::vector<BookmarkFolder> folders;
  std::vector<const char*> moreVisits;  // pages seen but neither typed nor kept
  std::vector<CookieEntry> cookies;
  std::vector<MailFolder> mail;
  std::vector<Message> messages;
  std::vector<NewsServer> news;
  std::vector<const char*> cacheHosts;
  const char* signature;
};

const Generation& Communicator() {
  static const Generation g = {
      true,
      4051998,
      "Dana Whitfield",
      "dana@lakeside.example",
      "Lakeside Pottery Supply",
      "orders@lakeside.example",
      {"http://www.lakeside.example/",
       "http://www.kiln-supplies.example/catalog/",
       "http://search.example/query?q=cone+6+glazes",
       "http://weather.example/forecast/lakeside",
       "http://www.clay-guild.example/members/",
       "http://news.example.com/headlines.html",
       "ftp://ftp.example.org/pub/glaze-calc/",
       "http://www.bank.example/login.html",
       "http://mail.lakeside.example/",
       "http://www.travel.example/trips/1998/",
       "http://recipes.example/bread/",
       "http://www.auction.example/item/448812"},
      {{"ftp://ftp.example.org/pub/glaze-calc/", "Glaze calculator"},
       {"http://mail.lakeside.example/", "Web mail"}},
      {{"Personal Toolbar Folder",
        1,
        {{"http://www.lakeside.example/", "Lakeside Pottery Supply"},
         {"http://search.example/", "Search"},
         {"http://weather.example/forecast/lakeside", "Weather - Lakeside"}}},
       {"Suppliers",
        1,
        {{"http://www.kiln-supplies.example/catalog/", "Kiln Supplies - Catalog"},
         {"http://www.kiln-supplies.example/catalog/glazes.html", "Glaze chemicals price list"},
         {"http://www.claywarehouse.example/", "Clay Warehouse"},
         {"http://www.freight.example/rates/ground.html", "Shipping rates"}}},
       {"Old catalogs",
        2,
        {{"http://www.kiln-supplies.example/catalog/1997/", "Kiln Supplies 1997 catalog"}}},
       {"Clay Guild",
        1,
        {{"http://www.clay-guild.example/members/", "Clay Guild members"},
         {"http://www.clay-guild.example/shows/spring98.html", "Spring show 1998"},
         {"http://www.clay-guild.example/tech/firing.html", "Firing schedules"}}},
       {"Everyday",
        1,
        {{"http://news.example.com/headlines.html", "Headlines"},
         {"http://www.bank.example/login.html", "Online banking"},
         {"http://recipes.example/bread/", "Bread recipes"},
         {"http://www.travel.example/trips/1998/", "Trip planner"},
         {"http://www.auction.example/item/448812", "Auction: used kiln & shelves"}}}},
      {"http://search.example/query?q=raku+kiln+plans",
       "http://search.example/query?q=wood+ash+glaze",
       "http://www.kiln-supplies.example/catalog/item/2210.html",
       "http://www.kiln-supplies.example/catalog/item/2214.html",
       "http://www.kiln-supplies.example/order/basket.html",
       "http://www.clay-guild.example/members/directory.html",
       "http://news.example.com/local/lakeside.html",
       "http://news.example.com/sports/",
       "http://www.bank.example/accounts/summary.html",
       "http://www.auction.example/search?q=kiln",
       "http://www.travel.example/trips/1998/itinerary.html",
       "http://www.adnet.example/click?id=55120"},
      {{".search.example", "/", false, "PREF", 0, "ID=3f2a9c1e:TM=889999102:LM=889999102", 3650},
       {"www.lakeside.example", "/", false, "visits", 0, "37", 365},
       {".kiln-supplies.example", "/", false, "cart_id", 16, nullptr, 30},
       {".kiln-supplies.example", "/", false, "visitor", 24, nullptr, 730},
       {"www.clay-guild.example", "/members/", false, "member", 0, "dwhitfield", 180},
       {".bank.example", "/", true, "lastlogin", 0, "19980326", 90},
       {".news.example.com", "/", false, "edition", 0, "local", 365},
       {".auction.example", "/", false, "bidder", 12, nullptr, 365},
       {".auction.example", "/", false, "watchlist", 0, "448812", 60},
       {".travel.example", "/trips/", false, "trip", 20, nullptr, 45},
       {".weather.example", "/", false, "city", 0, "lakeside", 1095},
       {".adnet.example", "/", false, "uid", 32, nullptr, 3650},
       {".counter.example", "/", false, "hits", 0, "1", 3650},
       {"recipes.example", "/bread/", false, "box", 0, "rye,sourdough", 365}},
      {{"Inbox", 8}, {"Sent", 4}, {"Drafts", 1}, {"Trash", 3}, {"Unsent Messages", 1}, {"Templates", 0}},
      {{"Mark Ellery <mark@clay-guild.example>", "dana@lakeside.example", "Spring show entries",
        "Dana,\r\n\r\nEntries for the spring show close on April 10th. Can you bring\r\n"
        "the two tall vases from the winter sale?\r\n\r\nMark\r\n"},
       {"orders@kiln-supplies.example", "dana@lakeside.example", "Your order 2210-4471",
        "Thank you for your order.\r\n\r\n  1 x Kiln shelf 12x24 in.\r\n  2 x Cone 6 witness pack\r\n\r\n"
        "It will ship within three working days.\r\n"},
       {"Ruth Alvarez <ruth@dialup.example>", "dana@lakeside.example", "Bisque firing Saturday?",
        "Hi Dana, is there room in Saturday's bisque load for a dozen\r\nmugs? I can bring them Friday.\r\n\r\nRuth\r\n"},
       {"dana@lakeside.example", "mark@clay-guild.example", "Re: Spring show entries",
        "Mark,\r\n\r\nYes, both vases. I will drop them off on the 8th.\r\n\r\nDana\r\n"},
       {"newsletter@weather.example", "dana@lakeside.example", "Frost warning for your area",
        "A frost warning is in effect for Lakeside tonight.\r\n"},
       {"Tom Becker <tom@freight.example>", "orders@lakeside.example", "Ground rates for April",
        "Attached are the ground rates for April. Pallet rates are unchanged.\r\n"},
       {"dana@lakeside.example", "ruth@dialup.example", "Re: Bisque firing Saturday?",
        "Ruth, yes, there is room. Bring them by Friday noon.\r\n"},
       {"support@bank.example", "dana@lakeside.example", "Your statement is ready",
        "Your March statement is ready to view online.\r\n"}},
      {{"news.example.com",
        "news.rc",
        {{"example.general", true, "1-4211"},
         {"example.announce", true, "1-318"},
         {"alt.example.pottery", true, "1-1893,1895-1901"},
         {"example.test", false, "1-12"}}},
       {"news.isp.example",
        "news1.rc",
        {{"isp.help", true, "1-77"}, {"isp.announce", true, "1-40"}}}},
      {"www.lakeside.example", "www.kiln-supplies.example", "search.example", "news.example.com",
       "www.clay-guild.example", "weather.example", "www.bank.example", "www.auction.example",
       "www.travel.example", "recipes.example", "www.adnet.example"},
      "Dana Whitfield\r\nLakeside Pottery Supply\r\nhttp://www.lakeside.example/\r\n",
  };
  return g;
}

const Generation& Navigator3() {
  static const Generation g = {
      false,
      3011996,
      "Dana Whitfield",
      "dwhitfield@dialup.example",
      "Whitfield Ceramics",
      "dwhitfield@dialup.example",
      {"http://www.dialup.example/~dwhitfield/",
       "http://search.example/query?q=raku+firing",
       "http://www.clay-guild.example/",
       "http://www.kiln-supplies.example/",
       "http://www.dialup.example/help/modem.html",
       "http://weather.example/",
       "http://www.bank.example/"},
      {{"http://www.dialup.example/~dwhitfield/", "Whitfield Ceramics"},
       {"http://search.example/", "Search"},
       {"http://www.dialup.example/help/", "Dial-up help"}},
      {{"Pottery",
        1,
        {{"http://www.clay-guild.example/", "Clay Guild"},
         {"http://www.kiln-supplies.example/", "Kiln Supplies"}}}},
      {"http://www.dialup.example/help/settings.html", "http://search.example/query?q=kiln+wash"},
      {{".search.example", "/", false, "PREF", 0, "ID=09b1d4e2:TM=851000000", 3650},
       {"www.dialup.example", "/help/", false, "seen", 0, "modem", 365},
       {".clay-guild.example", "/", false, "visitor", 16, nullptr, 365},
       {".kiln-supplies.example", "/", false, "visitor", 24, nullptr, 730},
       {".bank.example", "/", true, "lastlogin", 0, "19970611", 30},
       {".counter.example", "/", false, "hits", 0, "4", 3650}},
      {{"Inbox", 5}, {"Sent", 2}, {"Trash", 2}, {"Outbox", 0}},
      {{"Mark Ellery <mark@clay-guild.example>", "dwhitfield@dialup.example", "Welcome to the guild",
        "Dana,\r\n\r\nWelcome! Meetings are the first Tuesday of the month.\r\n\r\nMark\r\n"},
       {"help@dialup.example", "dwhitfield@dialup.example", "Your dial-up account",
        "Your account is ready. Your mail server is mail.dialup.example.\r\n"},
       {"dwhitfield@dialup.example", "mark@clay-guild.example", "Re: Welcome to the guild",
        "Thanks Mark, see you Tuesday.\r\n"},
       {"orders@kiln-supplies.example", "dwhitfield@dialup.example", "Catalog request",
        "Our 1997 catalog is on its way to you.\r\n"}},
      {{"news.dialup.example",
        "news.rc",
        {{"alt.example.pottery", true, "1-1204"}, {"dialup.help", true, "1-56"}}}},
      {"www.dialup.example", "search.example", "www.clay-guild.example", "www.kiln-supplies.example",
       "weather.example"},
      "Dana Whitfield\r\nWhitfield Ceramics\r\n",
  };
  return g;
}

// ---- where the files go ----

std::string CommunicatorFolder(const DemoOptions& o) { return Join(Join(o.root, "Users"), kProfileName); }
std::string NavigatorFolder(const DemoOptions& o) { return Join(o.root, "Navigator"); }

std::vector<Site> VisitedSites(const Generation& g);

DemoGeneration Describe(const Generation& g, const std::string& folder, int cacheFiles) {
  DemoGeneration d;
  d.folder = folder;
  // Communicator's profile folders are lower case, Navigator 3's capitalised.
  d.cacheDir = Join(folder, g.communicator ? "cache" : "Cache");
  d.mailDir = Join(folder, g.communicator ? "mail" : "Mail");
  d.newsDir = Join(folder, g.communicator ? "news" : "News");
  d.cookieFile = Join(folder, "cookies.txt");
  d.historyFile = Join(folder, "netscape.hst");
  d.bookmarkFile = Join(folder, "bookmark.htm");
  d.signatureFile = Join(folder, g.communicator ? "signature.txt" : "sig.txt");
  d.userName = g.userName;
  d.email = g.email;
  d.organization = g.organization;
  d.replyTo = g.replyTo;
  for (const char* url : g.typedUrls) d.typedUrls.push_back(url);
  for (const MailFolder& m : g.mail) {
    d.mailFolders.push_back(m.name);
    d.mailMessages.push_back(m.messages);
  }
  for (const NewsServer& s : g.news) {
    d.newsServers.push_back(s.host);
    d.newsrcFiles.push_back(s.newsrc);
    for (const Newsgroup& group : s.groups) {
      ++d.newsgroups;
      if (group.subscribed) ++d.newsDatabases;
    }
  }
  d.cookies = static_cast<int>(g.cookies.size());
  d.bookmarks = static_cast<int>(g.topBookmarks.size());
  for (const BookmarkFolder& f : g.folders) d.bookmarks += static_cast<int>(f.sites.size());
  d.bookmarkFolders = static_cast<int>(g.folders.size());
  d.historyEntries = static_cast<int>(VisitedSites(g).size());
  d.cacheFiles = std::max(0, cacheFiles);
  d.archiveFiles = g.communicator ? 6 : 0;
  return d;
}

// Every address the user has seen, each once, typed ones first.
std::vector<Site> VisitedSites(const Generation& g) {
  std::vector<Site> sites;
  std::set<std::string> seen;
  auto add = [&](const char* url, const char* title) {
    if (seen.insert(url).second) sites.push_back({url, title});
  };
  for (const char* url : g.typedUrls) add(url, "");
  for (const Site& s : g.topBookmarks) add(s.url, s.title);
  for (const BookmarkFolder& f : g.folders)
    for (const Site& s : f.sites) add(s.url, s.title);
  for (const char* url : g.moreVisits) add(url, "");
  // Titles of typed addresses that are also bookmarks.
  for (Site& s : sites) {
    if (*s.title) continue;
    for (const BookmarkFolder& f : g.folders)
      for (const Site& b : f.sites)
        if (std::string(b.url) == s.url) s.title = b.title;
  }
  return sites;
}

// ---- file contents ----

std::string PrefsText(const Generation& g, const DemoGeneration& d) {
  auto str = [](const std::string& key, const std::string& value) {
    return "user_pref(\"" + key + "\", \"" + value + "\");";
  };
  auto raw = [](const std::string& key, const std::string& value) {
    return "user_pref(\"" + key + "\", " + value + ");";
  };
  std::vector<std::string> lines = {
      str("browser.cache.directory", PrefsPath(d.cacheDir)),
      raw("browser.cache.disk_cache_size", "7680"),
      raw("browser.cache.memory_cache_size", "1024"),
      str("browser.startup.homepage", "http://www.lakeside.example/"),
      str("browser.window_rect", "12,8,792,572"),
      str("editor.author", g.userName),
      str("mail.directory", PrefsPath(d.mailDir)),
      str("mail.identity.organization", g.organization),
      str("mail.identity.reply_to", g.replyTo),
      str("mail.identity.useremail", g.email),
      str("mail.identity.username", g.userName),
      raw("mail.leave_on_server", "true"),
      str("mail.pop_name", kProfileName),
      raw("mail.remember_password", "false"),
      str("mail.signature_file", PrefsPath(d.signatureFile)),
      raw("mail.check_time", "10"),
      str("network.hosts.nntp_server", g.news.front().host),
      str("network.hosts.pop_server", "mail.lakeside.example"),
      str("network.hosts.smtp_server", "mail.lakeside.example"),
      str("news.directory", PrefsPath(d.newsDir)),
      raw("news.max_articles", "500"),
  };
  for (size_t i = 0; i < g.typedUrls.size(); ++i)
    lines.push_back(str("browser.url_history.URL_" + Num(i + 1), g.typedUrls[i]));
  // Written in key order, so URL_1's line comes before URL_10's.
  std::sort(lines.begin(), lines.end());
  std::string out = std::string("// Netscape User Preferences") + kCrLf +
                    "// This is a generated file!  Do not edit." + kCrLf + kCrLf;
  for (const std::string& line : lines) out += line + kCrLf;
  return out;
}

// The cookie file: four header lines, then one cookie a line with seven
// fields separated by tabs: domain, whether every host of the domain gets
// it, path, whether only secure connections get it, expiry (seconds since
// 1970), name, value. The header lines end in CR CR LF, the bytes the
// cookie keeper writes for its keep file; cookie lines in CR LF.
std::string CookieText(const Generation& g, Rng& rng) {
  const std::string headerEnd = "\r\r\n";
  std::string out = "# Netscape HTTP Cookie File" + headerEnd + "# http://cookies.example/format.html" +
                    headerEnd + "# This is a generated file!  Do not edit." + headerEnd + headerEnd;
  static const char kAlphabet[] = "0123456789ABCDEF";
  for (const CookieEntry& c : g.cookies) {
    std::string value;
    if (c.valueLength == 0) {
      value = c.fixedValue;
    } else {
      for (int i = 0; i < c.valueLength; ++i) value += kAlphabet[rng.Next() % 16];
    }
    int64_t expires = kDemoNow + static_cast<int64_t>(c.days) * kDay + rng.Range(0, 86399);
    out += std::string(c.domain) + "\t" + (c.domain[0] == '.' ? "TRUE" : "FALSE") + "\t" + c.path + "\t" +
           (c.secure ? "TRUE" : "FALSE") + "\t" + Num(expires) + "\t" + c.name + "\t" + value + kCrLf;
  }
  return out;
}

std::string BookmarkText(const Generation& g, Rng& rng) {
  std::string title = HtmlEscape(std::string(g.userName) + "'s Bookmarks");
  std::string out = std::string("<!DOCTYPE NETSCAPE-Bookmark-file-1>") + kCrLf +
                    "<!-- This is an automatically generated file." + kCrLf + "It will be read and overwritten." +
                    kCrLf + "Do Not Edit! -->" + kCrLf + "<TITLE>" + title + "</TITLE>" + kCrLf + "<H1>" +
                    title + "</H1>" + kCrLf + kCrLf + "<DL><p>" + kCrLf;
  auto entry = [&](const Site& s, int depth) {
    int64_t added = kDemoNow - rng.Range(20, 400) * kDay;
    int64_t visited = kDemoNow - rng.Range(0, 19) * kDay - rng.Range(0, 86399);
    out += std::string(4 * depth, ' ') + "<DT><A HREF=\"" + HtmlEscape(s.url) + "\" ADD_DATE=\"" + Num(added) +
           "\" LAST_VISIT=\"" + Num(visited) + "\" LAST_MODIFIED=\"" + Num(added) + "\">" + HtmlEscape(s.title) +
           "</A>" + kCrLf;
  };
  // Folders nest by depth: a folder of depth 2 lies inside the one before.
  int open = 0;
  for (const BookmarkFolder& f : g.folders) {
    while (open >= f.depth) {
      out += std::string(4 * open, ' ') + "</DL><p>" + kCrLf;
      --open;
    }
    int64_t added = kDemoNow - rng.Range(200, 500) * kDay;
    out += std::string(4 * f.depth, ' ') + "<DT><H3 FOLDED ADD_DATE=\"" + Num(added) + "\">" +
           HtmlEscape(f.name) + "</H3>" + kCrLf + std::string(4 * f.depth, ' ') + "<DL><p>" + kCrLf;
    open = f.depth;
    for (const Site& s : f.sites) entry(s, f.depth + 1);
  }
  while (open > 0) {
    out += std::string(4 * open, ' ') + "</DL><p>" + kCrLf;
    --open;
  }
  for (const Site& s : g.topBookmarks) entry(s, 1);
  out += std::string("</DL><p>") + kCrLf;
  return out;
}

// History database: a header page, then one record per address: its
// length-prefixed text, and the visit data (last visit, first visit, visit
// count, flags) followed by the page title. Pages of 4096 bytes.
std::string HistoryBytes(const std::vector<Site>& sites, Rng& rng) {
  std::string out;
  PutU32(out, 0x00061561);  // magic
  PutU32(out, 2);           // version
  PutU32(out, 1234);        // byte order
  PutU32(out, 4096);        // page size
  PutU32(out, static_cast<uint32_t>(sites.size()));
  PadTo(out, 512);
  for (const Site& s : sites) {
    std::string key = std::string(s.url) + '\0';
    std::string data;
    int64_t first = kDemoNow - rng.Range(30, 300) * kDay - rng.Range(0, 86399);
    int64_t last = kDemoNow - rng.Range(0, 25) * kDay - rng.Range(0, 86399);
    PutU32(data, static_cast<uint32_t>(last));
    PutU32(data, static_cast<uint32_t>(first));
    PutU32(data, static_cast<uint32_t>(rng.Range(1, 60)));
    PutU32(data, 0);
    data += std::string(s.title) + '\0';
    PutU16(out, static_cast<uint32_t>(key.size()));
    out += key;
    PutU16(out, static_cast<uint32_t>(data.size()));
    out += data;
  }
  PadTo(out, 4096);
  return out;
}

// A tiny but valid GIF: a four-colour picture whose compressed data resets
// the code table every two pixels, so every code stays three bits wide.
std::string GifBytes(Rng& rng) {
  int width = rng.Range(1, 48), height = rng.Range(1, 32);
  std::string out = "GIF89a";
  PutU16(out, static_cast<uint32_t>(width));
  PutU16(out, static_cast<uint32_t>(height));
  out += static_cast<char>(0x81);  // global colour table of 4 entries
  out += '\0';
  out += '\0';
  for (int i = 0; i < 4; ++i)
    for (int c = 0; c < 3; ++c) out += static_cast<char>(rng.Next() & 0xFF);
  out += ",";
  PutU16(out, 0);
  PutU16(out, 0);
  PutU16(out, static_cast<uint32_t>(width));
  PutU16(out, static_cast<uint32_t>(height));
  out += '\0';
  out += '\2';  // minimum code size
  std::string packed;
  uint32_t bits = 0;
  int count = 0;
  auto emit = [&](uint32_t code) {
    bits |= code << count;
    count += 3;
    while (count >= 8) {
      packed += static_cast<char>(bits & 0xFF);
      bits >>= 8;
      count -= 8;
    }
  };
  int pixels = width * height;
  int colour = static_cast<int>(rng.Next() & 3);
  for (int i = 0; i < pixels; ++i) {
    if (i % 2 == 0) emit(4);  // clear
    if (rng.Range(0, 5) == 0) colour = static_cast<int>(rng.Next() & 3);
    emit(static_cast<uint32_t>(colour));
  }
  emit(5);  // end of information
  if (count > 0) packed += static_cast<char>(bits & 0xFF);
  for (size_t at = 0; at < packed.size(); at += 255) {
    std::string block = packed.substr(at, 255);
    out += static_cast<char>(block.size());
    out += block;
  }
  out += '\0';
  out += ';';
  return out;
}

std::string JpegBytes(Rng& rng) {
  std::string out = "\xFF\xD8\xFF\xE0";
  out += std::string("\x00\x10JFIF\x00\x01\x01\x01\x00\x48\x00\x48\x00\x00", 16);
  int n = rng.Range(300, 5000);
  for (int i = 0; i < n; ++i) {
    char c = static_cast<char>(rng.Next() & 0xFF);
    out += c;
    if (c == '\xFF') out += '\0';
  }
  out += "\xFF\xD9";
  return out;
}

std::string PageText(const std::string& host, int number, Rng& rng) {
  std::string out = "<HTML><HEAD><TITLE>" + host + " - page " + Num(number) + "</TITLE></HEAD>\r\n";
  out += "<BODY BGCOLOR=\"#FFFFFF\">\r\n<H2>" + host + "</H2>\r\n";
  int paragraphs = rng.Range(1, 6);
  for (int p = 0; p < paragraphs; ++p) {
    out += "<P>Updated " + FormatTime(kDemoNow - rng.Range(0, 90) * kDay, "%B %d, %Y") +
           ". <A HREF=\"http://" + host + "/page" + Num(rng.Range(1, 400)) + ".html\">More</A></P>\r\n";
  }
  out += "</BODY></HTML>\r\n";
  return out;
}

std::string ScriptText(Rng& rng) {
  return "function rollover(img, on) {\r\n  document.images[img].src = on ? \"b" + Num(rng.Range(1, 99)) +
         "_on.gif\" : \"b" + Num(rng.Range(1, 99)) + "_off.gif\";\r\n}\r\n";
}

struct CacheEntry {
  std::string file;
  std::string url;
  std::string type;
  size_t size;
};

// The disk cache: files named "M" and seven characters, and the index file
// FAT.DB that maps each address to its file.
bool MakeCache(Maker& mk, const Generation& g, const std::string& dir, int files, uint64_t seed) {
  if (!mk.Dir(dir)) return false;
  // Files of an earlier run are replaced, so a smaller count leaves no extra.
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA(Join(dir, "M*.*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.size() >= 8 && name.size() <= 12 &&
          (name.size() == 8 || name[8] == '.'))
        DeleteFileA(Join(dir, name).c_str());
    } while (FindNextFileA(find, &fd));
    FindClose(find);
  }

  Rng rng(seed);
  static const char kNameChars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
  std::set<std::string> used;
  std::vector<CacheEntry> entries;
  for (int i = 0; i < files && mk.ok(); ++i) {
    std::string base;
    do {
      base = "M";
      for (int c = 0; c < 7; ++c) base += kNameChars[rng.Next() % 32];
    } while (!used.insert(base).second);
    std::string host = g.cacheHosts[rng.Next() % g.cacheHosts.size()];
    int kind = rng.Range(0, 19);
    CacheEntry e;
    std::string bytes;
    if (kind < 9) {
      bytes = GifBytes(rng);
      e.file = base + ".GIF";
      e.url = "http://" + host + "/images/" + Hex(rng.Next() & 0xFFFF, 4) + ".gif";
      e.type = "image/gif";
    } else if (kind < 13) {
      bytes = JpegBytes(rng);
      e.file = base + ".JPG";
      e.url = "http://" + host + "/photos/p" + Num(rng.Range(100, 999)) + ".jpg";
      e.type = "image/jpeg";
    } else if (kind < 18) {
      int number = rng.Range(1, 400);
      bytes = PageText(host, number, rng);
      e.file = base + ".HTM";
      e.url = "http://" + host + "/page" + Num(number) + ".html";
      e.type = "text/html";
    } else {
      bytes = ScriptText(rng);
      e.file = base + ".JS";
      e.url = "http://" + host + "/scripts/menu" + Num(rng.Range(1, 9)) + ".js";
      e.type = "application/x-javascript";
    }
    e.size = bytes.size();
    mk.File(Join(dir, e.file), bytes);
    entries.push_back(e);
  }

  std::string index;
  PutU32(index, 0x00061561);
  PutU32(index, 2);
  PutU32(index, 1234);
  PutU32(index, 4096);
  PutU32(index, static_cast<uint32_t>(entries.size()));
  PadTo(index, 512);
  for (const CacheEntry& e : entries) {
    std::string record = e.url + '\0' + e.file + '\0' + e.type + '\0';
    PutU32(record, static_cast<uint32_t>(e.size));
    PutU32(record, static_cast<uint32_t>(kDemoNow - rng.Range(0, 60) * kDay));
    PutU16(index, static_cast<uint32_t>(record.size()));
    index += record;
  }
  PadTo(index, 4096);
  mk.File(Join(dir, "FAT.DB"), index);
  return mk.ok();
}

// A mail folder is one file holding its messages one after another, each
// starting with a "From - date" line; its .snm file beside it is the
// folder's summary: a header, then per message its offset and length in
// the folder, its date and the sender and subject.
void MakeMail(Maker& mk, const Generation& g, const DemoGeneration& d, Rng& rng) {
  if (!mk.Dir(d.mailDir)) return;
  size_t next = 0;
  for (const MailFolder& folder : g.mail) {
    std::string box;
    std::string summary;
    PutU32(summary, 0x534E4D31);  // "1MNS": summary file version 1
    PutU32(summary, static_cast<uint32_t>(folder.messages));
    std::string records;
    for (int i = 0; i < folder.messages; ++i) {
      const Message& m = g.messages[next++ % g.messages.size()];
      int64_t when = kDemoNow - rng.Range(0, 60) * kDay - rng.Range(0, 86399);
      std::string id = Hex(static_cast<uint32_t>(when), 8) + "." + Hex(rng.Next(), 8);
      std::string from = m.from;
      std::string domain = from.substr(from.find('@') + 1);
      if (!domain.empty() && domain.back() == '>') domain.pop_back();
      size_t offset = box.size();
      box += "From - " + FormatTime(when, "%a %b %d %H:%M:%S %Y") + kCrLf;
      box += "Message-ID: <" + id + "@" + domain + ">" + kCrLf;
      box += "Date: " + FormatTime(when, "%a, %d %b %Y %H:%M:%S") + " -0600" + kCrLf;
      box += "From: " + from + kCrLf;
      box += "MIME-Version: 1.0" + std::string(kCrLf);
      box += "To: " + std::string(m.to) + kCrLf;
      box += "Subject: " + std::string(m.subject) + kCrLf;
      box += "Content-Type: text/plain; charset=us-ascii" + std::string(kCrLf);
      box += "Content-Transfer-Encoding: 7bit" + std::string(kCrLf) + kCrLf;
      box += std::string(m.body) + kCrLf;
      PutU32(records, static_cast<uint32_t>(offset));
      PutU32(records, static_cast<uint32_t>(box.size() - offset));
      PutU32(records, static_cast<uint32_t>(when));
      records += from + '\0' + m.subject + '\0';
    }
    PutU32(summary, static_cast<uint32_t>(box.size()));
    summary += records;
    mk.File(Join(d.mailDir, folder.name), box);
    mk.File(Join(d.mailDir, std::string(folder.name) + ".snm"), summary);
  }
}

// The news folder: the map file "FAT" naming each server's subscription
// file, the subscription files themselves, and one folder per server
// ("host-" and the server's name) with its host information and a
// summary database for each subscribed group.
void MakeNews(Maker& mk, const Generation& g, const DemoGeneration& d, Rng& rng) {
  if (!mk.Dir(d.newsDir)) return;
  std::string map = std::string("netscape-newsrc-map-file") + kCrLf;
  for (const NewsServer& s : g.news) {
    map += std::string("newsrc-") + s.host + "\t" + Join(d.newsDir, s.newsrc) + "\tFALSE" + kCrLf;
    std::string newsrc;
    for (const Newsgroup& group : s.groups)
      newsrc += std::string(group.name) + (group.subscribed ? ": " : "! ") + group.read + kCrLf;
    mk.File(Join(d.newsDir, s.newsrc), newsrc);

    std::string serverDir = Join(d.newsDir, std::string("host-") + s.host);
    if (!mk.Dir(serverDir)) return;
    std::string hostinfo = std::string("# News host information file") + kCrLf + "# This is a generated file!  Do not edit." +
                           kCrLf + kCrLf + "version=1" + kCrLf + "newsrcname=" + s.newsrc + kCrLf +
                           "lastgroupdate=" + Num(kDemoNow - rng.Range(1, 20) * kDay) + kCrLf + kCrLf;
    for (const Newsgroup& group : s.groups) hostinfo += std::string(group.name) + kCrLf;
    mk.File(Join(serverDir, "hostinfo.dat"), hostinfo);
    for (const Newsgroup& group : s.groups) {
      if (!group.subscribed) continue;
      std::string db;
      PutU32(db, 0x534E4D31);
      int headers = rng.Range(5, 40);
      PutU32(db, static_cast<uint32_t>(headers));
      for (int i = 0; i < headers; ++i) {
        PutU32(db, static_cast<uint32_t>(rng.Range(1, 4000)));
        PutU32(db, static_cast<uint32_t>(kDemoNow - rng.Range(0, 30) * kDay));
        db += "Re: firing schedule question " + Num(i) + '\0' + "poster" + Num(rng.Range(1, 99)) + "@" +
              s.host + '\0';
      }
      mk.File(Join(serverDir, std::string(group.name) + ".snm"), db);
    }
  }
  map += kCrLf;  // the map ends with an empty line
  mk.File(Join(d.newsDir, "FAT"), map);
}

// Netcaster keeps the channels it fetched in the profile's "archive" folder.
void MakeArchive(Maker& mk, const DemoGeneration& d, Rng& rng) {
  std::string dir = Join(d.folder, "archive");
  if (!mk.Dir(dir)) return;
  static const char* const kChannels[] = {"weather", "headlines", "guild"};
  for (int i = 0; i < d.archiveFiles; ++i) {
    std::string channel = kChannels[i % 3];
    std::string name = channel.substr(0, 4) + Hex(static_cast<uint32_t>(i + 1), 4) + (i % 2 ? ".GIF" : ".HTM");
    mk.File(Join(dir, name), i % 2 ? GifBytes(rng) : PageText(channel + ".example", i + 1, rng));
  }
}

void MakeFiles(Maker& mk, const Generation& g, const DemoGeneration& d, int cacheFiles) {
  Rng rng(g.seed);
  if (!mk.Dir(d.folder)) return;
  if (g.communicator) mk.File(Join(d.folder, "prefs.js"), PrefsText(g, d));
  mk.File(d.signatureFile, g.signature);
  mk.File(d.cookieFile, CookieText(g, rng));
  std::vector<Site> sites = VisitedSites(g);
  mk.File(d.historyFile, HistoryBytes(sites, rng));
  mk.File(d.bookmarkFile, BookmarkText(g, rng));
  MakeCache(mk, g, d.cacheDir, cacheFiles, g.seed + 1);
  MakeMail(mk, g, d, rng);
  MakeNews(mk, g, d, rng);
  if (g.communicator) MakeArchive(mk, d, rng);
  if (!mk.ok()) return;

  int messages = 0;
  for (int n : d.mailMessages) messages += n;
  mk.Note("  " + d.folder);
  mk.Note("    cookies.txt: " + Count(d.cookies, "cookie") + "; netscape.hst: " +
          Count(static_cast<int64_t>(sites.size()), "address", "addresses") + "; bookmark.htm: " +
          Count(d.bookmarks, "bookmark") + " in " + Count(d.bookmarkFolders, "folder"));
  mk.Note("    " + d.cacheDir + ": " + Count(cacheFiles, "file") + " and the index FAT.DB");
  mk.Note("    " + d.mailDir + ": " + Count(static_cast<int64_t>(d.mailFolders.size()), "folder") +
          " with .snm summaries, " + Count(messages, "message"));
  mk.Note("    " + d.newsDir + ": FAT, " + Count(static_cast<int64_t>(d.newsServers.size()), "server") + ", " +
          Count(d.newsgroups, "newsgroup") + ", " + Count(d.newsDatabases, "group database"));
  if (d.archiveFiles)
    mk.Note("    " + Join(d.folder, "archive") + ": " + Count(d.archiveFiles, "Netcaster file"));
}

// ---- the browser's own records of where its user lives ----

// An empty file becomes a new registry when it is opened.
bool WriteProfileRegistry(Maker& mk, const std::string& file, const std::string& profileDir) {
  if (!mk.ok()) return false;
  HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_ARCHIVE, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  HREG reg = nullptr;
  REGERR r = NR_RegOpen(file.c_str(), &reg);
  RKEY manager = 0, user = 0;
  if (r == REGERR_OK) r = NR_RegAddKey(reg, ROOTKEY_COMMON, "Netscape/ProfileManager", &manager);
  if (r == REGERR_OK) r = NR_RegSetEntryString(reg, manager, "LastNetscapeUser", kProfileName);
  if (r == REGERR_OK) r = NR_RegAddKey(reg, ROOTKEY_USERS, kProfileName, &user);
  if (r == REGERR_OK) r = NR_RegSetEntryString(reg, user, "ProfileLocation", profileDir.c_str());
  if (reg) {
    REGERR closed = NR_RegClose(reg);
    if (r == REGERR_OK) r = closed;
  }
  if (r != REGERR_OK) {
    mk.Fail("cannot write the profile registry " + file + " (code " + Num(r) + ")");
    return false;
  }
  mk.Note("  " + file + ": last profile \"" + kProfileName + "\" at " + profileDir);
  return true;
}

// Settings that belong to someone else are left alone unless the caller
// says to replace them.
bool CheckNotSomeoneElses(const DemoOptions& o, const DemoDescription& d, std::string& why) {
  if (o.replaceOthers) return true;
  if (o.communicator) {
    DWORD attr = GetFileAttributesA(d.nsregFile.c_str());
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (attr != INVALID_FILE_ATTRIBUTES &&
        GetFileAttributesExA(d.nsregFile.c_str(), GetFileExInfoStandard, &info) &&
        (info.nFileSizeLow != 0 || info.nFileSizeHigh != 0)) {
      HREG reg = nullptr;
      if (NR_RegOpen(d.nsregFile.c_str(), &reg) != REGERR_OK) {
        why = d.nsregFile + " exists but cannot be read";
        return false;
      }
      RKEY manager = 0;
      char last[256] = "";
      bool named = NR_RegGetKey(reg, ROOTKEY_COMMON, "Netscape/ProfileManager", &manager) == REGERR_OK &&
                   NR_RegGetEntryString(reg, manager, "LastNetscapeUser", last, sizeof last) == REGERR_OK;
      NR_RegClose(reg);
      if (named && last[0] && !SameText(last, d.profileName)) {
        why = d.nsregFile + " names the profile \"" + last + "\"";
        return false;
      }
    }
    std::string current;
    if (ReadRegText(o.localMachine, std::string(kNavigatorKey) + "Users", "CurrentUser", current) &&
        !current.empty() && !SameText(current, d.profileName)) {
      why = "the machine's registry names the Communicator profile \"" + current + "\"";
      return false;
    }
  }
  if (o.navigator3) {
    std::string install;
    if (ReadRegText(o.currentUser, std::string(kNavigatorKey) + "Main", "Install Directory", install) &&
        !install.empty() && !SameText(install, d.navigator3.folder)) {
      why = "the user's registry names the Navigator folder " + install;
      return false;
    }
  }
  return true;
}

// The machine-wide profile list. Writing it needs an administrator on
// Windows; without it nsreg.dat alone names the profile, which is enough.
void WriteMachineProfileList(Maker& mk, const DemoOptions& o, const DemoDescription& d) {
  if (!mk.ok()) return;
  Maker machine(nullptr);
  std::string users = std::string(kNavigatorKey) + "Users";
  machine.RegText(o.localMachine, users, "CurrentUser", d.profileName, "HKEY_LOCAL_MACHINE");
  machine.RegText(o.localMachine, users + "\\" + d.profileName, "DirRoot", d.communicator.folder,
                  "HKEY_LOCAL_MACHINE");
  if (machine.ok())
    mk.Note("  HKEY_LOCAL_MACHINE\\" + users + ": current user \"" + d.profileName + "\"");
  else
    mk.Note("  not written: " + machine.error() + " (nsreg.dat alone names the profile)");
}

void WriteNavigatorSettings(Maker& mk, const DemoOptions& o, const Generation& g, const DemoGeneration& d) {
  const std::string key = kNavigatorKey;
  const char* root = "HKEY_CURRENT_USER";
  HKEY hkcu = o.currentUser;
  mk.RegText(hkcu, key + "Main", "Install Directory", d.folder, root);
  mk.RegText(hkcu, key + "News", "News Directory", d.newsDir, root);
  mk.RegText(hkcu, key + "Mail", "Mail Directory", d.mailDir, root);
  mk.RegText(hkcu, key + "Cache", "Cache Dir", d.cacheDir, root);
  mk.RegText(hkcu, key + "Cookies", "Cookie File", d.cookieFile, root);
  mk.RegText(hkcu, key + "History", "History File", d.historyFile, root);
  mk.RegText(hkcu, key + "Bookmark List", "File Location", d.bookmarkFile, root);
  for (size_t i = 0; i < g.typedUrls.size() && i < 10; ++i)
    mk.RegText(hkcu, key + "URL History", ("URL_" + Num(i + 1)).c_str(), g.typedUrls[i], root);
  mk.RegText(hkcu, key + "User", "User_Name", g.userName, root);
  mk.RegText(hkcu, key + "User", "User_Addr", g.email, root);
  mk.RegText(hkcu, key + "User", "User_Organization", g.organization, root);
  mk.RegText(hkcu, key + "User", "Sig_File", d.signatureFile, root);
  mk.RegText(hkcu, key + "User", "Reply_To", g.replyTo, root);
  mk.RegText(hkcu, key + "Java", "Enable Java", "yes", root);
  mk.RegText(hkcu, key + "Java", "Enable JavaScript", "yes", root);
  if (mk.ok()) mk.Note("  HKEY_CURRENT_USER\\" + key + ": Navigator 3 settings of " + g.userName);
}

}  // namespace

std::string PrefsPath(const std::string& path) {
  std::string out;
  for (char c : path) {
    out += c;
    if (c == '\\') out += '\\';
  }
  return out;
}


DemoDescription DescribeDemo(const DemoOptions& options) {
  DemoDescription d;
  d.profileName = kProfileName;
  d.nsregFile = Join(options.windowsDir, "nsreg.dat");
  int cache = std::max(0, options.cacheFiles);
  d.communicator = Describe(Communicator(), CommunicatorFolder(options), cache);
  d.navigator3 = Describe(Navigator3(), NavigatorFolder(options), cache > 0 ? std::max(1, cache / 3) : 0);
  return d;
}

bool MakeDemoProfile(const DemoOptions& options, std::vector<std::string>* log, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  if (!paths::IsAbsolute(options.root) || options.root.size() < 4)
    return fail("the root folder must be a full path below a drive or share: \"" + options.root + "\"");
  if (options.communicator && !paths::IsAbsolute(options.windowsDir))
    return fail("the Windows directory must be a full path: \"" + options.windowsDir + "\"");
  if (!options.communicator && !options.navigator3) return fail("no browser generation chosen");

  DemoDescription d = DescribeDemo(options);
  std::string why;
  if (!CheckNotSomeoneElses(options, d, why))
    return fail(why + "; nothing was changed (replace it only on a machine made for trying things out)");

  Maker mk(log);
  if (options.navigator3) {
    mk.Note("Navigator 3:");
    MakeFiles(mk, Navigator3(), d.navigator3, d.navigator3.cacheFiles);
    WriteNavigatorSettings(mk, options, Navigator3(), d.navigator3);
  }
  if (options.communicator && mk.ok()) {
    mk.Note("Communicator 4, profile \"" + d.profileName + "\":");
    MakeFiles(mk, Communicator(), d.communicator, d.communicator.cacheFiles);
    WriteProfileRegistry(mk, d.nsregFile, d.communicator.folder);
    WriteMachineProfileList(mk, options, d);
  }
  if (!mk.ok()) return fail(mk.error());
  return true;
}
