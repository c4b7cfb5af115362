#include "text/syserror_win32.h"

#include <windows.h>

#include <string>

#include "text/wide.h"

namespace corvane {

TText SystemErrorText(unsigned long vCode) {
  wchar_t* msg = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, DWORD(vCode), 0, reinterpret_cast<wchar_t*>(&msg), 0, nullptr);
  TText text = n ? FromW(msg, n) : u"Error " + FromUtf8(std::to_string(vCode));
  if (msg) LocalFree(msg);
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' '))
    text.pop_back();
  return text;
}

}  // namespace corvane
