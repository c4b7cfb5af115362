// End-to-end tests of corvane.exe: a driver process starts the real program, drives it with
// window messages and with mouse and keyboard input through SendInput, and reads its state
// back from its controls and its shared block. Runs under Wine on a display
// (tests/gui/run-gui-tests.sh gives it one).
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ui/about/aboutbox.h"
#include "app/corvane/instancelayout.h"
#include "support/editorprobe.h"
#include "support/runexe.h"
#include "ui/main/mainform.h"
#include "ui/ids.h"
#include "ui/window/application.h"

#include "guidriver.h"

namespace {

using namespace guitest;

TEST_F(GuiTest, BasicSearchPagesThroughHitsAndStopsAtTheMaximum) {
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr) << "no main window";
  EXPECT_EQ(MainWindows().size(), 1u);
  EXPECT_EQ(Text(app.Main()), L"Corvane");
  EXPECT_FALSE(app.Enabled(ids::acSearch)) << "Search with an empty text";

  SendMessageW(app.Control(ids::ebNow), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPlanted));
  ASSERT_TRUE(WaitUntil([&] { return app.Enabled(ids::acSearch); }, 5s));
  Screenshot(L"basic-tab");
  const auto started = std::chrono::steady_clock::now();
  app.Key(ids::ebNow, VK_RETURN);  // Enter runs Search
  ASSERT_TRUE(app.WaitFound());
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("Search to \"Found\": %.1f s\n", seconds);

  const std::wstring found = L"Found " + std::to_wstring(kPlantedHits) + L" items";
  EXPECT_EQ(app.SearchText(), found);
  EXPECT_EQ(app.Status(), found);
  EXPECT_EQ(app.Rows(), 10);
  EXPECT_EQ(Text(app.Control(ids::btnPrev)), L"&< Previous 10");
  EXPECT_EQ(Text(app.Control(ids::btnNext)), L"Next 10 &>");
  EXPECT_FALSE(app.Enabled(ids::btnPrev));
  EXPECT_TRUE(app.Enabled(ids::btnNext));
  EXPECT_FALSE(app.Enabled(ids::acSearch)) << "Search on the results page";
  EXPECT_TRUE(app.Enabled(ids::acKDetail)) << "the last hit on the page is selected";
  EXPECT_TRUE(app.ToolEnabled(ids::acBack));
  EXPECT_FALSE(app.ToolEnabled(ids::acStop));
  Screenshot(L"results-page");

  SendMessageW(app.Control(ids::btnNext), BM_CLICK, 0, 0);
  EXPECT_EQ(app.Rows(), 10);
  EXPECT_TRUE(app.Enabled(ids::btnPrev));
  EXPECT_TRUE(app.Enabled(ids::btnNext));
  SendMessageW(app.Control(ids::btnNext), BM_CLICK, 0, 0);
  EXPECT_EQ(app.Rows(), 3);
  EXPECT_FALSE(app.Enabled(ids::btnNext));
  SendMessageW(app.Control(ids::btnPrev), BM_CLICK, 0, 0);
  EXPECT_EQ(app.Rows(), 10);
  EXPECT_TRUE(app.Enabled(ids::btnPrev));
  SendMessageW(app.Control(ids::btnPrev), BM_CLICK, 0, 0);
  EXPECT_FALSE(app.Enabled(ids::btnPrev));
  EXPECT_TRUE(app.Enabled(ids::btnNext));

  // Back to the criteria, a maximum of 10, search again.
  app.Command(ids::acBack);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(app.Control(ids::ebNow)) != FALSE; }, 5s));
  EXPECT_TRUE(WaitUntil([&] { return app.ToolEnabled(ids::acForward); }, 5s))
      << "Forward after a search";
  EXPECT_FALSE(app.ToolEnabled(ids::acBack));
  app.SelectItem(ids::cbMaxRslt, 0);
  app.Search();
  ASSERT_TRUE(app.WaitFound());
  EXPECT_EQ(app.SearchText(), L"Found 10 items (the maximum)");
  EXPECT_EQ(app.Rows(), 10);
  EXPECT_FALSE(app.Enabled(ids::btnNext));

  PostMessageW(app.Main(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(app.Ended(20000));
  EXPECT_EQ(IniRead(L"Settings", L"MaxRslt"), L"0");
  EXPECT_EQ(IniRead(L"Settings", L"PerPage"), L"0");
  EXPECT_EQ(IniRead(L"Settings", L"ActivePage"), L"0");
}

TEST_F(GuiTest, StopKeepsTheHitsAndCloseIsRefusedWhileSearching) {
  const TWalkKeys walk(kTestKey);  // still to walk once the planted hits are shown
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  app.SelectItem(ids::cbMaxRslt, 3);  // 10000: the walk goes on after the planted hits
  SendMessageW(app.Control(ids::ebNow), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPlanted));
  app.Command(ids::acSearch);
  ASSERT_TRUE(WaitUntil([&] { return app.Enabled(ids::btnNext); }, 60s));
  ASSERT_EQ(app.SearchText(), L"Searching...");

  PostMessageW(app.Main(), WM_CLOSE, 0, 0);
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (box = MessageBoxOf(app.Pid())) != nullptr; }, 10s));
  EXPECT_EQ(MessageBoxText(box), L"Please stop all operations!");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return MessageBoxOf(app.Pid()) == nullptr; }, 10s));
  EXPECT_TRUE(app.Running());

  app.Key(ids::lbResults, VK_ESCAPE);  // Esc runs Stop
  ASSERT_TRUE(app.WaitFound(30s));
  const std::wstring text = app.SearchText();
  EXPECT_EQ(text, L"Found " + std::to_wstring(kPlantedHits) + L" items before being stopped");
  EXPECT_EQ(app.Status(), text);
  EXPECT_EQ(app.Rows(), 10);
  EXPECT_TRUE(app.Enabled(ids::btnNext));
  EXPECT_TRUE(WaitUntil([&] { return !app.Enabled(ids::acStop); }, 5s));
  EXPECT_TRUE(IsWindowEnabled(app.Control(ids::ebNow)));

  PostMessageW(app.Main(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(app.Ended(20000)) << "the window closes once the search has ended";
}

TEST_F(GuiTest, SettingsAreClampedAndThePlacementMovedBackIntoTheWorkArea) {
  const RECT work = WorkArea();
  IniWrite(L"Settings", L"PerPage", L"9");
  IniWrite(L"Settings", L"MaxRslt", L"-1");
  IniWrite(L"Settings", L"ActivePage", L"5");
  IniWrite(L"Settings", L"Case", L"$1");
  IniWrite(L"MainForm Settings", L"Left", std::to_wstring(work.right - 400));
  IniWrite(L"MainForm Settings", L"Right", std::to_wstring(work.right + 200));
  IniWrite(L"MainForm Settings", L"Top", L"0x40");
  IniWrite(L"MainForm Settings", L"Bottom", std::to_wstring(64 + 420));
  IniWrite(L"MainForm Settings", L"ShowCmd", L"3");
  {
    TCorvane app;
    ASSERT_NE(app.Main(), nullptr);
    EXPECT_EQ(SendMessageW(app.Control(ids::cbPerPage), CB_GETCURSEL, 0, 0), 4);
    EXPECT_EQ(SendMessageW(app.Control(ids::cbMaxRslt), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessageW(app.Control(ids::pcMain), TCM_GETCURSEL, 0, 0), 1);
    EXPECT_FALSE(IsZoomed(app.Main())) << "the maximised state is not restored";
    RECT r{};
    GetWindowRect(app.Main(), &r);
    EXPECT_EQ(r.right, work.right);
    EXPECT_EQ(r.left, work.right - 600);
    EXPECT_EQ(r.top, 64);
    EXPECT_EQ(r.bottom, 64 + 420);
    EXPECT_FALSE(app.Enabled(ids::acSearch)) << "Advanced tab without criterion rows";
    PostMessageW(app.Main(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(app.Ended(20000));
  }
  EXPECT_EQ(IniRead(L"Settings", L"PerPage"), L"4");
  EXPECT_EQ(IniRead(L"Settings", L"MaxRslt"), L"0");
  EXPECT_EQ(IniRead(L"Settings", L"ActivePage"), L"1");
  EXPECT_EQ(IniRead(L"Settings", L"Case"), L"1");
  EXPECT_EQ(IniRead(L"MainForm Settings", L"Right"), std::to_wstring(work.right));
  EXPECT_EQ(IniRead(L"MainForm Settings", L"Left"), std::to_wstring(work.right - 600));
  EXPECT_EQ(IniRead(L"MainForm Settings", L"ShowCmd"), L"1") << "reopened normal, not maximised";
}

TEST_F(GuiTest, SecondStartRaisesTheFirstAndEnds) {
  TCorvane first;
  ASSERT_NE(first.Main(), nullptr);
  ShowWindow(first.Main(), SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(first.Main()) != FALSE; }, 5s));

  corvane::test::TStartedProcess second(L"\"" + std::wstring(CORVANE_EXE) + L"\"");
  ASSERT_TRUE(second.Started());
  EXPECT_TRUE(second.Ended(90000));
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_TRUE(WaitUntil([&] { return IsIconic(first.Main()) == FALSE; }, 5s));
  EXPECT_EQ(GetForegroundWindow(), first.Main());
  EXPECT_EQ(MainWindows().size(), 1u) << "no second window";
}

// Waits a while for the status bar to read vWant; returns what it reads then.
std::wstring WaitStatus(const TCorvane& vApp, const std::wstring& vWant) {
  WaitUntil([&] { return vApp.Status() == vWant; }, 5s);
  return vApp.Status();
}

TEST_F(GuiTest, ControlsUseArialOfThirteenPixels) {
  // A font handle is only valid in its own process, and under Wine WM_GETFONT does not even
  // answer across processes: build the program's window here, hidden, and ask every text
  // control of all three pages which face its font resolves to.
  TLocalForm local;
  ASSERT_TRUE(local.Created());
  const std::vector<HWND> controls = TextControls(local.Handle());
  EXPECT_GE(controls.size(), 20u);
  HDC dc = GetDC(nullptr);
  for (HWND c : controls) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr) << Describe(c);
    const HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    EXPECT_STREQ(face, L"Arial") << Describe(c);
    EXPECT_EQ(lf.lfHeight, -13) << Describe(c) << ": character height 13 pixels";
    EXPECT_EQ(lf.lfWeight, FW_NORMAL) << Describe(c);
  }
  ReleaseDC(nullptr, dc);
}

