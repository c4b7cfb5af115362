// The launcher against Wine's own regedit.exe: every test launches the real editor through
// the cross-process channel and reads its state back from its controls (support/editorprobe.h,
// a reader independent of the launcher's). Every editor is ended again.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "launcher/launcher_win32.h"
#include "support/editorprobe.h"
#include "text/wide.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using test::EditorWindows;
using test::EndEditors;
using test::TEditorProbe;

const wchar_t kTestKey[] = L"Software\\CorvaneLauncherTest";
// Five levels below Software.
const wchar_t kDeepKey[] = L"Software\\CorvaneLauncherTest\\Level1\\Level2\\Level3\\Level4";
const char kDeepShown[] =
    "My Computer\\HKEY_CURRENT_USER\\Software\\CorvaneLauncherTest\\Level1\\Level2\\Level3\\Level4";
const char16_t kDeepHit[] =
    u"HKEY_CURRENT_USER\\software\\corvanelaunchertest\\level1\\level2\\level3\\level4";
const wchar_t* const kValueNames[] = {L"Alpha", L"ZqxTarget", L"Omega"};

TText RegeditPath() {
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  return FromW(windows) + u"\\regedit.exe";
}

// Runs one launch and reports how long it took.
TLaunchResult Launch(TTextView vKey, TTextView vValue, const char* vWhat) {
  const auto started = std::chrono::steady_clock::now();
  const TLaunchResult r = LaunchRegedit(nullptr, RegeditPath(), vKey, vValue);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  std::printf("Launch (%s): %.0f ms, result %d\n", vWhat, ms, int(r));
  return r;
}

class Win32Launcher : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kDeepKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t data[] = L"data";
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data);
    for (const wchar_t* name : kValueNames)
      RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data);
    RegCloseKey(key);
  }
  static void TearDownTestSuite() {
    EndEditors();
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
  }
};

TEST_F(Win32Launcher, StartsTheEditorOnAKeyFiveLevelsDownAndSelectsTheValue) {
  EndEditors();
  ASSERT_TRUE(EditorWindows().empty());
  EXPECT_EQ(Launch(kDeepHit, u"zqxtarget", "editor not running"), lrDone);
  ASSERT_EQ(EditorWindows().size(), 1u);
  TEditorProbe probe;
  ASSERT_TRUE(probe.Ready());
  EXPECT_EQ(probe.CaretPath(), kDeepShown);
  EXPECT_EQ(probe.Rows(LVNI_SELECTED), std::vector<std::string>{"ZqxTarget"});
  EXPECT_EQ(probe.Rows(LVNI_FOCUSED), std::vector<std::string>{"ZqxTarget"});
  EXPECT_EQ(probe.Focus(), probe.List()) << "the value list has the keyboard focus";
}

TEST_F(Win32Launcher, ASecondLaunchReusesTheRunningEditor) {
  if (EditorWindows().empty()) {
    ASSERT_EQ(Launch(u"", u"", "start"), lrDone);
  }
  const std::vector<HWND> before = EditorWindows();
  ASSERT_EQ(before.size(), 1u);
  // The default value, the path in other letter case with "My Computer" and blanks in front.
  EXPECT_EQ(Launch(u"  my computer \\HKEY_current_USER\\SOFTWARE\\CorvaneLauncherTest\\level1\\"
                   u"LEVEL2\\Level3\\level4\\",
                   u"", "editor running"),
            lrDone);
  EXPECT_EQ(EditorWindows(), before) << "no second editor";
  TEditorProbe probe;
  ASSERT_TRUE(probe.Ready());
  EXPECT_EQ(probe.CaretPath(), kDeepShown);
  EXPECT_EQ(probe.Rows(LVNI_SELECTED), std::vector<std::string>{"<row 0>"});
  EXPECT_EQ(probe.Rows(LVNI_FOCUSED), std::vector<std::string>{"<row 0>"});
}

