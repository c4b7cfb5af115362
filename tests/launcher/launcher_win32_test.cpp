// The launcher against Wine's own regedit.exe: every test launches the real editor through
// the cross-process channel and reads the editor's state back from its controls with a
// reader of its own. Every editor is ended again.
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
#include "text/wide.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;

const wchar_t kTestKey[] = L"Software\\CorvaneLauncherTest";
// Five levels below Software.
const wchar_t kDeepKey[] = L"Software\\CorvaneLauncherTest\\Level1\\Level2\\Level3\\Level4";
const char kDeepShown[] =
    "My Computer\\HKEY_CURRENT_USER\\Software\\CorvaneLauncherTest\\Level1\\Level2\\Level3\\Level4";
const char16_t kDeepHit[] =
    u"HKEY_CURRENT_USER\\software\\corvanelaunchertest\\level1\\level2\\level3\\level4";
const wchar_t* const kValueNames[] = {L"Alpha", L"ZqxTarget", L"Omega"};

std::string Narrow(const std::wstring& v) {
  return ToUtf8(FromW(v.c_str(), v.size()));
}

TText RegeditPath() {
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  return FromW(windows) + u"\\regedit.exe";
}

std::vector<HWND> EditorWindows() {
  std::vector<HWND> found;
  EnumWindows(
      [](HWND w, LPARAM l) -> BOOL {
        wchar_t cls[64] = {};
        GetClassNameW(w, cls, 64);
        if (std::wstring(cls) == kEditorClass)
          reinterpret_cast<std::vector<HWND>*>(l)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Ends every editor: asks it to close, and ends its process when it does not go.
void EndEditors() {
  for (HWND w : EditorWindows()) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    PostMessageW(w, WM_CLOSE, 0, 0);
    if (process) {
      if (WaitForSingleObject(process, 10000) == WAIT_TIMEOUT) TerminateProcess(process, 1);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
  }
}

HWND Descendant(HWND vParent, const wchar_t* vClass) {
  struct TFind {
    const wchar_t* fClass;
    HWND fFound;
  } find{vClass, nullptr};
  EnumChildWindows(
      vParent,
      [](HWND w, LPARAM l) -> BOOL {
        auto* f = reinterpret_cast<TFind*>(l);
        wchar_t cls[64] = {};
        GetClassNameW(w, cls, 64);
        if (lstrcmpiW(cls, f->fClass) != 0) return TRUE;
        f->fFound = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.fFound;
}

// Reads the running editor's tree and list from outside, through one page of memory of its
// own in the editor's process.
class TEditorProbe {
 public:
  TEditorProbe() {
    fEditor = FindWindowW(kEditorClass, nullptr);
    if (!fEditor) return;
    fTree = Descendant(fEditor, WC_TREEVIEWW);
    fList = Descendant(fEditor, WC_LISTVIEWW);
    fThread = GetWindowThreadProcessId(fEditor, &fPid);
    fProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, fPid);
    if (fProcess)
      fRemote =
          static_cast<char*>(VirtualAllocEx(fProcess, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
  }
  ~TEditorProbe() {
    if (fRemote) VirtualFreeEx(fProcess, fRemote, 0, MEM_RELEASE);
    if (fProcess) CloseHandle(fProcess);
  }
  bool Ready() const { return fTree && fList && fRemote; }
  HWND Editor() const { return fEditor; }
  HWND List() const { return fList; }
  DWORD Pid() const { return fPid; }

  // The caret item's path from the root item down, "\"-separated.
  std::string CaretPath() {
    std::wstring path;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(fTree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    for (; item; item = reinterpret_cast<HTREEITEM>(SendMessageW(
                     fTree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)))) {
      TVITEMW tv{};
      tv.mask = TVIF_TEXT | TVIF_HANDLE;
      tv.hItem = item;
      tv.pszText = reinterpret_cast<LPWSTR>(fRemote + 1024);
      tv.cchTextMax = 256;
      path = Exchange(fTree, TVM_GETITEMW, 0, &tv, sizeof tv) + (path.empty() ? L"" : L"\\") + path;
    }
    return Narrow(path);
  }
  // The rows with LVNI_SELECTED or LVNI_FOCUSED, by their text.
  std::vector<std::string> Rows(UINT vFlag) {
    std::vector<std::string> rows;
    for (int r = int(SendMessageW(fList, LVM_GETNEXTITEM, WPARAM(-1), vFlag)); r != -1;
         r = int(SendMessageW(fList, LVM_GETNEXTITEM, WPARAM(r), vFlag)))
      rows.push_back(r == 0 ? "<row 0>" : Narrow(RowText(r)));
    return rows;
  }
  // The window with the keyboard focus in the editor's thread.
  HWND Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(fThread, &info) ? info.hwndFocus : nullptr;
  }
  void SelectRow(int vRow) {
    LVITEMW lv{};
    lv.mask = LVIF_STATE;
    lv.state = lv.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    Exchange(fList, LVM_SETITEMSTATE, WPARAM(vRow), &lv, sizeof lv);
  }

 private:
  std::wstring RowText(int vRow) {
    LVITEMW lv{};
    lv.mask = LVIF_TEXT;
    lv.iItem = vRow;
    lv.pszText = reinterpret_cast<LPWSTR>(fRemote + 1024);
    lv.cchTextMax = 256;
    return Exchange(fList, LVM_GETITEMW, WPARAM(vRow), &lv, sizeof lv);
  }
  // Sends a record through the remote page; the text comes back from its second half.
  std::wstring Exchange(HWND vWnd, UINT vMsg, WPARAM wParam, const void* vRecord,
                        std::size_t vSize) {
    wchar_t text[257] = {};
    SIZE_T done = 0;
    WriteProcessMemory(fProcess, fRemote + 1024, text, sizeof text, &done);
    WriteProcessMemory(fProcess, fRemote, vRecord, vSize, &done);
    SendMessageW(vWnd, vMsg, wParam, reinterpret_cast<LPARAM>(fRemote));
    ReadProcessMemory(fProcess, fRemote + 1024, text, sizeof text - sizeof text[0], &done);
    return text;
  }

  HWND fEditor = nullptr, fTree = nullptr, fList = nullptr;
  DWORD fPid = 0, fThread = 0;
  HANDLE fProcess = nullptr;
  char* fRemote = nullptr;
};

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
