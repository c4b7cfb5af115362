// The key detail page's rules that do not need a window: which key a hit opens, the values
// list with its order, preselection and emphasis, and how the chosen value is shown (type
// name, size text, view, data as text, the hexadecimal grid, the number labels). The
// registry is read through a cursor, read-only; what cannot be opened or read is skipped
// without a message.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "search/registry.h"
#include "search/types.h"
#include "text/compare.h"
#include "text/text.h"
#include "ui/canvas.h"

namespace corvane {

using TBytes = std::span<const std::uint8_t>;

// The hit shown on the page and the value chosen in its list.
struct TDetailState {
  TText DetKStr;  // the hit's full key path, beginning with the root key's name
  std::int32_t DetKStart = 0;
  std::int32_t DetKLen = 0;
  TKeyHandle DetRoot = 0;
  TText DetVStr;  // the chosen value's name; empty for the default value and for none
  std::int32_t DetVStart = 0;
  std::int32_t DetVLen = 0;
};

// The path below the root that DetKStr names: everything after its first backslash, with a
// leading backslash so that it counts from the root. A path that is only a root key's name
// names the root key itself (the empty path).
TText DetailKeyPath(TTextView vKeyStr);

// One entry of the values list. Only the hit's own value carries an emphasis; it carries one
// even with start and length 0 (the match lay in the data or in the key).
struct TDetailEntry {
  TText fName;
  bool fEmphasised = false;
  std::int32_t fStart = 0;
  std::int32_t fLen = 0;
  bool operator==(const TDetailEntry&) const = default;
};

struct TDetailValues {
  std::vector<TDetailEntry> fEntries;
  std::int32_t fSelected = -1;  // -1 when the list is empty
  bool fKeyOpened = false;
  std::uint64_t fWritten = 0;  // the key's last-write time as it is now; 0: unknown
};

// The values of the hit's key in the order of vCompare (the default value, named "", comes
// first), leaving out those whose type and size cannot be queried. The hit's value (an exact,
// case-sensitive match of vHit.fValStr, when that is not empty) carries the hit's value
// emphasis and is selected; otherwise the first entry is selected.
TDetailValues ReadValueList(TRegCursor& vCursor, const TResult& vHit,
                            const TLocaleCompare& vCompare);

// The text an entry shows: its name, or "(Default)" for the empty name at index 0.
TText EntryText(const TDetailEntry& vEntry, std::int32_t vIndex);

// The parts an entry is drawn in, left to right. A plain entry is one plain part. The
// emphasised entry is italic before the span, bold and underlined in it, italic after it;
// with start and length 0 it is italic throughout.
struct TTextPart {
  TText fText;
  TFontStyles fStyle = fsNone;
  bool operator==(const TTextPart&) const = default;
};
std::vector<TTextPart> EntryParts(const TDetailEntry& vEntry, std::int32_t vIndex);

// What the value name box shows: the name, "(default)" for the default value (vListHasEntries)
// and nothing when the list is empty.
TText ValueBoxText(TTextView vDetVStr, bool vListHasEntries);

// The name of a registry value type: "REG_SZ" and so on for 0 to 10, "Hex(B)" for 11.
TText RegTypeName(std::uint32_t vType);

// The data as text: UTF-16 units, the closing zero of the string types dropped, every
// character below 32 shown as ".".
TText DataText(std::uint32_t vType, TBytes vData);

// The views of the chosen value's data.
enum TViewKind : std::int32_t { vkNone = -1, vkText = 0, vkBinary = 1, vkNumber = 2 };

// The view a value opens in: text for the string types, the number for a 4-byte REG_DWORD or
// REG_DWORD_BIG_ENDIAN, binary for everything else.
TViewKind ChooseView(std::uint32_t vType, std::uint32_t vSize);

// A 4-byte value as a number, read little-endian whatever its type.
struct TNumberLabels {
  TText fDec;  // decimal, no separators
  TText fHex;  // "0x" and 8 upper-case digits
  bool operator==(const TNumberLabels&) const = default;
};
TNumberLabels NumberLabels(TBytes vFourBytes);

// A size in bytes with vSeparator between groups of three digits: 1234 reads "1,234".
TText SizeText(std::uint64_t vSize, TTextView vSeparator);

// The hexadecimal grid over a value's bytes: rows of 8 bytes; column 0 the offset, columns
// 1 to 8 the bytes, column 9 empty, column 10 the bytes as characters. Cells are made when
// asked for, so a value of megabytes costs no more than its bytes.
class TByteGrid {
 public:
  static constexpr std::int32_t kColumns = 11;
  static constexpr std::int32_t kColumnWidths[kColumns] = {50, 20, 20, 20, 20, 20,
                                                           20, 20, 20, 10, 75};

  void Assign(TBytes vData) { fBytes.assign(vData.begin(), vData.end()); }
  void Clear() { fBytes.clear(); }
  // At least 1: an empty value has the one row "0000".
  std::int32_t RowCount() const;
  TText Cell(std::int32_t vRow, std::int32_t vCol) const;
  // The byte kept with a cell of columns 1 to 8; -1 for an empty cell.
  std::int32_t ByteAt(std::int32_t vRow, std::int32_t vCol) const;
  std::size_t Size() const { return fBytes.size(); }

 private:
  std::vector<std::uint8_t> fBytes;
};

// The character column's reading of one byte: "." for the control codes and a few bytes
// that fonts draw badly, otherwise the ISO 8859-1 character.
char16_t GridChar(std::uint8_t vByte);

// How the chosen value is shown.
struct TShownValue {
  bool fRead = false;    // type and data were read: Text and Binary can be chosen
  bool fNumber = false;  // exactly 4 bytes: Number can be chosen, fLabels holds them
  TText fType;           // RegTypeName, empty unless read
  TText fSize;           // SizeText, empty unless read
  TViewKind fView = vkNone;
  TText fText;                      // the text view
  std::vector<std::uint8_t> fData;  // the grid's bytes
  TNumberLabels fLabels;
};

// Reads value vName of the key that vState names and works out how it is shown. A key that
// cannot be opened, a value that cannot be queried and data that cannot be read all give
// the empty TShownValue (nothing shown, only the name box).
TShownValue ShowValue(TRegCursor& vCursor, const TDetailState& vState, TTextView vName,
                      TTextView vSeparator);

}  // namespace corvane
