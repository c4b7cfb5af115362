// The GUI tests' driver: starts the real corvane.exe, drives it with window messages and
// with mouse and keyboard input through SendInput, and reads its state back from its controls.
// Shared by the GUI test files of this folder.
#pragma once

#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ui/main/mainform.h"
#include "ui/ids.h"
#include "ui/window/application.h"

namespace guitest {

namespace ids = corvane::ids;
using namespace std::chrono_literals;

inline const wchar_t kTestKey[] = L"Software\\CorvaneGuiTest";
inline const wchar_t kPlanted[] = L"zqxplant";
inline constexpr int kPlantedHits = 23;

inline bool WaitUntil(const std::function<bool()>& vDone, std::chrono::milliseconds vTimeout) {
  const auto end = std::chrono::steady_clock::now() + vTimeout;
  while (std::chrono::steady_clock::now() < end) {
    if (vDone()) return true;
    std::this_thread::sleep_for(50ms);
  }
  return vDone();
}

inline std::wstring Text(HWND vWnd) {
  wchar_t buf[1024] = {};
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(vWnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_NORMAL, 5000,
                           &got))
    return L"<no answer>";
  return buf;
}

inline std::wstring IniPath() {
  wchar_t folder[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, folder);
  return std::wstring(folder) + L"\\Corvane\\Corvane.INI";
}

inline std::wstring IniRead(const wchar_t* vSection, const wchar_t* vKey) {
  wchar_t buf[64] = {};
  GetPrivateProfileStringW(vSection, vKey, L"<missing>", buf, 64, IniPath().c_str());
  return buf;
}

inline void IniWrite(const wchar_t* vSection, const wchar_t* vKey, const std::wstring& vValue) {
  WritePrivateProfileStringW(vSection, vKey, vValue.c_str(), IniPath().c_str());
}