TEST_F(GuiTest, HintsOfControlsAndMenuItemsGoToTheStatusBar) {
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  SendMessageW(app.Control(ids::ebNow), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPlanted));
  ASSERT_TRUE(WaitUntil([&] { return app.Enabled(ids::acSearch); }, 5s));

  // The pointer over a control: the long part of its hint.
  MouseTo(CentreOf(app.Control(ids::acSearch)));
  EXPECT_EQ(WaitStatus(app, L"Search for Registry data matching your criteria"),
            L"Search for Registry data matching your criteria");
  // Over a control without a hint the status bar empties.
  MouseTo(CentreOf(app.Control(ids::ebNow)));
  EXPECT_EQ(WaitStatus(app, L""), L"");

  // Menus, opened from the keyboard as a user would; the pointer stays out of their way.
  MouseTo(CentreOf(app.Control(ids::StatusBar1)));
  SetForegroundWindow(app.Main());
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == app.Main(); }, 5s));
  Press(VK_F10);
  Press(VK_DOWN);  // opens File on its first item, New search
  EXPECT_EQ(WaitStatus(app, L"Clear all fields for a new search"),
            L"Clear all fields for a new search");
  Press(VK_UP);  // wraps round to Exit
  EXPECT_EQ(WaitStatus(app, L"Exit the program"), L"Exit the program");
  Press(VK_RIGHT);  // on to Action
  Press(VK_RIGHT);  // on to Options, opened on its first item, a sub-menu
  EXPECT_EQ(WaitStatus(app, L"Select the number of results shown on each page"),
            L"Select the number of results shown on each page");
  Press(VK_RIGHT);  // into the sub-menu: a hint without "|" is shown whole
  EXPECT_EQ(WaitStatus(app, L"Show 10 results per page"), L"Show 10 results per page");
  Press(VK_UP);  // the last item, 1000, has no hint
  EXPECT_EQ(WaitStatus(app, L""), L"");
  Press(VK_ESCAPE);
  Press(VK_DOWN);  // Maximum results
  EXPECT_EQ(WaitStatus(app, L"Set the maximum number of results for this search"),
            L"Set the maximum number of results for this search");
  Press(VK_ESCAPE);
  Press(VK_ESCAPE);
  Press(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return OpenMenuOf(app.Pid()) == nullptr; }, 5s));
  EXPECT_EQ(WaitStatus(app, L""), L"") << "the hint ends with the menu";
  EXPECT_TRUE(app.Running());
}

