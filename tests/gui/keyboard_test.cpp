// The window driven from the keyboard alone, with real key presses: Tab and Shift+Tab, the
// arrow keys in a radio group, Alt with an underlined letter, Enter on a focused button or a
// hit, Esc right after Enter, and the focus after a page change, a message box and a switch to
// another window.
#include "guidriver.h"

namespace {

using namespace guitest;

bool Visible(HWND vWnd) {
  return IsWindowVisible(vWnd) != FALSE;
}

// Presses Tab until vWant has the focus; false when it never does within vLimit presses.
bool TabTo(HWND vMain, HWND vWant, int vLimit = 30) {
  for (int i = 0; i < vLimit && FocusOf(vMain) != vWant; ++i) {
    Press(VK_TAB);
    WaitUntil([&] { return FocusOf(vMain) == vWant; }, 200ms);
  }
  return FocusOf(vMain) == vWant;
}

TEST_F(GuiTest, TabMnemonicsAndEnterDriveTheSearchAndItsPages) {
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  app.SelectItem(ids::cbMaxRslt, 1);  // 100: all planted hits, over three pages
  ASSERT_TRUE(ToFront(app.Main()));
  HWND main = app.Main(), edit = app.Control(ids::ebNow);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == edit; }, 5s)) << "the text box first";

  TypeText(kPlanted);
  ASSERT_TRUE(WaitUntil([&] { return Text(edit) == kPlanted; }, 5s)) << Text(edit);
  ASSERT_TRUE(WaitUntil([&] { return app.Enabled(ids::acSearch); }, 5s));
  // Tab: the text's option, the time limit below the tabs, Search, then the page size.
  const struct {
    int fId;
    const char* fWhat;
  } order[] = {{ids::cbRegex, "Regular expression"},
               {ids::cbTime, "the time limit"},
               {ids::acSearch, "Search"},
               {ids::cbPerPage, "the page size"}};
  for (const auto& step : order) {
    Press(VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(main) == app.Control(step.fId); }, 5s))
        << "Tab on to " << step.fWhat;
  }
  for (std::size_t i = 0; i < std::size(order); ++i) PressWith({VK_SHIFT}, VK_TAB);
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(main) == edit; }, 5s)) << "Shift+Tab back";

  // Alt+S presses "&Search".
  PressWith({VK_MENU}, 'S');
  ASSERT_TRUE(app.WaitFound()) << "Alt+S started no search";
  EXPECT_EQ(app.SearchText(), L"Found " + std::to_wstring(kPlantedHits) + L" items");
  HWND prev = app.Control(ids::btnPrev), next = app.Control(ids::btnNext);
  EXPECT_EQ(FocusOf(main), app.Control(ids::lbResults)) << "the results list has the focus";

  // Alt+> presses "Next 10 &>", Alt+< presses "&< Previous 10".
  PressWith({VK_MENU, VK_SHIFT}, VK_OEM_PERIOD);
  EXPECT_TRUE(WaitUntil([&] { return app.Enabled(ids::btnPrev); }, 5s)) << "Alt+> went on";
  PressWith({VK_MENU, VK_SHIFT}, VK_OEM_COMMA);
  EXPECT_TRUE(WaitUntil([&] { return !app.Enabled(ids::btnPrev); }, 5s)) << "Alt+< went back";

  // Enter presses the focused button, not the Search shortcut.
  ASSERT_TRUE(TabTo(main, next)) << "Tab reaches Next";
  Press(VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return app.Enabled(ids::btnPrev); }, 5s)) << "Enter on Next";
  EXPECT_EQ(app.Rows(), 10);
  ASSERT_TRUE(TabTo(main, prev)) << "Tab reaches Previous";
  Press(VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return !app.Enabled(ids::btnPrev); }, 5s)) << "Enter on Previous";

  // Alt+D presses "&Detail": the detail page, or the box that says it is not there yet.
  PressWith({VK_MENU}, 'D');
  HWND box = nullptr;
  EXPECT_TRUE(WaitUntil(
      [&] {
        box = MessageBoxOf(app.Pid());
        return box || Visible(app.Control(ids::lbValues));
      },
      5s))
      << "Alt+D did nothing";
  if (box) {
    Press(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return MessageBoxOf(app.Pid()) == nullptr; }, 5s));
  }
  ASSERT_TRUE(ToFront(main));

  // Back on the criteria page the focus is in its first control, not in the hidden list.
  while (!Visible(edit) && Visible(app.Control(ids::lbValues))) {
    PressWith({VK_MENU}, VK_LEFT);
    WaitUntil([&] { return !Visible(app.Control(ids::lbValues)); }, 2s);
  }
  PressWith({VK_MENU}, VK_LEFT);
  ASSERT_TRUE(WaitUntil([&] { return Visible(edit); }, 5s)) << "Alt+Left went back";
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(main) == edit; }, 5s))
      << "focus after Back: " << Describe(FocusOf(main));

  // Enter in the text box still runs Search.
  app.ForgetFound();
  Press(VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return Visible(app.Control(ids::lbResults)); }, 5s));
  EXPECT_TRUE(app.WaitFound());
}

