// The view of a value's data that matching works on: its bytes as UTF-16 text, and a 4-byte
// value also as a number.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/text.h"

namespace corvane {

struct TDataView {
  TText fText;            // whole byte pairs as little-endian units; one final zero dropped for text types
  bool fHasNumber = false;  // exactly 4 bytes, whatever the type
  std::uint32_t fNumber = 0;  // little-endian; big-endian for REG_DWORD_BIG_ENDIAN
};

TDataView MakeDataView(std::uint32_t vType, const std::uint8_t* vBytes, std::size_t vSize);
// The same into v, whose text keeps its storage from value to value.
void FillDataView(TDataView& v, std::uint32_t vType, const std::uint8_t* vBytes, std::size_t vSize);

}  // namespace corvane
