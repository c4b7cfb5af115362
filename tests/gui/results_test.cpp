// The results page as hits pour in and as a user works it: the work one hit costs stays the
// same however many came before (counted, not timed), New during a long search, Launch
// REGEDIT on a key hit and a window made larger.
#include <cstdint>
#include <memory>
#include <string>

#include "guidriver.h"
#include "support/editorprobe.h"
#include "ui/results/resultspage.h"
#include "ui/window/window.h"

namespace {

using namespace guitest;
using corvane::TResult;
using corvane::TResultsPage;

// --- The work per hit, counted in this process ----------------------------------------------

// A plain top-level window that hosts one results page, as the main window does: the page's
// controls report to it and it hands their messages to the page.
class TPageHost final : public corvane::TWindow {
 public:
  // vDpi: the page's scale, with an Arial font made for it; 0: the stock font at 96 DPI.
  explicit TPageHost(std::int32_t vPerPage, int vDpi = 0) : fPerPage(vPerPage) {
    corvane::RegisterPanelClass();
    RegisterClassOnce(L"CorvaneResultsTestHost", reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                      nullptr);
    CreateHandle(0, L"CorvaneResultsTestHost", L"Results", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                 0, 0, 760, 560, nullptr, nullptr);
    TResultsPage::THost host;
    host.fPerPage = [this] { return fPerPage; };
    host.fOpen = [] {};
    host.fContextMenu = [](POINT) {};
    host.fCopy = [] {};
    fDisplay.fFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (vDpi > 0) {
      fDisplay.fScale.SetDpi(vDpi);
      fFont.Reset(CreateFontW(fDisplay.fScale.FontHeight(13), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                              FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial"));
      fDisplay.fFont = HFONT(fFont.Get());
    }
    fPage = std::make_unique<TResultsPage>(Handle(), fDisplay, std::move(host));
    HWND panel = fPage->Create(Handle());
    const RECT client = corvane::ClientRect(Handle());
    corvane::SetBounds(panel, 0, 0, client.right, client.bottom);
    fPage->Layout(client.right);
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    UpdateWindow(Handle());
  }
  ~TPageHost() override { fPage.reset(); }
  TResultsPage& Page() { return *fPage; }

 protected:
  LRESULT WndProc(UINT vMsg, WPARAM wParam, LPARAM lParam) override {
    if (LRESULT r = 0; fPage && fPage->HandleMessage(vMsg, wParam, lParam, r)) return r;
    return Default(vMsg, wParam, lParam);
  }

 private:
  std::int32_t fPerPage;
  corvane::TGdiObject fFont;
  corvane::TDisplay fDisplay;
  std::unique_ptr<TResultsPage> fPage;
};

// Counts every message that reaches the list, those sent from inside its other handlers too:
// installed last, this handler sees each message first.
LRESULT CALLBACK CountMessages(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR vCount) noexcept {
  ++*reinterpret_cast<std::int64_t*>(vCount);
  return DefSubclassProc(vWnd, vMsg, wParam, lParam);
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

struct TCost {
  double fMessages = 0, fMeasured = 0, fDrawn = 0;  // per hit
};

class THitFeed {
 public:
  explicit THitFeed(std::int32_t vPerPage) : fHost(vPerPage) {
    fList = fHost.Page().List();
    SetWindowSubclass(fList, CountMessages, 77, reinterpret_cast<DWORD_PTR>(&fMessages));
    fHost.Page().Start(true, true);
    Pump();
  }
  ~THitFeed() { RemoveWindowSubclass(fList, CountMessages, 77); }
  // Adds hits up to vTotal, each painted before the next arrives (the worst case: the
  // window draws between every two hits); returns the cost per hit of these hits.
  TCost FeedTo(int vTotal) {
    const std::int64_t m0 = fMessages;
    const TResultsPage::TWork w0 = fHost.Page().Work();
    const int from = fAdded;
    for (; fAdded < vTotal; ++fAdded) {
      const std::u16string n = corvane::FromUtf8(std::to_string(fAdded));
      fHost.Page().AddHit(TResult(u"HKEY_CURRENT_USER\\Software\\hit" + n, u"value" + n,
                                  u"data of hit " + n, 27, 1, 1, 3, 5, 4, 0));
      UpdateWindow(fList);
      Pump();
    }
    const double hits = double(vTotal - from);
    const TResultsPage::TWork& w = fHost.Page().Work();
    return {double(fMessages - m0) / hits, double(w.fRowsMeasured - w0.fRowsMeasured) / hits,
            double(w.fRowsDrawn - w0.fRowsDrawn) / hits};
  }
  HWND List() const { return fList; }

 private:
  TPageHost fHost;
  HWND fList = nullptr;
  std::int64_t fMessages = 0;
  int fAdded = 0;
};

std::string Describe(const TCost& vCost) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%.2f messages, %.2f rows measured, %.2f rows drawn per hit",
                vCost.fMessages, vCost.fMeasured, vCost.fDrawn);
  return buf;
}

TEST(ResultsWork, AHitOffTheShownPageSendsTheListNothingAndMeasuresAndDrawsNothing) {
  THitFeed feed(10);
  const TCost first = feed.FeedTo(100);
  const TCost to1000 = feed.FeedTo(1000);
  const TCost to5000 = feed.FeedTo(5000);
  std::printf("hits 1-100: %s\nhits 101-1000: %s\nhits 1001-5000: %s\n", Describe(first).c_str(),
              Describe(to1000).c_str(), Describe(to5000).c_str());
  EXPECT_EQ(int(SendMessageW(feed.List(), LB_GETCOUNT, 0, 0)), 10);
  // The first page's ten rows were each measured once when their hit came.
  EXPECT_LE(first.fMeasured * 100, 10.0 + 1);
  // Later hits lie on other pages: the list hears nothing of them. (Under Wine a message to
  // the subclassed list waits for the server behind the walk's registry calls.)
  for (const TCost& c : {to1000, to5000}) {
    EXPECT_EQ(c.fMessages, 0.0) << Describe(c);
    EXPECT_EQ(c.fMeasured, 0.0) << Describe(c);
    EXPECT_EQ(c.fDrawn, 0.0) << Describe(c);
  }
}

TEST(ResultsWork, AHitOnTheShownPageMeasuresItsOwnRowOnlyAndCostsTheSameHoweverManyCameBefore) {
  THitFeed feed(1000);
  const TCost first = feed.FeedTo(100);
  const TCost later = feed.FeedTo(500);
  const TCost last = feed.FeedTo(1000);
  std::printf("hits 1-100: %s\nhits 101-500: %s\nhits 501-1000: %s\n", Describe(first).c_str(),
              Describe(later).c_str(), Describe(last).c_str());
  EXPECT_EQ(int(SendMessageW(feed.List(), LB_GETCOUNT, 0, 0)), 1000);
  // Each new hit becomes the selected row, which scrolls the list: at most the rows in view
  // are drawn again, never the rows of the page.
  const int inView = int(corvane::ClientRect(feed.List()).bottom) /
                         int(SendMessageW(feed.List(), LB_GETITEMHEIGHT, 0, 0)) +
                     2;
  for (const TCost& c : {first, later, last}) {
    EXPECT_EQ(c.fMeasured, 1.0) << Describe(c);
    EXPECT_LE(c.fDrawn, double(inView)) << Describe(c);
    EXPECT_LE(c.fMessages, 8.0) << Describe(c);
  }
  // Once the rows fill the list, a hit costs the same whether 100 or 900 came before.
  EXPECT_NEAR(later.fMessages, last.fMessages, 0.1);
  EXPECT_NEAR(later.fDrawn, last.fDrawn, 0.1);
}

// --- The running program -------------------------------------------------------------------

POINT ToolButtonCentre(HWND vBar, int vId) {
  const RECT r = RemoteRect(vBar, TB_GETRECT, WPARAM(vId));
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(vBar, &p);
  return p;
}

TEST_F(GuiTest, NewDuringALongSearchEndsItAndLeavesTheListEmpty) {
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  HWND main = app.Main(), bar = app.Control(ids::ToolBar1), edit = app.Control(ids::ebNow);
  app.SelectItem(ids::cbMaxRslt, 3);  // 10000
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"e"));
  ASSERT_TRUE(WaitUntil([&] { return app.Enabled(ids::acSearch); }, 5s));
  ASSERT_TRUE(ToFront(main));
  Press(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return app.Rows() > 0; }, 30s));
  const bool running = app.SearchText() == L"Searching...";

  ASSERT_TRUE(ToFront(main));
  LeftClick(ToolButtonCentre(bar, ids::acNew));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(edit) && Text(edit).empty(); }, 30s));
  ASSERT_TRUE(WaitUntil([&] { return !app.ToolEnabled(ids::acStop); }, 30s))
      << "the search ended";
  // Hits still in the hand-off when New came must not land in the emptied list.
  std::this_thread::sleep_for(1s);
  EXPECT_EQ(app.Rows(), 0);
  EXPECT_FALSE(app.ToolEnabled(ids::acForward)) << "nothing to go forward to";
  if (!running) std::printf("note: the search had ended before New was clicked\n");

  // The next search starts on its first page.
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPlanted));
  app.Search();
  ASSERT_TRUE(app.WaitFound());
  EXPECT_EQ(app.SearchText(), L"Found " + std::to_wstring(kPlantedHits) + L" items");
  EXPECT_EQ(app.Rows(), 10);
  EXPECT_FALSE(app.Enabled(ids::btnPrev));
}