inline RECT WorkArea() {
  RECT r{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

inline std::vector<HWND> MainWindows() {
  std::vector<HWND> found;
  EnumWindows(
      [](HWND w, LPARAM l) -> BOOL {
        wchar_t cls[64] = {};
        GetClassNameW(w, cls, 64);
        if (std::wstring(cls) == ids::kMainClass)
          reinterpret_cast<std::vector<HWND>*>(l)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// --- Real input through the system's input queue ----------------------------------------

inline void SendMouse(DWORD vFlags, POINT vAt) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = LONG((vAt.x * 65535LL + (w - 1) / 2) / (w - 1));
  in.mi.dy = LONG((vAt.y * 65535LL + (h - 1) / 2) / (h - 1));
  in.mi.dwFlags = vFlags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
}

inline void MouseTo(POINT vAt) {
  // Two steps, so that the pointer really moves even when it already stood there.
  SendMouse(0, {vAt.x + 1, vAt.y + 1});
  std::this_thread::sleep_for(30ms);
  SendMouse(0, vAt);
  std::this_thread::sleep_for(30ms);
}

inline POINT CentreOf(HWND vWnd) {
  RECT r{};
  GetWindowRect(vWnd, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

inline void KeyEvent(WORD vKey, bool vUp) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vKey;
  in.ki.dwFlags = vUp ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof in);
  std::this_thread::sleep_for(30ms);
}

inline void Press(WORD vKey) {
  KeyEvent(vKey, false);
  KeyEvent(vKey, true);
}

inline void RightClick(POINT vAt) {
  MouseTo(vAt);
  SendMouse(MOUSEEVENTF_RIGHTDOWN, vAt);
  std::this_thread::sleep_for(30ms);
  SendMouse(MOUSEEVENTF_RIGHTUP, vAt);
}

// The text of item vIndex of a list box.
inline std::wstring ListText(HWND vList, int vIndex) {
  wchar_t buf[512] = {};
  const LRESULT n = SendMessageW(vList, LB_GETTEXTLEN, WPARAM(vIndex), 0);
  if (n < 0 || n >= 512) return L"<bad length>";
  SendMessageW(vList, LB_GETTEXT, WPARAM(vIndex), reinterpret_cast<LPARAM>(buf));
  return buf;
}

// The first visible top-level window of class vClass that belongs to process vPid, other
// than vNot.
inline HWND VisibleWindowOf(DWORD vPid, const wchar_t* vClass, HWND vNot = nullptr) {
  struct TFind {
    DWORD fPid;
    const wchar_t* fClass;
    HWND fNot;
    HWND fFound;
  } find{vPid, vClass, vNot, nullptr};
  EnumWindows(
      [](HWND w, LPARAM l) -> BOOL {
        auto* f = reinterpret_cast<TFind*>(l);
        wchar_t cls[16] = {};
        GetClassNameW(w, cls, 16);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (w != f->fNot && pid == f->fPid && std::wstring(cls) == f->fClass &&
            IsWindowVisible(w)) {
          f->fFound = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.fFound;
}

// The visible pop-up menu window of a process, when one is open.
inline HWND OpenMenuOf(DWORD vPid) {
  return VisibleWindowOf(vPid, L"#32768");
}

// The controls of a window that show text in the window's font.
inline std::vector<HWND> TextControls(HWND vMain) {
  std::vector<HWND> found;
  EnumChildWindows(
      vMain,
      [](HWND w, LPARAM l) -> BOOL {
        wchar_t cls[64] = {};
        GetClassNameW(w, cls, 64);
        for (const wchar_t* c : {L"Button", L"Edit", L"Static", L"ComboBox", L"ListBox",
                                 WC_TABCONTROLW, STATUSCLASSNAMEW})
          if (_wcsicmp(cls, c) == 0) {
            reinterpret_cast<std::vector<HWND>*>(l)->push_back(w);
            break;
          }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

inline std::wstring Describe(HWND vWnd) {
  wchar_t cls[64] = {};
  GetClassNameW(vWnd, cls, 64);
  return std::wstring(cls) + L" #" + std::to_wstring(GetDlgCtrlID(vWnd));
}

// Saves the screen as a BMP; the test script turns it into a PNG.
inline void Screenshot(const std::wstring& vName) {
  HDC screen = GetDC(nullptr);
  const int w = GetDeviceCaps(screen, HORZRES), h = GetDeviceCaps(screen, VERTRES);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC mem = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
  GdiFlush();
  const DWORD stride = DWORD((w * 3 + 3) & ~3), size = stride * DWORD(h);
  BITMAPFILEHEADER fh{0x4D42, DWORD(sizeof fh + sizeof bi.bmiHeader + size), 0, 0,
                      DWORD(sizeof fh + sizeof bi.bmiHeader)};
  const std::wstring path = std::wstring(CORVANE_ARTIFACTS) + vName + L".bmp";
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f != INVALID_HANDLE_VALUE) {
    DWORD n = 0;
    WriteFile(f, &fh, sizeof fh, &n, nullptr);
    WriteFile(f, &bi.bmiHeader, sizeof bi.bmiHeader, &n, nullptr);
    WriteFile(f, bits, size, &n, nullptr);
    CloseHandle(f);
  }
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(bmp);
  ReleaseDC(nullptr, screen);
}

// The first descendant of vParent with the control identifier vId; null when none has it.
inline HWND ChildById(HWND vParent, int vId) {
  struct TFind {
    int fId;
    HWND fFound;
  } find{vId, nullptr};
  EnumChildWindows(
      vParent,
      [](HWND w, LPARAM l) -> BOOL {
        auto* f = reinterpret_cast<TFind*>(l);
        if (GetDlgCtrlID(w) != f->fId) return TRUE;
        f->fFound = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.fFound;
}

// The driver is per-monitor aware, as corvane.exe is by its manifest: the windows it builds
// itself and its screenshots are in the screen's real pixels at every scale.
inline const bool kDpiAware = [] {
  using TSetContext = BOOL(WINAPI*)(HANDLE);
  const auto set = reinterpret_cast<TSetContext>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
  return set && set(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)));
}();

// The display scale of this process and of the programs it starts: the runner sets LogPixels
// in the prefix before it starts (96, 144 and 192).
inline int TestDpi() {
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(nullptr, dc);
  return dpi;
}

// One running corvane.exe.
class TCorvane {
 public:
  // vArgs: the command line after the program's name; vDir: the current folder to start in;
  // vExe: the program (the build's corvane.exe unless a test runs another copy).
  explicit TCorvane(const std::wstring& vArgs = L"", const wchar_t* vDir = nullptr,
                    const std::wstring& vExe = CORVANE_EXE) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring cmd = L"\"" + vExe + L"\"";
    if (!vArgs.empty()) cmd += L" " + vArgs;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, vDir, &si,
                        &fProcess))
      return;
    WaitUntil(
        [&] { return (fMain = MainOf(fProcess.dwProcessId)) != nullptr && IsWindowVisible(fMain); },
        90s);
  }
  ~TCorvane() {
    if (fProcess.hProcess) {
      if (WaitForSingleObject(fProcess.hProcess, 0) == WAIT_TIMEOUT) {
        PostMessageW(fMain, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(fProcess.hProcess, 20000) == WAIT_TIMEOUT)
          TerminateProcess(fProcess.hProcess, 1);
      }
      CloseHandle(fProcess.hProcess);
      CloseHandle(fProcess.hThread);
    }
  }
  static HWND MainOf(DWORD vPid) {
    for (HWND w : MainWindows()) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid == vPid) return w;
    }
    return nullptr;
  }
  HWND Main() const { return fMain; }
  HWND Control(int vId) const { return ChildById(fMain, vId); }
  void Command(int vId) const { PostMessageW(fMain, WM_COMMAND, MAKEWPARAM(vId, 0), 0); }
  void Key(int vId, WPARAM vKey) const {
    PostMessageW(Control(vId), WM_KEYDOWN, vKey, 1);
    PostMessageW(Control(vId), WM_KEYUP, vKey, 0xC0000001);
  }
  std::wstring Status() const { return Text(Control(ids::StatusBar1)); }
  std::wstring SearchText() const { return Text(Control(ids::lblSearch)); }
  int Rows() const { return int(SendMessageW(Control(ids::lbResults), LB_GETCOUNT, 0, 0)); }
  bool Enabled(int vId) const { return IsWindowEnabled(Control(vId)) != FALSE; }
  bool ToolEnabled(int vId) const {
    return SendMessageW(Control(ids::ToolBar1), TB_ISBUTTONENABLED, WPARAM(vId), 0) != 0;
  }
  void SelectItem(int vId, int vIndex) const {
    HWND cb = Control(vId);
    SendMessageW(cb, CB_SETCURSEL, WPARAM(vIndex), 0);
    SendMessageW(GetParent(cb), WM_COMMAND, MAKEWPARAM(vId, CBN_SELCHANGE), LPARAM(cb));
  }
  // Empties the results page's summary line, so that WaitFound waits for the end of the
  // search started next, not the summary of the one before.
  void ForgetFound() const {
    SendMessageW(Control(ids::lblSearch), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  }
  // Forgets the last summary and runs Search as the menu item does.
  void Search() const {
    ForgetFound();
    Command(ids::acSearch);
  }
  bool WaitFound(std::chrono::milliseconds vTimeout = 120s) const {
    return WaitUntil([&] { return SearchText().rfind(L"Found ", 0) == 0; }, vTimeout);
  }
  bool Ended(DWORD vMs) const {
    return WaitForSingleObject(fProcess.hProcess, vMs) == WAIT_OBJECT_0;
  }
  bool Running() const { return fProcess.hProcess && !Ended(0); }
  DWORD Pid() const { return fProcess.dwProcessId; }

 private:
  PROCESS_INFORMATION fProcess{};
  HWND fMain = nullptr;
};

// The message box shown by the program, when one is up.
inline HWND MessageBoxOf(DWORD vPid) {
  return VisibleWindowOf(vPid, L"#32770");
}

inline std::wstring MessageBoxText(HWND vBox) {
  HWND text = GetDlgItem(vBox, 0xFFFF);
  return text ? Text(text) : L"";
}

class GuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    HKEY key = nullptr;
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kTestKey) + L"\\Plant").c_str(), 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (int i = 0; i < kPlantedHits; ++i) {
      wchar_t name[32];
      swprintf(name, 32, L"%ls_%02d", kPlanted, i + 1);
      const wchar_t data[] = L"data";
      RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data);
    }
    RegCloseKey(key);
  }
  static void TearDownTestSuite() { RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey); }
  void SetUp() override {
    DeleteFileW(IniPath().c_str());
    // A pointer left over the tool bar by an earlier test would show its hint in the status
    // bar of the next window, which opens at the same place.
    MouseTo({1, 1});
  }
};

