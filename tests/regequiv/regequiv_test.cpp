#include <gtest/gtest.h>

#include <string_view>

#include "regequiv/regequiv.h"
#include "search/memregistry.h"
#include "support/forwardcursor.h"
#include "support/recorder.h"

namespace corvane {
namespace {

using Lines = std::vector<std::string>;

constexpr char16_t kSid[] = u"S-1-5-21-0-0-0-1000";
constexpr char16_t kProfiles[] = u"SYSTEM\\CurrentControlSet\\Hardware Profiles";
constexpr char kUserEntry[] = "HKEY_USERS\\S-1-5-21-0-0-0-1000";

Lines Utf8(const std::vector<TText>& v) {
  Lines r;
  for (const auto& t : v) r.push_back(ToUtf8(t));
  return r;
}

bool Has(TTextView vPath, TTextView vPart) {
  return vPath.find(vPart) != TTextView::npos;
}

class TFakeSystem final : public TAliasSystem {
 public:
  std::uint32_t PlatformId() override { return fPlatform; }
  bool NewGuid(TText& vText) override {
    const std::string n = std::to_string(++fGuids);
    vText = u"{00000000-0000-0000-0000-" + FromUtf8(std::string(12 - n.size(), '0') + n) + u"}";
    return !fNoGuids;
  }
  bool UserName(TText& vName) override {
    vName = u"root";
    return fFailStep != 1;
  }
  bool LookupAccount(const TText&) override { return fFailStep != 2; }
  bool SidAuthority(std::array<std::uint8_t, 6>& vAuthority) override {
    vAuthority = {0, 0, 0, 0, 0, 5};
    return fFailStep != 3;
  }
  bool SidSubAuthorityCount(std::uint8_t& vCount) override {
    vCount = 5;
    return fFailStep != 4;
  }
  bool SidSubAuthority(std::uint8_t vIndex, std::uint32_t& vValue) override {
    vValue = vIndex == 0 ? 21 : vIndex == 4 ? 1000 : 0;
    return fFailStep != 5 + vIndex;
  }

  std::uint32_t fPlatform = kPlatformNT;
  bool fNoGuids = false;
  int fGuids = 0;
  int fFailStep = 0;  // the identity step that fails: 1 user name ... 5 + i sub-authority i
};

// The in-memory cursor with failures on demand: fFail("create" | "write" | "read", path of
// the open key) refuses the operation as advapi32 would (false, or TRegError).
struct TFaults {
  std::function<bool(std::string_view vOp, TTextView vPath)> fFail;
  std::vector<TText> fFullOpens;  // root name and path of every full-access open
  int fKeyInfos = 0;
};

class TFaultCursor final : public test::TForwardCursor {
 public:
  TFaultCursor(std::unique_ptr<TRegCursor> vInner, TFaults& vFaults)
      : TForwardCursor(std::move(vInner)), fF(vFaults) {}

  void SelectRoot(TKeyHandle vRoot) override {
    fIn->SelectRoot(fRoot = vRoot);
    fPath.clear();
  }
  void CloseKey() override {
    fIn->CloseKey();
    fPath.clear();
  }
  bool OpenRead(TTextView p) override { return Opened(p, fIn->OpenRead(p)); }
  bool OpenFull(TTextView p) override {
    fF.fFullOpens.push_back(RootName(fRoot) + Target(p));
    return Opened(p, fIn->OpenFull(p));
  }
  bool OpenReadAccess(TTextView p) override { return Opened(p, fIn->OpenReadAccess(p)); }
  bool CreateSubkey(TTextView n) override {
    if (Fails("create") || !fIn->CreateSubkey(n)) return false;
    fPath += u"\\" + TText(n);
    return true;
  }
  void WriteText(TTextView n, TTextView t) override {
    if (Fails("write")) throw TRegError("write refused");
    fIn->WriteText(n, t);
  }
  TText ReadText(TTextView n) override {
    if (Fails("read")) throw TRegError("read refused");
    return fIn->ReadText(n);
  }
  bool RootKeyInfo(TKeyHandle r, TKeyInfo& i) override {
    ++fF.fKeyInfos;
    return fIn->RootKeyInfo(r, i);
  }
  bool OpenKeyInfo(TKeyInfo& i) override {
    ++fF.fKeyInfos;
    return fIn->OpenKeyInfo(i);
  }

