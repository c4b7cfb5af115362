#include "about/verres.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "text/ansi.h"
#include "text/compare.h"

namespace corvane {
namespace {

constexpr char16_t kRootKey[] = u"VS_VERSION_INFO";

constexpr std::size_t Align4(std::size_t x) {
  return (x + 3) & ~std::size_t(3);
}

// Little-endian reads; the caller has checked that the bytes lie inside vBytes.
std::uint16_t U16(TByteView vBytes, std::size_t vAt) {
  return static_cast<std::uint16_t>(vBytes[vAt] | (vBytes[vAt + 1] << 8));
}
std::uint32_t U32(TByteView vBytes, std::size_t vAt) {
  return U16(vBytes, vAt) | (std::uint32_t(U16(vBytes, vAt + 2)) << 16);
}

// The text at vAt up to its NUL or the end of vRec, in the layout's encoding. vUnits
// receives its length in the layout's units (characters or bytes), without the NUL.
TText ReadSz(TByteView vRec, std::size_t vAt, bool vUnicode, std::size_t& vUnits) {
  if (vUnicode) {
    TText text;
    for (std::size_t i = vAt; i + 2 <= vRec.size(); i += 2) {
      const char16_t c = U16(vRec, i);
      if (c == 0) break;
      text += c;
    }
    vUnits = text.size();
    return text;
  }
  std::string bytes;
  for (std::size_t i = vAt; i < vRec.size() && vRec[i] != 0; ++i) bytes += char(vRec[i]);
  vUnits = bytes.size();
  return AnsiToText(bytes);
}

// The header of one record: wLength, wValueLength, [wType,] key, then the value or the
// first child at the value offset.
struct TRecord {
  TByteView fBytes;  // exactly the record's wLength bytes
  std::uint16_t fValueLength = 0;
  TText fKey;
  std::size_t fValueAt = 0;  // relative to the record; may lie at or past its end
};

// The record at vAt of vParent; false when its wLength cannot even hold the fields before the
// key, or reaches past vParent. Both would make a walk stand still or leave its parent.
bool ReadRecord(TByteView vParent, std::size_t vAt, bool vUnicode, TRecord& r) {
  const std::size_t keyAt = vUnicode ? 6 : 4;
  if (vAt > vParent.size() || vParent.size() - vAt < 4) return false;
  const std::size_t length = U16(vParent, vAt);
  if (length < keyAt || length > vParent.size() - vAt) return false;
  r.fBytes = vParent.subspan(vAt, length);
  r.fValueLength = U16(r.fBytes, 2);
  std::size_t keyUnits = 0;
  r.fKey = ReadSz(r.fBytes, keyAt, vUnicode, keyUnits);
  r.fValueAt = Align4(keyAt + (vUnicode ? 2 : 1) * (keyUnits + 1));
  return true;
}

[[noreturn]] void IndexError(std::int32_t vIndex) {
  throw std::out_of_range(ToUtf8(u"Listenindex au\u00dferhalb des g\u00fcltigen Bereichs (") +
                          std::to_string(vIndex) + ")");
}

template <typename T>
const T& At(const std::vector<T>& vList, std::int32_t vIndex) {
  if (vIndex < 0 || static_cast<std::size_t>(vIndex) >= vList.size()) IndexError(vIndex);
  return vList[static_cast<std::size_t>(vIndex)];
}

// The value of the first "name=value" line whose name matches, as TStrings.Values does.
TText ValueOf(const std::vector<TText>& vList, TTextView vName) {
  const TLocaleCompare& compare = PlatformCompare();
  for (const TText& line : vList) {
    const auto eq = line.find(u'=');
    if (eq != TText::npos && compare.Same(TTextView(line).substr(0, eq), vName))
      return line.substr(eq + 1);
  }
  return {};
}

bool Contains(const std::vector<TText>& vList, TTextView vText) {
  const TLocaleCompare& compare = PlatformCompare();
  return std::any_of(vList.begin(), vList.end(),
                     [&](const TText& line) { return compare.Same(line, vText); });
}

TText Hex4(std::uint32_t v) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  TText r(4, u'0');
  for (int i = 3; i >= 0; --i, v >>= 4) r[static_cast<std::size_t>(i)] = kDigits[v & 15];
  return r;
}

TText Decimal(std::uint32_t v) {
  return FromUtf8(std::to_string(v));
}

TText Version(std::uint32_t vMS, std::uint32_t vLS) {
  return Decimal(vMS >> 16) + u'.' + Decimal(vMS & 0xFFFF) + u'.' + Decimal(vLS >> 16) + u'.' +
         Decimal(vLS & 0xFFFF);
}

int Score(const TText& vKey) {
  const TTextView preferred(DefaultLanguage);
  if (vKey == preferred) return 3;
  if (vKey.size() >= 4 && TTextView(vKey).substr(0, 4) == preferred.substr(0, 4)) return 2;
  return 1;
}

}  // namespace