// Keys of one test that the searches must walk without a hit: vKeys empty keys below
// vParent\Walk (below kTestKey it sorts after "Plant"), quick to create and, with the rest of
// the registry, seconds to walk. A search that has shown its first hits has all of them still
// to walk, so a test can act on a search that is certainly running. Removed with everything
// below it when it goes (declare it before the program, so the program has ended by then).
class TWalkKeys {
 public:
  explicit TWalkKeys(const std::wstring& vParent, int vKeys = 10000) : fPath(vParent + L"\\Walk") {
    HKEY walk = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, fPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &walk, nullptr),
              ERROR_SUCCESS);
    for (int k = 0; walk && k < vKeys; ++k) {
      wchar_t name[16];
      swprintf(name, 16, L"K%05d", k);
      HKEY key = nullptr;
      if (RegCreateKeyExW(walk, name, 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr) !=
          ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot create the walk's key " << k;
        break;
      }
      RegCloseKey(key);
    }
    if (walk) RegCloseKey(walk);
  }
  ~TWalkKeys() { RegDeleteTreeW(HKEY_CURRENT_USER, fPath.c_str()); }
  TWalkKeys(const TWalkKeys&) = delete;
  TWalkKeys& operator=(const TWalkKeys&) = delete;

 private:
  const std::wstring fPath;
};

