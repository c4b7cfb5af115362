// The window as a Windows user meets it: every tool bar button clicked, the actions' states
// on menus and tool bar from the start, a minimised window, the end of the session, captions
// that fit their controls, and a search thread that cannot be started.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <new>
#include <stdexcept>
#include <system_error>

#include "guidriver.h"
#include "support/editorprobe.h"

namespace {

using namespace guitest;

bool Visible(HWND vWnd) {
  return IsWindowVisible(vWnd) != FALSE;
}

// The screen point at the middle of tool bar button vId.
POINT ToolButtonCentre(HWND vBar, int vId) {
  const RECT r = RemoteRect(vBar, TB_GETRECT, WPARAM(vId));
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(vBar, &p);
  return p;
}

// A visible top-level dialog window of process vPid with the caption vTitle.
HWND DialogTitled(DWORD vPid, const std::wstring& vTitle) {
  HWND box = MessageBoxOf(vPid);
  return box && Text(box) == vTitle ? box : nullptr;
}

TEST_F(GuiTest, EveryToolBarButtonRunsItsActionWhenClicked) {
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  HWND main = app.Main(), bar = app.Control(ids::ToolBar1), edit = app.Control(ids::ebNow);
  HWND list = app.Control(ids::lbResults);
  // A user clicks a button once it shows enabled; Save is clicked while it is disabled.
  auto click = [&](int vId) {
    ASSERT_TRUE(ToFront(main));
    if (vId != ids::acSave) {
      ASSERT_TRUE(WaitUntil([&] { return app.ToolEnabled(vId); }, 5s)) << "button " << vId;
    }
    LeftClick(ToolButtonCentre(bar, vId));
  };
  // The planted hits come first; the walk then goes on through keys of no hit, long enough
  // to be stopped (a search for a common letter may reach its maximum before the click).
  const TWalkKeys walk(kTestKey);
  app.SelectItem(ids::cbMaxRslt, 3);
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPlanted));
  ASSERT_TRUE(WaitUntil([&] { return app.Enabled(ids::acSearch); }, 5s));
  ASSERT_TRUE(ToFront(main));
  Press(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return app.Rows() > 0 && app.ToolEnabled(ids::acStop); }, 30s));

  click(ids::acStop);
  ASSERT_TRUE(app.WaitFound(60s)) << "Stop";
  EXPECT_NE(app.SearchText().find(L"before being stopped"), std::wstring::npos) << app.SearchText();

  click(ids::acExport);
  HWND exported = nullptr;
  EXPECT_TRUE(
      WaitUntil([&] { return (exported = DialogTitled(app.Pid(), L"Export results")); }, 10s))
      << "Export results";
  if (exported) {
    PostMessageW(exported, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return MessageBoxOf(app.Pid()) == nullptr; }, 10s));
  }

  click(ids::acBack);
  EXPECT_TRUE(WaitUntil([&] { return Visible(edit); }, 5s)) << "Back";
  click(ids::acForward);
  EXPECT_TRUE(WaitUntil([&] { return Visible(list); }, 5s)) << "Forward";
  click(ids::acNew);
  EXPECT_TRUE(WaitUntil([&] { return Visible(edit) && Text(edit).empty(); }, 5s)) << "New";
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(main) == edit; }, 5s))
      << "after New the focus is in the text box, not in " << Describe(FocusOf(main));

  click(ids::acLoad);
  HWND dialog = nullptr;
  EXPECT_TRUE(
      WaitUntil([&] { return (dialog = DialogTitled(app.Pid(), L"Load saved search")); }, 10s))
      << "Load";
  if (dialog) {
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return MessageBoxOf(app.Pid()) == nullptr; }, 10s));
  }

  // Save needs Advanced criteria; on the Basic tab its button is disabled and does nothing.
  EXPECT_FALSE(app.ToolEnabled(ids::acSave));
  click(ids::acSave);
  EXPECT_FALSE(WaitUntil([&] { return MessageBoxOf(app.Pid()) != nullptr; }, 2s))
      << "disabled Save opened something";

  // Launch REGEDIT with no hit chosen starts the registry editor, and shows no box.
  ASSERT_TRUE(app.ToolEnabled(ids::acRegedit)) << "no registry editor found";
  corvane::test::EndEditors();
  click(ids::acRegedit);
  HWND box = nullptr;
  EXPECT_TRUE(WaitUntil(
      [&] {
        box = MessageBoxOf(app.Pid());
        return box || !corvane::test::EditorWindows().empty();
      },
      20s))
      << "Launch REGEDIT";
  if (!box) {
    EXPECT_FALSE(WaitUntil([&] { return (box = MessageBoxOf(app.Pid())) != nullptr; }, 2s));
  }
  EXPECT_EQ(box, nullptr) << "a box instead of the editor: "
                          << corvane::ToUtf8(corvane::FromW(MessageBoxText(box).c_str()));
  EXPECT_EQ(corvane::test::EditorWindows().size(), 1u) << "the editor started";
  if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
  corvane::test::EndEditors();
  EXPECT_TRUE(WaitUntil([&] { return MessageBoxOf(app.Pid()) == nullptr; }, 10s));
  EXPECT_TRUE(app.Running());
}

