// The main window's search, timed from its own controls: starts corvane.exe, types the text
// into the Basic box, chooses a maximum of 10000, runs Search and waits until the label
// reads "Found %d items (the maximum)" (or any other end text); then reads the process's
// peak working set and closes the window.
//   windowbench CORVANE.EXE TEXT
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "ui/ids.h"

namespace {

struct TFind {
  DWORD fPid;
  HWND fFound;
};

BOOL CALLBACK FindMain(HWND vWnd, LPARAM vParam) {
  auto* f = reinterpret_cast<TFind*>(vParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(vWnd, &pid);
  wchar_t cls[64] = {};
  GetClassNameW(vWnd, cls, 64);
  if (pid == f->fPid && std::wcscmp(cls, corvane::ids::kMainClass) == 0 && IsWindowVisible(vWnd)) {
    f->fFound = vWnd;
    return FALSE;
  }
  return TRUE;
}

struct TChild {
  int fId;
  HWND fFound;
};

BOOL CALLBACK FindChild(HWND vWnd, LPARAM vParam) {
  auto* c = reinterpret_cast<TChild*>(vParam);
  if (GetDlgCtrlID(vWnd) == c->fId) {
    c->fFound = vWnd;
    return FALSE;
  }
  return TRUE;
}

HWND Child(HWND vMain, int vId) {
  TChild c{vId, nullptr};
  EnumChildWindows(vMain, FindChild, reinterpret_cast<LPARAM>(&c));
  return c.fFound;
}

// The text as the system keeps it: no message to the window's thread, which would slow
// the search being measured.
std::wstring Text(HWND vWnd) {
  wchar_t buf[256] = {};
  InternalGetWindowText(vWnd, buf, 256);
  return buf;
}

double Now() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) / double(f.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: windowbench CORVANE.EXE TEXT\n");
    return 2;
  }
  std::wstring cmd = L"\"" + std::wstring(argv[1]) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    std::fprintf(stderr, "windowbench: cannot start the program\n");
    return 1;
  }
  WaitForInputIdle(pi.hProcess, 30000);
  TFind f{pi.dwProcessId, nullptr};
  for (int i = 0; i < 600 && !f.fFound; ++i) {
    EnumWindows(FindMain, reinterpret_cast<LPARAM>(&f));
    if (!f.fFound) Sleep(50);
  }
  HWND edit = f.fFound ? Child(f.fFound, corvane::ids::ebNow) : nullptr;
  HWND label = f.fFound ? Child(f.fFound, corvane::ids::lblSearch) : nullptr;
  if (!edit || !label) {
    std::fprintf(stderr, "windowbench: no main window\n");
    TerminateProcess(pi.hProcess, 1);
    return 1;
  }
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
  SendMessageW(f.fFound, WM_COMMAND, MAKEWPARAM(corvane::ids::mnuM10 + 3, 0), 0);  // 10000
  const double t0 = Now();
  PostMessageW(f.fFound, WM_COMMAND, MAKEWPARAM(corvane::ids::acSearch, 0), 0);
  std::wstring text;
  double t1 = t0;
  for (;;) {
    text = Text(label);
    t1 = Now();
    if (text.rfind(L"Found ", 0) == 0) break;
    if (t1 - t0 > 600) break;
    Sleep(10);
  }
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof(pmc);
  const bool mem = GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof(pmc)) != FALSE;
  std::printf("window: %.3f s to \"%ls\"; peak working set %s%.1f MB\n", t1 - t0, text.c_str(),
              mem ? "" : "(unknown) ", double(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0));
  PostMessageW(f.fFound, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return text.rfind(L"Found ", 0) == 0 ? 0 : 1;
}
