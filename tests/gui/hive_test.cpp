// A hive file searched from the window, with real input: File > "Search hive file..." and its
// dialog, a search over the hive's keys, a hit's detail page and copied data read from the
// hive, and a file that is not a hive refused with the hive searched before kept.
#include <string>

#include "guidriver.h"
#include "search/memregistry.h"
#include "support/hivewriter.h"

namespace {

using namespace guitest;

class HiveGui : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteFileW(IniPath().c_str());
    MouseTo({1, 1});  // away from where the window opens
  }
};

// A hive whose keys are in no registry: SOFTWARE\Vendor\QzHive with a text value, and below it
// "Inner Key" with a number.
std::string PlantedHive() {
  corvane::TMemRegistry reg;
  reg.SetText(corvane::kHKLM, u"Vendor\\QzHive", u"qzhivetok one", u"text, from the hive");
  reg.SetDword(corvane::kHKLM, u"Vendor\\QzHive\\Inner Key", u"qzhivetok two", 42);
  reg.SetValue(corvane::kHKLM, u"Vendor\\QzHive\\Inner Key", u"other", corvane::kRegBinary,
               {1, 2});
  const auto image = corvane::test::WriteHive(*reg.Root(corvane::kHKLM));
  return std::string(image.fBytes.begin(), image.fBytes.end());
}

TEST_F(HiveGui, AHiveIsSearchedReadInDetailAndCopiedUntilTheRegistryIsChosenAgain) {
  TTempDir dir(L"cvh-a");
  const std::wstring hive = dir.File(L"SOFTWARE");
  WriteFileBytes(hive, PlantedHive());
  const std::wstring text = dir.File(L"notes.txt");
  WriteFileBytes(text, std::string(8192, 'x'));

  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  HWND main = app.Main(), list = app.Control(ids::lbResults), edit = app.Control(ids::ebNow);
  HWND values = app.Control(ids::lbValues);
  ASSERT_NO_FATAL_FAILURE(OpenHiveFile(app, hive));
  ASSERT_TRUE(WaitUntil([&] { return Text(main) == L"Corvane - SOFTWARE"; }, 20s))
      << Utf8(Text(main));
  EXPECT_EQ(Utf8(app.Status()),
            Utf8(L"Searching the hive file " + hive + L" (4 keys, 3 values)"));
  EXPECT_FALSE(app.ToolEnabled(ids::acRegedit));

  // A search over the hive's keys, started with Enter.
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"qzhivetok"));
  ASSERT_TRUE(ToFront(main));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == edit; }, 5s));
  app.ForgetFound();
  Press(VK_RETURN);
  ASSERT_TRUE(app.WaitFound());
  EXPECT_EQ(app.SearchText(), L"Found 2 items");
  ASSERT_EQ(app.Rows(), 2);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == list; }, 5s));
  Press(VK_HOME);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LB_GETCURSEL, 0, 0) == 0; }, 5s));
  EXPECT_EQ(Utf8(CopiedBy([] { PressWith({VK_CONTROL}, 'C'); })), "SOFTWARE\\vendor\\qzhive");
  Press(VK_DOWN);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LB_GETCURSEL, 0, 0) == 1; }, 5s));
  EXPECT_EQ(Utf8(CopiedBy([] { PressWith({VK_CONTROL}, 'C'); })),
            "SOFTWARE\\vendor\\qzhive\\inner key");
  // Data are read from the hive: the registry has no such value.
  EXPECT_EQ(Utf8(CopiedBy([&] {
              RightClick(ListRowPoint(list, 1));
              if (WaitUntil([&] { return OpenMenuOf(app.Pid()) != nullptr; }, 5s)) Press('A');
            })),
            "0x0000002A (42)");

  // Enter opens the hit's key in the detail page, its values read from the hive.
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == list; }, 5s));
  EXPECT_TRUE(app.Enabled(ids::acKDetail));
  Press(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(values) != FALSE; }, 10s))
      << "Enter opens the detail page";
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(values, LB_GETCOUNT, 0, 0) == 2; }, 5s));
  EXPECT_EQ(ListText(values, 0), L"other");
  EXPECT_EQ(ListText(values, 1), L"qzhivetok two");
  Screenshot(L"hive-file-detail");
  EXPECT_EQ(MessageBoxOf(app.Pid()), nullptr);

  // A file that is not a hive: one error box naming it; the hive stays searched.
  ASSERT_NO_FATAL_FAILURE(OpenHiveFile(app, text));
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (box = MessageBoxOf(app.Pid())) != nullptr; }, 20s));
  EXPECT_NE(MessageBoxText(box).find(L"notes.txt"), std::wstring::npos)
      << Utf8(MessageBoxText(box));
  ASSERT_TRUE(ToFront(box));
  Press(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return MessageBoxOf(app.Pid()) == nullptr; }, 10s));
  EXPECT_FALSE(WaitUntil([&] { return MessageBoxOf(app.Pid()) != nullptr; }, 1s))
      << "one error box";
  EXPECT_EQ(Text(main), L"Corvane - SOFTWARE");
  EXPECT_TRUE(IsWindowVisible(values)) << "the detail page stays";

  // File > "Search the Registry": the same search there finds nothing.
  PressWith({VK_MENU}, 'F');
  ASSERT_TRUE(WaitUntil([&] { return OpenMenuOf(app.Pid()) != nullptr; }, 5s));
  Press('G');
  ASSERT_TRUE(WaitUntil([&] { return Text(main) == L"Corvane"; }, 10s)) << Utf8(Text(main));
  EXPECT_EQ(app.Status(), L"Searching the registry");
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == edit; }, 5s));
  app.ForgetFound();
  Press(VK_RETURN);
  ASSERT_TRUE(app.WaitFound());
  EXPECT_EQ(app.SearchText(), L"Found 0 items");
}

}  // namespace