TEST_F(GuiTest, EveryActionsStateReachesItsMenuItemsAndToolBarButtonFromTheStart) {
  TLocalForm local;
  ASSERT_TRUE(local.Created());
  HMENU menu = GetMenu(local.Handle());
  ASSERT_NE(menu, nullptr);
  HWND bar = local.Control(ids::ToolBar1);
  int checked = 0;
  for (const corvane::TAction& a : local.Form().Actions().Items()) {
    const UINT state = GetMenuState(menu, UINT(a.fId), MF_BYCOMMAND);
    if (state != UINT(-1)) {
      ++checked;
      EXPECT_EQ((state & MF_GRAYED) == 0, a.fEnabled) << "menu item of action " << a.fId;
    }
    if (SendMessageW(bar, TB_COMMANDTOINDEX, WPARAM(a.fId), 0) >= 0) {
      ++checked;
      EXPECT_EQ(SendMessageW(bar, TB_ISBUTTONENABLED, WPARAM(a.fId), 0) != 0, a.fEnabled)
          << "tool bar button of action " << a.fId;
    }
  }
  EXPECT_GE(checked, 14);
  const UINT stop = GetMenuState(menu, ids::acStop, MF_BYCOMMAND);
  EXPECT_NE(stop & MF_GRAYED, 0u) << "\"S&top\" disabled at start";
}

TEST_F(GuiTest, AMinimisedWindowKeepsItsResultRows) {
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  app.SelectItem(ids::cbMaxRslt, 0);
  SendMessageW(app.Control(ids::ebNow), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPlanted));
  app.Command(ids::acSearch);
  ASSERT_TRUE(app.WaitFound());
  HWND list = app.Control(ids::lbResults);
  auto heights = [&] {
    std::vector<LRESULT> h;
    for (int i = 0; i < app.Rows(); ++i) h.push_back(SendMessageW(list, LB_GETITEMHEIGHT, i, 0));
    return h;
  };
  const std::vector<LRESULT> before = heights();
  ASSERT_EQ(before.size(), 10u);
  RECT listRect{};
  GetWindowRect(list, &listRect);

  ShowWindow(app.Main(), SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(app.Main()) != FALSE; }, 5s));
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(heights(), before) << "rows measured again while minimised";
  RECT r{};
  GetWindowRect(list, &r);
  EXPECT_EQ(r.right - r.left, listRect.right - listRect.left) << "the list laid out at width 0";

  ShowWindow(app.Main(), SW_RESTORE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(app.Main()) == FALSE; }, 5s));
  EXPECT_TRUE(WaitUntil([&] { return heights() == before; }, 5s)) << "rows after restoring";
}