// --- More input and read-back ------------------------------------------------------------

// Presses vKey while the modifier keys vMods (VK_MENU, VK_SHIFT, VK_CONTROL) are held.
inline void PressWith(std::initializer_list<WORD> vMods, WORD vKey) {
  for (WORD m : vMods) KeyEvent(m, false);
  Press(vKey);
  for (auto it = vMods.end(); it != vMods.begin();) KeyEvent(*--it, true);
}

// Types vText key by key (letters and digits of the US layout).
inline void TypeText(const wchar_t* vText) {
  for (const wchar_t* c = vText; *c; ++c) {
    const SHORT scan = VkKeyScanW(*c);
    if (scan & 0x100)
      PressWith({VK_SHIFT}, WORD(scan & 0xFF));
    else
      Press(WORD(scan & 0xFF));
  }
}

inline void LeftClick(POINT vAt) {
  MouseTo(vAt);
  SendMouse(MOUSEEVENTF_LEFTDOWN, vAt);
  std::this_thread::sleep_for(30ms);
  SendMouse(MOUSEEVENTF_LEFTUP, vAt);
  std::this_thread::sleep_for(30ms);
}

// The control that has the keyboard focus in the GUI thread of vWnd's process.
inline HWND FocusOf(HWND vWnd) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(vWnd, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

// A RECT that a control of another process writes through the pointer in lParam (such as
// TB_GETITEMRECT), read back through a buffer in that process.
inline RECT RemoteRect(HWND vWnd, UINT vMsg, WPARAM wParam) {
  RECT r{};
  DWORD pid = 0;
  GetWindowThreadProcessId(vWnd, &pid);
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return r;
  void* remote = VirtualAllocEx(process, nullptr, sizeof r, MEM_COMMIT, PAGE_READWRITE);
  if (remote) {
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(vWnd, vMsg, wParam, reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, 5000,
                            &answer))
      ReadProcessMemory(process, remote, &r, sizeof r, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return r;
}

// Brings vWnd to the front and waits until it is the foreground window.
inline bool ToFront(HWND vWnd) {
  SetForegroundWindow(vWnd);
  return WaitUntil([&] { return GetForegroundWindow() == vWnd; }, 5s);
}

// Presses and releases vKey at once, without the pauses of Press.
inline void Tap(WORD vKey) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vKey;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof in[0]);
}