TVerLangObj::TVerLangObj(TByteView vTable, bool vUnicode) {
  TRecord table;
  if (!ReadRecord(vTable, 0, vUnicode, table)) return;
  fLanguage = FoldAZ(table.fKey);
  TRecord entry;
  for (std::size_t at = table.fValueAt;
       at < table.fBytes.size() && ReadRecord(table.fBytes, at, vUnicode, entry);
       at = Align4(at + entry.fBytes.size())) {
    std::size_t units = 0;
    fList.push_back(entry.fKey + u'=' + ReadSz(entry.fBytes, entry.fValueAt, vUnicode, units));
  }
}

TVerInfoObj::TVerInfoObj(const TText& S, const TVerSource& vSource) {
  fStatus = vsNoInfo;
  const std::uint32_t size = vSource.InfoSize(S);
  if (size == 0) return;
  std::vector<std::uint8_t> buff(size);
  fStatus = vsReadFailed;
  if (!vSource.ReadInfo(S, buff)) return;
  Walk(buff);
}

TVerInfoObj::TVerInfoObj(TByteView vBlock) {
  Walk(vBlock);
}

void TVerInfoObj::Walk(TByteView vBlock) {
  TRecord root;
  fUnicode = ReadRecord(vBlock, 0, true, root) && root.fKey == kRootKey;
  const bool found = fUnicode || (ReadRecord(vBlock, 0, false, root) && root.fKey == kRootKey);
  fStatus = vsWrongRoot;
  if (!found) return;

  fVFFI = {};
  if (root.fValueLength != 0 && root.fValueAt <= root.fBytes.size() &&
      root.fBytes.size() - root.fValueAt >= kFixedInfoSize) {
    std::uint32_t* const fields[] = {
        &fVFFI.dwSignature,     &fVFFI.dwStrucVersion,     &fVFFI.dwFileVersionMS,
        &fVFFI.dwFileVersionLS, &fVFFI.dwProductVersionMS, &fVFFI.dwProductVersionLS,
        &fVFFI.dwFileFlagsMask, &fVFFI.dwFileFlags,        &fVFFI.dwFileOS,
        &fVFFI.dwFileType,      &fVFFI.dwFileSubtype,      &fVFFI.dwFileDateMS,
        &fVFFI.dwFileDateLS};
    std::size_t at = root.fValueAt;
    for (std::uint32_t* field : fields) {
      *field = U32(root.fBytes, at);
      at += 4;
    }
  }

  TRecord child;
  for (std::size_t at = Align4(root.fValueAt + root.fValueLength);
       at < root.fBytes.size() && ReadRecord(root.fBytes, at, fUnicode, child);
       at = Align4(at + child.fBytes.size())) {
    if (child.fKey == u"StringFileInfo") {
      TRecord table;
      for (std::size_t t = child.fValueAt;
           t < child.fBytes.size() && ReadRecord(child.fBytes, t, fUnicode, table);
           t = Align4(t + table.fBytes.size()))
        Place(TVerLangObj(table.fBytes, fUnicode));
    } else if (child.fKey == u"VarFileInfo") {
      // Only the first child, the translation record, whatever its key.
      TRecord translation;
      if (ReadRecord(child.fBytes, child.fValueAt, fUnicode, translation)) {
        for (std::size_t i = translation.fValueAt; i + 4 <= translation.fBytes.size(); i += 4) {
          const std::uint32_t item = U32(translation.fBytes, i);
          fVarLangs.push_back(Hex4(item & 0xFFFF) + Hex4(item >> 16));
        }
      }
    }
  }
  fStatus = fStrLangs.empty() ? vsNoTables : vsTables;
}