TEST_F(GuiTest, RightClickSelectsTheRowUnderThePointerAndOpensThePopUpMenu) {
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  app.SelectItem(ids::cbMaxRslt, 0);  // 10: the walk ends at the planted hits
  SendMessageW(app.Control(ids::ebNow), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPlanted));
  app.Command(ids::acSearch);
  ASSERT_TRUE(app.WaitFound());
  ASSERT_EQ(app.Rows(), 10);
  HWND list = app.Control(ids::lbResults);
  const int top = int(SendMessageW(list, LB_GETTOPINDEX, 0, 0));

  auto rowPoint = [&](int vRow) { return ListRowPoint(list, vRow); };
  RECT client{};
  GetClientRect(list, &client);
  POINT listBottom{0, client.bottom};
  ClientToScreen(list, &listBottom);
  ASSERT_LT(rowPoint(top + 1).y + 8, listBottom.y) << "two rows are shown";
  const int target = SendMessageW(list, LB_GETCURSEL, 0, 0) == top ? top + 1 : top;
  const int other = target == top ? top + 1 : top;

  SetForegroundWindow(app.Main());
  RightClick(rowPoint(target));
  ASSERT_TRUE(WaitUntil([&] { return OpenMenuOf(app.Pid()) != nullptr; }, 5s))
      << "the pop-up menu opens";
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), target) << "the row under the pointer";
  Press(VK_DOWN);  // its first item, Detail: its hint in the status bar
  EXPECT_EQ(WaitStatus(app, L"View detail for highlighted result"),
            L"View detail for highlighted result");
  Press(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return OpenMenuOf(app.Pid()) == nullptr; }, 5s))
      << "Esc closes the menu";
  EXPECT_TRUE(IsWindowVisible(list)) << "no item of the menu ran";
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), target);

  // A press with a key held or another button down changes nothing. Sent as messages: a Ctrl
  // held through SendInput does not reach another process's mouse messages under Wine.
  POINT q = rowPoint(other);
  ScreenToClient(list, &q);
  for (WPARAM keys : {WPARAM(MK_RBUTTON | MK_CONTROL), WPARAM(MK_RBUTTON | MK_SHIFT),
                      WPARAM(MK_RBUTTON | MK_LBUTTON)}) {
    SendMessageW(list, WM_RBUTTONDOWN, keys, MAKELPARAM(q.x, q.y));
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), target) << "keys " << keys;
  }
  // The same press alone selects that row (the messages above did reach the list).
  SendMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(q.x, q.y));
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), other);
}

