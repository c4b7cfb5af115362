// End-to-end tests of corvane.exe: a driver process starts the real program, drives it with
// window messages and reads its state back from its controls. Runs under Wine on a display
// (tests/gui/run-gui-tests.sh gives it one).
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ui/main/mainids.h"

namespace {

namespace ids = corvane::ids;
using namespace std::chrono_literals;

const wchar_t kTestKey[] = L"Software\\CorvaneGuiTest";
const wchar_t kPlanted[] = L"zqxplant";
constexpr int kPlantedHits = 23;

bool WaitUntil(const std::function<bool()>& vDone, std::chrono::milliseconds vTimeout) {
  const auto end = std::chrono::steady_clock::now() + vTimeout;
  while (std::chrono::steady_clock::now() < end) {
    if (vDone()) return true;
    std::this_thread::sleep_for(50ms);
  }
  return vDone();
}

std::wstring Text(HWND vWnd) {
  wchar_t buf[1024] = {};
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(vWnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_NORMAL, 5000,
                           &got))
    return L"<no answer>";
  return buf;
}

std::wstring IniPath() {
  wchar_t folder[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, folder);
  return std::wstring(folder) + L"\\Corvane\\Corvane.INI";
}

std::wstring IniRead(const wchar_t* vSection, const wchar_t* vKey) {
  wchar_t buf[64] = {};
  GetPrivateProfileStringW(vSection, vKey, L"<missing>", buf, 64, IniPath().c_str());
  return buf;
}

void IniWrite(const wchar_t* vSection, const wchar_t* vKey, const std::wstring& vValue) {
  WritePrivateProfileStringW(vSection, vKey, vValue.c_str(), IniPath().c_str());
}

RECT WorkArea() {
  RECT r{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

std::vector<HWND> MainWindows() {
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

// Saves the screen as a BMP; the test script turns it into a PNG.
void Screenshot(const std::wstring& vName) {
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

// One running corvane.exe.
class TCorvane {
 public:
  TCorvane() {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring cmd = L"\"" + std::wstring(CORVANE_EXE) + L"\"";
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
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
  HWND Control(int vId) const {
    struct TFind {
      int fId;
      HWND fFound;
    } find{vId, nullptr};
    EnumChildWindows(
        fMain,
        [](HWND w, LPARAM l) -> BOOL {
          auto* f = reinterpret_cast<TFind*>(l);
          if (GetDlgCtrlID(w) != f->fId) return TRUE;
          f->fFound = w;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.fFound;
  }
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
HWND MessageBoxOf(DWORD vPid) {
  struct TFind {
    DWORD fPid;
    HWND fFound;
  } find{vPid, nullptr};
  EnumWindows(
      [](HWND w, LPARAM l) -> BOOL {
        auto* f = reinterpret_cast<TFind*>(l);
        wchar_t cls[16] = {};
        GetClassNameW(w, cls, 16);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == f->fPid && std::wstring(cls) == L"#32770" && IsWindowVisible(w)) {
          f->fFound = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.fFound;
}

std::wstring MessageBoxText(HWND vBox) {
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
  void SetUp() override { DeleteFileW(IniPath().c_str()); }
};

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

}  // namespace
