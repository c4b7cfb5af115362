// The time limit in the window, with real input: "within the last 10 minutes" built from the
// keyboard over a hive whose keys were written at known times, the found key's time in the
// status bar and on the detail page, a change of the limit clearing the results, the limit
// refused for an export file, and a saved limit loaded back into the controls.
#include <string>

#include "guidriver.h"
#include "savedsearch/qmxfile.h"
#include "search/memregistry.h"
#include "support/hivewriter.h"

namespace {

using namespace guitest;

class TimeGui : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteFileW(IniPath().c_str());
    MouseTo({1, 1});  // away from where the window opens
  }
};

std::uint64_t Now() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return (std::uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// The time as the user's locale writes it in local time: short date, then time.
std::wstring LocalText(std::uint64_t vTime) {
  const FILETIME utc{DWORD(vTime), DWORD(vTime >> 32)};
  SYSTEMTIME u{}, local{};
  FileTimeToSystemTime(&utc, &u);
  SystemTimeToTzSpecificLocalTime(nullptr, &u, &local);
  wchar_t date[128] = {}, time[128] = {};
  GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 128, nullptr);
  GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &local, nullptr, time, 128);
  return std::wstring(date) + L" " + time;
}

// SOFTWARE\Vendor\Fresh, written two minutes ago, and SOFTWARE\Vendor\Stale, written in
// 2020; each holds one value named "qztime ...".
std::string HiveOfTwoTimes(std::uint64_t vFresh) {
  corvane::TMemRegistry reg;
  reg.SetText(corvane::kHKLM, u"Vendor\\Fresh", u"qztime fresh", u"x");
  reg.SetText(corvane::kHKLM, u"Vendor\\Stale", u"qztime stale", u"x");
  reg.Shared(corvane::kHKLM, u"Vendor\\Fresh")->fWriteTime = vFresh;
  reg.Shared(corvane::kHKLM, u"Vendor\\Stale")->fWriteTime = 132223104000000000ull;  // 2020-01-01
  const auto image = corvane::test::WriteHive(*reg.Root(corvane::kHKLM));
  return std::string(image.fBytes.begin(), image.fBytes.end());
}

std::wstring Choice(HWND vList) {
  const LRESULT at = SendMessageW(vList, CB_GETCURSEL, 0, 0);
  wchar_t text[64] = {};
  if (at >= 0) SendMessageW(vList, CB_GETLBTEXT, WPARAM(at), reinterpret_cast<LPARAM>(text));
  return text;
}

