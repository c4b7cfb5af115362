// The window at the display scale the runner gave this run (96, 144 or 192 DPI): every page
// opened with real input and kept as a screenshot, "dpiN-basic" to "dpiN-about", with the
// checks that nothing on them is drawn at another scale's size.
#include <string>

#include "guidriver.h"
#include "savedsearch/qmxfile.h"

namespace {

using namespace guitest;

const wchar_t kDpiKey[] = L"Software\\CorvaneDpiTest\\qzdpi";

class DpiGui : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kDpiKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    BYTE bytes[40];
    for (int i = 0; i < 40; ++i) bytes[i] = BYTE(0xF0 + i % 16);
    RegSetValueExW(key, L"qzdpi bytes", 0, REG_BINARY, bytes, sizeof bytes);
    const wchar_t text[] = L"C:\\Program Files\\Corvane\\a rather long path to wrap.dll";
    RegSetValueExW(key, L"qzdpi text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
    RegCloseKey(key);
  }
  static void TearDownTestSuite() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\CorvaneDpiTest");
  }
  void SetUp() override {
    DeleteFileW(IniPath().c_str());
    MouseTo({1, 1});
  }
  static std::wstring Shot(const wchar_t* vPage) {
    return L"dpi" + std::to_wstring(TestDpi()) + L"-" + vPage;
  }
};

TEST_F(DpiGui, EveryPageOpenedWithTheKeyboardAtThisScale) {
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  HWND main = app.Main(), edit = app.Control(ids::ebNow), list = app.Control(ids::lbResults);
  ASSERT_TRUE(ToFront(main));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == edit; }, 5s));
  TypeText(L"qzdpi");
  Screenshot(Shot(L"basic"));

  // Enter searches; the rows are as tall as their three lines of text at this scale.
  app.ForgetFound();
  Press(VK_RETURN);
  ASSERT_TRUE(app.WaitFound());
  ASSERT_GE(app.Rows(), 2);
  const int row = int(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  EXPECT_GE(row, MulDiv(3 * 18, TestDpi(), 96)) << "a row of three lines";
  Screenshot(Shot(L"results"));

  // The key's hit opens the detail page; its first value, 40 bytes, shows in the hex grid.
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == list; }, 5s));
  Press(VK_HOME);
  Press(VK_RETURN);
  HWND values = app.Control(ids::lbValues), grid = app.Control(ids::sgData);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(values) != FALSE; }, 10s));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == values; }, 5s));
  Press(VK_HOME);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid) != FALSE; }, 5s)) << "the hex grid";
  EXPECT_EQ(SendMessageW(grid, LVM_GETITEMCOUNT, 0, 0), 5) << "40 bytes, 8 a row";
  Screenshot(Shot(L"detail"));

  // Help > About.
  PressWith({VK_MENU}, 'H');
  ASSERT_TRUE(WaitUntil([&] { return OpenMenuOf(app.Pid()) != nullptr; }, 5s));
  Press('A');
  HWND about = DialogOf(app.Pid(), L"About Corvane");
  ASSERT_NE(about, nullptr);
  RECT r{};
  GetClientRect(about, &r);
  EXPECT_GE(r.right - r.left, MulDiv(390, TestDpi(), 96)) << "the About box at this scale";
  Screenshot(Shot(L"about"));
  ASSERT_TRUE(ToFront(about));
  Press(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about) || !IsWindowVisible(about); }, 10s));
}

TEST_F(DpiGui, TheAdvancedTabWithRowsOfEveryKind) {
  TTempDir dir(L"cvdpi");
  corvane::TSearchCriteria c;
  c.fKeyRows = {{0, 0, u"qzdpi"}, {3, 0, u"other"}};
  c.fValRows = {{1, 0, u"qzdpi text"}};
  c.fDatRows = {{4, 6, u""}, {2, 0, u"nothing"}};
  c.fTime = {corvane::tlBetween, 133000000000000000ull, 134000000000000000ull, 0,
             corvane::tuMinutes};
  const std::wstring qmx = dir.File(L"rows.QMX");
  WriteFileBytes(qmx, corvane::WriteQmx(c));
  TCorvane app(L"\"" + qmx + L"\"");
  ASSERT_NE(app.Main(), nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(app.Control(ids::dtTo)) != FALSE; }, 20s))
      << "the saved search loaded, its time range with it";
  std::this_thread::sleep_for(300ms);
  Screenshot(Shot(L"advanced"));
}

}  // namespace
