// The Advanced tab end to end with real input: criteria built from the keyboard alone, their
// validity lights, the search compared with corvane-find, Save and Load through the file
// dialogs, a saved search named on the command line or handed over by a second start, a
// corrupt file, the shortcuts of the boxes and the Tab order over every control.
#include <algorithm>
#include <memory>

#include "app/corvane/instancelayout.h"
#include "guidriver.h"
#include "savedsearch/qmxfile.h"
#include "search/criteria.h"
#include "support/runexe.h"
#include "text/wide.h"
#include "ui/main/mainform.h"
#include "ui/window/application.h"

namespace {

using namespace guitest;
using corvane::TCritRow;
using corvane::TSearchCriteria;

const wchar_t kAdvKey[] = L"Software\\CorvaneAdvancedTest";

// The criteria every test builds or loads, and the three hits they find under kAdvKey.
TSearchCriteria PlantedCriteria() {
  TSearchCriteria c;
  c.fRoots = corvane::TRootKeySet(std::uint8_t(1u << corvane::rHKCU));
  c.fKeyRows = {TCritRow{corvane::mtContains, 0, u"qzadv"}};
  c.fValRows = {TCritRow{corvane::mtContains, 0, u"qzv"}};
  c.fDatRows = {TCritRow{corvane::mtDataType, 1, u""}, TCritRow{corvane::mtContains, 0, u"hello"}};
  return c;
}
const wchar_t kFindArgs[] =
    L"--key contains qzadv --value contains qzv --data type number --data contains hello "
    L"--roots HKCU";
constexpr int kAdvHits = 3;

void SetValue(HKEY vKey, const wchar_t* vName, DWORD vType, const void* vData, DWORD vSize) {
  RegSetValueExW(vKey, vName, 0, vType, static_cast<const BYTE*>(vData), vSize);
}

// Runs corvane-find with vArgs and returns what it wrote to its standard output.
std::string RunFind(const std::wstring& vArgs) {
  DWORD exit = 0;
  return corvane::test::RunCapture(L"\"" + std::wstring(CORVANE_FIND_EXE) + L"\" " + vArgs, exit);
}

// corvane-find's last line, its summary ("Found N items").
std::wstring FindSummary(const std::string& vOut) {
  std::string s = vOut;
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  const auto nl = s.find_last_of('\n');
  const std::string last = nl == std::string::npos ? s : s.substr(nl + 1);
  return std::wstring(last.begin(), last.end());
}

// The criteria boxes and their rows, read from the running window.
class TAdvanced {
 public:
  explicit TAdvanced(const TCorvane& vApp) : fApp(vApp) {}
  HWND Box(int vBox) const { return fApp.Control(ids::pnlCritKey + vBox); }
  std::vector<HWND> Rows(int vBox) const {
    std::vector<HWND> rows;
    for (HWND c = GetWindow(Box(vBox), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      wchar_t cls[32] = {};
      GetClassNameW(c, cls, 32);
      if (std::wstring(cls) == L"TCritFrame") rows.push_back(c);
    }
    return rows;
  }
  HWND Row(int vBox, int vRow) const {
    const auto rows = Rows(vBox);
    return vRow < int(rows.size()) ? rows[std::size_t(vRow)] : nullptr;
  }
  HWND Part(int vBox, int vRow, int vId) const { return GetDlgItem(Row(vBox, vRow), vId); }
  HWND Add(int vBox) const { return fApp.Control(ids::btnAddKey + 10 * vBox); }
  HWND Del(int vBox) const { return fApp.Control(ids::btnDelKey + 10 * vBox); }
  HWND Root(int vBit) const { return fApp.Control(ids::cbHKCR + vBit); }
  int Height(int vBox) const {
    RECT r{};
    GetWindowRect(Box(vBox), &r);
    return r.bottom - r.top;
  }
  int Top(int vBox) const {
    RECT r{};
    GetWindowRect(Box(vBox), &r);
    return r.top;
  }
  int Selected(HWND vCombo) const { return int(SendMessageW(vCombo, CB_GETCURSEL, 0, 0)); }
  // The match type of a row's list: each entry keeps its number.
  int MatchOf(HWND vCombo) const {
    const LRESULT at = SendMessageW(vCombo, CB_GETCURSEL, 0, 0);
    return at == CB_ERR ? -1 : int(SendMessageW(vCombo, CB_GETITEMDATA, WPARAM(at), 0));
  }
  int RootBits() const {
    int bits = 0;
    for (int i = 0; i < 5; ++i)
      if (SendMessageW(Root(i), BM_GETCHECK, 0, 0) == BST_CHECKED) bits |= 1 << i;
    return bits;
  }
  bool AdvancedTab() const {
    return SendMessageW(fApp.Control(ids::pcMain), TCM_GETCURSEL, 0, 0) == 1 &&
           IsWindowVisible(Box(0));
  }
  // The row as the window shows it: match type, data type, text.
  TCritRow Criterion(int vBox, int vRow) const {
    TCritRow r;
    r.fMatchType = MatchOf(Part(vBox, vRow, ids::cbCrit));
    r.fDataType = r.fMatchType == corvane::mtDataType ? Selected(Part(vBox, vRow, ids::cxCrit)) : 0;
    r.fText = corvane::FromW(Text(Part(vBox, vRow, ids::ebCrit)).c_str());
    return r;
  }
  std::vector<TCritRow> Criteria(int vBox) const {
    std::vector<TCritRow> rows;
    for (int i = 0; i < int(Rows(vBox).size()); ++i) rows.push_back(Criterion(vBox, i));
    return rows;
  }

 private:
  const TCorvane& fApp;
};

// The colour at the middle of a row's validity light, read from the screen.
enum TLight { lGreen, lGrey, lOther };
TLight LightOf(HWND vLight) {
  RECT r{};
  GetWindowRect(vLight, &r);
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, r.left + 7, r.top + 8);
  ReleaseDC(nullptr, screen);
  const int red = GetRValue(c), green = GetGValue(c), blue = GetBValue(c);
  if (green > 120 && red < 80 && blue < 80) return lGreen;
  if (red > 100 && std::abs(red - green) < 20 && std::abs(green - blue) < 20) return lGrey;
  return lOther;
}

// Presses Tab until vWant has the focus; false when it never does within vLimit presses.
bool TabTo(HWND vMain, HWND vWant, int vLimit = 40) {
  for (int i = 0; i < vLimit && FocusOf(vMain) != vWant; ++i) {
    Press(VK_TAB);
    WaitUntil([&] { return FocusOf(vMain) == vWant; }, 200ms);
  }
  return FocusOf(vMain) == vWant;
}

// From the Basic tab's text box to the Advanced tab, by the keyboard.
bool KeysToAdvanced(const TCorvane& vApp, const TAdvanced& vAdv) {
  if (!TabTo(vApp.Main(), vApp.Control(ids::pcMain))) return false;
  Press(VK_RIGHT);
  return WaitUntil([&] { return vAdv.AdvancedTab(); }, 5s);
}

// The window in front with the focus in the Basic text, as it opens.
bool InFront(const TCorvane& vApp) {
  return ToFront(vApp.Main()) &&
         WaitUntil([&] { return FocusOf(vApp.Main()) == vApp.Control(ids::ebNow); }, 5s);
}

// The window in front, then the Advanced tab chosen from the keyboard.
bool OnAdvanced(const TCorvane& vApp, const TAdvanced& vAdv) {
  return InFront(vApp) && KeysToAdvanced(vApp, vAdv);
}

class AdvancedGui : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kAdvKey);
    HKEY a = nullptr, b = nullptr, plain = nullptr;
    const std::wstring root = kAdvKey;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (root + L"\\qzadvA").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &a, nullptr),
              ERROR_SUCCESS);
    RegCreateKeyExW(HKEY_CURRENT_USER, (root + L"\\qzadvB").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &b, nullptr);
    RegCreateKeyExW(HKEY_CURRENT_USER, (root + L"\\plain").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &plain, nullptr);
    const wchar_t hello[] = L"say hello", other[] = L"hello there";
    const DWORD five = 5, nine = 9, one = 1;
    const BYTE bin[4] = {1, 2, 3, 4};
    SetValue(a, L"qzvOne", REG_SZ, hello, sizeof hello);   // data contains hello
    SetValue(a, L"qzvTwo", REG_DWORD, &five, 4);           // a number
    SetValue(a, L"other", REG_SZ, other, sizeof other);    // its name does not match
    SetValue(b, L"qzvThree", REG_DWORD, &nine, 4);         // a number
    SetValue(b, L"qzvFour", REG_BINARY, bin, sizeof bin);  // neither
    SetValue(plain, L"qzvFive", REG_DWORD, &one, 4);       // its key does not match
    RegCloseKey(a);
    RegCloseKey(b);
    RegCloseKey(plain);
  }
  static void TearDownTestSuite() { RegDeleteTreeW(HKEY_CURRENT_USER, kAdvKey); }
  void SetUp() override {
    DeleteFileW(IniPath().c_str());
    MouseTo({1, 1});  // away from where the window opens
  }
};

