#include "search/dataview.h"

#include <bit>
#include <cstring>

#include "search/types.h"

namespace corvane {

TDataView MakeDataView(std::uint32_t vType, const std::uint8_t* vBytes, std::size_t vSize) {
  TDataView v;
  FillDataView(v, vType, vBytes, vSize);
  return v;
}

void FillDataView(TDataView& v, std::uint32_t vType, const std::uint8_t* vBytes,
                  std::size_t vSize) {
  v.fHasNumber = false;
  v.fNumber = 0;
  const std::size_t units = vSize / 2;
  v.fText.resize(units);
  if constexpr (std::endian::native == std::endian::little) {
    if (units > 0) std::memcpy(v.fText.data(), vBytes, 2 * units);
  } else {
    for (std::size_t i = 0; i < units; ++i)
      v.fText[i] = char16_t(vBytes[2 * i] | (vBytes[2 * i + 1] << 8));
  }
  if ((vType == kRegSz || vType == kRegExpandSz || vType == kRegMultiSz) && !v.fText.empty() &&
      v.fText.back() == 0)
    v.fText.pop_back();
  if (vSize == 4) {
    v.fHasNumber = true;
    if (vType == kRegDwordBigEndian)
      v.fNumber = (std::uint32_t(vBytes[0]) << 24) | (std::uint32_t(vBytes[1]) << 16) |
                  (std::uint32_t(vBytes[2]) << 8) | vBytes[3];
    else
      v.fNumber = vBytes[0] | (std::uint32_t(vBytes[1]) << 8) | (std::uint32_t(vBytes[2]) << 16) |
                  (std::uint32_t(vBytes[3]) << 24);
  }
}

}  // namespace corvane
