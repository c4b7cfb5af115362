#include "ui/detail/detaillogic.h"

#include <algorithm>
#include <cstdio>

#include "search/dataview.h"

namespace corvane {

TText DetailKeyPath(TTextView vKeyStr) {
  const std::size_t slash = vKeyStr.find(u'\\');
  if (slash == TTextView::npos) return TText();
  return u"\\" + TText(vKeyStr.substr(slash + 1));
}

namespace {

bool OpenKey(TRegCursor& vCursor, TKeyHandle vRoot, TTextView vKeyStr) {
  vCursor.SelectRoot(vRoot);
  return vCursor.OpenRead(DetailKeyPath(vKeyStr));
}

TText Ascii(const char* vText) {
  TText t;
  for (; *vText; ++vText) t += char16_t(static_cast<unsigned char>(*vText));
  return t;
}

}  // namespace

TDetailValues ReadValueList(TRegCursor& vCursor, const TResult& vHit,
                            const TLocaleCompare& vCompare) {
  TDetailValues list;
  if (!OpenKey(vCursor, vHit.froot, vHit.fKeyStr)) return list;
  list.fKeyOpened = true;
  if (!vCursor.KeyWriteTime(list.fWritten)) list.fWritten = 0;
  std::vector<TText> names = vCursor.ValueNames();
  std::stable_sort(names.begin(), names.end(), [&vCompare](const TText& a, const TText& b) {
    return vCompare.Compare(a, b) < 0;
  });
  for (TText& name : names) {
    std::uint32_t type = 0, size = 0;
    if (!vCursor.QueryValue(name, type, size)) continue;
    TDetailEntry entry;
    if (!vHit.fValStr.empty() && name == vHit.fValStr) {
      entry.fEmphasised = true;
      entry.fStart = vHit.fValStart;
      entry.fLen = vHit.fValLen;
      list.fSelected = std::int32_t(list.fEntries.size());
    }
    entry.fName = std::move(name);
    list.fEntries.push_back(std::move(entry));
  }
  vCursor.CloseKey();
  if (list.fSelected < 0 && !list.fEntries.empty()) list.fSelected = 0;
  return list;
}

TText EntryText(const TDetailEntry& vEntry, std::int32_t vIndex) {
  if (vIndex == 0 && vEntry.fName.empty()) return u"(Default)";
  return vEntry.fName;
}

std::vector<TTextPart> EntryParts(const TDetailEntry& vEntry, std::int32_t vIndex) {
  const TText text = EntryText(vEntry, vIndex);
  if (!vEntry.fEmphasised) return {{text, fsNone}};
  const std::size_t n = text.size();
  const std::size_t begin =
      vEntry.fStart > 1 ? std::min<std::size_t>(std::size_t(vEntry.fStart - 1), n) : 0;
  const std::size_t len =
      vEntry.fLen > 0 ? std::min<std::size_t>(std::size_t(vEntry.fLen), n - begin) : 0;
  std::vector<TTextPart> parts;
  if (begin > 0) parts.push_back({text.substr(0, begin), fsItalic});
  if (len > 0) parts.push_back({text.substr(begin, len), fsBold | fsUnderline});
  if (begin + len < n || parts.empty()) parts.push_back({text.substr(begin + len), fsItalic});
  return parts;
}

TText ValueBoxText(TTextView vDetVStr, bool vListHasEntries) {
  if (!vDetVStr.empty()) return TText(vDetVStr);
  return vListHasEntries ? TText(u"(default)") : TText();
}

TText RegTypeName(std::uint32_t vType) {
  static const char16_t* const kNames[] = {u"REG_NONE",
                                           u"REG_SZ",
                                           u"REG_EXPAND_SZ",
                                           u"REG_BINARY",
                                           u"REG_DWORD",
                                           u"REG_DWORD_BIG_ENDIAN",
                                           u"REG_LINK",
                                           u"REG_MULTI_SZ",
                                           u"REG_RESOURCE_LIST",
                                           u"REG_FULL_RESOURCE_DESCRIPTOR",
                                           u"REG_RESOURCE_REQUIREMENTS_LIST"};
  if (vType < std::size(kNames)) return kNames[vType];
  char buf[24];
  std::snprintf(buf, sizeof buf, "Hex(%X)", unsigned(vType));
  return Ascii(buf);
}

TText DataText(std::uint32_t vType, TBytes vData) {
  TText text = MakeDataView(vType, vData.data(), vData.size()).fText;
  for (char16_t& c : text)
    if (c < 32) c = u'.';
  return text;
}

TViewKind ChooseView(std::uint32_t vType, std::uint32_t vSize) {
  switch (vType) {
    case kRegSz:
    case kRegExpandSz:
    case kRegMultiSz:
      return vkText;
    case kRegDword:
    case kRegDwordBigEndian:
      return vSize == 4 ? vkNumber : vkBinary;
    default:
      return vkBinary;
  }
}

TNumberLabels NumberLabels(TBytes vFourBytes) {
  std::uint32_t n = 0;
  for (std::size_t i = 0; i < 4 && i < vFourBytes.size(); ++i)
    n |= std::uint32_t(vFourBytes[i]) << (8 * i);
  char dec[16], hex[16];
  std::snprintf(dec, sizeof dec, "%u", unsigned(n));
  std::snprintf(hex, sizeof hex, "0x%08X", unsigned(n));
  return {Ascii(dec), Ascii(hex)};
}

TText SizeText(std::uint64_t vSize, TTextView vSeparator) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(vSize));
  const TText digits = Ascii(buf);
  TText out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += vSeparator;
    out += digits[i];
  }
  return out;
}