TEST_F(AdvancedGui, CriteriaBuiltFromTheKeyboardFindWhatCorvaneFindFindsAndSurviveSaveAndLoad) {
  TTempDir dir(L"corvane-advanced");
  const std::wstring file = dir.File(L"planted.QMX");
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  TAdvanced adv(app);
  HWND main = app.Main();
  ASSERT_TRUE(OnAdvanced(app, adv));
  EXPECT_FALSE(app.Enabled(ids::acSearch)) << "no rows yet";

  // Only HKEY_CURRENT_USER: None, then its check box.
  ASSERT_TRUE(TabTo(main, app.Control(ids::btnNoRoot)));
  Press(VK_SPACE);
  ASSERT_TRUE(WaitUntil([&] { return adv.RootBits() == 0; }, 5s)) << "None";
  ASSERT_TRUE(TabTo(main, adv.Root(corvane::rHKCU)));
  Press(VK_SPACE);
  ASSERT_TRUE(WaitUntil([&] { return adv.RootBits() == 2; }, 5s));

  // A key-name row: Add takes the focus to the new row's text box, unlit until typed in.
  ASSERT_TRUE(TabTo(main, adv.Add(0)));
  Press(VK_SPACE);
  ASSERT_TRUE(WaitUntil([&] { return adv.Rows(0).size() == 1; }, 5s));
  EXPECT_EQ(Text(adv.Row(0, 0)), L"CF1001");
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == adv.Part(0, 0, ids::ebCrit); }, 5s));
  EXPECT_TRUE(WaitUntil([&] { return LightOf(adv.Part(0, 0, ids::pbStat)) == lGrey; }, 5s));
  TypeText(L"qzadv");

  // A value-name row.
  ASSERT_TRUE(TabTo(main, adv.Add(1)));
  Press(VK_RETURN);  // Enter presses the focused button
  ASSERT_TRUE(WaitUntil([&] { return adv.Rows(1).size() == 1; }, 5s));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == adv.Part(1, 0, ids::ebCrit); }, 5s));
  TypeText(L"qzv");

  // A "data type is" row: back to its match type, four steps down, then the data type.
  ASSERT_TRUE(TabTo(main, adv.Add(2)));
  Press(VK_SPACE);
  ASSERT_TRUE(WaitUntil([&] { return adv.Rows(2).size() == 1; }, 5s));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == adv.Part(2, 0, ids::ebCrit); }, 5s));
  PressWith({VK_SHIFT}, VK_TAB);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == adv.Part(2, 0, ids::cbCrit); }, 5s));
  for (int i = 0; i < 4; ++i) Press(VK_DOWN);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(adv.Part(2, 0, ids::cxCrit)) != FALSE; }, 5s))
      << "the data type list in front";
  EXPECT_FALSE(IsWindowVisible(adv.Part(2, 0, ids::ebCrit)));
  EXPECT_EQ(adv.Selected(adv.Part(2, 0, ids::cxCrit)), 0) << "Text data first";
  Press(VK_TAB);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == adv.Part(2, 0, ids::cxCrit); }, 5s));
  Press(VK_DOWN);  // Number data
  // A second data row, "contains" hello.
  ASSERT_TRUE(TabTo(main, adv.Add(2)));
  Press(VK_SPACE);
  ASSERT_TRUE(WaitUntil([&] { return adv.Rows(2).size() == 2; }, 5s));
  EXPECT_EQ(Text(adv.Row(2, 1)), L"CF3002");
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == adv.Part(2, 1, ids::ebCrit); }, 5s));
  TypeText(L"hello");

  const TSearchCriteria want = PlantedCriteria();
  ASSERT_TRUE(WaitUntil([&] { return adv.Criteria(2) == want.fDatRows; }, 5s));
  EXPECT_EQ(adv.Criteria(0), want.fKeyRows);
  EXPECT_EQ(adv.Criteria(1), want.fValRows);
  for (int box = 0; box < 3; ++box)
    for (int row = 0; row < int(adv.Rows(box).size()); ++row)
      EXPECT_TRUE(WaitUntil([&] { return LightOf(adv.Part(box, row, ids::pbStat)) == lGreen; }, 5s))
          << "box " << box << " row " << row;
  EXPECT_EQ(adv.Height(0), 33 + 25);
  EXPECT_EQ(adv.Height(2), 33 + 2 * 25);
  EXPECT_EQ(adv.Top(1), adv.Top(0) + adv.Height(0) + 1) << "stacked one pixel apart";
  ASSERT_TRUE(WaitUntil([&] { return app.Enabled(ids::acSearch); }, 5s));
  Screenshot(L"advanced-tab");

  // Enter in the text box searches.
  Press(VK_RETURN);
  ASSERT_TRUE(app.WaitFound());
  const std::wstring found = app.SearchText();
  const std::wstring expected = FindSummary(RunFind(kFindArgs));
  EXPECT_EQ(expected, L"Found " + std::to_wstring(kAdvHits) + L" items") << "corvane-find";
  EXPECT_EQ(found, expected) << "the window finds what corvane-find finds";
  EXPECT_EQ(app.Rows(), kAdvHits);
  Screenshot(L"advanced-results");

  // Back, Save through the dialog.
  PressWith({VK_MENU}, VK_LEFT);
  ASSERT_TRUE(WaitUntil([&] { return adv.AdvancedTab(); }, 5s));
  ASSERT_TRUE(WaitUntil([&] { return app.ToolEnabled(ids::acSave); }, 5s));
  PressWith({VK_CONTROL}, 'S');
  HWND save = DialogOf(app.Pid(), L"Save current search");
  ASSERT_NE(save, nullptr) << "the save dialog";
  ASSERT_TRUE(EnterFileName(save, file));
  ASSERT_TRUE(WaitUntil([&] { return Exists(file); }, 10s));
  TSearchCriteria saved = want;
  EXPECT_EQ(ReadFileBytes(file), corvane::WriteQmx(saved)) << "the file holds the criteria";
  EXPECT_EQ(FindSummary(RunFind(L"--qmx \"" + file + L"\"")), expected)
      << "corvane-find runs the saved file alike";

  // New search empties the boxes.
  ASSERT_TRUE(ToFront(main));
  PressWith({VK_CONTROL}, 'N');
  ASSERT_TRUE(WaitUntil([&] { return adv.Rows(0).empty() && adv.Rows(2).empty(); }, 5s));
  EXPECT_EQ(adv.RootBits(), 31);
  EXPECT_EQ(adv.Height(0), 33);
  EXPECT_FALSE(IsWindowEnabled(adv.Del(0)));

  // Load through the dialog brings back rows, roots and data type.
  PressWith({VK_CONTROL}, 'L');
  HWND load = DialogOf(app.Pid(), L"Load saved search");
  ASSERT_NE(load, nullptr) << "the open dialog";
  ASSERT_TRUE(EnterFileName(load, file));
  ASSERT_TRUE(WaitUntil([&] { return adv.Rows(2).size() == 2; }, 10s));
  EXPECT_EQ(adv.Criteria(0), want.fKeyRows);
  EXPECT_EQ(adv.Criteria(1), want.fValRows);
  EXPECT_EQ(adv.Criteria(2), want.fDatRows);
  EXPECT_EQ(adv.RootBits(), 2);
  EXPECT_TRUE(app.Enabled(ids::btnDelKey + 20));
  ASSERT_TRUE(ToFront(main));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == adv.Part(2, 1, ids::ebCrit); }, 5s))
      << "the last row loaded has the focus";
  // The load finishes its work after its rows appear: a key pressed before the window is idle
  // again can miss the window's shortcuts (Enter was lost in 2 of 5 runs without the pause).
  std::this_thread::sleep_for(500ms);
  app.ForgetFound();
  Press(VK_RETURN);
  ASSERT_TRUE(app.WaitFound());
  EXPECT_EQ(app.SearchText(), expected) << "the loaded search finds the same";

  // Back on the criteria, a change of the data type alone keeps the results (Forward stays),
  // a change of a text discards them.
  PressWith({VK_MENU}, VK_LEFT);
  ASSERT_TRUE(WaitUntil([&] { return app.ToolEnabled(ids::acForward); }, 5s));
  ASSERT_TRUE(TabTo(main, adv.Part(2, 0, ids::cxCrit)));
  Press(VK_DOWN);
  ASSERT_TRUE(WaitUntil([&] { return adv.Selected(adv.Part(2, 0, ids::cxCrit)) == 2; }, 5s));
  Press(VK_UP);
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(app.ToolEnabled(ids::acForward)) << "a data type change keeps the results";
  ASSERT_TRUE(TabTo(main, adv.Part(2, 1, ids::ebCrit)));
  TypeText(L"x");
  EXPECT_TRUE(WaitUntil([&] { return !app.ToolEnabled(ids::acForward); }, 5s))
      << "a text change discards them";

  // The save dialog proposes the file loaded last.
  PressWith({VK_CONTROL}, 'S');
  HWND again = DialogOf(app.Pid(), L"Save current search");
  ASSERT_NE(again, nullptr);
  bool proposed = false;
  WaitUntil(
      [&] {
        EnumChildWindows(
            again,
            [](HWND w, LPARAM l) -> BOOL {
              wchar_t cls[16] = {};
              GetClassNameW(w, cls, 16);
              if (_wcsicmp(cls, L"Edit") == 0 && Text(w).find(L"planted") != std::wstring::npos)
                *reinterpret_cast<bool*>(l) = true;
              return TRUE;
            },
            reinterpret_cast<LPARAM>(&proposed));
        return proposed;
      },
      5s);
  EXPECT_TRUE(proposed) << "the file name box holds the loaded file";
  ASSERT_TRUE(ToFront(again));
  Press(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(again) || !IsWindowVisible(again); }, 10s));
}