// The program's main window built inside the driver, hidden, with a settings file of its own:
// for what can be read only in the window's own process (fonts, menus, text extents) and for
// the seams of its context.
class TLocalForm {
 public:
  explicit TLocalForm(corvane::TMainFormContext vContext = {}) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    fIni = std::wstring(temp) + L"corvane-local-form.ini";
    DeleteFileW(fIni.c_str());
    vContext.IniName = corvane::FromW(fIni.c_str());
    fForm = std::make_unique<corvane::TMainForm>(fApplication, std::move(vContext));
    fCreated = fForm->Create();
  }
  ~TLocalForm() {
    if (fForm->Handle()) DestroyWindow(fForm->Handle());
    fForm.reset();
    // The window's end posts WM_QUIT to this thread; a later modal loop would end at once.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    DeleteFileW(fIni.c_str());
  }
  bool Created() const { return fCreated; }
  corvane::TMainForm& Form() { return *fForm; }
  HWND Handle() const { return fForm->Handle(); }
  HWND Control(int vId) const { return ChildById(Handle(), vId); }

 private:
  std::wstring fIni;
  corvane::TApplication fApplication;
  std::unique_ptr<corvane::TMainForm> fForm;
  bool fCreated = false;
};

// --- Files, file dialogs, list rows and the clipboard ------------------------------------