TEST_F(GuiTest, SecondStartHandsOverItsFirstArgument) {
  TCorvane first;
  ASSERT_NE(first.Main(), nullptr);
  const std::wstring path = L"Z:\\tmp\\corvane hand over\\saved search.qmx";

  corvane::test::TStartedProcess second(L"\"" + std::wstring(CORVANE_EXE) + L"\" \"" + path +
                                        L"\" Z:\\tmp\\ignored.qmx");
  ASSERT_TRUE(second.Started());
  EXPECT_TRUE(second.Ended(90000));
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_EQ(MainWindows().size(), 1u) << "no second window";
  EXPECT_TRUE(first.Running());

  // The shared block: the first instance's main window, then the path, first argument only.
  HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, corvane::W(corvane::kInstanceBlockName));
  ASSERT_NE(mapping, nullptr);
  const auto* block =
      static_cast<const std::uint8_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(block, nullptr);
  std::uint32_t main = 0;
  std::memcpy(&main, block + 4, 4);
  EXPECT_EQ(main, std::uint32_t(reinterpret_cast<std::uintptr_t>(first.Main())));
  const auto* text = reinterpret_cast<const wchar_t*>(block + 8);
  EXPECT_EQ(std::wstring(text, wcsnlen(text, 32768)), path);
  UnmapViewOfFile(block);
  CloseHandle(mapping);

  // The first instance answered the hand-over and goes on working.
  DWORD_PTR answer = 0;
  EXPECT_NE(SendMessageTimeoutW(first.Main(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer), 0);
  PostMessageW(first.Main(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(first.Ended(20000));
}

// The editor tree's path of the test key.
const std::string kEditorRoot = "My Computer\\HKEY_CURRENT_USER\\Software\\CorvaneGuiTest\\";

// Waits until the registry editor's tree caret is on vKey and value vValue alone is selected in
// its list; vShown tells what it showed last.
bool WaitEditorOn(const std::string& vKey, const std::string& vValue, std::string& vShown) {
  std::string caret;
  std::vector<std::string> selected;
  const bool on = WaitUntil(
      [&] {
        corvane::test::TEditorProbe editor;
        if (!editor.Ready()) return false;
        caret = editor.CaretPath();
        selected = editor.Rows(LVNI_SELECTED);
        return caret == vKey && selected == std::vector<std::string>{vValue};
      },
      30s);
  vShown = caret + " / " + (selected.empty() ? "no row" : selected.front());
  return on;
}

// The editor's focused row is vValue and its value list has the keyboard focus.
void ExpectValueFocused(const std::string& vValue) {
  corvane::test::TEditorProbe editor;
  EXPECT_EQ(editor.Rows(LVNI_FOCUSED), std::vector<std::string>{vValue});
  EXPECT_EQ(editor.Focus(), editor.List()) << "the value list has the keyboard focus";
}

TEST_F(GuiTest, CtrlROnAHitOpensTheRegistryEditorOnItsKeyAndValue) {
  corvane::test::EndEditors();
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  EXPECT_TRUE(app.ToolEnabled(ids::acRegedit)) << "the editor was found at start";
  app.SelectItem(ids::cbMaxRslt, 0);
  SendMessageW(app.Control(ids::ebNow), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPlanted));
  app.Command(ids::acSearch);
  ASSERT_TRUE(app.WaitFound());
  // The hits come in name order: row 2 of the first page is the third value.
  HWND list = app.Control(ids::lbResults);
  SendMessageW(list, LB_SETCURSEL, 2, 0);
  SetForegroundWindow(app.Main());
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == app.Main(); }, 5s));

  const auto pressed = std::chrono::steady_clock::now();
  KeyEvent(VK_CONTROL, false);
  Press('R');
  KeyEvent(VK_CONTROL, true);
  std::string shown;
  EXPECT_TRUE(WaitEditorOn(kEditorRoot + "Plant", "zqxplant_03", shown)) << shown;
  std::printf("Ctrl+R to the value selected in the editor: %.1f s\n",
              std::chrono::duration<double>(std::chrono::steady_clock::now() - pressed).count());
  EXPECT_EQ(corvane::test::EditorWindows().size(), 1u);
  ExpectValueFocused("zqxplant_03");
  std::this_thread::sleep_for(500ms);  // the editor repaints before the picture
  Screenshot(L"regedit-launched");
  corvane::test::EndEditors();
  EXPECT_TRUE(app.Running());
}

// --- The key detail page -----------------------------------------------------------------

// A long name, so that the key path wraps in a narrow window.
const wchar_t kDetailKey[] =
    L"Software\\CorvaneGuiTest\\QzdDetail, a key whose name is long enough to wrap in a "
    L"narrow window";

void AltKey(WORD vKey) {
  KeyEvent(VK_MENU, false);
  Press(vKey);
  KeyEvent(VK_MENU, true);
}

// A list view's cell text in another process: the item and its buffer live in that process.
std::wstring RemoteCell(DWORD vPid, HWND vList, int vRow, int vCol) {
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, vPid);
  if (!process) return L"<no process>";
  auto* remote = static_cast<std::uint8_t*>(
      VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  std::wstring text = L"<no memory>";
  if (remote) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = vRow;
    item.iSubItem = vCol;
    item.cchTextMax = 256;
    item.pszText = reinterpret_cast<wchar_t*>(remote + 1024);
    WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
    const wchar_t empty[1] = {};
    WriteProcessMemory(process, remote + 1024, empty, sizeof empty, nullptr);
    DWORD_PTR got = 0;
    SendMessageTimeoutW(vList, LVM_GETITEMTEXTW, WPARAM(vRow), reinterpret_cast<LPARAM>(remote),
                        SMTO_NORMAL, 5000, &got);
    wchar_t buf[257] = {};
    ReadProcessMemory(process, remote + 1024, buf, 256 * sizeof(wchar_t), nullptr);
    text = buf;
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return text;
}

