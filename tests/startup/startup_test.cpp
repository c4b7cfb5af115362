#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>

#include "app/startup/startup.h"
#include "search/memregistry.h"

namespace corvane {
namespace {

using Lines = std::vector<std::string>;

// Folder and file names compare with a-z folded and without a trailing backslash, as the
// file system treats them.
TText Norm(TTextView vPath) {
  TText p = FoldAZ(vPath);
  while (p.size() > 1 && p.back() == u'\\') p.pop_back();
  return p;
}

class TMapProfile final : public TProfile {
 public:
  explicit TMapProfile(const std::map<TText, TText>* vKeys) : fKeys(vKeys) {}
  // Start-up reads only.
  bool WriteString(TTextView, TTextView, TTextView) override { return false; }
  TText ReadString(TTextView vSection, TTextView vKey) override {
    if (!fKeys) return {};
    auto it = fKeys->find(TText(vSection) + u"|" + TText(vKey));
    return it == fKeys->end() ? TText() : it->second;
  }

 private:
  const std::map<TText, TText>* fKeys;
};

class TFakeStartup final : public TStartupSystem {
 public:
  TFakeStartup() {
    AddFolder(u"C:");
    AddFolder(u"C:\\Users\\ann\\AppData\\Local");
    AddFolder(u"C:\\WINDOWS\\system32");
    fEnv[u"PATH"] = u"C:\\WINDOWS\\system32;C:\\WINDOWS;C:\\Tools";
  }

  bool SpecialFolder(int vFolder, TText& vPath) override {
    if (vFolder != kLocalAppDataFolder || !fShell) return false;
    vPath = *fShell;
    return true;
  }
  bool SystemDirectory(TText& vPath) override { return Get(fSystemDir, vPath); }
  bool WindowsDirectory(TText& vPath) override { return Get(fWindowsDir, vPath); }
  bool Environment(TTextView vName, TText& vValue) override {
    auto it = fEnv.find(TText(vName));
    if (it == fEnv.end()) return false;
    vValue = it->second;
    return true;
  }
  bool FolderExists(TTextView vPath) override { return fFolders.count(Norm(vPath)) != 0; }
  bool MakeFolder(TTextView vPath) override {
    const TText p = Norm(vPath);
    const std::size_t cut = p.rfind(u'\\');
    const TText parent = cut == TText::npos ? TText() : p.substr(0, cut);
    if (!parent.empty() && !fFolders.count(parent)) return false;
    fFolders.insert(p);
    fMade.push_back(TText(vPath));
    return true;
  }
  bool FileExists(TTextView vPath) override {
    fLooked.push_back(ToUtf8(vPath));
    return fFiles.count(Norm(vPath)) != 0;
  }
  std::unique_ptr<TProfile> OpenProfile(TTextView vFile) override {
    auto it = fProfiles.find(Norm(vFile));
    return std::make_unique<TMapProfile>(it == fProfiles.end() ? nullptr : &it->second);
  }
  std::unique_ptr<TRegCursor> NewCursor() override { return fReg.NewCursor(); }

  void AddFolder(TTextView vPath) { fFolders.insert(Norm(vPath)); }
  void AddFile(TTextView vPath) { fFiles.insert(Norm(vPath)); }
  void Setting(TTextView vKey, TTextView vValue) {
    fProfiles[Norm(u"C:\\Users\\ann\\AppData\\Local\\Corvane\\Corvane.INI")]
             [TText(kSettingsSection) + u"|" + TText(vKey)] = TText(vValue);
  }

  std::optional<TText> fShell = TText(u"C:\\Users\\ann\\AppData\\Local");
  std::optional<TText> fSystemDir = TText(u"C:\\WINDOWS\\system32");
  std::optional<TText> fWindowsDir = TText(u"C:\\WINDOWS");
  std::map<TText, TText> fEnv;
  std::set<TText> fFolders, fFiles;
  std::map<TText, std::map<TText, TText>> fProfiles;
  TMemRegistry fReg;
  std::vector<TText> fMade;
  Lines fLooked;  // every file existence check, in order

