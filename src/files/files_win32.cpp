#include <windows.h>

#include <algorithm>
#include <vector>

#include "files/files.h"
#include "text/syserror_win32.h"
#include "text/wide.h"
#include "win32/handles.h"

namespace corvane {
namespace {

class TWin32Files final : public TFileOps {
 public:
  TText FullPath(const TText& vPath) const override {
    const DWORD n = GetFullPathNameW(W(vPath), 0, nullptr, nullptr);
    if (n == 0) return vPath;
    std::vector<wchar_t> buf(n);
    const DWORD len = GetFullPathNameW(W(vPath), n, buf.data(), nullptr);
    if (len == 0 || len >= n) return vPath;
    return TText(reinterpret_cast<const char16_t*>(buf.data()), len);
  }

  bool FileExists(const TText& vPath) const override {
    if (vPath.empty()) return false;
    const DWORD attr = GetFileAttributesW(W(vPath));
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
  }

  TResult ReadAll(const TText& vPath, std::string& vBytes, TText& vError) override {
    TOwnedFile f(CreateFileW(W(vPath), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                          nullptr));
    if (!f) {
      vError = SystemErrorText(GetLastError());
      return frOpenFailed;
    }
    vBytes.clear();
    char buf[4096];
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(f.Get(), buf, sizeof buf, &got, nullptr)) {
        vError = SystemErrorText(GetLastError());
        return frTransferFailed;
      }
      if (got == 0) return frDone;
      vBytes.append(buf, got);
    }
  }

  TResult WriteNew(const TText& vPath, std::string_view vBytes, TText& vError) override {
    TOwnedFile f(CreateFileW(W(vPath), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                          nullptr));
    if (!f) {
      const DWORD code = GetLastError();
      vError = SystemErrorText(code);
      return (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) ? frExists : frOpenFailed;
    }
    std::size_t at = 0;
    while (at < vBytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(vBytes.size() - at, 1 << 20));
      DWORD put = 0;
      if (!WriteFile(f.Get(), vBytes.data() + at, chunk, &put, nullptr) || put == 0) {
        vError = SystemErrorText(GetLastError());
        return frTransferFailed;
      }
      at += put;
    }
    if (!FlushFileBuffers(f.Get()) || !f.Close()) {
      vError = SystemErrorText(GetLastError());
      return frTransferFailed;
    }
    return frDone;
  }

  bool Replace(const TText& vFrom, const TText& vTo, TText& vError) override {
    // Creating a file over a read-only one fails; so does replacing it (Wine's move would
    // replace it).
    const DWORD attr = GetFileAttributesW(W(vTo));
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY)) {
      vError = SystemErrorText(ERROR_ACCESS_DENIED);
      return false;
    }
    if (MoveFileExW(W(vFrom), W(vTo), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    vError = SystemErrorText(GetLastError());
    return false;
  }

  void Remove(const TText& vPath) override { DeleteFileW(W(vPath)); }
};

}  // namespace

TFileOps& PlatformFiles() {
  static TWin32Files files;
  return files;
}

}  // namespace corvane