bool Checked(HWND vButton) {
  return SendMessageW(vButton, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void PlantValue(HKEY vKey, const wchar_t* vName, DWORD vType, const std::vector<BYTE>& vData) {
  RegSetValueExW(vKey, vName, 0, vType, vData.data(), DWORD(vData.size()));
}

std::vector<BYTE> WideBytes(const wchar_t* vText, std::size_t vUnits) {
  const auto* p = reinterpret_cast<const BYTE*>(vText);
  return std::vector<BYTE>(p, p + vUnits * sizeof(wchar_t));
}

class DetailGuiTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    HKEY key = nullptr;
    RegDeleteTreeW(HKEY_CURRENT_USER, kDetailKey);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kDetailKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    PlantValue(key, L"", REG_SZ, WideBytes(L"default data", 13));
    PlantValue(key, L"multi", REG_MULTI_SZ, WideBytes(L"one\0two\0", 9));
    std::vector<BYTE> bin(17);
    for (int i = 0; i < 17; ++i) bin[std::size_t(i)] = BYTE(0x41 + i);
    PlantValue(key, L"bin17", REG_BINARY, bin);
    PlantValue(key, L"dword", REG_DWORD, {0xFF, 0, 0, 0});
    PlantValue(key, L"qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});
    PlantValue(key, L"xqzdplantx", REG_SZ, WideBytes(L"text value", 11));
    RegCloseKey(key);
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kDetailKey); }

  // Searches for the planted value and opens its hit, the first of vHits, by a double click.
  void OpenDetail(const TCorvane& vApp, int vHits = 1) {
    vApp.SelectItem(ids::cbMaxRslt, 0);
    SendMessageW(vApp.Control(ids::ebNow), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"qzdplant"));
    vApp.Command(ids::acSearch);
    ASSERT_TRUE(vApp.WaitFound());
    ASSERT_EQ(vApp.SearchText(), L"Found " + std::to_wstring(vHits) + L" items");
    HWND list = vApp.Control(ids::lbResults);
    POINT row{60, 8};
    ClientToScreen(list, &row);
    SetForegroundWindow(vApp.Main());
    DoubleClick(row);
    ASSERT_TRUE(
        WaitUntil([&] { return IsWindowVisible(vApp.Control(ids::lbValues)) != FALSE; }, 10s))
        << "the double click opens the detail page";
  }
};

// As CtrlROnAHitOpensTheRegistryEditorOnItsKeyAndValue, from the detail page: its key and the
// value selected there, and they stay the target back on the results page with another hit
// selected.
TEST_F(DetailGuiTest, CtrlRLaunchesTheEditorOnTheDetailPagesKeyAndChosenValue) {
  // A second hit in another key, found after the detail key's one.
  const wchar_t other[] = L"Software\\CorvaneGuiTest\\QzdOther";
  struct TCleanUp {
    const wchar_t* fKey;
    ~TCleanUp() {
      corvane::test::EndEditors();
      RegDeleteTreeW(HKEY_CURRENT_USER, fKey);
    }
  } cleanUp{other};
  corvane::test::EndEditors();
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, other, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  PlantValue(key, L"qzdplant_other", REG_SZ, WideBytes(L"other", 6));
  RegCloseKey(key);

  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  ASSERT_NO_FATAL_FAILURE(OpenDetail(app, 2));
  HWND values = app.Control(ids::lbValues);
  ASSERT_EQ(SendMessageW(values, LB_GETCURSEL, 0, 0), 5) << "the hit's value first";
  LeftClick(ListRowPoint(values, 2));
  ASSERT_TRUE(WaitUntil([&] { return Text(app.Control(ids::lblValType)) == L"REG_DWORD"; }, 5s))
      << "the click chose \"dword\"";

  const std::string detailKey =
      kEditorRoot + corvane::ToUtf8(corvane::FromW(kDetailKey + wcslen(kTestKey) + 1));
  std::string shown;
  ASSERT_TRUE(ToFront(app.Main()));
  PressWith({VK_CONTROL}, 'R');
  EXPECT_TRUE(WaitEditorOn(detailKey, "dword", shown)) << "from the detail page: " << shown;
  EXPECT_EQ(corvane::test::EditorWindows().size(), 1u);
  ExpectValueFocused("dword");
  corvane::test::EndEditors();

  // Back on the results page, the other key's hit selected by a click.
  ASSERT_TRUE(ToFront(app.Main()));
  AltKey(VK_LEFT);
  HWND results = app.Control(ids::lbResults);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(results) != FALSE; }, 5s));
  ASSERT_EQ(app.Rows(), 2);
  LeftClick(ListRowPoint(results, 1));
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(results, LB_GETCURSEL, 0, 0) == 1; }, 5s));
  PressWith({VK_CONTROL}, 'R');
  EXPECT_TRUE(WaitEditorOn(detailKey, "dword", shown))
      << "the detail page's key before the selected hit's: " << shown;
  ExpectValueFocused("dword");
  EXPECT_TRUE(app.Running());
}

