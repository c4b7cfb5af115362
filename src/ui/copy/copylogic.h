// What the copy commands put on the clipboard: a hit's (or the detail page's) key path as
// shown, its value's name, or that value's data as text, read afresh from the registry.
#pragma once

#include <cstddef>
#include <cstdint>

#include "search/types.h"
#include "search/registry.h"
#include "search/types.h"
#include "text/text.h"

namespace corvane {

enum TCopyWhat {
  cwKeyPath,
  cwValueName,
  cwData,
};

// A key and, unless it stands for its key alone, one of its values.
struct TCopySource {
  bool fHasKey = false;
  TText fKeyPath;  // the full path, beginning with the root key's name
  TKeyHandle fRoot = 0;
  bool fHasValue = false;
  TText fValueName;  // empty for the default value
};

// The selected hit of a search of kind vFrom; a key hit has no value.
TCopySource CopySourceOfHit(const TResult& vHit, THitsFrom vFrom);

bool CanCopy(const TCopySource& vSource, TCopyWhat vWhat);

// Data as a user pastes it: the text of the string types (up to the first zero), the strings
// of REG_MULTI_SZ one a line (CR LF between), a 4-byte REG_DWORD (or big-endian one) and an
// 8-byte REG_QWORD in the number form "0x... (decimal)", every other value as its bytes in
// two-digit hexadecimal separated by blanks.
TText DataClipText(std::uint32_t vType, const std::uint8_t* vBytes, std::size_t vSize);

// The text to copy; data are read through vCursor. False when there is nothing to copy (see
// CanCopy) or the key or value can no longer be read.
[[nodiscard]] bool CopyText(const TCopySource& vSource, TCopyWhat vWhat, TRegCursor& vCursor,
                            TText& vText);

// The message for a value whose data could not be read.
TText CopyFailedText(const TCopySource& vSource);

}  // namespace corvane
