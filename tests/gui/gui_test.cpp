// End-to-end tests of corvane.exe: a driver process starts the real program, drives it with
// window messages and with mouse and keyboard input through SendInput, and reads its state
// back from its controls and its shared block. Runs under Wine on a display
// (tests/gui/run-gui-tests.sh gives it one).
#include <windows.h>
// after windows.h
#include <commctrl.h>
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

#include "app/corvane/instancelayout.h"
#include "ui/main/mainform.h"
#include "ui/main/mainids.h"
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
  app.Command(ids::acSearch);
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
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  app.SelectItem(ids::cbMaxRslt, 3);  // 10000: the walk goes on after the planted hits
  SendMessageW(app.Control(ids::ebNow), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPlanted));
  app.Command(ids::acSearch);
  ASSERT_TRUE(WaitUntil([&] { return app.Enabled(ids::btnNext); }, 60s));
  if (app.SearchText() != L"Searching...")
    GTEST_SKIP() << "the walk ended before the test could stop it";

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

  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring cmd = L"\"" + std::wstring(CORVANE_EXE) + L"\"";
  ASSERT_TRUE(
      CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 90000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  EXPECT_EQ(code, 0u);
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
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring ini = std::wstring(temp) + L"corvane-font-test.ini";
  corvane::TApplication application;
  corvane::TMainFormContext context;
  context.IniName = corvane::FromW(ini.c_str());
  auto form = std::make_unique<corvane::TMainForm>(application, std::move(context));
  ASSERT_TRUE(form->Create());
  const std::vector<HWND> controls = TextControls(form->Handle());
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
  DestroyWindow(form->Handle());
  form.reset();
  DeleteFileW(ini.c_str());
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

  // The screen point inside row vRow (from the top row shown), found from the rows' heights.
  auto rowPoint = [&](int vRow) {
    int y = 0;
    for (int i = top; i < vRow; ++i) y += int(SendMessageW(list, LB_GETITEMHEIGHT, WPARAM(i), 0));
    POINT p{60, y + 8};
    ClientToScreen(list, &p);
    return p;
  };
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

  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring cmd =
      L"\"" + std::wstring(CORVANE_EXE) + L"\" \"" + path + L"\" Z:\\tmp\\ignored.qmx";
  ASSERT_TRUE(
      CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 90000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  EXPECT_EQ(code, 0u);
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

}  // namespace