TEST_F(GuiTest, EnterOnTheResultsListOpensTheSelectedHitsDetail) {
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  app.SelectItem(ids::cbMaxRslt, 1);  // 100: all planted hits, over three pages
  ASSERT_TRUE(ToFront(app.Main()));
  HWND main = app.Main(), edit = app.Control(ids::ebNow), list = app.Control(ids::lbResults);
  HWND values = app.Control(ids::lbValues);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == edit; }, 5s));
  TypeText(kPlanted);
  ASSERT_TRUE(WaitUntil([&] { return app.Enabled(ids::acSearch); }, 5s));
  Press(VK_RETURN);  // in the text box: Search
  ASSERT_TRUE(app.WaitFound()) << "Enter in the text box started no search";
  ASSERT_EQ(FocusOf(main), list);

  // The hits come in name order: the second row is the second value.
  Press(VK_HOME);
  Press(VK_DOWN);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LB_GETCURSEL, 0, 0) == 1; }, 5s));
  Press(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return Visible(values); }, 5s)) << "Enter opened no detail page";
  EXPECT_FALSE(Visible(list));
  const LRESULT chosen = SendMessageW(values, LB_GETCURSEL, 0, 0);
  EXPECT_EQ(ListText(values, int(chosen)), std::wstring(kPlanted) + L"_02") << "the hit's value";

  // Back on the results: without a selected hit Enter does nothing.
  PressWith({VK_MENU}, VK_LEFT);
  ASSERT_TRUE(WaitUntil([&] { return Visible(list); }, 5s));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == list; }, 5s))
      << "focus after Back: " << Describe(FocusOf(main));
  SendMessageW(list, LB_SETCURSEL, WPARAM(-1), 0);
  Press(VK_RETURN);
  EXPECT_FALSE(WaitUntil([&] { return !Visible(list); }, 1s)) << "Enter without a hit";

  // Enter on a focused button presses it and opens no detail page.
  ASSERT_TRUE(TabTo(main, app.Control(ids::btnNext))) << "Tab reaches Next";
  Press(VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return app.Enabled(ids::btnPrev); }, 5s)) << "Enter on Next";
  EXPECT_TRUE(Visible(list));
  EXPECT_FALSE(Visible(values));
}

TEST_F(GuiTest, AnOpenDropDownListKeepsEnterAndEsc) {
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  SendMessageW(app.Control(ids::ebNow), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPlanted));
  ASSERT_TRUE(WaitUntil([&] { return app.Enabled(ids::acSearch); }, 5s));
  ASSERT_TRUE(ToFront(app.Main()));
  HWND main = app.Main(), list = app.Control(ids::cbMaxRslt);
  auto dropped = [&] { return SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0) != 0; };
  ASSERT_TRUE(TabTo(main, list));
  ASSERT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 2);

  PressWith({VK_MENU}, VK_DOWN);
  ASSERT_TRUE(WaitUntil(dropped, 5s)) << "Alt+Down opens the list";
  Press(VK_DOWN);
  Press(VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return !dropped(); }, 5s)) << "Enter closes the list";
  EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 3) << "Enter picks the item";
  EXPECT_TRUE(Visible(list)) << "Enter in the list started no search";

  PressWith({VK_MENU}, VK_DOWN);
  ASSERT_TRUE(WaitUntil(dropped, 5s));
  Press(VK_UP);
  Press(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !dropped(); }, 5s)) << "Esc closes the list";
  EXPECT_EQ(FocusOf(main), list);
  EXPECT_TRUE(Visible(list));

  // Closed again, Enter is the Search shortcut once more.
  Press(VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return Visible(app.Control(ids::lbResults)); }, 5s));
}

