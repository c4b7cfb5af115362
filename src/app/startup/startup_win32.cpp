#include "app/startup/startup_win32.h"

#include <windows.h>

#include <vector>

#include "settings/profile_win32.h"
#include "app/startup/shellfolders.h"
#include "regequiv/regequiv_win32.h"
#include "text/wide.h"
#include "search/win32registry.h"

namespace corvane {
namespace {

// GetSystemDirectoryW and GetWindowsDirectoryW into 260 characters; 0 (or a result that did
// not fit) is a failure.
template <typename TGet>
bool Folder(TGet vGet, TText& vPath) {
  wchar_t buf[MAX_PATH] = {};
  const UINT n = vGet(buf, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  vPath = FromW(buf, n);
  return true;
}

class TWin32StartupSystem final : public TStartupSystem {
 public:
  bool SpecialFolder(int vFolder, TText& vPath) override {
    return SpecialFolderPath(vFolder, vPath);
  }
  bool SystemDirectory(TText& vPath) override { return Folder(GetSystemDirectoryW, vPath); }
  bool WindowsDirectory(TText& vPath) override { return Folder(GetWindowsDirectoryW, vPath); }

  bool Environment(TTextView vName, TText& vValue) override {
    const TText name(vName);
    std::vector<wchar_t> buf(kEnvironmentBuffer, 0);
    for (int attempt = 0; attempt < 4; ++attempt) {
      SetLastError(0);
      const DWORD n = GetEnvironmentVariableW(W(name), buf.data(), static_cast<DWORD>(buf.size()));
      if (n == 0) {
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
        vValue.clear();
        return true;
      }
      if (n < buf.size()) {
        vValue = FromW(buf.data(), n);
        return true;
      }
      buf.assign(n + 1, 0);  // n is the size needed, with the closing zero
    }
    return false;
  }

  bool FolderExists(TTextView vPath) override {
    const DWORD a = GetFileAttributesW(W(TText(vPath)));
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool MakeFolder(TTextView vPath) override {
    return CreateDirectoryW(W(TText(vPath)), nullptr) != 0;
  }
  bool FileExists(TTextView vPath) override {
    const DWORD a = GetFileAttributesW(W(TText(vPath)));
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
  }

  std::unique_ptr<TProfile> OpenProfile(TTextView vFile) override {
    return OpenWin32Profile(vFile);
  }
  std::unique_ptr<TRegCursor> NewCursor() override {
    return NewWin32Cursor();
  }
};

}  // namespace

TStartupSystem& Win32StartupSystem() {
  static TWin32StartupSystem system;
  return system;
}

const TStartupValues& DeriveStartupValues() {
  return DeriveProcessStartupValues(Win32StartupSystem());
}

}  // namespace corvane
