// The layout of the single-instance block shared by a running Corvane and a second start:
// two 32-bit window handles, then the handed-over path as UTF-16 text with a terminating
// zero. All access goes through these functions, which never touch bytes past the block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/text.h"

namespace corvane {

inline constexpr char16_t kInstanceBlockName[] = u"Tamberlo Corvane Shared";
inline constexpr char16_t kHandOffMsgName[] = u"Tamberlo Corvane Message";

inline constexpr std::size_t kTaskbarOffset = 0;
inline constexpr std::size_t kMainOffset = 4;
inline constexpr std::size_t kPathOffset = 8;
// Room for the longest path Windows accepts (32767 characters) and its terminating zero.
inline constexpr std::size_t kPathCapacity = 32768;
inline constexpr std::size_t kInstanceBlockSize = kPathOffset + 2 * kPathCapacity;

// The two handles; false when the block is too small to hold them.
[[nodiscard]] bool WriteHandles(std::uint8_t* vBlock, std::size_t vSize, std::uint32_t vTaskbar,
                                std::uint32_t vMain);
[[nodiscard]] bool ReadHandles(const std::uint8_t* vBlock, std::size_t vSize,
                               std::uint32_t& vTaskbar, std::uint32_t& vMain);

// Writes vPath and its terminating zero into the path field. A path that does not fit, or
// that holds a zero character, is not written: the field is left empty and the result is
// false, so the running instance never sees a cut-off path.
[[nodiscard]] bool WritePath(std::uint8_t* vBlock, std::size_t vSize, TTextView vPath);
// The path field's text up to its first zero; a field without a zero ends at the block's end.
TText ReadPath(const std::uint8_t* vBlock, std::size_t vSize);

}  // namespace corvane
