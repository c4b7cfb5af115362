#include "search/win32registry.h"

#include <windows.h>

#include <string>
#include <vector>

#include "text/wide.h"

namespace corvane {
namespace {

HKEY RootHandle(TKeyHandle vRoot) {
  // Predefined handles are 32-bit values sign-extended to the pointer width.
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(vRoot)));
}


std::string ErrorText(LONG code) {
  wchar_t* msg = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, static_cast<DWORD>(code), 0,
                                 reinterpret_cast<wchar_t*>(&msg), 0, nullptr);
  std::string text = n ? ToUtf8(FromW(msg, n)) : "error " + std::to_string(code);
  if (msg) LocalFree(msg);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}

class TWin32Cursor final : public TRegCursor {
 public:
  ~TWin32Cursor() override { CloseKey(); }

  void SelectRoot(TKeyHandle vRoot) override {
    CloseKey();
    fRoot = RootHandle(vRoot);
  }

  void CloseKey() override {
    if (fOpen) RegCloseKey(fOpen);
    fOpen = nullptr;
  }

  bool OpenRead(TTextView vPath) override {
    for (REGSAM mask : {REGSAM(kAccessRead), REGSAM(kAccessQueryEnum), REGSAM(kAccessQuery)})
      if (Open(vPath, mask)) return true;
    return false;
  }