TEST_F(TimeGui, AWithinLimitFromTheKeyboardFindsTheFreshKeyAndShowsItsTime) {
  TTempDir dir(L"cvt-a");
  const std::wstring hive = dir.File(L"SOFTWARE");
  const std::uint64_t fresh = Now() - 2 * 60 * 10'000'000ull;
  WriteFileBytes(hive, HiveOfTwoTimes(fresh));

  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  HWND main = app.Main(), list = app.Control(ids::lbResults), edit = app.Control(ids::ebNow);
  HWND limit = app.Control(ids::cbTime), count = app.Control(ids::ebCount),
       unit = app.Control(ids::cbUnit);
  ASSERT_NE(limit, nullptr);
  EXPECT_EQ(Choice(limit), L"any time");
  EXPECT_FALSE(IsWindowVisible(count));
  ASSERT_NO_FATAL_FAILURE(OpenHiveFile(app, hive));
  ASSERT_TRUE(WaitUntil([&] { return Text(main) == L"Corvane - SOFTWARE"; }, 20s));
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"qztime"));

  // Without a limit both keys' values are found.
  ASSERT_TRUE(ToFront(main));
  app.ForgetFound();
  app.Command(ids::acSearch);
  ASSERT_TRUE(app.WaitFound());
  EXPECT_EQ(app.SearchText(), L"Found 2 items");
  PressWith({VK_MENU}, VK_LEFT);  // back to the criteria
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(limit) != FALSE; }, 5s));
  EXPECT_TRUE(app.ToolEnabled(ids::acForward));

  // "within the last" from the list's keyboard, then 10 and "minutes" through Tab.
  LeftClick(CentreOf(limit));
  Press(VK_END);
  Press(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return Choice(limit) == L"within the last"; }, 5s))
      << Utf8(Choice(limit));
  EXPECT_TRUE(IsWindowVisible(count));
  EXPECT_FALSE(app.ToolEnabled(ids::acForward)) << "a change of the limit clears the results";
  Press(VK_TAB);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == count; }, 5s));
  // The number typed over: Tab selected the box's text.
  TypeText(L"0");
  EXPECT_TRUE(WaitUntil([&] { return !app.Enabled(ids::acSearch); }, 5s))
      << "within the last 0: no range, no search";
  Press(VK_BACK);
  TypeText(L"10");
  Press(VK_TAB);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == unit; }, 5s));
  Press(VK_HOME);
  ASSERT_TRUE(WaitUntil([&] { return Choice(unit) == L"minutes"; }, 5s)) << Utf8(Choice(unit));
  EXPECT_EQ(Text(count), L"10");
  ASSERT_TRUE(WaitUntil([&] { return app.Enabled(ids::acSearch); }, 5s));

  // Enter searches: only the key written two minutes ago.
  app.ForgetFound();
  Press(VK_RETURN);
  ASSERT_TRUE(app.WaitFound());
  EXPECT_EQ(app.SearchText(), L"Found 1 items");
  ASSERT_EQ(app.Rows(), 1);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == list; }, 5s));
  Press(VK_HOME);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LB_GETCURSEL, 0, 0) == 0; }, 5s));
  EXPECT_EQ(Utf8(app.Status()), Utf8(L"Last written: " + LocalText(fresh)));

  // Its detail page says when the key was written.
  Press(VK_RETURN);
  HWND keyTime = app.Control(ids::lblKeyTime);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(keyTime) != FALSE; }, 10s));
  EXPECT_EQ(Utf8(Text(keyTime)), Utf8(L" Last written: " + LocalText(fresh)));
  Screenshot(L"time-limit-detail");
}

TEST_F(TimeGui, AnExportFileRefusesALimitAndASavedLimitLoadsIntoTheControls) {
  TTempDir dir(L"cvt-b");
  const std::wstring reg = dir.File(L"export.reg");
  WriteFileBytes(reg,
                 "Windows Registry Editor Version 5.00\r\n\r\n"
                 "[HKEY_CURRENT_USER\\QzTimeExport]\r\n\"qztime\"=\"x\"\r\n");
  corvane::TSearchCriteria saved;
  saved.fKeyRows = {{0, 0, u"qztime"}};
  saved.fTime = {corvane::tlWithin, 0, 0, 90, corvane::tuMinutes};
  const std::wstring qmx = dir.File(L"limit.QMX");
  WriteFileBytes(qmx, corvane::WriteQmx(saved));

  TCorvane app(L"\"" + qmx + L"\"");
  ASSERT_NE(app.Main(), nullptr);
  HWND limit = app.Control(ids::cbTime);
  ASSERT_TRUE(WaitUntil([&] { return Choice(limit) == L"within the last"; }, 20s))
      << Utf8(Choice(limit));
  EXPECT_EQ(Text(app.Control(ids::ebCount)), L"90");
  EXPECT_EQ(Choice(app.Control(ids::cbUnit)), L"minutes");
  Screenshot(L"time-limit-loaded");

  // File > "Search export file..." and its dialog; then Search with the limit is refused.
  ASSERT_NO_FATAL_FAILURE(OpenExportFile(app, reg));
  ASSERT_TRUE(WaitUntil([&] { return Text(app.Main()) == L"Corvane - export.reg"; }, 20s))
      << Utf8(Text(app.Main()));
  ASSERT_TRUE(ToFront(app.Main()));
  LeftClick(CentreOf(app.Control(ids::acSearch)));
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (box = MessageBoxOf(app.Pid())) != nullptr; }, 10s));
  EXPECT_EQ(Utf8(MessageBoxText(box)),
            "The search could not be started: Registry export files carry no times; remove the "
            "time limit to search this file.");
  ASSERT_TRUE(ToFront(box));
  Press(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return MessageBoxOf(app.Pid()) == nullptr; }, 10s));
}

}  // namespace
