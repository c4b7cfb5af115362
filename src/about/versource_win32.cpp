#include <windows.h>

#include "about/verres.h"

namespace corvane {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

const wchar_t* W(const TText& s) {
  return reinterpret_cast<const wchar_t*>(s.c_str());
}

class TWin32VerSource final : public TVerSource {
 public:
  std::uint32_t InfoSize(const TText& vFileName) const override {
    DWORD unused = 0;
    return GetFileVersionInfoSizeW(W(vFileName), &unused);
  }
  bool ReadInfo(const TText& vFileName, std::span<std::uint8_t> vBuff) const override {
    return GetFileVersionInfoW(W(vFileName), 0, static_cast<DWORD>(vBuff.size()), vBuff.data()) !=
           FALSE;
  }
};

}  // namespace

const TVerSource& PlatformVerSource() {
  static const TWin32VerSource source;
  return source;
}

}  // namespace corvane
