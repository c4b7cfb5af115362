// corvane-find on Windows: the live registry, Unicode console output, Ctrl+C to stop.
#include <windows.h>

#include <cstdio>
#include <mutex>
#include <string>

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

// A console gets UTF-16 through WriteConsoleW, text by text, so each hit shows as it is
// found. A pipe or file gets UTF-8 bytes, gathered into blocks as the C library buffers a
// pipe: under Wine each write is a round trip to the server.
class TStdStream {
 public:
  explicit TStdStream(DWORD vWhich) : fHandle(GetStdHandle(vWhich)) {
    DWORD mode = 0;
    fConsole =
        fHandle != nullptr && fHandle != INVALID_HANDLE_VALUE && GetConsoleMode(fHandle, &mode);
  }
  ~TStdStream() { Flush(); }

  // Hits, progress and messages may come from several threads.
  void Write(const std::string& vUtf8, bool vBuffered) {
    if (fHandle == nullptr || fHandle == INVALID_HANDLE_VALUE) return;
    const std::lock_guard<std::mutex> hold(fLock);
    if (fConsole) {
      const corvane::TText wide = corvane::FromUtf8(vUtf8);
      DWORD written = 0;
      WriteConsoleW(fHandle, reinterpret_cast<const wchar_t*>(wide.data()),
                    static_cast<DWORD>(wide.size()), &written, nullptr);
      return;
    }
    fPending += vUtf8;
    if (!vBuffered || fPending.size() >= kBlock) WritePending();
  }

  void Flush() {
    const std::lock_guard<std::mutex> hold(fLock);
    WritePending();
  }

 private:
  static constexpr std::size_t kBlock = 64 * 1024;

  void WritePending() {
    if (fPending.empty()) return;
    DWORD written = 0;
    WriteFile(fHandle, fPending.data(), static_cast<DWORD>(fPending.size()), &written, nullptr);
    fPending.clear();
  }

  HANDLE fHandle;
  std::mutex fLock;
  bool fConsole = false;
  std::string fPending;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  SetConsoleCtrlHandler(OnConsoleCtrl, TRUE);
  std::vector<corvane::TText> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
  corvane::find::TFindIo io;
  TStdStream out(STD_OUTPUT_HANDLE), err(STD_ERROR_HANDLE);
  // What goes to stderr comes after what went to stdout before it, as a console shows it.
  io.fOut = [&](const std::string& s) { out.Write(s, true); };
  io.fErr = [&](const std::string& s) {
    out.Flush();
    err.Write(s, false);
  };
  io.fLiveRegistry = corvane::Win32CursorFactory();
  io.fBuildAliases = [] { return &corvane::BuildProcessAliasList(); };
  io.fStopRequest = &gStop;
  const int status = corvane::find::RunFind(args, io);
  out.Flush();
  return status;
}