TEST_F(GuiTest, TheEndOfTheSessionWritesSettingsAndPlacement) {
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  app.SelectItem(ids::cbPerPage, 2);
  DWORD_PTR answer = 0;
  ASSERT_NE(SendMessageTimeoutW(app.Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL,
                                5000, &answer),
            0);
  EXPECT_EQ(answer, TRUE) << "no search runs: the session may end";
  SendMessageTimeoutW(app.Main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000,
                      &answer);
  EXPECT_EQ(IniRead(L"Settings", L"PerPage"), L"2");
  EXPECT_NE(IniRead(L"MainForm Settings", L"Left"), L"<missing>");
  EXPECT_NE(IniRead(L"MainForm Settings", L"ShowCmd"), L"<missing>");
  EXPECT_TRUE(app.Ended(20000)) << "the program ends with the session";
}

TEST_F(GuiTest, SettingsThatCannotBeSavedAreReportedAtTheEnd) {
  // A settings file the program cannot write (a folder stands in its place): the window says
  // so as it closes.
  const std::wstring ini = IniPath();
  CreateDirectoryW(ini.substr(0, ini.rfind(L'\\')).c_str(), nullptr);
  DeleteFileW(ini.c_str());
  ASSERT_TRUE(CreateDirectoryW(ini.c_str(), nullptr));
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  app.SelectItem(ids::cbPerPage, 3);
  PostMessageW(app.Main(), WM_CLOSE, 0, 0);
  HWND box = nullptr;
  EXPECT_TRUE(WaitUntil([&] { return (box = MessageBoxOf(app.Pid())) != nullptr; }, 20s));
  if (box) {
    EXPECT_EQ(MessageBoxText(box).rfind(L"The settings could not be saved to ", 0), 0u)
        << MessageBoxText(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
  EXPECT_TRUE(app.Ended(20000));
  EXPECT_TRUE(RemoveDirectoryW(ini.c_str())) << "the folder stays as it was";
}

// The width a control's caption needs inside the control, with the control's own font.
struct TNeed {
  int fWidth = 0;  // needed
  int fHave = 0;   // available: the client width
  std::wstring fText;
};

std::wstring WithoutPrefix(const std::wstring& vText) {
  std::wstring r;
  for (std::size_t i = 0; i < vText.size(); ++i) {
    if (vText[i] == L'&' && i + 1 < vText.size()) ++i;
    r += vText[i];
  }
  return r;
}

int TextWidth(HDC vDC, const std::wstring& vText) {
  SIZE size{};
  GetTextExtentPoint32W(vDC, vText.c_str(), int(vText.size()), &size);
  return size.cx;
}

// Every text the control shows: a caption, or the items of a drop-down list.
std::vector<TNeed> Needs(HWND vControl) {
  std::vector<TNeed> needs;
  wchar_t cls[64] = {};
  GetClassNameW(vControl, cls, 64);
  const LONG_PTR style = GetWindowLongPtrW(vControl, GWL_STYLE);
  const RECT client = [&] {
    RECT r{};
    GetClientRect(vControl, &r);
    return r;
  }();
  HDC dc = GetDC(vControl);
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(vControl, WM_GETFONT, 0, 0)));
  if (_wcsicmp(cls, L"ComboBox") == 0) {
    // The selection field lies left of the drop button.
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    GetComboBoxInfo(vControl, &info);
    const int field = info.rcButton.left - client.left - 4;  // the item's edge and the 2 kept free
    const int n = int(SendMessageW(vControl, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      wchar_t item[64] = {};
      if (SendMessageW(vControl, CB_GETLBTEXTLEN, i, 0) < 64)
        SendMessageW(vControl, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
      needs.push_back({TextWidth(dc, item), field, item});
    }
  } else if (_wcsicmp(cls, L"Button") == 0 || _wcsicmp(cls, L"Static") == 0) {
    const std::wstring text = Text(vControl);
    if (!text.empty() && (style & SS_TYPEMASK) != SS_BITMAP) {
      const bool button = _wcsicmp(cls, L"Button") == 0;
      const LONG_PTR type = style & BS_TYPEMASK;
      const bool box =
          button && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                     type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE);
      const std::wstring shown = button || !(style & SS_NOPREFIX) ? WithoutPrefix(text) : text;
      // A check box or radio button draws its box and a gap left of the text; a push button
      // keeps a border and a little room on either side.
      const int extra = box ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : button ? 8 : 0;
      needs.push_back({TextWidth(dc, shown) + extra, int(client.right - client.left), shown});
    }
  }
  SelectObject(dc, old);
  ReleaseDC(vControl, dc);
  return needs;
}

// How many pixels a control with text lacks in height for its font's characters.
int HeightShort(HWND vControl) {
  wchar_t cls[64] = {};
  GetClassNameW(vControl, cls, 64);
  if (_wcsicmp(cls, L"Edit") != 0 && _wcsicmp(cls, L"Button") != 0 &&
      _wcsicmp(cls, L"ComboBox") != 0 &&
      !(_wcsicmp(cls, L"Static") == 0 && !Text(vControl).empty()))
    return 0;
  HDC dc = GetDC(vControl);
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(vControl, WM_GETFONT, 0, 0)));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(vControl, dc);
  RECT r{};
  GetClientRect(vControl, &r);
  // An edit box keeps a pixel above and below its text; a button draws its edge around it.
  const int room = _wcsicmp(cls, L"Static") == 0 ? 0 : 2;
  return std::max(0, int(tm.tmHeight) + room - int(r.bottom - r.top));
}

