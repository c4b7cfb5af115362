#include "search/win32registry.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "text/syserror_win32.h"
#include "text/wide.h"
#include "win32/handles.h"

namespace corvane {
namespace {

HKEY RootHandle(TKeyHandle vRoot) {
  // Predefined handles are 32-bit values sign-extended to the pointer width.
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(vRoot)));
}


std::string ErrorText(LONG code) {
  return ToUtf8(SystemErrorText(static_cast<unsigned long>(code)));
}

class TWin32Cursor final : public TRegCursor {
 public:
  ~TWin32Cursor() override { CloseKey(); }

  void SelectRoot(TKeyHandle vRoot) override {
    CloseKey();
    fRoot = RootHandle(vRoot);
  }

  void CloseKey() override {
    while (!fLevels.empty()) CloseSubkey();
  }

  bool OpenRead(TTextView vPath) override {
    for (REGSAM mask : {REGSAM(kAccessRead), REGSAM(kAccessQueryEnum), REGSAM(kAccessQuery)})
      if (Open(vPath, mask)) return true;
    return false;
  }

  bool OpenSubkeyRead(TTextView vName) override {
    const TText name(vName);
    for (REGSAM mask : {REGSAM(kAccessRead), REGSAM(kAccessQueryEnum), REGSAM(kAccessQuery)}) {
      HKEY key = nullptr;
      if (RegOpenKeyExW(fOpen ? fOpen : fRoot, W(name), 0, mask, &key) == ERROR_SUCCESS) {
        Push(key);
        return true;
      }
    }
    return false;
  }

  void CloseSubkey() override {
    if (fLevels.empty()) return;
    fLevels.pop_back();  // closes the key
    fOpen = fLevels.empty() ? nullptr : fLevels.back().fKey.Get();
  }

  std::vector<TText> SubkeyNames() override {
    std::vector<TText> names;
    const TSizes* sizes = Sizes();
    if (!sizes) return names;
    std::vector<wchar_t> buf(sizes->fMaxSubKeyLen + 1);
    // As many as the key had when its sizes were taken: no call to learn that there are no
    // more.
    for (DWORD i = 0; i < sizes->fSubKeys; ++i) {
      DWORD len = static_cast<DWORD>(buf.size());
      const LONG rc = RegEnumKeyExW(fOpen, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_MORE_DATA && buf.size() < 65536) {  // a longer name appeared since the query
        buf.resize(buf.size() * 2 + 256);
        --i;
        continue;
      }
      if (rc != ERROR_SUCCESS) break;
      names.push_back(FromW(buf.data(), len));
    }
    return names;
  }

  bool ListValues(TValueList& vList, bool vWithData) override {
    vList.Clear();
    const TSizes* sizes = Sizes();
    if (!sizes) return false;
    // Buffers of the size this key needs: Wine passes the whole buffer to its server.
    fName.resize(sizes->fMaxValueNameLen + 1);
    fData.resize(std::max<DWORD>(sizes->fMaxValueLen, 16));
    vList.fValues.reserve(sizes->fValues);
    DWORD dataCap = static_cast<DWORD>(fData.size());
    int retries = 0;
    for (DWORD i = 0; i < sizes->fValues;) {
      DWORD nameLen = static_cast<DWORD>(fName.size()), type = 0, dataLen = dataCap;
      const bool withData = vWithData && retries < kMaxRetries;
      const LONG rc =
          RegEnumValueW(fOpen, i, fName.data(), &nameLen, nullptr, &type,
                        withData ? fData.data() : nullptr, withData ? &dataLen : nullptr);
      if (rc == ERROR_MORE_DATA && retries <= kMaxRetries) {
        // The name or the data grew since the info query: grow both and ask again; after a
        // few tries ask for the name alone.
        if (fName.size() < kMaxName)
          fName.resize(std::min<std::size_t>(fName.size() * 2 + 256, kMaxName));
        if (withData && dataLen > dataCap) fData.resize(dataLen);
        dataCap = static_cast<DWORD>(fData.size());
        ++retries;
        continue;
      }
      if (rc == ERROR_MORE_DATA) {  // not even the name fits: leave this value out
        ++i;
        retries = 0;
        continue;
      }
      if (rc != ERROR_SUCCESS) break;
      vList.Add(FromW(fName.data(), nameLen), type, fData.data(), std::min(dataLen, dataCap),
                withData);
      retries = 0;
      ++i;
    }
    return true;
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
    Push(key);
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
    TRegKey(key).Close();
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
  // From the same query that sizes the key's listings: the walk asks no more of the registry.
  bool KeyWriteTime(std::uint64_t& vTime) override {
    const TSizes* z = Sizes();
    if (!z) return false;
    vTime = (std::uint64_t(z->fWritten.dwHighDateTime) << 32) | z->fWritten.dwLowDateTime;
    return vTime != 0;
  }

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
    Push(key);
    return true;
  }

  void Push(HKEY vKey) {
    fLevels.push_back(TLevel{TRegKey(vKey), {}, false});
    fOpen = vKey;
  }

  // The counts and longest lengths of the open key, queried once per open key: the value
  // listing and the subkey listing share them.
  struct TSizes {
    DWORD fSubKeys = 0, fMaxSubKeyLen = 0, fValues = 0, fMaxValueNameLen = 0, fMaxValueLen = 0;
    FILETIME fWritten{};
  };
  const TSizes* Sizes() {
    if (!fOpen) return nullptr;
    TLevel& level = fLevels.back();
    if (!level.fHaveSizes) {
      TSizes& z = level.fSizes;
      if (RegQueryInfoKeyW(fOpen, nullptr, nullptr, nullptr, &z.fSubKeys, &z.fMaxSubKeyLen, nullptr,
                           &z.fValues, &z.fMaxValueNameLen, &z.fMaxValueLen, nullptr,
                           &z.fWritten) != ERROR_SUCCESS)
        return nullptr;
      level.fHaveSizes = true;
    }
    return &level.fSizes;
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

  struct TLevel {
    TRegKey fKey;
    TSizes fSizes;
    bool fHaveSizes;
  };
  static constexpr std::size_t kMaxName = 32768;  // value names are at most 16383 characters
  static constexpr int kMaxRetries = 4;

  HKEY fRoot = HKEY_CURRENT_USER;
  HKEY fOpen = nullptr;         // the innermost level's key
  std::vector<TLevel> fLevels;  // the keys held, innermost last
  std::vector<wchar_t> fName;   // listing buffers, kept from key to key
  std::vector<std::uint8_t> fData;
};

}  // namespace

std::unique_ptr<TRegCursor> NewWin32Cursor() { return std::make_unique<TWin32Cursor>(); }

TCursorFactory Win32CursorFactory() {
  return [] { return NewWin32Cursor(); };
}

}  // namespace corvane