TEST_F(AdvancedGui, ASavedSearchOnTheCommandLineAndOneHandedOverFromAnotherFolderAreLoaded) {
  TTempDir first(L"corvane-arg-first"), second(L"corvane-arg-second");
  WriteFileBytes(first.File(L"a.qmx"), corvane::WriteQmx(PlantedCriteria()));
  TSearchCriteria other;
  other.fRoots = corvane::TRootKeySet(0b10001);
  other.fMaxRsltIdx = 0;
  other.fValAll = true;
  other.fValRows = {TCritRow{corvane::mtEquals, 0, u""}, TCritRow{corvane::mtContains, 0, u"b"}};
  WriteFileBytes(second.File(L"b.qmx"), corvane::WriteQmx(other));

  TCorvane app(L"\"" + first.File(L"a.qmx") + L"\"");
  ASSERT_NE(app.Main(), nullptr);
  TAdvanced adv(app);
  ASSERT_TRUE(WaitUntil([&] { return adv.Rows(2).size() == 2; }, 20s)) << "loaded at start";
  EXPECT_TRUE(adv.AdvancedTab());
  EXPECT_EQ(adv.Criteria(0), PlantedCriteria().fKeyRows);
  EXPECT_EQ(adv.RootBits(), 2);
  EXPECT_EQ(MessageBoxOf(app.Pid()), nullptr);

  // A second start in the other folder with a name relative to it.
  {
    corvane::test::TStartedProcess start(L"\"" + std::wstring(CORVANE_EXE) + L"\" b.qmx",
                                         second.Path().c_str());
    ASSERT_TRUE(start.Started());
    EXPECT_TRUE(start.Ended(90000));
  }
  EXPECT_TRUE(WaitUntil([&] { return adv.Rows(1).size() == 2 && adv.Rows(0).empty(); }, 10s))
      << "the handed-over file replaced the criteria";
  EXPECT_EQ(adv.Criteria(1), other.fValRows);
  EXPECT_EQ(adv.RootBits(), 0b10001);
  EXPECT_EQ(SendMessageW(app.Control(ids::cbMaxRslt), CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(SendMessageW(app.Control(ids::rbKeyAll + 10), BM_GETCHECK, 0, 0), BST_CHECKED);

  // The block holds the full path, not the name relative to the second start's folder.
  HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, corvane::W(corvane::kInstanceBlockName));
  ASSERT_NE(mapping, nullptr);
  const auto* block =
      static_cast<const std::uint8_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(block, nullptr);
  const auto* text = reinterpret_cast<const wchar_t*>(block + 8);
  const std::wstring handed(text, wcsnlen(text, 32768));
  EXPECT_EQ(_wcsicmp(handed.c_str(), second.File(L"b.qmx").c_str()), 0) << handed;
  UnmapViewOfFile(block);
  CloseHandle(mapping);

  // A second start with a file that does not exist changes nothing and shows nothing.
  corvane::test::TStartedProcess missing(L"\"" + std::wstring(CORVANE_EXE) + L"\" missing.qmx",
                                         second.Path().c_str());
  ASSERT_TRUE(missing.Started());
  EXPECT_TRUE(missing.Ended(90000));
  EXPECT_EQ(adv.Rows(1).size(), 2u);
  EXPECT_EQ(MessageBoxOf(app.Pid()), nullptr);
}

TEST_F(AdvancedGui, ACorruptFileGivesItsMessageAndTheWindowGoesOn) {
  TTempDir dir(L"corvane-corrupt");
  std::string bytes = corvane::WriteQmx(PlantedCriteria());
  bytes[2] = 'q';  // the magic in lower case
  WriteFileBytes(dir.File(L"bad.qmx"), bytes);
  TSearchCriteria cut = PlantedCriteria();
  cut.fPerPageIdx = 2;
  cut.fDatAll = true;
  WriteFileBytes(dir.File(L"cut.qmx"), corvane::WriteQmx(cut).substr(0, 15));  // after the flags

  TCorvane app(L"\"" + dir.File(L"bad.qmx") + L"\"");
  ASSERT_NE(app.Main(), nullptr);
  TAdvanced adv(app);
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (box = MessageBoxOf(app.Pid())) != nullptr; }, 20s));
  // No "." follows a ")", which sorts before it.
  EXPECT_EQ(MessageBoxText(box), L"QMX file corrupted (1)");
  EXPECT_EQ(Text(box), L"Corvane");
  ASSERT_TRUE(ToFront(box));
  Press(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return MessageBoxOf(app.Pid()) == nullptr; }, 10s));
  EXPECT_TRUE(adv.AdvancedTab());
  EXPECT_EQ(adv.RootBits(), 31) << "the new search before the load stays";
  EXPECT_TRUE(adv.Rows(0).empty());

  // The window works on: a click on Add makes a row.
  ASSERT_TRUE(ToFront(app.Main()));
  LeftClick(CentreOf(adv.Add(0)));
  ASSERT_TRUE(WaitUntil([&] { return adv.Rows(0).size() == 1; }, 5s));

  // A file that ends after its flags, handed over: what was read stays, no row is added.
  corvane::test::TStartedProcess start(L"\"" + std::wstring(CORVANE_EXE) + L"\" cut.qmx",
                                       dir.Path().c_str());
  ASSERT_TRUE(start.Started());
  ASSERT_TRUE(WaitUntil([&] { return (box = MessageBoxOf(app.Pid())) != nullptr; }, 60s));
  EXPECT_EQ(MessageBoxText(box), L"Stream-Lesefehler.");
  EXPECT_FALSE(start.Ended(0)) << "the second start waits";
  ASSERT_TRUE(ToFront(box));
  Press(VK_RETURN);
  EXPECT_TRUE(start.Ended(30000));
  EXPECT_TRUE(adv.Rows(0).empty());
  EXPECT_EQ(adv.RootBits(), 2);
  EXPECT_EQ(SendMessageW(app.Control(ids::cbPerPage), CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(SendMessageW(app.Control(ids::rbKeyAll + 20), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(app.Enabled(ids::acSearch));
}

TEST_F(AdvancedGui, ShortcutsAddAndDeleteRowsOfTheFocusedBoxAndTabVisitsEveryControl) {
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  TAdvanced adv(app);
  HWND main = app.Main();
  ASSERT_TRUE(InFront(app));
  // On the Basic tab Ctrl+Ins adds nothing.
  PressWith({VK_CONTROL}, VK_INSERT);
  ASSERT_TRUE(KeysToAdvanced(app, adv));
  EXPECT_TRUE(adv.Rows(0).empty());
  const int valTop = adv.Top(1), datTop = adv.Top(2);

  // The pointer over a header strip: the hint of the button under it, even a disabled one.
  const auto status = [&](const std::wstring& vWant) {
    WaitUntil([&] { return app.Status() == vWant; }, 5s);
    return app.Status();
  };
  ASSERT_FALSE(IsWindowEnabled(adv.Del(0)));
  MouseTo(CentreOf(adv.Del(0)));
  EXPECT_EQ(status(L"Delete the last key name search criterion"),
            L"Delete the last key name search criterion");
  MouseTo(CentreOf(adv.Add(2)));
  EXPECT_EQ(status(L"Add a data entry line for value data search criterion"),
            L"Add a data entry line for value data search criterion");
  RECT strip{};
  GetWindowRect(adv.Add(2), &strip);
  MouseTo({strip.left - 20, strip.top + 4});  // between "all" and Add
  EXPECT_EQ(status(L""), L"");

  // Ctrl+Ins on a root key box adds a key-name row, then in a key-name row another.
  ASSERT_TRUE(TabTo(main, adv.Root(corvane::rHKLM)));
  PressWith({VK_CONTROL}, VK_INSERT);
  ASSERT_TRUE(WaitUntil([&] { return adv.Rows(0).size() == 1; }, 5s));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == adv.Part(0, 0, ids::ebCrit); }, 5s));
  EXPECT_EQ(adv.Top(1), valTop + 25) << "the boxes below move down";
  EXPECT_EQ(adv.Top(2), datTop + 25);
  TypeText(L"a\\b");  // a typed backslash is dropped in a key name
  EXPECT_TRUE(WaitUntil([&] { return Text(adv.Part(0, 0, ids::ebCrit)) == L"ab"; }, 5s))
      << Text(adv.Part(0, 0, ids::ebCrit));
  PressWith({VK_CONTROL}, VK_INSERT);
  PressWith({VK_CONTROL}, VK_INSERT);
  ASSERT_TRUE(WaitUntil([&] { return adv.Rows(0).size() == 3; }, 5s));
  EXPECT_EQ(Text(adv.Row(0, 2)), L"CF1003");
  EXPECT_EQ(adv.Height(0), 108);
  // At most 80 characters.
  TypeText(std::wstring(85, L'k').c_str());
  EXPECT_TRUE(
      WaitUntil([&] { return Text(adv.Part(0, 2, ids::ebCrit)) == std::wstring(80, L'k'); }, 5s));

  // A value-name row keeps a backslash; a value-data row by its Add button, another by
  // Ctrl+Ins in it.
  ASSERT_TRUE(TabTo(main, adv.Add(1)));
  Press(VK_SPACE);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == adv.Part(1, 0, ids::ebCrit); }, 5s));
  TypeText(L"a\\b");
  EXPECT_TRUE(WaitUntil([&] { return Text(adv.Part(1, 0, ids::ebCrit)) == L"a\\b"; }, 5s));
  ASSERT_TRUE(TabTo(main, adv.Add(2)));
  Press(VK_SPACE);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == adv.Part(2, 0, ids::ebCrit); }, 5s));
  PressWith({VK_CONTROL}, VK_INSERT);
  ASSERT_TRUE(WaitUntil([&] { return adv.Rows(2).size() == 2; }, 5s));
  EXPECT_EQ(adv.Rows(0).size(), 3u);

  // Tab from the first root key box round the window visits every control of the tab.
  std::vector<HWND> want;
  for (int bit : {corvane::rHKCU, corvane::rHKLM, corvane::rHKU, corvane::rHKCC, corvane::rHKCR})
    want.push_back(adv.Root(bit));
  want.push_back(app.Control(ids::btnAllRoot));
  want.push_back(app.Control(ids::btnNoRoot));
  for (int box = 0; box < 3; ++box) {
    want.push_back(app.Control(ids::rbKeyAny + 10 * box));  // the checked one of the group
    want.push_back(adv.Add(box));
    want.push_back(adv.Del(box));
    for (int row = 0; row < int(adv.Rows(box).size()); ++row) {
      want.push_back(adv.Part(box, row, ids::cbCrit));
      want.push_back(adv.Part(box, row, ids::ebCrit));
    }
  }
  ASSERT_TRUE(TabTo(main, want.front()));
  std::vector<HWND> visited;
  for (int i = 0; i < 60; ++i) {
    Press(VK_TAB);
    std::this_thread::sleep_for(100ms);
    HWND f = FocusOf(main);
    if (f == want.front()) break;
    visited.push_back(f);
  }
  std::vector<std::size_t> order;
  for (std::size_t i = 1; i < want.size(); ++i) {
    const auto at = std::find(visited.begin(), visited.end(), want[i]);
    EXPECT_NE(at, visited.end()) << "control " << i << " (" << Describe(want[i]).c_str()
                                 << ") is never reached";
    if (at != visited.end()) order.push_back(std::size_t(at - visited.begin()));
  }
  EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << "boxes and rows in their order";
  EXPECT_NE(std::find(visited.begin(), visited.end(), app.Control(ids::cbPerPage)), visited.end())
      << "and on to the controls below the tab";

  // Ctrl+Del in a value-data row deletes that box's last row; the focus goes to Delete while
  // rows are left, then to Add.
  ASSERT_TRUE(TabTo(main, adv.Part(2, 0, ids::ebCrit)));
  PressWith({VK_CONTROL}, VK_DELETE);
  ASSERT_TRUE(WaitUntil([&] { return adv.Rows(2).size() == 1; }, 5s));
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(main) == adv.Del(2); }, 5s));
  PressWith({VK_CONTROL}, VK_DELETE);
  ASSERT_TRUE(WaitUntil([&] { return adv.Rows(2).empty(); }, 5s));
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(main) == adv.Add(2); }, 5s));
  EXPECT_FALSE(IsWindowEnabled(adv.Del(2)));
  PressWith({VK_CONTROL}, VK_DELETE);  // nothing left to delete
  EXPECT_EQ(adv.Rows(0).size(), 3u);
  EXPECT_EQ(adv.Rows(1).size(), 1u);
  // Delete by the button: the last row first.
  LeftClick(CentreOf(adv.Del(0)));
  ASSERT_TRUE(WaitUntil([&] { return adv.Rows(0).size() == 2; }, 5s));
  EXPECT_EQ(Text(adv.Row(0, 1)), L"CF1002");
  EXPECT_EQ(adv.Height(0), 83);
}