TEST_F(GuiTest, ArrowKeysMoveBetweenTheRadioButtonsOfABox) {
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  ASSERT_TRUE(ToFront(app.Main()));
  HWND main = app.Main(), tabs = app.Control(ids::pcMain);
  ASSERT_TRUE(TabTo(main, tabs)) << "Tab reaches the tabs";
  Press(VK_RIGHT);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == 1; }, 5s));
  HWND any = app.Control(ids::rbKeyAny), all = app.Control(ids::rbKeyAll);
  ASSERT_TRUE(TabTo(main, any)) << "Tab reaches \"any\" of the key-name box";
  Press(VK_RIGHT);
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(main) == all; }, 5s));
  EXPECT_EQ(SendMessageW(all, BM_GETCHECK, 0, 0), BST_CHECKED) << "Right selects \"all\"";
  EXPECT_EQ(SendMessageW(any, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  Press(VK_LEFT);
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(main) == any; }, 5s));
  EXPECT_EQ(SendMessageW(any, BM_GETCHECK, 0, 0), BST_CHECKED) << "Left selects \"any\"";
  // Round the group, not out of it into the buttons and boxes that follow.
  Press(VK_UP);
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(main) == all; }, 5s))
      << "Up from the first: " << Describe(FocusOf(main));
  Press(VK_DOWN);
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(main) == any; }, 5s))
      << "Down from the last: " << Describe(FocusOf(main));
  EXPECT_EQ(SendMessageW(any, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(GuiTest, EscRightAfterEnterStopsTheSearch) {
  // After the planted hits the walk goes on through keys of no hit for a long while.
  const TWalkKeys walk(kTestKey);
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  app.SelectItem(ids::cbMaxRslt, 3);
  HWND main = app.Main(), edit = app.Control(ids::ebNow);
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPlanted));
  ASSERT_TRUE(WaitUntil([&] { return app.Enabled(ids::acSearch); }, 5s));
  for (int round = 0; round < 5; ++round) {
    ASSERT_TRUE(ToFront(main));
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == edit; }, 5s));
    ASSERT_TRUE(WaitUntil([&] { return app.Enabled(ids::acSearch); }, 5s));
    app.ForgetFound();
    Tap(VK_RETURN);
    std::this_thread::sleep_for(50ms);
    Tap(VK_ESCAPE);
    ASSERT_TRUE(app.WaitFound(120s));
    const std::wstring text = app.SearchText();
    EXPECT_NE(text.find(L"before being stopped"), std::wstring::npos)
        << "round " << round << ": " << text;
    PressWith({VK_MENU}, VK_LEFT);
    ASSERT_TRUE(WaitUntil([&] { return Visible(edit); }, 5s));
  }
}

// A window of the driver's own, to switch to and back as Alt+Tab would.
HWND OtherWindow() {
  return CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TEST_F(GuiTest, TheFocusComesBackAfterADialogAndAnotherWindow) {
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  ASSERT_TRUE(ToFront(app.Main()));
  HWND main = app.Main(), perPage = app.Control(ids::cbPerPage);
  ASSERT_TRUE(TabTo(main, perPage));

  app.Command(ids::acLoad);  // the Load dialog, modal
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (dialog = MessageBoxOf(app.Pid())) != nullptr; }, 30s));
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return MessageBoxOf(app.Pid()) == nullptr; }, 10s));
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(main) == perPage; }, 5s))
      << "after the dialog: " << Describe(FocusOf(main));

  HWND other = OtherWindow();
  ASSERT_NE(other, nullptr);
  ASSERT_TRUE(ToFront(other));
  ASSERT_TRUE(ToFront(main));
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(main) == perPage; }, 5s))
      << "after another window: " << Describe(FocusOf(main));
  DestroyWindow(other);
  Press(VK_DOWN);  // and the keys go there
  EXPECT_TRUE(WaitUntil([&] { return SendMessageW(perPage, CB_GETCURSEL, 0, 0) == 1; }, 5s));
}

}  // namespace