// Every text of the window fits its control, across and down; returns how many were measured.
int ExpectTextsFit(HWND vMain) {
  int measured = 0;
  EnumChildWindows(
      vMain,
      [](HWND w, LPARAM l) -> BOOL {
        for (const TNeed& n : Needs(w)) {
          ++*reinterpret_cast<int*>(l);
          const std::string text(n.fText.begin(), n.fText.end());
          EXPECT_LE(n.fWidth, n.fHave) << Describe(w) << " \"" << text << "\"";
        }
        EXPECT_EQ(HeightShort(w), 0) << Describe(w) << " \"" << Utf8(Text(w)) << "\"";
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&measured));
  return measured;
}

TEST_F(GuiTest, EveryCaptionAndListTextFitsItsControl) {
  TLocalForm local;
  ASSERT_TRUE(local.Created());
  std::printf("at %d DPI\n", TestDpi());
  EXPECT_GE(ExpectTextsFit(local.Handle()), 50)
      << "texts of all pages measured, the detail page's too";
}

// The tool bar's buttons and images, and the hex grid's columns, at the window's scale.
void ExpectBarAndGridAt(HWND vMain, int vDpi) {
  HWND bar = ChildById(vMain, ids::ToolBar1);
  RECT button{};
  SendMessageW(bar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
  EXPECT_GE(button.bottom - button.top, MulDiv(24, vDpi, 96)) << "tool bar button at " << vDpi;
  int cx = 0, cy = 0;
  ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageW(bar, TB_GETIMAGELIST, 0, 0)), &cx,
                        &cy);
  EXPECT_EQ(cx, vDpi >= 192 ? 32 : vDpi >= 144 ? 24 : 16) << "tool bar image at " << vDpi;

  // Each column of the grid holds its widest text in the grid's font, 2 pixels in from its
  // left edge, and the whole row of 8 bytes lies within the list.
  HWND grid = ChildById(vMain, ids::sgData);
  HDC dc = GetDC(grid);
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(grid, WM_GETFONT, 0, 0)));
  const std::wstring widest[11] = {L"FFF8", L"FF", L"FF", L"FF", L"FF",      L"FF",
                                   L"FF",   L"FF", L"FF", L"",   L"WWWWWWWW"};
  int row = 0;
  for (int c = 0; c < 11; ++c) {
    const int width = int(SendMessageW(grid, LVM_GETCOLUMNWIDTH, WPARAM(c), 0));
    row += width;
    if (!widest[c].empty()) {
      EXPECT_GE(width, TextWidth(dc, widest[c]) + 2) << "grid column " << c << " at " << vDpi;
    }
  }
  SelectObject(dc, old);
  ReleaseDC(grid, dc);
  RECT client{};
  GetClientRect(grid, &client);
  EXPECT_LE(row, client.right - client.left) << "the grid's row at " << vDpi;
}