TEST_F(AdvancedGui, EveryRootKeyNameFitsItsCheckBox) {
  // Measured in this process: a font handle is valid in its own process only.
  TLocalForm local;
  ASSERT_TRUE(local.Created());
  HDC dc = GetDC(nullptr);
  for (int bit = 0; bit < 5; ++bit) {
    HWND box = local.Control(ids::cbHKCR + bit);
    ASSERT_NE(box, nullptr);
    const std::wstring caption = Text(box);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, caption.c_str(), int(caption.size()), &size);
    SelectObject(dc, old);
    RECT client{};
    GetClientRect(box, &client);
    const int check = GetSystemMetrics(SM_CXMENUCHECK);
    EXPECT_LE(size.cx + check + 4, client.right) << "bit " << bit << ": the caption fits";
    // The right column ends before All and None.
    RECT r{}, all{};
    GetWindowRect(box, &r);
    GetWindowRect(GetDlgItem(GetParent(box), ids::btnAllRoot), &all);
    EXPECT_LE(r.right, all.left);
  }
  ReleaseDC(nullptr, dc);
}

TEST_F(AdvancedGui, ARunningSearchLocksTheRowsAndTheirButtonsUntilItEnds) {
  const TWalkKeys walk(kAdvKey);  // no "e" in their names: walked after the first hits
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  TAdvanced adv(app);
  HWND main = app.Main();
  app.SelectItem(ids::cbMaxRslt, 3);  // 10000: a key-name search for "e" runs long enough
  ASSERT_TRUE(OnAdvanced(app, adv));
  LeftClick(CentreOf(adv.Add(0)));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == adv.Part(0, 0, ids::ebCrit); }, 5s));
  TypeText(L"e");
  ASSERT_TRUE(WaitUntil([&] { return app.Enabled(ids::acSearch); }, 5s));
  Press(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return app.Rows() > 0; }, 60s));
  ASSERT_EQ(app.SearchText(), L"Searching...");
  EXPECT_FALSE(IsWindowEnabled(adv.Part(0, 0, ids::ebCrit)));
  EXPECT_FALSE(IsWindowEnabled(adv.Part(0, 0, ids::cbCrit)));
  EXPECT_FALSE(IsWindowEnabled(adv.Add(0)));
  EXPECT_FALSE(IsWindowEnabled(adv.Del(0)));
  EXPECT_FALSE(IsWindowEnabled(adv.Root(corvane::rHKCU)));
  EXPECT_FALSE(IsWindowEnabled(app.Control(ids::rbKeyAll)));

  Press(VK_ESCAPE);
  ASSERT_TRUE(app.WaitFound(60s));
  EXPECT_NE(app.SearchText().find(L"before being stopped"), std::wstring::npos);
  EXPECT_TRUE(IsWindowEnabled(adv.Part(0, 0, ids::ebCrit)));
  EXPECT_TRUE(IsWindowEnabled(adv.Add(0)));
  EXPECT_TRUE(IsWindowEnabled(adv.Del(0))) << "its box holds a row";
  EXPECT_TRUE(IsWindowEnabled(adv.Add(1)));
  EXPECT_FALSE(IsWindowEnabled(adv.Del(1))) << "a box without rows keeps Delete disabled";
  EXPECT_TRUE(IsWindowEnabled(adv.Root(corvane::rHKCU)));
}