// A folder of its own below the temporary folder, removed with the test.
class TTempDir {
 public:
  explicit TTempDir(const wchar_t* vName) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    fPath = std::wstring(temp) + vName;
    CreateDirectoryW(fPath.c_str(), nullptr);
  }
  ~TTempDir() {
    WIN32_FIND_DATAW fd{};
    HANDLE h = FindFirstFileW((fPath + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileW((fPath + L"\\" + fd.cFileName).c_str());
      } while (FindNextFileW(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryW(fPath.c_str());
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  std::wstring File(const wchar_t* vName) const { return fPath + L"\\" + vName; }
  const std::wstring& Path() const { return fPath; }

 private:
  std::wstring fPath;
};

// UTF-16 as UTF-8, for messages and comparisons that print readably.
inline std::string Utf8(const std::wstring& vText) {
  if (vText.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, vText.data(), int(vText.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(std::size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, vText.data(), int(vText.size()), out.data(), n, nullptr, nullptr);
  return out;
}

inline void WriteFileBytes(const std::wstring& vPath, const std::string& vBytes) {
  HANDLE f = CreateFileW(vPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD n = 0;
  WriteFile(f, vBytes.data(), DWORD(vBytes.size()), &n, nullptr);
  CloseHandle(f);
}

// The whole file; empty when it cannot be read.
inline std::string ReadFileBytes(const std::wstring& vPath) {
  HANDLE f =
      CreateFileW(vPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  std::vector<char> buf(1 << 16);
  DWORD n = 0;
  while (ReadFile(f, buf.data(), DWORD(buf.size()), &n, nullptr) && n > 0)
    bytes.append(buf.data(), n);
  CloseHandle(f);
  return bytes;
}

inline bool Exists(const std::wstring& vPath) {
  return GetFileAttributesW(vPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The visible dialog of the program whose caption is vTitle.
inline HWND DialogOf(DWORD vPid, const wchar_t* vTitle) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        found = VisibleWindowOf(vPid, L"#32770");
        return found && Text(found) == vTitle;
      },
      20s);
  return found && Text(found) == vTitle ? found : nullptr;
}

// Types a path into the open file dialog vDialog, which has the focus on its name, and
// presses Enter; true once the dialog has gone.
inline bool EnterFileName(HWND vDialog, const std::wstring& vPath) {
  if (!ToFront(vDialog)) return false;
  std::this_thread::sleep_for(300ms);
  PressWith({VK_CONTROL}, 'A');
  TypeText(vPath.c_str());
  Press(VK_RETURN);
  return WaitUntil([&] { return !IsWindow(vDialog) || !IsWindowVisible(vDialog); }, 20s);
}

// File > a command that opens a file (vKey its menu letter), from the keyboard, then the
// file's name in its dialog of caption vTitle.
inline void OpenFromFileMenu(const TCorvane& vApp, WORD vKey, const wchar_t* vTitle,
                             const std::wstring& vPath) {
  ASSERT_TRUE(ToFront(vApp.Main()));
  PressWith({VK_MENU}, 'F');
  ASSERT_TRUE(WaitUntil([&] { return OpenMenuOf(vApp.Pid()) != nullptr; }, 5s)) << "File";
  Press(vKey);
  HWND dialog = DialogOf(vApp.Pid(), vTitle);
  ASSERT_NE(dialog, nullptr) << "the open dialog";
  ASSERT_TRUE(EnterFileName(dialog, vPath));
}
inline void OpenHiveFile(const TCorvane& vApp, const std::wstring& vPath) {
  OpenFromFileMenu(vApp, 'H', L"Search hive file", vPath);
}
inline void OpenExportFile(const TCorvane& vApp, const std::wstring& vPath) {
  OpenFromFileMenu(vApp, 'F', L"Search export file", vPath);
}

// The screen point inside row vRow of a list box, found from the rows' heights.
inline POINT ListRowPoint(HWND vList, int vRow) {
  const int top = int(SendMessageW(vList, LB_GETTOPINDEX, 0, 0));
  int y = 0;
  for (int i = top; i < vRow; ++i) y += int(SendMessageW(vList, LB_GETITEMHEIGHT, WPARAM(i), 0));
  POINT p{30, y + int(SendMessageW(vList, LB_GETITEMHEIGHT, WPARAM(vRow), 0)) / 2};
  ClientToScreen(vList, &p);
  return p;
}

inline void DoubleClick(POINT vAt) {
  MouseTo(vAt);
  for (int i = 0; i < 2; ++i) {
    SendMouse(MOUSEEVENTF_LEFTDOWN, vAt);
    std::this_thread::sleep_for(20ms);
    SendMouse(MOUSEEVENTF_LEFTUP, vAt);
    std::this_thread::sleep_for(20ms);
  }
}

// The clipboard's text (CF_UNICODETEXT); false when it holds none. Another process may hold
// the clipboard for a moment: opening is tried a few times.
inline bool ClipboardText(std::wstring& vText) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (!OpenClipboard(nullptr)) {
      std::this_thread::sleep_for(20ms);
      continue;
    }
    bool got = false;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
        vText = p;
        got = true;
        GlobalUnlock(data);
      }
    }
    CloseClipboard();
    return got;
  }
  return false;
}

// Empties the clipboard, runs vCopy and returns the text that then arrives on the clipboard
// ("<nothing copied>" when none comes).
inline std::wstring CopiedBy(const std::function<void()>& vCopy,
                             std::chrono::milliseconds vTimeout = 5s) {
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
  vCopy();
  std::wstring text;
  if (!WaitUntil([&] { return ClipboardText(text); }, vTimeout)) return L"<nothing copied>";
  return text;
}

}  // namespace guitest