TEST_F(DetailGuiTest, ShowsTheKeysValuesAndTheChosenValueInEachView) {
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  ASSERT_NO_FATAL_FAILURE(OpenDetail(app));
  HWND values = app.Control(ids::lbValues);
  HWND text = app.Control(ids::meData), grid = app.Control(ids::sgData);
  HWND dec = app.Control(ids::lblValDec);
  HWND rbText = app.Control(ids::rbDText), rbBinary = app.Control(ids::rbDBinary),
       rbNumber = app.Control(ids::rbdDword);
  auto type = [&] { return Text(app.Control(ids::lblValType)); };
  auto size = [&] { return Text(app.Control(ids::lblValSize)); };

  // The list: default value first, the rest in name order, the hit's value preselected.
  ASSERT_EQ(SendMessageW(values, LB_GETCOUNT, 0, 0), 6);
  const wchar_t* const order[] = {L"", L"bin17", L"dword", L"multi", L"qword", L"xqzdplantx"};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(ListText(values, i), order[i]) << i;
  EXPECT_EQ(SendMessageW(values, LB_GETCURSEL, 0, 0), 5);
  EXPECT_EQ(type(), L"REG_SZ");
  EXPECT_EQ(size(), L"22");
  EXPECT_EQ(Text(text), L"text value");
  EXPECT_TRUE(IsWindowVisible(text));
  EXPECT_FALSE(IsWindowVisible(grid));
  EXPECT_TRUE(Checked(rbText));
  EXPECT_TRUE(IsWindowEnabled(rbText) && IsWindowEnabled(rbBinary));
  EXPECT_FALSE(IsWindowEnabled(rbNumber));
  Screenshot(L"detail-text");

  // Other values chosen from the keyboard.
  Press(VK_HOME);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(values, LB_GETCURSEL, 0, 0) == 0; }, 5s))
      << "the values list has the keyboard focus";
  EXPECT_EQ(Text(text), L"default data");
  Press(VK_DOWN);
  ASSERT_TRUE(WaitUntil([&] { return type() == L"REG_BINARY"; }, 5s));
  EXPECT_EQ(size(), L"17");
  EXPECT_TRUE(IsWindowVisible(grid));
  EXPECT_FALSE(IsWindowVisible(text));
  EXPECT_TRUE(Checked(rbBinary));
  EXPECT_FALSE(IsWindowEnabled(rbNumber));
  ASSERT_EQ(SendMessageW(grid, LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(RemoteCell(app.Pid(), grid, 0, 0), L"0000");
  EXPECT_EQ(RemoteCell(app.Pid(), grid, 0, 8), L"48");
  EXPECT_EQ(RemoteCell(app.Pid(), grid, 0, 10), L"ABCDEFGH");
  EXPECT_EQ(RemoteCell(app.Pid(), grid, 2, 0), L"0010");
  EXPECT_EQ(RemoteCell(app.Pid(), grid, 2, 1), L"51");
  for (int c = 2; c <= 9; ++c) EXPECT_EQ(RemoteCell(app.Pid(), grid, 2, c), L"") << c;
  EXPECT_EQ(RemoteCell(app.Pid(), grid, 2, 10), L"Q       ");
  Screenshot(L"detail-binary");

  Press(VK_DOWN);
  ASSERT_TRUE(WaitUntil([&] { return type() == L"REG_DWORD"; }, 5s));
  EXPECT_EQ(size(), L"4");
  EXPECT_TRUE(IsWindowVisible(dec));
  EXPECT_TRUE(Checked(rbNumber));
  EXPECT_TRUE(IsWindowEnabled(rbNumber));
  EXPECT_EQ(Text(dec), L"255");
  EXPECT_EQ(Text(app.Control(ids::lblValHex)), L"0x000000FF");
  Screenshot(L"detail-number");

  // The views by keyboard, from the Binary button.
  LeftClick(CentreOf(rbBinary));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid) != FALSE; }, 5s));
  EXPECT_TRUE(Checked(rbBinary));
  EXPECT_EQ(RemoteCell(app.Pid(), grid, 0, 1), L"FF");
  EXPECT_EQ(RemoteCell(app.Pid(), grid, 0, 10), L"\u00FF...    ");
  Press(VK_LEFT);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(text) != FALSE; }, 5s));
  EXPECT_TRUE(Checked(rbText));
  EXPECT_FALSE(Checked(rbBinary));
  Press(VK_LEFT);  // round to Number
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(dec) != FALSE; }, 5s));
  EXPECT_TRUE(Checked(rbNumber));
  Press(VK_RIGHT);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(text) != FALSE; }, 5s));

  // The hints of the page's controls.
  MouseTo(CentreOf(values));
  EXPECT_EQ(WaitStatus(app, L"Values for selected key - value from result emphasized, if relevant"),
            L"Values for selected key - value from result emphasized, if relevant");
  MouseTo(CentreOf(app.Control(ids::lblValType)));
  EXPECT_EQ(WaitStatus(app, L"Data type of selected value"), L"Data type of selected value");

  // The key path is measured again when the window is resized.
  auto keyBoxHeight = [&] {
    RECT r{};
    GetWindowRect(app.Control(ids::pbKey1), &r);
    return int(r.bottom - r.top);
  };
  const int narrow = keyBoxHeight();
  RECT outer{};
  GetWindowRect(app.Main(), &outer);
  SetWindowPos(app.Main(), nullptr, 0, 0, 1100, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_TRUE(WaitUntil([&] { return keyBoxHeight() < narrow; }, 5s))
      << "one line fewer in a wider window: " << narrow << " then " << keyBoxHeight();
  SetWindowPos(app.Main(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_TRUE(WaitUntil([&] { return keyBoxHeight() == narrow; }, 5s));
  SetForegroundWindow(app.Main());
  WaitUntil([&] { return GetForegroundWindow() == app.Main(); }, 5s);

  // Back to the results and forward to the page as it was left.
  AltKey(VK_LEFT);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(app.Control(ids::lbResults)) != FALSE; }, 5s));
  EXPECT_FALSE(IsWindowVisible(values));
  AltKey(VK_RIGHT);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(values) != FALSE; }, 5s));
  EXPECT_EQ(SendMessageW(values, LB_GETCURSEL, 0, 0), 2);
  EXPECT_TRUE(IsWindowVisible(text)) << "the view the user chose";
  EXPECT_EQ(Text(dec), L"255");

  // The last two values.
  SendMessageW(values, LB_SETCURSEL, 4, 0);
  SendMessageW(GetParent(values), WM_COMMAND, MAKEWPARAM(ids::lbValues, LBN_SELCHANGE),
               LPARAM(values));
  EXPECT_EQ(type(), L"Hex(B)");
  EXPECT_TRUE(IsWindowVisible(grid));
  EXPECT_FALSE(IsWindowEnabled(rbNumber));
  SendMessageW(values, LB_SETCURSEL, 3, 0);
  SendMessageW(GetParent(values), WM_COMMAND, MAKEWPARAM(ids::lbValues, LBN_SELCHANGE),
               LPARAM(values));
  EXPECT_EQ(type(), L"REG_MULTI_SZ");
  EXPECT_EQ(Text(text), L"one.two.");
  EXPECT_TRUE(app.Running());
}