TEST_F(AdvancedGui, AChangeOfAnyOrAllClearsTheResults) {
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  TAdvanced adv(app);
  HWND main = app.Main();
  ASSERT_TRUE(OnAdvanced(app, adv));
  LeftClick(CentreOf(adv.Add(0)));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == adv.Part(0, 0, ids::ebCrit); }, 5s));
  TypeText(L"qzadv");
  ASSERT_TRUE(WaitUntil([&] { return app.Enabled(ids::acSearch); }, 5s));
  HWND any = app.Control(ids::rbKeyAny), all = app.Control(ids::rbKeyAll);
  // "all" and back to "any", each after a search: a user who changes a criterion never sees
  // the hits of the criteria before.
  for (HWND choice : {all, any}) {
    app.Search();
    ASSERT_TRUE(app.WaitFound());
    ASSERT_GT(app.Rows(), 0);
    app.Command(ids::acBack);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(choice) != FALSE; }, 5s));
    ASSERT_TRUE(ToFront(main));
    LeftClick(CentreOf(choice));
    ASSERT_TRUE(
        WaitUntil([&] { return SendMessageW(choice, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 5s));
    EXPECT_TRUE(WaitUntil([&] { return app.Rows() == 0; }, 5s)) << "hits of other criteria";
    EXPECT_TRUE(WaitUntil([&] { return !app.ToolEnabled(ids::acForward); }, 5s));
  }
  // A click on the choice already made changes no criterion and keeps the hits.
  app.Search();
  ASSERT_TRUE(app.WaitFound());
  app.Command(ids::acBack);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(any) != FALSE; }, 5s));
  ASSERT_TRUE(ToFront(main));
  LeftClick(CentreOf(any));
  std::this_thread::sleep_for(500ms);
  EXPECT_GT(app.Rows(), 0);
}

