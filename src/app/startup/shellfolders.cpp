#include "app/startup/shellfolders.h"

#include <shlobj.h>
#include <windows.h>

#include <cwchar>

namespace corvane {

bool SpecialFolderPath(int vFolder, TText& vPath) {
  wchar_t buf[MAX_PATH + 1] = {};
  if (!SHGetSpecialFolderPathW(nullptr, buf, vFolder, FALSE)) return false;
  buf[MAX_PATH] = 0;
  vPath.assign(reinterpret_cast<const char16_t*>(buf), std::wcslen(buf));
  return true;
}

}  // namespace corvane