 private:
  bool Fails(std::string_view vOp) const { return fF.fFail && fF.fFail(vOp, fPath); }
  TText Target(TTextView p) const {
    return !p.empty() && p[0] == u'\\' ? TText(p) : p.empty() ? fPath : fPath + u"\\" + TText(p);
  }
  bool Opened(TTextView p, bool vOk) {
    if (vOk) fPath = Target(p);
    return vOk;
  }

  TFaults& fF;
  TKeyHandle fRoot = kHKCU;
  TText fPath;
};

void CollectProbes(const TMemKey& vKey, const TText& vPath, std::vector<TText>& vFound) {
  for (const auto& s : vKey.fSubkeys) {
    if (s->fName.starts_with(u"{")) vFound.push_back(vPath + u"\\" + s->fName);
    CollectProbes(*s, vPath + u"\\" + s->fName, vFound);
  }
}

class Alias : public testing::Test {
 protected:
  Alias() {
    fHost.fSystem = &fSystem;
    fHost.fNewCursor = [this]() -> std::unique_ptr<TRegCursor> {
      if (fCursorLimit == 0) throw TRegError("no cursor");
      if (fCursorLimit > 0) --fCursorLimit;
      return std::make_unique<TFaultCursor>(fReg.NewCursor(), fFaults);
    };
  }
  ~Alias() override { EXPECT_EQ(Leftovers(), Lines{}); }

  // The three views as Windows sets them up, with the current configuration 1.
  void LinkViews() {
    fReg.LinkRoot(kHKCR, kHKLM, u"SOFTWARE\\Classes");
    fReg.LinkRoot(kHKCU, kHKU, kSid);
    fReg.Key(kHKU, u".DEFAULT");
    fReg.LinkRoot(kHKCC, kHKLM, TText(kProfiles) + u"\\Current");
    fReg.SetDword(kHKLM, u"SYSTEM\\CurrentControlSet\\Control\\IDConfigDB", u"CurrentConfig", 1);
  }

  // Every probe key left anywhere in the registry.
  Lines Leftovers() const {
    std::vector<TText> found;
    for (const auto& r : kSearchOrder) CollectProbes(*fReg.Root(r.fHandle), r.fName, found);
    return Utf8(found);
  }