// A regular expression from the keyboard, in a value-name row and in the Basic search: it
// finds what corvane-find finds with the same pattern; a pattern that does not compile turns
// the light red, says why in the status bar and blocks Search.
TEST_F(AdvancedGui, ARegexRowAndTheBasicRegexFindWhatCorvaneFindFindsAndABadPatternBlocksSearch) {
  // qzvOne and qzvTwo, not qzvThree (one letter too many); no brackets of (), which the
  // display's keyboard map does not type.
  const wchar_t kPattern[] = L"^qzv[ot]..e?$";
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  TAdvanced adv(app);
  HWND main = app.Main();
  HWND edit = app.Control(ids::ebNow);

  // The Basic search: the pattern typed, Alt+X ticks "Regular expression", Enter searches.
  ASSERT_TRUE(InFront(app));
  TypeText(kPattern);
  app.ForgetFound();
  Press(VK_RETURN);
  ASSERT_TRUE(app.WaitFound());
  EXPECT_EQ(app.SearchText(), L"Found 0 items") << "as plain text the pattern is in no name";
  PressWith({VK_MENU}, VK_LEFT);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(edit) != FALSE; }, 5s));
  PressWith({VK_MENU}, 'X');
  ASSERT_TRUE(WaitUntil(
      [&] { return SendMessageW(app.Control(ids::cbRegex), BM_GETCHECK, 0, 0) == BST_CHECKED; },
      5s));
  const std::wstring expected =
      FindSummary(RunFind(L"--regex \"" + std::wstring(kPattern) + L"\""));
  EXPECT_EQ(expected, L"Found 2 items") << "corvane-find";
  ASSERT_TRUE(TabTo(main, edit));
  app.ForgetFound();
  Press(VK_RETURN);
  ASSERT_TRUE(app.WaitFound());
  EXPECT_EQ(app.SearchText(), expected);
  PressWith({VK_MENU}, VK_LEFT);
  ASSERT_TRUE(TabTo(main, edit));
  Press(VK_END);
  TypeText(L"[");
  EXPECT_TRUE(WaitUntil([&] { return !app.Enabled(ids::acSearch); }, 5s))
      << "a bad pattern: " << Utf8(Text(edit));
  EXPECT_NE(app.Status().find(L"missing terminating ] for character class at offset 14"),
            std::wstring::npos)
      << Utf8(app.Status());

  // A value-name row: "matches (regex)" from its match type list, then the pattern.
  ASSERT_TRUE(KeysToAdvanced(app, adv));
  ASSERT_TRUE(TabTo(main, adv.Add(1)));
  Press(VK_SPACE);
  ASSERT_TRUE(WaitUntil([&] { return adv.Rows(1).size() == 1; }, 5s));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == adv.Part(1, 0, ids::ebCrit); }, 5s));
  PressWith({VK_SHIFT}, VK_TAB);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == adv.Part(1, 0, ids::cbCrit); }, 5s));
  Press(VK_END);
  Press(VK_UP);
  ASSERT_TRUE(WaitUntil([&] { return adv.MatchOf(adv.Part(1, 0, ids::cbCrit)) == 5; }, 5s))
      << "matches (regex), the last but one of a name row's list";
  Press(VK_TAB);
  TypeText(kPattern);
  ASSERT_TRUE(WaitUntil([&] { return LightOf(adv.Part(1, 0, ids::pbStat)) == lGreen; }, 5s));
  ASSERT_TRUE(WaitUntil([&] { return app.Enabled(ids::acSearch); }, 5s));
  const std::wstring rows =
      FindSummary(RunFind(L"--value regex \"" + std::wstring(kPattern) + L"\""));
  EXPECT_EQ(rows, L"Found 2 items") << "corvane-find";
  app.ForgetFound();
  Press(VK_RETURN);
  ASSERT_TRUE(app.WaitFound());
  EXPECT_EQ(app.SearchText(), rows);

  // A bracket too many: the light turns red, the status bar says why, Search is blocked.
  PressWith({VK_MENU}, VK_LEFT);
  ASSERT_TRUE(TabTo(main, adv.Part(1, 0, ids::ebCrit)));
  Press(VK_END);
  TypeText(L"[");
  EXPECT_TRUE(WaitUntil([&] { return LightOf(adv.Part(1, 0, ids::pbStat)) != lGreen; }, 5s));
  EXPECT_TRUE(WaitUntil([&] { return !app.Enabled(ids::acSearch); }, 5s));
  EXPECT_NE(app.Status().find(L"missing terminating ]"), std::wstring::npos) << Utf8(app.Status());
  Screenshot(L"advanced-bad-pattern");
}

}  // namespace