TEST_F(Win32Launcher, AMissingKeyLeavesItsDeepestAncestorSelected) {
  EXPECT_EQ(Launch(TText(kDeepHit) + u"\\gone\\deeper", u"Alpha", "missing key"), lrNoKey);
  TEditorProbe probe;
  ASSERT_TRUE(probe.Ready());
  EXPECT_EQ(probe.CaretPath(), kDeepShown);
  // An empty component stops the walk at once, below the root item.
  EXPECT_EQ(Launch(u"\\HKEY_CURRENT_USER", u"", "leading backslash"), lrNoKey);
  EXPECT_EQ(probe.CaretPath(), "My Computer");
}

TEST_F(Win32Launcher, AMissingValueClearsTheSelectionAndSelectsNoRow) {
  ASSERT_EQ(Launch(kDeepHit, u"Omega", "select a row first"), lrDone);
  TEditorProbe probe;
  ASSERT_TRUE(probe.Ready());
  probe.SelectRow(0);  // another selected row, as a user could leave it
  ASSERT_FALSE(probe.Rows(LVNI_SELECTED).empty());
  EXPECT_EQ(Launch(kDeepHit, u"NotThere", "missing value"), lrNoValue);
  EXPECT_EQ(probe.CaretPath(), kDeepShown);
  EXPECT_TRUE(probe.Rows(LVNI_SELECTED).empty());
}

TEST_F(Win32Launcher, AnEmptyKeyPathStartsTheEditorAndSelectsNothing) {
  EndEditors();
  EXPECT_EQ(Launch(u"", u"Alpha", "empty key path"), lrDone);
  EXPECT_EQ(EditorWindows().size(), 1u);
  // Without an editor to start, nothing is found or started.
  EndEditors();
  EXPECT_EQ(LaunchRegedit(nullptr, u"", u"", u""), lrNoEditor);
  EXPECT_TRUE(EditorWindows().empty());
}

// A window of the editor's class in this process, on a thread of its own, that ignores
// WM_CLOSE, or does not answer at all until it is told to end.
class TStubbornEditor {
 public:
  explicit TStubbornEditor(bool vHung) : fHung(vHung) {
    fEnd = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    fThread = std::thread([this, ready] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = Proc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = kEditorClass;
      RegisterClassW(&wc);
      fWnd = CreateWindowExW(0, kEditorClass, L"stub", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                             nullptr, wc.hInstance, nullptr);
      SetWindowLongPtrW(fWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      SetEvent(ready);
      if (fHung) {
        WaitForSingleObject(fEnd, INFINITE);  // takes no messages meanwhile
      } else {
        MSG msg;
        while (MsgWaitForMultipleObjects(1, &fEnd, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
          while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      }
      DestroyWindow(fWnd);
      UnregisterClassW(kEditorClass, wc.hInstance);
    });
    WaitForSingleObject(ready, 10000);
    CloseHandle(ready);
  }
  ~TStubbornEditor() {
    SetEvent(fEnd);
    fThread.join();
    CloseHandle(fEnd);
  }
  int fCloses = 0;

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_CLOSE) {
      ++reinterpret_cast<TStubbornEditor*>(GetWindowLongPtrW(w, GWLP_USERDATA))->fCloses;
      return 0;
    }
    return DefWindowProcW(w, m, wp, lp);
  }
  bool fHung;
  HANDLE fEnd = nullptr;
  HWND fWnd = nullptr;
  std::thread fThread;
};

TEST_F(Win32Launcher, AnEditorThatWillNotCloseEndsTheCloseRequestsAfterABound) {
  EndEditors();
  EXPECT_TRUE(TWin32EditorChannel::CloseAllEditors()) << "no editor at all";
  {
    TStubbornEditor stubborn(false);
    ASSERT_EQ(EditorWindows().size(), 1u);
    EXPECT_FALSE(TWin32EditorChannel::CloseAllEditors());
    EXPECT_EQ(stubborn.fCloses, kCloseRequests);
  }
  {
    TStubbornEditor hung(true);
    ASSERT_EQ(EditorWindows().size(), 1u);
    EXPECT_FALSE(TWin32EditorChannel::CloseAllEditors()) << "a hung editor does not hold us";
  }
  // A real editor goes at the first request.
  ASSERT_EQ(Launch(u"", u"", "start"), lrDone);
  EXPECT_TRUE(TWin32EditorChannel::CloseAllEditors());
  EXPECT_TRUE(EditorWindows().empty());
}

}  // namespace
}  // namespace corvane
