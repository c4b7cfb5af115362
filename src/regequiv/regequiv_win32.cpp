#include "regequiv/regequiv_win32.h"

#include <objbase.h>
#include <windows.h>

#include <cwchar>

#include "text/wide.h"
#include "search/win32registry.h"

namespace corvane {
namespace {

class TWin32AliasSystem final : public TAliasSystem {
 public:
  std::uint32_t PlatformId() override {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)  // deprecated, but the platform identifier is all we read
#endif
    if (!GetVersionExW(&info)) return 0;
    return info.dwPlatformId;
  }

  bool NewGuid(TText& vText) override {
    GUID guid{};
    if (FAILED(CoCreateGuid(&guid))) return false;
    LPOLESTR text = nullptr;
    if (FAILED(StringFromCLSID(guid, &text)) || !text) return false;
    vText = FromW(text);
    CoTaskMemFree(text);
    return true;
  }

  bool UserName(TText& vName) override {
    wchar_t buf[260] = {};
    DWORD size = 260;
    if (!GetUserNameW(buf, &size)) return false;
    buf[259] = 0;
    vName = FromW(buf);
    return true;
  }

  bool LookupAccount(const TText& vName) override {
    DWORD sidSize = sizeof(fSid);
    wchar_t domain[260] = {};
    DWORD domainSize = 260;
    SID_NAME_USE use{};
    fValid = LookupAccountNameW(nullptr, reinterpret_cast<const wchar_t*>(vName.c_str()), fSid,
                                &sidSize, domain, &domainSize, &use) &&
             IsValidSid(fSid);
    return fValid;
  }

  bool SidAuthority(std::array<std::uint8_t, 6>& vAuthority) override {
    if (!fValid) return false;
    SetLastError(0);
    const PSID_IDENTIFIER_AUTHORITY a = GetSidIdentifierAuthority(fSid);
    if (GetLastError() != 0 || !a) return false;
    for (int i = 0; i < 6; ++i) vAuthority[i] = a->Value[i];
    return true;
  }

  bool SidSubAuthorityCount(std::uint8_t& vCount) override {
    if (!fValid) return false;
    SetLastError(0);
    const PUCHAR count = GetSidSubAuthorityCount(fSid);
    if (GetLastError() != 0 || !count) return false;
    vCount = *count;
    return true;
  }

  bool SidSubAuthority(std::uint8_t vIndex, std::uint32_t& vValue) override {
    if (!fValid) return false;
    SetLastError(0);
    const PDWORD sub = GetSidSubAuthority(fSid, vIndex);
    if (GetLastError() != 0 || !sub) return false;
    vValue = *sub;
    return true;
  }

 private:
  alignas(DWORD) BYTE fSid[1000] = {};
  bool fValid = false;
};

}  // namespace

TAliasSystem& Win32AliasSystem() {
  static TWin32AliasSystem system;
  return system;
}

TAliasHost Win32AliasHost() {
  return TAliasHost{Win32CursorFactory(), &Win32AliasSystem()};
}

const TAliasList& BuildProcessAliasList(std::uint32_t* vMask) {
  return BuildProcessAliasList(Win32AliasHost(), vMask);
}

}  // namespace corvane
