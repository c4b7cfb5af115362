#include "ui/copy/clipboard.h"

#include <algorithm>
#include <cstring>

#include "text/syserror_win32.h"

namespace corvane {

namespace {

class TClipboardOpen {
 public:
  explicit TClipboardOpen(HWND vOwner) {
    for (int attempt = 0; attempt < 10 && !fOpen; ++attempt) {
      if (attempt > 0) Sleep(20);
      fOpen = OpenClipboard(vOwner) != FALSE;
    }
  }
  ~TClipboardOpen() {
    if (fOpen) CloseClipboard();
  }
  TClipboardOpen(const TClipboardOpen&) = delete;
  TClipboardOpen& operator=(const TClipboardOpen&) = delete;
  bool Open() const { return fOpen; }

 private:
  bool fOpen = false;
};

}  // namespace

bool SetClipboardText(HWND vOwner, const TText& vText, TText& vError) {
  const std::size_t units = std::min(vText.size(), vText.find(u'\0'));
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (units + 1) * sizeof(char16_t));
  if (!memory) {
    vError = SystemErrorText(GetLastError());
    return false;
  }
  void* p = GlobalLock(memory);
  if (!p) {
    vError = SystemErrorText(GetLastError());
    GlobalFree(memory);
    return false;
  }
  std::memcpy(p, vText.data(), units * sizeof(char16_t));
  static_cast<char16_t*>(p)[units] = 0;
  GlobalUnlock(memory);
  TClipboardOpen clipboard(vOwner);
  if (!clipboard.Open() || !EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, memory)) {
    vError = SystemErrorText(GetLastError());
    GlobalFree(memory);
    return false;
  }
  return true;  // the clipboard owns the memory now
}

}  // namespace corvane