  std::vector<TText> SubkeyNames() override {
    std::vector<TText> names;
    DWORD count = 0, maxLen = 0;
    if (!fOpen || RegQueryInfoKeyW(fOpen, nullptr, nullptr, nullptr, &count, &maxLen, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      return names;
    std::vector<wchar_t> buf(maxLen + 1);
    for (DWORD i = 0;; ++i) {
      DWORD len = static_cast<DWORD>(buf.size());
      const LONG rc = RegEnumKeyExW(fOpen, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_MORE_DATA) {  // a longer name appeared since the query
        buf.resize(buf.size() * 2 + 256);
        --i;
        continue;
      }
      if (rc != ERROR_SUCCESS) break;
      names.push_back(FromW(buf.data(), len));
    }
    return names;
  }

  std::vector<TText> ValueNames() override {
    std::vector<TText> names;
    DWORD count = 0, maxLen = 0;
    if (!fOpen || RegQueryInfoKeyW(fOpen, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   &count, &maxLen, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      return names;
    std::vector<wchar_t> buf(maxLen + 1);
    for (DWORD i = 0;; ++i) {
      DWORD len = static_cast<DWORD>(buf.size());
      const LONG rc =
          RegEnumValueW(fOpen, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_MORE_DATA) {
        if (buf.size() > 65536) break;
        buf.resize(buf.size() * 2 + 256);
        --i;
        continue;
      }
      if (rc != ERROR_SUCCESS) break;
      names.push_back(FromW(buf.data(), len));
    }
    return names;
  }

  bool QueryValue(TTextView vName, std::uint32_t& vType, std::uint32_t& vSize) override {
    if (!fOpen) return false;
    const TText name(vName);
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(fOpen, W(name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      return false;
    vType = type;
    vSize = size;
    return true;
  }

  bool ReadValue(TTextView vName, std::uint8_t* vBuff, std::uint32_t& vType,
                 std::uint32_t& vSize) override {
    if (!fOpen) return false;
    const TText name(vName);
    DWORD type = 0, size = vSize;
    if (RegQueryValueExW(fOpen, W(name), nullptr, &type, vBuff, &size) != ERROR_SUCCESS)
      return false;
    vType = type;
    vSize = size;
    return true;
  }

  bool OpenFull(TTextView vPath) override { return Open(vPath, kAccessFull); }
  bool OpenReadAccess(TTextView vPath) override { return Open(vPath, kAccessRead); }

  bool CreateSubkey(TTextView vName) override {
    const TText name(vName);
    HKEY key = nullptr;
    if (RegCreateKeyExW(fOpen ? fOpen : fRoot, W(name), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        kAccessFull, nullptr, &key, nullptr) != ERROR_SUCCESS)
      return false;
    CloseKey();
    fOpen = key;
    return true;
  }

  void WriteText(TTextView vName, TTextView vText) override {
    const TText name(vName), text(vText);
    const LONG rc = RegSetValueExW(fOpen ? fOpen : fRoot, W(name), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(text.c_str()),
                                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    if (rc != ERROR_SUCCESS)
      throw TRegError("Failed to set data for '" + ToUtf8(vName) + "': " + ErrorText(rc));
  }

  TText ReadText(TTextView vName) override {
    const TText name(vName);
    HKEY key = fOpen ? fOpen : fRoot;
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExW(key, W(name), nullptr, &type, nullptr, &size);
    if (rc == ERROR_FILE_NOT_FOUND) return {};
    if (rc != ERROR_SUCCESS) throw TRegError("Failed to get data for '" + ToUtf8(vName) + "'");
    if (type != REG_SZ && type != REG_EXPAND_SZ)
      throw TRegError("Invalid data type for '" + ToUtf8(vName) + "'");
    std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, 0);
    DWORD got = size;
    rc = RegQueryValueExW(key, W(name), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got);
    if (rc != ERROR_SUCCESS) throw TRegError("Failed to get data for '" + ToUtf8(vName) + "'");
    std::size_t n = 0;
    while (n < got / sizeof(wchar_t) && buf[n] != 0) ++n;
    return FromW(buf.data(), n);
  }

  std::uint32_t ReadNumber(TTextView vName) override {
    const TText name(vName);
    DWORD type = 0, value = 0, size = sizeof(value);
    const LONG rc = RegQueryValueExW(fOpen ? fOpen : fRoot, W(name), nullptr, &type,
                                     reinterpret_cast<BYTE*>(&value), &size);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value))
      throw TRegError("Invalid data type for '" + ToUtf8(vName) + "'");
    return value;
  }

  bool KeyExists(TTextView vPath) override {
    HKEY key = nullptr;
    const TText sub = Below(vPath);
    if (RegOpenKeyExW(Base(vPath), W(sub), 0, kAccessQueryEnum, &key) != ERROR_SUCCESS)
      return false;
    RegCloseKey(key);
    return true;
  }

  bool DeleteKey(TTextView vPath) override {
    const TText sub = Below(vPath);
    if (sub.empty()) return false;
    return RegDeleteKeyW(Base(vPath), W(sub)) == ERROR_SUCCESS;
  }

  bool RootKeyInfo(TKeyHandle vRoot, TKeyInfo& vInfo) override {
    return Info(RootHandle(vRoot), vInfo);
  }
  bool OpenKeyInfo(TKeyInfo& vInfo) override { return fOpen && Info(fOpen, vInfo); }

 private:
  // The key a path counts from, and the path below it.
  HKEY Base(TTextView vPath) const {
    const bool absolute = !vPath.empty() && vPath[0] == u'\\';
    return (absolute || !fOpen) ? fRoot : fOpen;
  }
  static TText Below(TTextView vPath) {
    return TText(!vPath.empty() && vPath[0] == u'\\' ? vPath.substr(1) : vPath);
  }

  bool Open(TTextView vPath, REGSAM vMask) {
    const TText sub = Below(vPath);
    HKEY key = nullptr;
    if (RegOpenKeyExW(Base(vPath), W(sub), 0, vMask, &key) != ERROR_SUCCESS) return false;
    CloseKey();
    fOpen = key;
    return true;
  }

  static bool Info(HKEY vKey, TKeyInfo& vInfo) {
    wchar_t cls[260] = {};
    DWORD clsLen = 260, sub = 0, maxSub = 0, maxCls = 0, vals = 0, maxVal = 0, maxData = 0,
          sd = 0;
    FILETIME time{};
    if (RegQueryInfoKeyW(vKey, cls, &clsLen, nullptr, &sub, &maxSub, &maxCls, &vals, &maxVal,
                         &maxData, &sd, &time) != ERROR_SUCCESS)
      return false;
    vInfo.fClass = FromW(cls, clsLen);
    vInfo.fSubKeys = sub;
    vInfo.fMaxSubKeyLen = maxSub;
    vInfo.fMaxClassLen = maxCls;
    vInfo.fValues = vals;
    vInfo.fMaxValueNameLen = maxVal;
    vInfo.fMaxValueLen = maxData;
    vInfo.fSecurityDescriptor = sd;
    vInfo.fLastWriteTime = (std::uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return true;
  }

  HKEY fRoot = HKEY_CURRENT_USER;
  HKEY fOpen = nullptr;
};

}  // namespace

std::unique_ptr<TRegCursor> NewWin32Cursor() { return std::make_unique<TWin32Cursor>(); }

TCursorFactory Win32CursorFactory() {
  return [] { return NewWin32Cursor(); };
}

}  // namespace corvane
