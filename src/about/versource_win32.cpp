#include <windows.h>

#include "about/verres.h"
#include "text/wide.h"

namespace corvane {
namespace {

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