TEST_F(GuiTest, CtrlROnAKeyHitSelectsTheKeyAloneInTheEditor) {
  // The key also holds a value named like the placeholder of a key hit's value place: were
  // the placeholder taken for a name, the editor would select that row.
  const std::wstring keyPath = std::wstring(kTestKey) + L"\\zqxkeyonly";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const wchar_t data[] = L"plain";
  RegSetValueExW(key, L"\u2014\u2014", 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                 sizeof data);
  RegCloseKey(key);

  corvane::test::EndEditors();
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  SendMessageW(app.Control(ids::ebNow), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"zqxkeyonly"));
  app.Search();
  ASSERT_TRUE(app.WaitFound());
  // The first hit is the key below HKEY_CURRENT_USER (a view of it elsewhere may follow).
  ASSERT_GE(app.Rows(), 1) << app.SearchText();
  SendMessageW(app.Control(ids::lbResults), LB_SETCURSEL, 0, 0);
  ASSERT_TRUE(ToFront(app.Main()));
  PressWith({VK_CONTROL}, 'R');

  const std::string wanted =
      "My Computer\\HKEY_CURRENT_USER\\Software\\CorvaneGuiTest\\zqxkeyonly";
  std::string caret;
  ASSERT_TRUE(WaitUntil(
      [&] {
        corvane::test::TEditorProbe editor;
        return editor.Ready() && (caret = editor.CaretPath()) == wanted;
      },
      30s))
      << caret;
  // A value launch would select its row within its first attempts; give it that time.
  std::this_thread::sleep_for(1500ms);
  {
    corvane::test::TEditorProbe editor;
    EXPECT_EQ(editor.Rows(LVNI_SELECTED), std::vector<std::string>{}) << "a value row selected";
  }
  DWORD_PTR answer = 0;
  EXPECT_NE(SendMessageTimeoutW(app.Main(), WM_NULL, 0, 0, SMTO_NORMAL, 3000, &answer), 0)
      << "the window still waits for a value row";
  corvane::test::EndEditors();
  EXPECT_TRUE(app.Running());
  RegDeleteTreeW(HKEY_CURRENT_USER, keyPath.c_str());
}