TEST_F(GuiTest, TheToolBarAndTheHexGridAreSizedForTheScale) {
  TLocalForm local;
  ASSERT_TRUE(local.Created());
  ExpectBarAndGridAt(local.Handle(), TestDpi());
}

// A move to a screen of twice the scale (WM_DPICHANGED, as the system sends it): fonts,
// images and every control at the new scale, the window at the size the system suggests.
TEST_F(GuiTest, AMoveToAScreenOfTwiceTheScaleLaysTheWindowOutAgain) {
  TLocalForm local;
  ASSERT_TRUE(local.Created());
  const int dpi = 2 * TestDpi();
  RECT r{};
  GetWindowRect(local.Handle(), &r);
  RECT suggested{r.left, r.top, r.left + 2 * (r.right - r.left), r.top + 2 * (r.bottom - r.top)};
  SendMessageW(local.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
               reinterpret_cast<LPARAM>(&suggested));
  const int before = r.right - r.left;
  GetWindowRect(local.Handle(), &r);
  EXPECT_GT(r.right - r.left, before) << "the window at the size suggested, as far as it fits";
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(local.Control(ids::ebNow), WM_GETFONT, 0, 0)),
             sizeof font, &font);
  EXPECT_EQ(font.lfHeight, -MulDiv(13, dpi, 96)) << "the Basic text box's font";
  ExpectBarAndGridAt(local.Handle(), dpi);
  EXPECT_GE(ExpectTextsFit(local.Handle()), 50);
}

// The columns of a drawn row that hold ink, as runs of neighbouring columns.
struct TInk {
  int fRuns = 0;
  int fLeft = -1, fRight = -1, fTop = -1, fBottom = -1;
};

TInk InkOf(HDC vDC, int vWidth, int vHeight) {
  const COLORREF back = GetPixel(vDC, 0, 0);
  TInk ink;
  bool inRun = false;
  for (int x = 0; x < vWidth; ++x) {
    bool any = false;
    for (int y = 0; y < vHeight; ++y) {
      if (GetPixel(vDC, x, y) == back) continue;
      any = true;
      if (ink.fTop < 0 || y < ink.fTop) ink.fTop = y;
      if (y > ink.fBottom) ink.fBottom = y;
    }
    if (any) {
      if (ink.fLeft < 0) ink.fLeft = x;
      ink.fRight = x;
      if (!inRun) ++ink.fRuns;
    }
    inRun = any;
  }
  return ink;
}

