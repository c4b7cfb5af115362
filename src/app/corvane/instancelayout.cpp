#include "app/corvane/instancelayout.h"

namespace corvane {

namespace {

void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}

std::uint32_t Get32(const std::uint8_t* p) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= std::uint32_t(p[i]) << (8 * i);
  return v;
}

// Code units the path field can hold in a block of vSize bytes.
std::size_t FieldUnits(std::size_t vSize) {
  if (vSize <= kPathOffset) return 0;
  const std::size_t units = (vSize - kPathOffset) / 2;
  return units < kPathCapacity ? units : kPathCapacity;
}

}  // namespace

bool WriteHandles(std::uint8_t* vBlock, std::size_t vSize, std::uint32_t vTaskbar,
                  std::uint32_t vMain) {
  if (!vBlock || vSize < kPathOffset) return false;
  Put32(vBlock + kTaskbarOffset, vTaskbar);
  Put32(vBlock + kMainOffset, vMain);
  return true;
}

bool ReadHandles(const std::uint8_t* vBlock, std::size_t vSize, std::uint32_t& vTaskbar,
                 std::uint32_t& vMain) {
  if (!vBlock || vSize < kPathOffset) return false;
  vTaskbar = Get32(vBlock + kTaskbarOffset);
  vMain = Get32(vBlock + kMainOffset);
  return true;
}

bool WritePath(std::uint8_t* vBlock, std::size_t vSize, TTextView vPath) {
  const std::size_t units = FieldUnits(vSize);
  if (!vBlock || units == 0) return false;
  std::uint8_t* field = vBlock + kPathOffset;
  const bool fits = vPath.size() < units && vPath.find(u'\0') == TTextView::npos;
  const TTextView text = fits ? vPath : TTextView();
  for (std::size_t i = 0; i < text.size(); ++i) {
    field[2 * i] = std::uint8_t(text[i]);
    field[2 * i + 1] = std::uint8_t(text[i] >> 8);
  }
  field[2 * text.size()] = 0;
  field[2 * text.size() + 1] = 0;
  return fits;
}

TText ReadPath(const std::uint8_t* vBlock, std::size_t vSize) {
  TText r;
  if (!vBlock) return r;
  const std::size_t units = FieldUnits(vSize);
  const std::uint8_t* field = vBlock + kPathOffset;
  for (std::size_t i = 0; i < units; ++i) {
    const char16_t c = char16_t(field[2 * i] | (field[2 * i + 1] << 8));
    if (c == 0) break;
    r += c;
  }
  return r;
}

}  // namespace corvane