 private:
  static bool Get(const std::optional<TText>& v, TText& vOut) {
    if (!v) return false;
    vOut = *v;
    return true;
  }
};

TEST(ProfileNumbers, FormsTheSettingsUse) {
  const std::pair<const char*, std::int32_t> good[] = {
      {"0", 0},
      {"1", 1},
      {"-1", -1},
      {"+7", 7},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"$ff", 255},
      {"$FFFFFFFF", -1},
      {"0x10", 16},
      {"0X1f", 31},
      {"-$10", -16},
      {"0x0000000000000001", 1},
      {"007", 7},
  };
  for (const auto& [text, value] : good) {
    std::int32_t v = 12345;
    EXPECT_TRUE(ParseProfileInt(FromUtf8(text), v)) << text;
    EXPECT_EQ(v, value) << text;
  }
  // GetPrivateProfileIntW would take the leading digits of several of these.
  for (const char* text : {"", "yes", "12abc", " 1", "1 ", "$", "0x", "x10", "2147483648",
                           "-2147483649", "$100000000", "1.5", "--1", "+-1", "1e3", "0x-1"}) {
    std::int32_t v = 12345;
    EXPECT_FALSE(ParseProfileInt(FromUtf8(text), v)) << text;
    EXPECT_EQ(v, 12345) << text;
  }
  std::map<TText, TText> keys{{u"Settings|PerPage", u"9"}, {u"Settings|Case", u"yes"}};
  TMapProfile ini(&keys);
  EXPECT_EQ(ReadProfileInt(ini, u"Settings", u"PerPage", 0), 9);
  EXPECT_EQ(ReadProfileInt(ini, u"Settings", u"Missing", 2), 2);
  EXPECT_TRUE(ReadProfileFlag(ini, u"Settings", u"Case", true));
}

TEST(Startup, SettingsFolderAndFile) {
  TFakeStartup sys;
  TStartupValues v = DeriveStartupValues(sys);
  EXPECT_EQ(ToUtf8(v.DataDir), "C:\\Users\\ann\\AppData\\Local\\Corvane\\");
  EXPECT_EQ(ToUtf8(v.IniName), "C:\\Users\\ann\\AppData\\Local\\Corvane\\Corvane.INI");
  ASSERT_EQ(sys.fMade.size(), 1u);
  EXPECT_EQ(sys.fMade[0], v.DataDir);
  // Already there: not created again. A trailing backslash is not doubled, and the text
  // ends at the shell's first zero.
  sys.fMade.clear();
  sys.fShell = TText(u"C:\\Users\\ann\\AppData\\Local\\") + u'\0' + u"junk";
  v = DeriveStartupValues(sys);
  EXPECT_EQ(ToUtf8(v.DataDir), "C:\\Users\\ann\\AppData\\Local\\Corvane\\");
  EXPECT_TRUE(sys.fMade.empty());
}

TEST(Startup, ShellFailureFallsBackToTheEnvironmentThenTheCurrentDirectory) {
  TFakeStartup sys;
  sys.fShell.reset();
  sys.fEnv[u"LOCALAPPDATA"] = u"D:\\Data";
  sys.AddFolder(u"D:\\Data");
  EXPECT_EQ(ToUtf8(DeriveStartupValues(sys).IniName), "D:\\Data\\Corvane\\Corvane.INI");
  sys.fShell = TText();
  sys.fEnv.erase(u"LOCALAPPDATA");
  const TStartupValues v = DeriveStartupValues(sys);
  EXPECT_EQ(ToUtf8(v.DataDir), "Corvane\\");
  EXPECT_EQ(ToUtf8(v.IniName), "Corvane\\Corvane.INI");
}

TEST(Startup, SettingsFolderThatCannotBeCreatedStopsTheStart) {
  TFakeStartup sys;
  sys.fShell = TText(u"C:\\Gone\\Local");  // its parent does not exist either
  EXPECT_THROW(DeriveStartupValues(sys), TStartupError);
  EXPECT_TRUE(sys.fMade.empty());
  // The process-wide values are not marked as derived by a failed attempt.
  EXPECT_THROW(DeriveProcessStartupValues(sys), TStartupError);
  sys.AddFolder(u"C:\\Gone\\Local");
  const TStartupValues& v = DeriveProcessStartupValues(sys);
  EXPECT_EQ(&v, &StartupValues());
  EXPECT_EQ(ToUtf8(v.DataDir), "C:\\Gone\\Local\\Corvane\\");
  sys.fShell = TText(u"C:\\Users\\ann\\AppData\\Local");
  EXPECT_EQ(ToUtf8(DeriveProcessStartupValues(sys).DataDir), "C:\\Gone\\Local\\Corvane\\");
}

TEST(Startup, EditorSearchList) {
  TFakeStartup sys;
  EXPECT_EQ(ToUtf8(BuildEditorSearchList(sys)),
            "C:\\WINDOWS\\system32;C:\\WINDOWS;C:\\WINDOWS\\system32;C:\\WINDOWS;C:\\Tools");
  sys.fSystemDir.reset();
  EXPECT_EQ(ToUtf8(BuildEditorSearchList(sys)),
            "C:\\WINDOWS;C:\\WINDOWS\\system32;C:\\WINDOWS;C:\\Tools");
  sys.fWindowsDir.reset();
  sys.fEnv.erase(u"PATH");
  EXPECT_EQ(ToUtf8(BuildEditorSearchList(sys)), "");
  // PATH must fit 4096 characters with its closing zero.
  sys.fEnv[u"PATH"] = TText(4095, u'p');
  EXPECT_EQ(BuildEditorSearchList(sys).size(), 4095u);
  sys.fEnv[u"PATH"] = TText(4096, u'p');
  EXPECT_EQ(BuildEditorSearchList(sys), u"");
  sys.fWindowsDir = TText(u"C:\\WINDOWS");
  EXPECT_EQ(ToUtf8(BuildEditorSearchList(sys)), "C:\\WINDOWS;");
  // The list is only needed during the start.
  EXPECT_EQ(DeriveStartupValues(sys).EditorSearchList, u"");
}

TEST(Startup, RegEditSearchOrderAndCandidates) {
  TFakeStartup sys;
  EXPECT_EQ(FindRegEdit(sys, u"C:\\A\\;;;D:;.;bin;\\WINDOWS;\\\\srv\\share;C:\\WINDOWS;"), u"");
  // Only absolute folders are looked in; never the current directory.
  EXPECT_EQ(sys.fLooked, (Lines{"C:\\A\\REGEDIT.EXE", "\\\\srv\\share\\REGEDIT.EXE",
                                "C:\\WINDOWS\\REGEDIT.EXE"}));
  sys.AddFile(u"C:\\WINDOWS\\regedit.exe");
  sys.AddFile(u"C:\\Tools\\REGEDIT.EXE");
  EXPECT_EQ(ToUtf8(FindRegEdit(sys, u"C:\\WINDOWS\\system32;C:\\WINDOWS;C:\\Tools")),
            "C:\\WINDOWS\\REGEDIT.EXE");
  // A REGEDIT.EXE in the current directory (a document's folder, say), or reached through a
  // relative PATH entry, is not taken: the full path of the system's is.
  sys.AddFile(u"REGEDIT.EXE");
  EXPECT_EQ(ToUtf8(DeriveStartupValues(sys).RegEditExe), "C:\\WINDOWS\\REGEDIT.EXE");
  sys.AddFile(u"bin\\REGEDIT.EXE");
  sys.AddFile(u".\\REGEDIT.EXE");
  sys.fSystemDir.reset();
  sys.fWindowsDir.reset();
  sys.fEnv[u"PATH"] = u"bin;.;C:\\Tools";
  EXPECT_EQ(ToUtf8(DeriveStartupValues(sys).RegEditExe), "C:\\Tools\\REGEDIT.EXE");
}

TEST(Startup, NoReTurnsTheEditorOff) {
  // "NoREP" belonged to an editor of the 95 family; it is read no more and changes nothing.
  struct TCase {
    const char* fNoRE;
    const char* fNoREP;
    bool fRegEdit;
  } cases[] = {
      {nullptr, nullptr, true}, {"0", "0", true}, {"1", "0", false}, {"1", nullptr, false},
      {"0", "1", true},         {"yes", "0", true}, {"$1", "0", false}, {"0", "true", true},
  };
  for (const auto& c : cases) {
    TFakeStartup sys;
    sys.AddFile(u"C:\\WINDOWS\\REGEDIT.EXE");
    if (c.fNoRE) sys.Setting(u"NoRE", FromUtf8(c.fNoRE));
    if (c.fNoREP) sys.Setting(u"NoREP", FromUtf8(c.fNoREP));
    const TStartupValues v = DeriveStartupValues(sys);
    const std::string what =
        std::string(c.fNoRE ? c.fNoRE : "-") + "/" + (c.fNoREP ? c.fNoREP : "-");
    EXPECT_EQ(v.RegEditExe.empty(), !c.fRegEdit) << what;
    EXPECT_EQ(v.NoRE, !c.fRegEdit) << what;
  }
}

}  // namespace
}  // namespace corvane