TEST_F(GuiTest, TheNumbersOfThePageSizeAndMaximumListsStandApartInTheirField) {
  TLocalForm local;
  ASSERT_TRUE(local.Created());
  for (int id : {int(ids::cbPerPage), int(ids::cbMaxRslt)}) {
    HWND combo = local.Control(id);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    const int w = info.rcItem.right - info.rcItem.left, h = info.rcItem.bottom - info.rcItem.top;
    ASSERT_LE(info.rcItem.right, info.rcButton.left) << "the field lies left of the button";
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    const HGDIOBJ old = SelectObject(mem, bmp);
    const int n = int(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      // The field as the list has it painted: the owner draws it into the DC it is given.
      DRAWITEMSTRUCT dis{};
      dis.CtlType = ODT_COMBOBOX;
      dis.CtlID = UINT(id);
      dis.itemID = UINT(i);
      dis.itemAction = ODA_DRAWENTIRE;
      dis.itemState = ODS_COMBOBOXEDIT;
      dis.hwndItem = combo;
      dis.hDC = mem;
      dis.rcItem = {0, 0, w, h};
      SendMessageW(local.Handle(), WM_DRAWITEM, WPARAM(id), reinterpret_cast<LPARAM>(&dis));
      wchar_t item[16] = {};
      SendMessageW(combo, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(item));
      const TInk ink = InkOf(mem, w, h);
      const std::string text(item, item + wcslen(item));
      EXPECT_EQ(ink.fRuns, int(wcslen(item)))
          << Describe(combo) << " \"" << text << "\": every digit stands apart";
      EXPECT_GT(ink.fLeft, 0) << text << " cut on the left";
      EXPECT_LT(ink.fRight, w - 2) << text << " at the drop button";
      EXPECT_GT(ink.fTop, 0) << text << " cut at the top";
      EXPECT_LT(ink.fBottom, h - 1) << text << " cut at the bottom";
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
  }
}

TEST_F(GuiTest, ASearchThreadThatCannotStartLeavesTheWindowUsable) {
  corvane::TMainFormContext context;
  context.fStartThread = [](corvane::TThread&) {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  };
  TLocalForm local(std::move(context));
  ASSERT_TRUE(local.Created());
  HWND main = local.Handle(), edit = local.Control(ids::ebNow);
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPlanted));

  // Every box the window shows is read and answered from a second thread.
  std::vector<std::wstring> boxes;
  std::atomic<bool> done{false};
  std::thread answer([&] {
    while (!done) {
      if (HWND box = MessageBoxOf(GetCurrentProcessId())) {
        boxes.push_back(MessageBoxText(box));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5s);
      }
      std::this_thread::sleep_for(20ms);
    }
  });
  SendMessageW(main, WM_COMMAND, MAKEWPARAM(ids::acSearch, 0), 0);
  const bool criteria =
      (GetWindowLongPtrW(GetAncestor(GetParent(edit), GA_PARENT), GWL_STYLE) & WS_VISIBLE) != 0;
  EXPECT_TRUE(criteria) << "back on the criteria page";
  EXPECT_TRUE(IsWindowEnabled(edit));
  EXPECT_NE(Text(local.Control(ids::lblSearch)), L"Searching...");
  const corvane::TAction* search = local.Form().Actions().Find(ids::acSearch);
  local.Form().Actions().Update();
  EXPECT_TRUE(search && search->fEnabled) << "Search can be tried again";

  SendMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(main)) << "the window closes";
  done = true;
  answer.join();
  ASSERT_EQ(boxes.size(), 1u) << "one message box";
  EXPECT_EQ(boxes[0].rfind(L"The search could not be started: ", 0), 0u) << boxes[0];
}

TEST(UserActionGuard, WhatAnActionThrowsIsShownInTheOneErrorBoxAndGoesNoFurther) {
  std::vector<std::wstring> boxes;
  std::atomic<bool> done{false};
  std::thread answer([&] {
    while (!done) {
      if (HWND box = MessageBoxOf(GetCurrentProcessId())) {
        boxes.push_back(Text(box) + L": " + MessageBoxText(box));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5s);
      }
      std::this_thread::sleep_for(20ms);
    }
  });
  bool ran = false;
  EXPECT_TRUE(corvane::GuardUserAction(nullptr, [&] { ran = true; }));
  EXPECT_TRUE(ran);
  EXPECT_FALSE(corvane::GuardUserAction(nullptr, [] { throw std::runtime_error("Disk full"); }));
  EXPECT_FALSE(corvane::GuardUserAction(nullptr, [] { throw std::bad_alloc(); }));
  EXPECT_FALSE(corvane::GuardUserAction(nullptr, [] { throw 42; }));
  done = true;
  answer.join();
  EXPECT_EQ(boxes, (std::vector<std::wstring>{L"Corvane: Disk full.", L"Corvane: Out of memory.",
                                              L"Corvane: Unexpected error."}));
}

}  // namespace
