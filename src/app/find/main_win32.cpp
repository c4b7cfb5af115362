// corvane-find on Windows: the live registry, Unicode console output, Ctrl+C to stop.
#include <windows.h>

#include <cstdio>

#include "app/find/findcli.h"
#include "regequiv/regequiv_win32.h"
#include "search/win32registry.h"

namespace {

std::atomic<bool> gStop{false};

BOOL WINAPI OnConsoleCtrl(DWORD vType) {
  if (vType == CTRL_C_EVENT || vType == CTRL_BREAK_EVENT) {
    gStop.store(true);
    return TRUE;  // the search ends cleanly and prints its summary
  }
  return FALSE;
}

// A console gets UTF-16 through WriteConsoleW; a pipe or file gets UTF-8 bytes.
void Write(DWORD vWhich, const std::string& vUtf8) {
  HANDLE h = GetStdHandle(vWhich);
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0;
  if (GetConsoleMode(h, &mode)) {
    const corvane::TText wide = corvane::FromUtf8(vUtf8);
    DWORD written = 0;
    WriteConsoleW(h, reinterpret_cast<const wchar_t*>(wide.data()), static_cast<DWORD>(wide.size()),
                  &written, nullptr);
  } else {
    DWORD written = 0;
    WriteFile(h, vUtf8.data(), static_cast<DWORD>(vUtf8.size()), &written, nullptr);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  SetConsoleCtrlHandler(OnConsoleCtrl, TRUE);
  std::vector<corvane::TText> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
  corvane::find::TFindIo io;
  io.fOut = [](const std::string& s) { Write(STD_OUTPUT_HANDLE, s); };
  io.fErr = [](const std::string& s) { Write(STD_ERROR_HANDLE, s); };
  io.fLiveRegistry = corvane::Win32CursorFactory();
  io.fBuildAliases = [] { return &corvane::BuildProcessAliasList(); };
  io.fStopRequest = &gStop;
  return corvane::find::RunFind(args, io);
}