char16_t GridChar(std::uint8_t vByte) {
  const bool dot = vByte < 32 || (vByte >= 127 && vByte <= 129) || (vByte >= 141 && vByte <= 144) ||
                   vByte == 157 || vByte == 158;
  return dot ? u'.' : char16_t(vByte);
}

std::int32_t TByteGrid::RowCount() const {
  if (fBytes.empty()) return 1;
  return std::int32_t((fBytes.size() - 1) / 8 + 1);
}

std::int32_t TByteGrid::ByteAt(std::int32_t vRow, std::int32_t vCol) const {
  if (vRow < 0 || vCol < 1 || vCol > 8) return -1;
  const std::size_t at = std::size_t(vRow) * 8 + std::size_t(vCol - 1);
  return at < fBytes.size() ? fBytes[at] : -1;
}

TText TByteGrid::Cell(std::int32_t vRow, std::int32_t vCol) const {
  if (vRow < 0 || vRow >= RowCount()) return TText();
  if (vCol == 0) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%04X", unsigned(vRow) * 8u);
    return Ascii(buf);
  }
  if (vCol >= 1 && vCol <= 8) {
    const std::int32_t b = ByteAt(vRow, vCol);
    if (b < 0) return TText();
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    return {kDigits[b >> 4], kDigits[b & 15]};
  }
  if (vCol == 10 && !fBytes.empty()) {
    TText chars;
    for (std::int32_t c = 1; c <= 8; ++c) {
      const std::int32_t b = ByteAt(vRow, c);
      chars += b < 0 ? u' ' : GridChar(std::uint8_t(b));
    }
    return chars;
  }
  return TText();
}

TShownValue ShowValue(TRegCursor& vCursor, const TDetailState& vState, TTextView vName,
                      TTextView vSeparator) {
  TShownValue shown;
  if (!OpenKey(vCursor, vState.DetRoot, vState.DetKStr)) return shown;
  std::uint32_t type = 0, size = 0;
  if (!vCursor.QueryValue(vName, type, size)) return shown;
  std::vector<std::uint8_t> data(size);
  std::uint32_t got = size;
  const bool read = vCursor.ReadValue(vName, data.data(), type, got);
  vCursor.CloseKey();
  // Data that grew between the query and the read is not shown; data that shrank is shown
  // as read.
  if (!read) return shown;
  size = std::min(size, got);
  data.resize(size);
  shown.fRead = true;
  shown.fText = DataText(type, data);
  shown.fNumber = size == 4;
  if (shown.fNumber) shown.fLabels = NumberLabels(data);
  shown.fType = RegTypeName(type);
  shown.fSize = SizeText(size, vSeparator);
  shown.fView = ChooseView(type, size);
  shown.fData = std::move(data);
  return shown;
}

}  // namespace corvane