  TMemRegistry fReg;
  TFakeSystem fSystem;
  TFaults fFaults;
  int fCursorLimit = -1;  // cursors the factory still makes; -1: no limit
  TAliasHost fHost;
};

TEST_F(Alias, ProbeCodesAndCleanup) {
  LinkViews();
  EXPECT_EQ(ProbeAlias(fHost, kHKCR, kHKLM, u"\\SOFTWARE\\Classes"), pcSame);
  EXPECT_EQ(ProbeAlias(fHost, kHKCU, kHKU, u"\\.DEFAULT"), pcNotSeen);
  EXPECT_EQ(ProbeAlias(fHost, kHKCR, kHKLM, u"\\SOFTWARE\\Nowhere"), pcNoOpen);
  EXPECT_EQ(fReg.Find(kHKLM, u"SOFTWARE\\Nowhere"), nullptr);  // opened, never created
  fSystem.fNoGuids = true;
  EXPECT_EQ(ProbeAlias(fHost, kHKCR, kHKLM, u"\\SOFTWARE\\Classes"), pcNoCreate);
  fSystem.fNoGuids = false;
  fFaults.fFail = [](std::string_view op, TTextView) { return op == "create"; };
  EXPECT_EQ(ProbeAlias(fHost, kHKCR, kHKLM, u"\\SOFTWARE\\Classes"), pcNoCreate);
  // Once the probe key exists, a refused write or read still deletes it.
  for (const char* op : {"write", "read"}) {
    fFaults.fFail = [op](std::string_view o, TTextView) { return o == op; };
    EXPECT_THROW((void)ProbeAlias(fHost, kHKCR, kHKLM, u"\\SOFTWARE\\Classes"), TRegError);
    EXPECT_EQ(Leftovers(), Lines{}) << op;
    TAliasList list;
    EXPECT_FALSE(
        AddIfAlias(list, fHost, u"HKEY_LOCAL_MACHINE", u"SOFTWARE\\Classes", kHKCR, kHKLM));
    EXPECT_TRUE(list.empty());
  }
  fFaults.fFail = nullptr;
  fReg.Key(kHKLM, u"SOFTWARE\\Classes").fDenyMask = 0x0002;  // no writing there
  EXPECT_EQ(ProbeAlias(fHost, kHKCR, kHKLM, u"\\SOFTWARE\\Classes"), pcNoOpen);
}

TEST_F(Alias, SameKeyInfoComparesStampsExceptForTheClassesRoot) {
  TMemKey& copy = fReg.Key(kHKLM, u"Copy");
  fReg.SetText(kHKCR, u"", u"Value", u"abc");
  fReg.SetText(kHKLM, u"Copy", u"Value", u"xyz");
  copy.fSecurity = 40;
  EXPECT_TRUE(SameKeyInfo(fHost, kHKCR, kHKLM, u"\\Copy"));
  copy.fClass = u"cls";
  EXPECT_FALSE(SameKeyInfo(fHost, kHKCR, kHKLM, u"\\Copy"));
  copy.fClass.clear();
  fReg.Key(kHKLM, u"Copy\\Sub");
  EXPECT_FALSE(SameKeyInfo(fHost, kHKCR, kHKLM, u"\\Copy"));
  EXPECT_FALSE(SameKeyInfo(fHost, kHKCR, kHKLM, u"\\Missing"));

  // For the current user the security descriptor size and last-write time count too.
  TMemKey& user = fReg.Key(kHKCU, u"");
  TMemKey& hive = fReg.Key(kHKU, u"Hive");
  user.fWriteTime = hive.fWriteTime = 5;
  EXPECT_TRUE(SameKeyInfo(fHost, kHKCU, kHKU, u"\\Hive"));
  hive.fSecurity = 40;
  EXPECT_FALSE(SameKeyInfo(fHost, kHKCU, kHKU, u"\\Hive"));
  hive.fSecurity = user.fSecurity;
  hive.fWriteTime = 6;
  EXPECT_FALSE(SameKeyInfo(fHost, kHKCU, kHKU, u"\\Hive"));
}

TEST_F(Alias, SameKeyInfoComparesTheLongestLengths) {
  fReg.SetText(kHKCR, u"", u"Value", u"abc");
  fReg.SetText(kHKLM, u"Copy", u"Value", u"xyz");
  fReg.Key(kHKCR, u"Sub");
  TMemKey& sub = fReg.Key(kHKLM, u"Copy\\Sub");
  EXPECT_TRUE(SameKeyInfo(fHost, kHKCR, kHKLM, u"\\Copy"));
  // The longest class name of a subkey.
  sub.fClass = u"c";
  EXPECT_FALSE(SameKeyInfo(fHost, kHKCR, kHKLM, u"\\Copy"));
  sub.fClass.clear();
  // The longest value name, with as many values.
  ASSERT_TRUE(fReg.DeleteValue(kHKLM, u"Copy", u"Value"));
  fReg.SetText(kHKLM, u"Copy", u"LongerName", u"xyz");
  EXPECT_FALSE(SameKeyInfo(fHost, kHKCR, kHKLM, u"\\Copy"));
  ASSERT_TRUE(fReg.DeleteValue(kHKLM, u"Copy", u"LongerName"));
  fReg.SetText(kHKLM, u"Copy", u"Other", u"xyz");
  EXPECT_TRUE(SameKeyInfo(fHost, kHKCR, kHKLM, u"\\Copy"));
  // The longest value data.
  fReg.SetText(kHKLM, u"Copy", u"Other", u"wxyz");
  EXPECT_FALSE(SameKeyInfo(fHost, kHKCR, kHKLM, u"\\Copy"));
}

TEST(SidText, AuthorityFormsAndFailingSteps) {
  EXPECT_EQ(ToUtf8(SidText({0, 0, 0x12, 0x34, 0x56, 0x78}, {})), "S-1-305419896");
  EXPECT_EQ(ToUtf8(SidText({0x01, 0x02, 0x0a, 0x0B, 0xc0, 0xFF}, {7})), "S-1-0x01020A0BC0FF-7");
  EXPECT_EQ(ToUtf8(SidText({0, 1, 0, 0, 0, 0}, {})), "S-1-0x000100000000");
  EXPECT_EQ(ToUtf8(SidText({0, 0, 0, 0, 0, 5}, {21, 2147483648u, 4294967295u})),
            "S-1-5-21-2147483648-4294967295");
  TFakeSystem system;
  TText text;
  EXPECT_EQ(CurrentUserSID(system, text), 0);
  EXPECT_EQ(ToUtf8(text), ToUtf8(kSid));
  for (int step : {1, 2, 3, 4, 5, 9}) {
    system.fFailStep = step;
    EXPECT_EQ(CurrentUserSID(system, text), step);
    EXPECT_EQ(text, u"") << step;
  }
}

TEST_F(Alias, CurrentUserKeyName) {
  fReg.Key(kHKU, kSid);
  EXPECT_EQ(ToUtf8(CurrentUserKeyName(fHost)), ToUtf8(kSid));
  fSystem.fFailStep = 2;
  EXPECT_EQ(ToUtf8(CurrentUserKeyName(fHost)), ".Default");
  fSystem.fFailStep = 0;
  fReg.RemoveTree(kHKU, kSid);
  EXPECT_EQ(ToUtf8(CurrentUserKeyName(fHost)), ".Default");  // no such hive

  fSystem.fPlatform = kPlatformWin9x;
  EXPECT_EQ(ToUtf8(CurrentUserKeyName(fHost)), ".Default");
  fReg.SetText(kHKLM, u"System\\CurrentControlSet\\control", u"Current User", u"alice");
  EXPECT_EQ(ToUtf8(CurrentUserKeyName(fHost)), "alice");
  fReg.SetDword(kHKLM, u"System\\CurrentControlSet\\control", u"Current User", 7);
  EXPECT_EQ(ToUtf8(CurrentUserKeyName(fHost)), ".Default");
}

TEST_F(Alias, UserHiveFoundByEnumerationWhenTheIdentityFails) {
  fReg.Key(kHKU, u".DEFAULT");
  fReg.Key(kHKU, u"A-First");
  fReg.LinkRoot(kHKCU, kHKU, u"Mine");
  fReg.Key(kHKU, u"Zed");
  fSystem.fFailStep = 1;
  TAliasList list;
  EXPECT_TRUE(FindUserAlias(list, fHost));
  EXPECT_EQ(Utf8(list), Lines{"HKEY_USERS\\MINE"});
  Lines real;  // the hives probed, in the registry's order; ".DEFAULT" once, Zed never
  for (const auto& p : Utf8(fFaults.fFullOpens))
    if (p.starts_with("HKEY_USERS")) real.push_back(p);
  EXPECT_EQ(real, (Lines{"HKEY_USERS\\.Default", "HKEY_USERS", "HKEY_USERS\\A-First",
                         "HKEY_USERS\\Mine"}));
}

TEST_F(Alias, ConfigurationPathsAndPlatforms) {
  TAliasList list;
  fReg.Key(kHKLM, u"SYSTEM\\CurrentControlSet\\Control\\IDConfigDB");
  EXPECT_FALSE(FindConfigAlias(list, fHost));  // no CurrentConfig
  fReg.SetText(kHKLM, u"SYSTEM\\CurrentControlSet\\Control\\IDConfigDB", u"CurrentConfig", u"1");
  EXPECT_FALSE(FindConfigAlias(list, fHost));  // not a number
  EXPECT_TRUE(fFaults.fFullOpens.empty());

  fReg.SetDword(kHKLM, u"SYSTEM\\CurrentControlSet\\Control\\IDConfigDB", u"CurrentConfig", 12);
  EXPECT_FALSE(FindConfigAlias(list, fHost));
  EXPECT_EQ(Utf8(fFaults.fFullOpens),
            (Lines{
                "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet012\\Hardware Profiles\\Current",
                "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet012\\Hardware Profiles\\0012",
                "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Hardware Profiles\\0012",
                "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Hardware Profiles\\Current",
            }));

  fSystem.fPlatform = kPlatformWin9x;  // the 95 family names the profile under CONFIG
  fReg.SetText(kHKLM, u"System\\CurrentControlSet\\control\\IDConfigDB", u"CurrentConfig", u"0001");
  fReg.LinkRoot(kHKCC, kHKLM, u"Config\\0001");
  EXPECT_TRUE(FindConfigAlias(list, fHost));
  EXPECT_EQ(Utf8(list), Lines{"HKEY_LOCAL_MACHINE\\CONFIG\\0001"});
}

TEST_F(Alias, EveryProbeSucceeds) {
  LinkViews();
  // ControlSet001 is the current control set, and profile 0001 the one Current shows; 0001
  // takes no probe key, so its key information decides.
  fReg.Key(kHKLM, u"SYSTEM\\ControlSet001").fSubkeys.push_back(fReg.Shared(kHKLM, kProfiles));
  TMemKey& current = fReg.Key(kHKLM, TText(kProfiles) + u"\\Current");
  TMemKey& profile = fReg.Key(kHKLM, TText(kProfiles) + u"\\0001");
  fFaults.fFail = [](std::string_view op, TTextView path) {
    return op == "create" && path.ends_with(u"0001");
  };
  fReg.fOnOpen = [&](TKeyHandle, TTextView path) {
    if (path.ends_with(u"0001")) profile.fWriteTime = current.fWriteTime;
  };
  TAliasList list;
  EXPECT_EQ(BuildAliasList(list, fHost), 0u);
  EXPECT_EQ(Utf8(list),
            (Lines{
                "HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES",
                kUserEntry,
                "HKEY_LOCAL_MACHINE\\SYSTEM\\CONTROLSET001\\HARDWARE PROFILES\\CURRENT",
                "HKEY_LOCAL_MACHINE\\SYSTEM\\CONTROLSET001\\HARDWARE PROFILES\\0001",
                "HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\HARDWARE PROFILES\\0001",
                "HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\HARDWARE PROFILES\\CURRENT",
            }));
}

TEST_F(Alias, FailureMaskAndErrorsWhileBuilding) {
  TAliasList list;
  EXPECT_EQ(BuildAliasList(list, fHost), afNoClasses | afNoUser | afNoConfig);
  EXPECT_TRUE(list.empty());

  // Nothing below the local machine opens for full access: codes 3, nothing compared.
  LinkViews();
  fReg.Key(kHKLM, u"SOFTWARE\\Classes").fDenyMask = 0x0002;
  fReg.Key(kHKLM, TText(kProfiles) + u"\\Current").fDenyMask = 0x0002;
  EXPECT_EQ(BuildAliasList(list, fHost), afNoClasses | afNoConfig);
  EXPECT_EQ(Utf8(list), Lines{kUserEntry});
  EXPECT_EQ(fFaults.fKeyInfos, 0);
  fReg.Key(kHKLM, u"SOFTWARE\\Classes").fDenyMask = 0;
  fReg.Key(kHKLM, TText(kProfiles) + u"\\Current").fDenyMask = 0;

  // A refused write leaves its path off; the other steps still run.
  fFaults.fFail = [](std::string_view op, TTextView path) {
    return op == "write" && Has(path, u"\\Classes\\");
  };
  list.clear();
  EXPECT_EQ(BuildAliasList(list, fHost), afNoClasses);
  EXPECT_EQ(list.size(), 2u);

  // The registry gives out after the first probe: its entry stays, the start goes on.
  fFaults.fFail = nullptr;
  fCursorLimit = 1;
  list.clear();
  EXPECT_EQ(BuildAliasList(list, fHost), afNoUser | afNoConfig);
  EXPECT_EQ(Utf8(list), Lines{"HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES"});
}

TEST_F(Alias, EntriesUpperCaseOnlyAtoZ) {
  fReg.LinkRoot(kHKCU, kHKU, u"S-J\u00fcrgen");
  TAliasList list;
  EXPECT_TRUE(FindUserAlias(list, fHost));
  EXPECT_EQ(Utf8(list), Lines{"HKEY_USERS\\S-J\u00fcRGEN"});
}

TEST_F(Alias, WalkReportsSharedContentOnceUnderTheAliasRoot) {
  LinkViews();
  fReg.SetText(kHKLM, u"SOFTWARE\\Classes\\.needle", u"", u"x");
  fReg.SetText(kHKCU, u"Software\\needle", u"v", u"x");
  fReg.SetText(kHKCC, u"Software\\needle", u"v", u"x");
  fReg.SetText(kHKLM, u"SOFTWARE\\needle", u"v", u"x");
  const auto keys = [&](const TAliasList* vAliases) {
    test::TSearchRun run(fReg.Factory(), vAliases);
    run.Simple(u"needle");
    EXPECT_EQ(run.Run(), stFinished);
    Lines r;
    for (const auto& h : run.fRec.fHits) r.push_back(ToUtf8(h.fKey));
    return r;
  };
  EXPECT_EQ(keys(nullptr).size(), 7u);
  // Built once for the process; the search sees the shared keys under the alias roots only.
  const TAliasList& list = BuildProcessAliasList(fHost);
  EXPECT_EQ(&list, &AliasList());
  const auto opens = fReg.fOpens;
  EXPECT_EQ(&BuildProcessAliasList(fHost), &list);
  EXPECT_EQ(fReg.fOpens, opens);
  EXPECT_EQ(keys(&list), (Lines{
                             "HKEY_CURRENT_USER\\software\\needle",
                             "HKEY_LOCAL_MACHINE\\software\\needle",
                             "HKEY_CURRENT_CONFIG\\software\\needle",
                             "HKEY_CLASSES_ROOT\\.needle",
                         }));
}

}  // namespace
}  // namespace corvane