TEST_F(DetailGuiTest, AKeyDeletedWhileShownEmptiesTheViews) {
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  ASSERT_NO_FATAL_FAILURE(OpenDetail(app));
  HWND values = app.Control(ids::lbValues);
  ASSERT_EQ(SendMessageW(values, LB_GETCOUNT, 0, 0), 6);
  ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, kDetailKey), ERROR_SUCCESS);
  Press(VK_UP);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(values, LB_GETCURSEL, 0, 0) == 4; }, 5s));
  EXPECT_TRUE(app.Running());
  EXPECT_EQ(Text(app.Control(ids::lblValType)), L"");
  EXPECT_EQ(Text(app.Control(ids::lblValSize)), L"");
  for (int id : {ids::rbDText, ids::rbDBinary, ids::rbdDword})
    EXPECT_FALSE(IsWindowEnabled(app.Control(id))) << id;
  for (int id : {ids::meData, ids::sgData, ids::lblValDec})
    EXPECT_FALSE(IsWindowVisible(app.Control(id))) << id;

  // The splitter: the window opens with 303 pixels beside the values panel, so the values
  // panel may only narrow, and widen again while 304 pixels stay for the data side.
  RECT client{};
  GetClientRect(app.Main(), &client);
  HWND splitter = app.Control(ids::Splitter1);
  auto valuesWidth = [&] {
    RECT r{};
    GetWindowRect(app.Control(ids::pnlValues), &r);
    return int(r.right - r.left);
  };
  auto drag = [&](int vBy) {
    const POINT from = CentreOf(splitter);
    MouseTo(from);
    SendMouse(MOUSEEVENTF_LEFTDOWN, from);
    const int step = vBy > 0 ? 10 : -10;
    for (int dx = step; dx != vBy + step; dx += step) MouseTo({from.x + dx, from.y});
    SendMouse(MOUSEEVENTF_LEFTUP, {from.x + vBy, from.y});
    std::this_thread::sleep_for(200ms);
  };
  const int before = valuesWidth();
  ASSERT_EQ(client.right - before, 303);
  drag(100);
  EXPECT_EQ(valuesWidth(), before) << "widening is refused";
  drag(-60);
  EXPECT_EQ(valuesWidth(), before - 60);
  drag(200);
  EXPECT_GT(valuesWidth(), before - 60);
  EXPECT_GE(client.right - valuesWidth(), 304);
  drag(-200);
  EXPECT_EQ(valuesWidth(), 100) << "the values panel's minimum width";
  EXPECT_TRUE(app.Running());
}

TEST_F(DetailGuiTest, AValueOfOneMegabyteShowsAndScrollsToItsLastRow) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kDetailKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
  std::vector<BYTE> big(1 << 20);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = BYTE(i * 7);
  PlantValue(key, L"big", REG_BINARY, big);
  RegCloseKey(key);
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  ASSERT_NO_FATAL_FAILURE(OpenDetail(app));
  HWND values = app.Control(ids::lbValues), grid = app.Control(ids::sgData);
  ASSERT_EQ(ListText(values, 1), L"big");

  const auto started = std::chrono::steady_clock::now();
  SetForegroundWindow(app.Main());
  Press(VK_HOME);
  Press(VK_DOWN);
  ASSERT_TRUE(WaitUntil([&] { return Text(app.Control(ids::lblValType)) == L"REG_BINARY"; }, 60s));
  std::printf("1 MB value shown after %.1f s\n",
              std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
  EXPECT_EQ(Text(app.Control(ids::lblValSize)), L"1,048,576");
  ASSERT_EQ(SendMessageW(grid, LVM_GETITEMCOUNT, 0, 0), 131072);

  // To the end from the keyboard, in the grid.
  LeftClick(CentreOf(grid));
  Press(VK_END);
  EXPECT_TRUE(WaitUntil([&] { return SendMessageW(grid, LVM_GETTOPINDEX, 0, 0) > 131000; }, 10s));
  EXPECT_EQ(RemoteCell(app.Pid(), grid, 131071, 0), L"FFFF8");
  EXPECT_EQ(RemoteCell(app.Pid(), grid, 131071, 8), L"F9");  // byte 0xFFFFF times 7
  EXPECT_TRUE(app.Running());
}