// Line 0 holds the first table, in block order, among those of the highest score.
void TVerInfoObj::Place(TVerLangObj vTable) {
  if (!fStrLangs.empty() && Score(vTable.Language()) > Score(fStrLangs.front().Language()))
    fStrLangs.insert(fStrLangs.begin(), std::move(vTable));
  else
    fStrLangs.push_back(std::move(vTable));
}

const TText& TVerInfoObj::GetLanguage(std::int32_t Index) const {
  return At(fStrLangs, Index).Language();
}

const TText& TVerInfoObj::GetLangString(std::int32_t IndexL, std::int32_t IndexS) const {
  return At(At(fStrLangs, IndexL).List(), IndexS);
}

TText TVerInfoObj::GetLangValue(TTextView Lang, TTextView Name) const {
  const TLocaleCompare& compare = PlatformCompare();
  for (const TVerLangObj& table : fStrLangs)
    if (compare.Same(table.Language(), Lang)) return ValueOf(table.List(), Name);
  return {};
}

TText TVerInfoObj::GetString(std::int32_t Index) const {
  if (fStrLangs.empty()) return {};
  return At(fStrLangs.front().List(), Index);
}

TText TVerInfoObj::GetValue(TTextView Name) const {
  if (fStrLangs.empty()) return {};
  return ValueOf(fStrLangs.front().List(), Name);
}

bool TVerInfoObj::LangProb(TText& S) const {
  S.clear();
  TText agreement;
  if (fVarLangs.empty()) agreement = u"(NO VarFileInfo)\r\n";
  for (const TVerLangObj& table : fStrLangs) {
    if (Contains(fVarLangs, table.Language()))
      agreement += table.Language() + u" (both - OK)\r\n";
    else
      S += table.Language() + u" ONLY StringFileInfo\r\n";
  }
  for (const TText& translation : fVarLangs) {
    const bool hasTable =
        std::any_of(fStrLangs.begin(), fStrLangs.end(), [&](const TVerLangObj& table) {
          return PlatformCompare().Same(table.Language(), translation);
        });
    if (!hasTable) S += translation + u" ONLY VarFileInfo\r\n";
  }
  if (S.empty()) return false;
  S += agreement;
  return true;
}

std::int32_t TVerInfoObj::Count() const {
  return fStrLangs.empty() ? 0 : static_cast<std::int32_t>(fStrLangs.front().List().size());
}

TText TVerInfoObj::FileTypeS() const {
  switch (fVFFI.dwFileType) {
    case 0:
      return u"UNKNOWN";
    case 1:
      return u"APP";
    case 2:
      return u"DLL";
    case 3:
      return u"DRV";
    case 4:
      return u"FONT";
    case 5:
      return u"VXD";
    case 7:
      return u"STATIC_LIB";
    default:
      return {};
  }
}

TText TVerInfoObj::FileVersion() const {
  if (fVFFI.dwSignature != kFixedInfoSignature) return {};
  return Version(fVFFI.dwFileVersionMS, fVFFI.dwFileVersionLS);
}

TText TVerInfoObj::ProductVersion() const {
  if (fVFFI.dwSignature != kFixedInfoSignature) return {};
  return Version(fVFFI.dwProductVersionMS, fVFFI.dwProductVersionLS);
}

}  // namespace corvane