// The sum of the heights of the rows from the list's first shown row to its last row.
int HeightFromTop(HWND vList) {
  const int n = int(SendMessageW(vList, LB_GETCOUNT, 0, 0));
  int h = 0;
  for (int i = int(SendMessageW(vList, LB_GETTOPINDEX, 0, 0)); i < n; ++i)
    h += int(SendMessageW(vList, LB_GETITEMHEIGHT, WPARAM(i), 0));
  return h;
}

TEST_F(GuiTest, AWindowMadeLargerShowsRowsFromAboveInsteadOfEmptySpaceBelow) {
  // Hits whose key path wraps in a narrow window and fits on one line in a wide one.
  const std::wstring keyPath = std::wstring(kTestKey) +
                               L"\\zqxwrap, a key whose name is long enough to wrap in a narrow "
                               L"window but not in a wide one";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  for (int i = 0; i < 12; ++i) {
    const std::wstring name = L"zqxwrap_" + std::to_wstring(10 + i);
    const wchar_t data[] = L"data";
    RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data);
  }
  RegCloseKey(key);

  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  HWND main = app.Main(), list = app.Control(ids::lbResults);
  const RECT work = WorkArea();
  SetWindowPos(main, nullptr, work.left, work.top, 500, 390, SWP_NOZORDER);
  SendMessageW(app.Control(ids::ebNow), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"zqxwrap"));
  app.Search();
  ASSERT_TRUE(app.WaitFound());
  ASSERT_EQ(app.Rows(), 10);
  // The last hit of the page is selected and in view, the first ones hidden above.
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LB_GETTOPINDEX, 0, 0) > 0; }, 5s));
  const LRESULT topBefore = SendMessageW(list, LB_GETTOPINDEX, 0, 0);

  ShowWindow(main, SW_MAXIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsZoomed(main) != FALSE; }, 5s));
  std::this_thread::sleep_for(500ms);
  const int space = int(corvane::ClientRect(list).bottom);
  const LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
  EXPECT_LT(top, topBefore) << "rows hidden above stay hidden";
  // The list scrolls by whole rows: the space left below the last row is less than the row
  // hidden just above.
  const int above = top > 0 ? int(SendMessageW(list, LB_GETITEMHEIGHT, WPARAM(top - 1), 0)) : 0;
  EXPECT_TRUE(top == 0 || HeightFromTop(list) + above > space)
      << "empty space below the last row: rows " << top << " to the end take "
      << HeightFromTop(list) << " of " << space << " pixels, and the row above " << above;
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 9) << "the selection stays";
  RegDeleteTreeW(HKEY_CURRENT_USER, keyPath.c_str());
}

// The rows grow with the scale: at twice the scale a hit's row is twice as tall, so its
// lines of text in the larger font do not overlap.
TEST(ResultsScale, RowsGrowWithTheScaleAndTheirFont) {
  const auto rowHeight = [](int vDpi) {
    TPageHost host(10, vDpi);
    host.Page().Start(true, true);
    host.Page().AddHit(TResult(u"HKEY_CURRENT_USER\\Software\\scaled", u"value", u"data", 27, 1, 1,
                               3, 5, 4, 0));
    Pump();
    HWND list = host.Page().List();
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1);
    return int(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  };
  const int normal = rowHeight(96), larger = rowHeight(144), twice = rowHeight(192);
  std::printf("row heights: %d at 96 DPI, %d at 144, %d at 192\n", normal, larger, twice);
  EXPECT_GE(normal, 3 * 18) << "three lines: key, value, data";
  EXPECT_GE(larger, normal * 3 / 2 - 2);
  EXPECT_GE(twice, 2 * normal - 2);
}

}  // namespace

