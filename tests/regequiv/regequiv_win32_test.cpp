// The alias builder on the real registry (Wine or Windows). Keys the tests plant are removed
// by guards, also when a test fails.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <string>

#include "regequiv/regequiv_win32.h"
#include "text/wide.h"
#include "search/win32registry.h"
#include "support/recorder.h"

namespace corvane {
namespace {

using test::TSearchRun;
using Lines = std::vector<std::string>;


constexpr wchar_t kIdConfigDb[] = L"SYSTEM\\CurrentControlSet\\Control\\IDConfigDB";
constexpr wchar_t kMarker[] = L"CorvaneTestMarker";

bool KeyExists(HKEY vRoot, const TText& vPath) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(vRoot, W(vPath), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::vector<TText> SubkeyNames(HKEY vRoot, const TText& vPath) {
  std::vector<TText> names;
  HKEY key = nullptr;
  if (RegOpenKeyExW(vRoot, W(vPath), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  wchar_t buf[512];
  for (DWORD i = 0;; ++i) {
    DWORD len = 512;
    if (RegEnumKeyExW(key, i, buf, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.push_back(TText(reinterpret_cast<const char16_t*>(buf), len));
  }
  RegCloseKey(key);
  return names;
}

bool LooksLikeGuid(const TText& s) {
  if (s.size() != 38 || s.front() != u'{' || s.back() != u'}') return false;
  for (std::size_t i = 1; i < 37; ++i) {
    const char16_t c = s[i];
    if (i == 9 || i == 14 || i == 19 || i == 24) {
      if (c != u'-') return false;
    } else if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') ||
                 (c >= u'a' && c <= u'f'))) {
      return false;
    }
  }
  return true;
}

// A key of the test's own, removed with its subtree when the guard goes (and beforehand, in
// case a crashed run left it).
class TTestKey {
 public:
  TTestKey(HKEY vRoot, TText vPath) : fRoot(vRoot), fPath(std::move(vPath)) {
    RegDeleteTreeW(fRoot, W(fPath));
    HKEY key = nullptr;
    fOk = RegCreateKeyExW(fRoot, W(fPath), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
          ERROR_SUCCESS;
    if (fOk) RegCloseKey(key);
  }
  ~TTestKey() { RegDeleteTreeW(fRoot, W(fPath)); }
  TTestKey(const TTestKey&) = delete;
  TTestKey& operator=(const TTestKey&) = delete;

  bool Ok() const { return fOk; }
  bool SetText(const wchar_t* vName, const TText& vText) {
    return RegSetKeyValueW(fRoot, W(fPath), vName, REG_SZ, vText.c_str(),
                           DWORD((vText.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }
  bool SetDword(const wchar_t* vName, DWORD vValue) {
    return RegSetKeyValueW(fRoot, W(fPath), vName, REG_DWORD, &vValue, sizeof(vValue)) ==
           ERROR_SUCCESS;
  }

 private:
  HKEY fRoot;
  TText fPath;
  bool fOk = false;
};

// Plants ...\Control\IDConfigDB with "CurrentConfig" = 1, marked as ours. An IDConfigDB that
// is not ours is left alone (the test is then skipped).
class TConfigDb {
 public:
  TConfigDb() {
    if (KeyExists(HKEY_LOCAL_MACHINE, FromW(kIdConfigDb))) {
      DWORD type = 0;
      if (RegGetValueW(HKEY_LOCAL_MACHINE, kIdConfigDb, kMarker, RRF_RT_ANY, &type, nullptr,
                       nullptr) != ERROR_SUCCESS)
        return;
    }
    fKey = std::make_unique<TTestKey>(HKEY_LOCAL_MACHINE, FromW(kIdConfigDb));
    fOk = fKey->Ok() && fKey->SetDword(L"CurrentConfig", 1) && fKey->SetDword(kMarker, 1);
  }
  bool Ok() const { return fOk; }

 private:
  std::unique_ptr<TTestKey> fKey;
  bool fOk = false;
};

TText UserSid() {
  TText sid;
  EXPECT_EQ(CurrentUserSID(Win32AliasSystem(), sid), 0);
  return sid;
}

std::vector<std::string> Utf8(const TAliasList& v) {
  std::vector<std::string> r;
  for (const auto& t : v) r.push_back(ToUtf8(t));
  return r;
}

constexpr char kClassesEntry[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES";
constexpr char kConfigEntry[] =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\HARDWARE PROFILES\\CURRENT";

TEST(Win32Alias, ListHoldsTheClassesAndCurrentUserEntries) {
  const bool planted = KeyExists(HKEY_LOCAL_MACHINE, FromW(kIdConfigDb));
  EXPECT_EQ(Win32AliasSystem().PlatformId(), kPlatformNT);
  EXPECT_EQ(ToUtf8(UserSid()).rfind("S-1-5-21-", 0), 0u) << ToUtf8(UserSid());
  EXPECT_EQ(CurrentUserKeyName(Win32AliasHost()), UserSid());
  TText guid;
  EXPECT_TRUE(Win32AliasSystem().NewGuid(guid) && LooksLikeGuid(guid)) << ToUtf8(guid);
  TAliasList list;
  const std::uint32_t mask = BuildAliasList(list, Win32AliasHost());
  std::cout << "alias list (mask " << mask << "):\n";
  for (const auto& e : list) std::cout << "  " << ToUtf8(e) << "\n";
  ASSERT_GE(list.size(), 2u);
  EXPECT_EQ(ToUtf8(list[0]), kClassesEntry);
  EXPECT_EQ(list[1], FoldAZ(u"HKEY_USERS\\" + UserSid()));
  if (!planted) {
    EXPECT_EQ(mask, afNoConfig);
    EXPECT_EQ(list.size(), 2u);
  }
  // The process-wide list is the same, built by the one call a front end makes.
  EXPECT_EQ(Utf8(BuildProcessAliasList()), Utf8(list));
  EXPECT_EQ(&BuildProcessAliasList(), &AliasList());
}

TEST(Win32Alias, ConfigurationEntryOnceIdConfigDbIsPlanted) {
  TConfigDb db;
  if (!db.Ok()) GTEST_SKIP() << "IDConfigDB exists and is not the test's";
  TAliasList list;
  EXPECT_EQ(BuildAliasList(list, Win32AliasHost()), 0u);
  EXPECT_EQ(Utf8(list),
            (Lines{kClassesEntry, ToUtf8(FoldAZ(u"HKEY_USERS\\" + UserSid())), kConfigEntry}));
}

// Every GUID-named key below the paths the builder probes and the views that show them.
std::map<std::string, std::vector<TText>> ProbeKeys() {
  std::map<std::string, std::vector<TText>> found;
  const auto scan = [&](HKEY root, const std::string& label, const TText& path) {
    for (const auto& n : SubkeyNames(root, path))
      if (LooksLikeGuid(n)) found[label + "\\" + ToUtf8(path)].push_back(n);
  };
  scan(HKEY_LOCAL_MACHINE, "HKLM", u"SOFTWARE\\Classes");
  for (const auto& hive : SubkeyNames(HKEY_USERS, u"")) scan(HKEY_USERS, "HKU", hive);
  for (const char16_t* set : {u"CurrentControlSet", u"ControlSet001"})
    for (const char16_t* profile : {u"Current", u"0001"})
      scan(HKEY_LOCAL_MACHINE, "HKLM",
           TText(u"SYSTEM\\") + set + u"\\Hardware Profiles\\" + profile);
  scan(HKEY_CLASSES_ROOT, "HKCR", u"");
  scan(HKEY_CURRENT_USER, "HKCU", u"");
  scan(HKEY_CURRENT_CONFIG, "HKCC", u"");
  return found;
}

TEST(Win32Alias, NoProbeKeyIsLeftAfterTwentyBuilds) {
  TConfigDb db;  // so that the configuration paths are probed too
  const auto before = ProbeKeys();
  for (int i = 0; i < 20; ++i) {
    TAliasList list;
    (void)BuildAliasList(list, Win32AliasHost());
    ASSERT_GE(list.size(), 2u);
  }
  EXPECT_EQ(ProbeKeys(), before);
  EXPECT_TRUE(before.empty());
}

// Hits per reported root of a simple search over all five roots for vText.
std::map<std::string, int> HitsByRoot(const TText& vText, const TAliasList* vAliases) {
  TSearchRun run(Win32CursorFactory(), vAliases);
  run.Simple(vText);
  EXPECT_EQ(run.Run(), stFinished);
  std::map<std::string, int> hits;
  for (const auto& h : run.fRec.fHits) {
    const std::string key = ToUtf8(h.fKey);
    ++hits[key.substr(0, key.find('\\'))];
  }
  return hits;
}

void Print(const char* vWhat, const std::map<std::string, int>& vHits) {
  std::cout << vWhat << ":";
  for (const auto& [root, n] : vHits) std::cout << " " << root << "=" << n;
  std::cout << "\n";
}

TEST(Win32Alias, SearchReportsSharedContentOnceUnderTheAliasRoot) {
  const TText needle = u"corvane-alias-needle-" + FromUtf8(std::to_string(GetCurrentProcessId()));
  TTestKey classes(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Classes\\CorvaneTest.Alias");
  TTestKey user(HKEY_CURRENT_USER, u"Software\\CorvaneTest.Alias");
  TTestKey config(HKEY_CURRENT_CONFIG, u"Software\\CorvaneTest.Alias");
  ASSERT_TRUE(classes.SetText(L"Needle", needle + u"-classes"));
  ASSERT_TRUE(user.SetText(L"Needle", needle + u"-user"));
  const bool withConfig = config.SetText(L"Needle", needle + u"-config");

  const auto without = HitsByRoot(needle, nullptr);
  Print("hits without the alias list", without);
  EXPECT_EQ(without.at("HKEY_CLASSES_ROOT"), 1);
  EXPECT_EQ(without.at("HKEY_LOCAL_MACHINE"), withConfig ? 2 : 1);
  EXPECT_EQ(without.at("HKEY_CURRENT_USER"), 1);
  EXPECT_EQ(without.at("HKEY_USERS"), 1);

  TAliasList list;
  (void)BuildAliasList(list, Win32AliasHost());
  const auto with = HitsByRoot(needle, &list);
  Print("hits with the alias list", with);
  EXPECT_EQ(with.at("HKEY_CLASSES_ROOT"), 1);
  EXPECT_EQ(with.at("HKEY_CURRENT_USER"), 1);
  EXPECT_EQ(with.count("HKEY_USERS"), 0u);

  if (withConfig) {
    TConfigDb db;
    if (!db.Ok()) return;
    TAliasList full;
    ASSERT_EQ(BuildAliasList(full, Win32AliasHost()), 0u);
    const auto once = HitsByRoot(needle, &full);
    Print("hits with the alias list and IDConfigDB", once);
    EXPECT_EQ(once,
              (std::map<std::string, int>{
                  {"HKEY_CLASSES_ROOT", 1}, {"HKEY_CURRENT_USER", 1}, {"HKEY_CURRENT_CONFIG", 1}}));
  }
}

}  // namespace
}  // namespace corvane
