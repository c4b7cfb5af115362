// The start-up derivations with the Win32 side (Wine or Windows). Files and folders the
// tests make are removed again, also when a test fails.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "settings/profile_win32.h"
#include "app/startup/startup_win32.h"
#include "text/wide.h"

namespace corvane {
namespace {

bool Same(const TText& a, const TText& b) {
  return FoldAZ(a) == FoldAZ(b);
}

bool FolderThere(const TText& vPath) {
  const DWORD a = GetFileAttributesW(W(vPath));
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// A folder of the test's own below the temporary folder; removed with its files at the end.
class TTempFolder {
 public:
  explicit TTempFolder(const char* vName) {
    wchar_t buf[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, buf);
    fPath = TText(reinterpret_cast<const char16_t*>(buf)) + FromUtf8(vName) + u"-" +
            FromUtf8(std::to_string(GetCurrentProcessId()));
    Remove();
    CreateDirectoryW(W(fPath), nullptr);
  }
  ~TTempFolder() { Remove(); }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const TText& Path() const { return fPath; }

 private:
  // Two levels are all the tests make.
  void Remove() {
    for (const TText& dir : {fPath + u"\\Corvane", fPath}) {
      WIN32_FIND_DATAW data;
      HANDLE find = FindFirstFileW(W(dir + u"\\*"), &data);
      if (find != INVALID_HANDLE_VALUE) {
        do {
          if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW(W(dir + u"\\" + TText(reinterpret_cast<const char16_t*>(data.cFileName))));
        } while (FindNextFileW(find, &data));
        FindClose(find);
      }
      RemoveDirectoryW(W(dir));
    }
  }
  TText fPath;
};

// The Win32 side with the local application data folder moved elsewhere.
class TMovedFolder final : public TStartupSystem {
 public:
  explicit TMovedFolder(TText vFolder) : fFolder(std::move(vFolder)) {}
  bool SpecialFolder(int, TText& vPath) override {
    vPath = fFolder;
    return true;
  }
  bool SystemDirectory(TText& v) override { return fWin.SystemDirectory(v); }
  bool WindowsDirectory(TText& v) override { return fWin.WindowsDirectory(v); }
  bool Environment(TTextView n, TText& v) override { return fWin.Environment(n, v); }
  bool FolderExists(TTextView p) override { return fWin.FolderExists(p); }
  bool MakeFolder(TTextView p) override { return fWin.MakeFolder(p); }
  bool FileExists(TTextView p) override { return fWin.FileExists(p); }
  std::unique_ptr<TProfile> OpenProfile(TTextView f) override { return fWin.OpenProfile(f); }
  std::unique_ptr<TRegCursor> NewCursor() override { return fWin.NewCursor(); }

 private:
  TStartupSystem& fWin = Win32StartupSystem();
  TText fFolder;
};

void WriteSetting(const TText& vFile, const wchar_t* vKey, const wchar_t* vValue) {
  ASSERT_TRUE(WritePrivateProfileStringW(L"Settings", vKey, vValue, W(vFile)));
}

TEST(Win32Startup, SystemSide) {
  TStartupSystem& sys = Win32StartupSystem();
  TText local, system, windows, path;
  ASSERT_TRUE(sys.SpecialFolder(kLocalAppDataFolder, local));
  EXPECT_TRUE(Same(local.substr(local.size() - 14), u"\\AppData\\Local")) << ToUtf8(local);
  ASSERT_TRUE(sys.SystemDirectory(system));
  ASSERT_TRUE(sys.WindowsDirectory(windows));
  EXPECT_TRUE(sys.Environment(u"PATH", path));
  EXPECT_FALSE(sys.Environment(u"CORVANE_SURELY_UNSET", path));
  EXPECT_TRUE(sys.FolderExists(windows));
  EXPECT_FALSE(sys.FileExists(windows));  // a folder is no file
  EXPECT_TRUE(sys.FileExists(windows + u"\\regedit.exe"));
  // PATH longer than the 4096-character buffer still comes back whole; the search list
  // leaves it out.
  ASSERT_TRUE(SetEnvironmentVariableW(L"CORVANE_LONG", W(TText(5000, u'x'))));
  TText longValue;
  EXPECT_TRUE(sys.Environment(u"CORVANE_LONG", longValue));
  EXPECT_EQ(longValue.size(), 5000u);
  SetEnvironmentVariableW(L"CORVANE_LONG", nullptr);
}

TEST(Win32Startup, ProcessValuesFindRegEditAndCreateTheSettingsFolder) {
  TText local, windows;
  ASSERT_TRUE(Win32StartupSystem().SpecialFolder(kLocalAppDataFolder, local));
  ASSERT_TRUE(Win32StartupSystem().WindowsDirectory(windows));
  const TText folder = local + u"\\Corvane";
  RemoveDirectoryW(W(folder));  // only when empty: a folder left by an earlier run
  const bool existed = FolderThere(folder);

  const TStartupValues& v = DeriveStartupValues();
  EXPECT_EQ(&v, &StartupValues());
  EXPECT_EQ(ToUtf8(v.DataDir), ToUtf8(folder + u"\\"));
  EXPECT_EQ(ToUtf8(v.IniName), ToUtf8(folder + u"\\Corvane.INI"));
  EXPECT_TRUE(FolderThere(folder));
  EXPECT_TRUE(Same(v.RegEditExe, windows + u"\\REGEDIT.EXE")) << ToUtf8(v.RegEditExe);
  EXPECT_EQ(v.EditorSearchList, u"");
  if (!existed) RemoveDirectoryW(W(folder));
}

TEST(Win32Startup, ProfileNumbersAreOurOwn) {
  TTempFolder temp("CorvaneProfileTest");
  const TText ini = temp.Path() + u"\\test.ini";
  WriteSetting(ini, L"Loose", L"12abc");
  WriteSetting(ini, L"Dollar", L"$1F");
  WriteSetting(ini, L"Hex", L"0x10");
  WriteSetting(ini, L"Word", L"yes");
  WriteSetting(ini, L"Negative", L"-5");
  WriteSetting(ini, L"Long", W(TText(3000, u'7')));
  EXPECT_EQ(GetPrivateProfileIntW(L"Settings", L"Loose", 0, W(ini)), 12u);  // what we avoid
  auto profile = OpenWin32Profile(ini);
  EXPECT_EQ(ReadProfileInt(*profile, u"Settings", u"Loose", 0), 0);
  EXPECT_EQ(ReadProfileInt(*profile, u"Settings", u"Dollar", 0), 31);
  EXPECT_EQ(ReadProfileInt(*profile, u"Settings", u"Hex", 0), 16);
  EXPECT_EQ(ReadProfileInt(*profile, u"Settings", u"Word", 3), 3);
  EXPECT_EQ(ReadProfileInt(*profile, u"Settings", u"Negative", 0), -5);
  EXPECT_EQ(ReadProfileInt(*profile, u"Settings", u"Missing", 4), 4);
  EXPECT_EQ(profile->ReadString(u"Settings", u"Long").size(), 3000u);
  EXPECT_EQ(ReadProfileInt(*OpenWin32Profile(temp.Path() + u"\\none.ini"), u"Settings", u"Hex", 8),
            8);
}

TEST(Win32Startup, SettingsInTheFileSwitchTheEditorOff) {
  TTempFolder temp("CorvaneStartupTest");
  TMovedFolder sys(temp.Path());
  TStartupValues v = DeriveStartupValues(sys);
  EXPECT_EQ(ToUtf8(v.DataDir), ToUtf8(temp.Path() + u"\\Corvane\\"));
  EXPECT_TRUE(FolderThere(temp.Path() + u"\\Corvane"));
  EXPECT_NE(v.RegEditExe, u"");

  WriteSetting(v.IniName, L"NoRE", L"1");
  EXPECT_EQ(DeriveStartupValues(sys).RegEditExe, u"");
  WriteSetting(v.IniName, L"NoRE", L"yes");
  v = DeriveStartupValues(sys);
  EXPECT_NE(v.RegEditExe, u"");

  TMovedFolder missing(temp.Path() + u"\\not\\there");
  EXPECT_THROW(DeriveStartupValues(missing), TStartupError);
  EXPECT_FALSE(FolderThere(temp.Path() + u"\\not"));
}

}  // namespace
}  // namespace corvane