// --- The About box -------------------------------------------------------------------------

namespace aboutids = corvane::aboutids;

// The visible About box of a process.
HWND AboutBoxOf(DWORD vPid) {
  HWND box = VisibleWindowOf(vPid, L"#32770");
  return box && Text(box) == L"About Corvane" ? box : nullptr;
}

TEST_F(GuiTest, AboutBoxShowsTheVersionAndClosesWithEnterAndEsc) {
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  auto openAbout = [&] {
    HWND box = nullptr;
    // The window may still be taking back the activation from a box just closed.
    for (int attempt = 0; attempt < 3 && !box; ++attempt) {
      MouseTo(CentreOf(app.Control(ids::StatusBar1)));
      SetForegroundWindow(app.Main());
      WaitUntil([&] { return GetForegroundWindow() == app.Main(); }, 5s);
      std::this_thread::sleep_for(300ms);
      AltKey('H');  // opens Help on its first item, About
      if (!WaitUntil([&] { return OpenMenuOf(app.Pid()) != nullptr; }, 3s)) continue;
      Press(VK_RETURN);
      WaitUntil([&] { return (box = AboutBoxOf(app.Pid())) != nullptr; }, 10s);
    }
    return box;
  };
  HWND box = openAbout();
  ASSERT_NE(box, nullptr) << "Help > About opens the box";
  EXPECT_EQ(Text(GetDlgItem(box, aboutids::lblVersion)), L"Corvane - version 1.0.0.4");
  EXPECT_EQ(Text(GetDlgItem(box, aboutids::lblCopyright)), L"Copyright (C) 2025 Tamberlo Software");
  EXPECT_EQ(Text(GetDlgItem(box, aboutids::lblcomment)), corvane::W(corvane::kBuiltInComment));
  EXPECT_EQ(Text(GetDlgItem(box, aboutids::btnAboutOK)), L"OK");
  RECT client{};
  GetClientRect(box, &client);
  EXPECT_EQ(client.right, 390);
  EXPECT_EQ(client.bottom, 144);
  Screenshot(L"about-box");

  Press(VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return AboutBoxOf(app.Pid()) == nullptr; }, 5s)) << "Enter closes";

  // The link opens through the shell without holding the box up; Esc closes the box.
  box = openAbout();
  ASSERT_NE(box, nullptr);
  LeftClick(CentreOf(GetDlgItem(box, aboutids::lnklbl1)));
  std::this_thread::sleep_for(500ms);
  DWORD_PTR answer = 0;
  EXPECT_NE(SendMessageTimeoutW(box, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer), 0);
  EXPECT_EQ(AboutBoxOf(app.Pid()), box) << "the box stays open";
  SetForegroundWindow(box);
  WaitUntil([&] { return GetForegroundWindow() == box; }, 5s);
  Press(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return AboutBoxOf(app.Pid()) == nullptr; }, 5s)) << "Esc closes";
  EXPECT_TRUE(app.Running());
}

TEST_F(GuiTest, AboutBoxOfAFileWithoutResourcesShowsTheTitleAloneAndTheIcon) {
  // This driver has neither version information nor the About picture.
  corvane::TAboutForm form;
  std::thread modal([&] { form.ShowModal(nullptr); });
  HWND box = nullptr;
  WaitUntil([&] { return (box = AboutBoxOf(GetCurrentProcessId())) != nullptr; }, 10s);
  if (box) {
    EXPECT_TRUE(form.ShowsIcon());
    EXPECT_EQ(Text(GetDlgItem(box, aboutids::lblVersion)), L"Corvane");
    EXPECT_EQ(Text(GetDlgItem(box, aboutids::lblCopyright)),
              corvane::W(corvane::kBuiltInCopyright));
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
  }
  modal.join();
  ASSERT_NE(box, nullptr);
}

// --- The release package ------------------------------------------------------------------

// Run by tests/package/run-package-test.sh with the unpacked package's folder and a registry
// export to search: both programs run from the package.
TEST_F(GuiTest, PackagedProgramsRun) {
  wchar_t folder[MAX_PATH] = {}, sample[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"CORVANE_PACKAGE_DIR", folder, MAX_PATH) == 0 ||
      GetEnvironmentVariableW(L"CORVANE_SAMPLE_REG", sample, MAX_PATH) == 0)
    GTEST_SKIP() << "only for the package test";
  const std::wstring dir = folder;
  DWORD exitCode = 99;
  const std::string out = corvane::test::RunCapture(
      L"\"" + dir + L"\\corvane-find.exe\" --no-probe --file \"" + sample + L"\" sample", exitCode);
  EXPECT_EQ(exitCode, 0u) << out;
  EXPECT_NE(out.find("\nFound 1 items"), std::string::npos) << out;

  const std::wstring exe = dir + L"\\corvane.exe";
  TCorvane app(L"", nullptr, exe);
  ASSERT_NE(app.Main(), nullptr) << "no main window from the package";
  EXPECT_EQ(Text(app.Main()), L"Corvane");
  EXPECT_GE(ExtractIconExW(exe.c_str(), -1, nullptr, nullptr, 0), 1u) << "the application icon";
  PostMessageW(app.Main(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(app.Ended(20000));
}

}  // namespace
