#include "ui/copy/copylogic.h"

#include <vector>

#include "search/dataview.h"
#include "search/number.h"
#include "ui/detail/detaillogic.h"

namespace corvane {

namespace {

TText HexBytes(const std::uint8_t* vBytes, std::size_t vSize) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  TText t;
  t.reserve(vSize * 3);
  for (std::size_t i = 0; i < vSize; ++i) {
    if (i > 0) t += u' ';
    t += kDigits[vBytes[i] >> 4];
    t += kDigits[vBytes[i] & 15];
  }
  return t;
}

TText QwordForm(const std::uint8_t* vBytes) {
  std::uint64_t n = 0;
  for (int i = 7; i >= 0; --i) n = (n << 8) | vBytes[i];
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  TText t = u"0x";
  for (int shift = 60; shift >= 0; shift -= 4) t += kDigits[(n >> shift) & 15];
  return t + u" (" + DecimalText(n) + u")";
}

}  // namespace

TCopySource CopySourceOfHit(const TResult& vHit, THitsFrom vFrom) {
  TCopySource s;
  s.fHasKey = true;
  s.fKeyPath = vHit.fKeyStr;
  s.fRoot = vHit.froot;
  s.fHasValue = !IsKeyHit(vHit, vFrom);
  if (s.fHasValue) s.fValueName = vHit.fValStr;
  return s;
}

bool CanCopy(const TCopySource& vSource, TCopyWhat vWhat) {
  return vSource.fHasKey && (vWhat == cwKeyPath || vSource.fHasValue);
}

TText DataClipText(std::uint32_t vType, const std::uint8_t* vBytes, std::size_t vSize) {
  // The text and number the search matches on: units little-endian, a 4-byte number in the
  // byte order of its type.
  const TDataView view = MakeDataView(vType, vBytes, vSize);
  switch (vType) {
    case kRegSz:
    case kRegExpandSz:
    case kRegLink: {
      TText t = view.fText;
      const auto zero = t.find(u'\0');
      if (zero != TText::npos) t.resize(zero);
      return t;
    }
    case kRegMultiSz: {
      // The strings end at their zeros; the list ends at an empty string or the data's end.
      const TText& all = view.fText;
      TText t;
      std::size_t at = 0;
      while (at < all.size()) {
        const auto zero = all.find(u'\0', at);
        const std::size_t end = zero == TText::npos ? all.size() : zero;
        if (end == at) break;
        if (!t.empty()) t += u"\r\n";
        t.append(all, at, end - at);
        at = end + 1;
      }
      return t;
    }
    case kRegDword:
    case kRegDwordBigEndian:
      if (view.fHasNumber) return NumberForm(view.fNumber);
      break;
    case kRegQword:
      if (vSize == 8) return QwordForm(vBytes);
      break;
    default:
      break;
  }
  return HexBytes(vBytes, vSize);
}

bool CopyText(const TCopySource& vSource, TCopyWhat vWhat, TRegCursor& vCursor, TText& vText) {
  if (!CanCopy(vSource, vWhat)) return false;
  switch (vWhat) {
    case cwKeyPath:
      vText = vSource.fKeyPath;
      return true;
    case cwValueName:
      vText = vSource.fValueName;
      return true;
    case cwData:
      break;
  }
  vCursor.SelectRoot(vSource.fRoot);
  if (!vCursor.OpenRead(DetailKeyPath(vSource.fKeyPath))) return false;
  // The value may change between the size query and the read: ask again once.
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::uint32_t type = 0, size = 0;
    if (!vCursor.QueryValue(vSource.fValueName, type, size)) break;
    std::vector<std::uint8_t> data(size);
    if (vCursor.ReadValue(vSource.fValueName, data.data(), type, size)) {
      vText = DataClipText(type, data.data(), size);
      vCursor.CloseKey();
      return true;
    }
  }
  vCursor.CloseKey();
  return false;
}

TText CopyFailedText(const TCopySource& vSource) {
  const TText name = vSource.fValueName.empty() ? TText(u"(default)") : vSource.fValueName;
  return u"The data could not be read: the value " + name + u" of " + vSource.fKeyPath +
         u" is no longer there or cannot be read";
}

}  // namespace corvane
