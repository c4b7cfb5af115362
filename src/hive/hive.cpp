#include "hive/hive.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace corvane {
namespace {

std::uint16_t Get16(const std::uint8_t* p) {
  return std::uint16_t(p[0] | (p[1] << 8));
}
std::uint32_t Get32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}
std::uint64_t Get64(const std::uint8_t* p) {
  return std::uint64_t(Get32(p)) | (std::uint64_t(Get32(p + 4)) << 32);
}
bool Sig(const std::uint8_t* p, char a, char b) {
  return p[0] == std::uint8_t(a) && p[1] == std::uint8_t(b);
}

// Offsets inside the base block.
constexpr std::size_t kSeq1 = 4, kSeq2 = 8, kMajor = 20, kMinor = 24, kFileType = 28,
                      kRootCell = 36, kBinsSize = 40, kChecksum = 508;
// Offsets inside a hive bin header, and its size.
constexpr std::size_t kBinOffset = 4, kBinSize = 8, kBinHeader = 32;
// Fixed parts of the records, before their names.
constexpr std::uint32_t kKeyFixed = 76, kValueFixed = 20;

TText Hex(std::uint64_t v) {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  TText t;
  do {
    t.insert(t.begin(), kDigits[v & 15]);
    v >>= 4;
  } while (v);
  return u"0x" + t;
}

TText At(std::uint64_t vFileOffset) {
  return u"byte offset " + Hex(vFileOffset);
}

// Marks repeated entries of vCells (the later ones) and removes them with every kNoCell.
void KeepFirst(std::vector<std::uint32_t>& vCells, std::vector<std::uint64_t>& vScratch) {
  const std::size_t n = vCells.size();
  if (n < 2) return;
  if (n <= 16) {
    // Short lists, the most common: no sort needed.
    bool repeated = false;
    for (std::size_t i = 1; i < n; ++i) {
      for (std::size_t j = 0; j < i && vCells[i] != kNoCell; ++j) {
        if (vCells[j] == vCells[i]) {
          vCells[i] = kNoCell;
          repeated = true;
        }
      }
    }
    if (repeated) vCells.erase(std::remove(vCells.begin(), vCells.end(), kNoCell), vCells.end());
    return;
  }
  vScratch.clear();
  for (std::size_t i = 0; i < vCells.size(); ++i)
    vScratch.push_back((std::uint64_t(vCells[i]) << 32) | i);
  std::sort(vScratch.begin(), vScratch.end());
  bool repeated = false;
  for (std::size_t i = 1; i < vScratch.size(); ++i) {
    if ((vScratch[i] >> 32) == (vScratch[i - 1] >> 32)) {
      vCells[std::uint32_t(vScratch[i])] = kNoCell;
      repeated = true;
    }
  }
  if (repeated) vCells.erase(std::remove(vCells.begin(), vCells.end(), kNoCell), vCells.end());
}

}  // namespace

// XOR of the first 127 double words; 0 and -1 are kept for "none" and become 1 and -2.
std::uint32_t BaseBlockChecksum(const std::uint8_t* vBase) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < kChecksum; i += 4) sum ^= Get32(vBase + i);
  if (sum == 0xFFFFFFFFu) return 0xFFFFFFFEu;
  if (sum == 0) return 1;
  return sum;
}

TText THiveName::Text() const {
  TText t;
  AssignTo(t);
  return t;
}

void THiveName::AssignTo(TText& vText) const {
  const std::size_t n = Size();
  vText.resize(n);
  char16_t* out = vText.data();
  if (fCompressed) {
    for (std::size_t i = 0; i < n; ++i) out[i] = char16_t(fBytes[i]);
  } else if constexpr (std::endian::native == std::endian::little) {
    if (n > 0) std::memcpy(out, fBytes, 2 * n);
  } else {
    for (std::size_t i = 0; i < n; ++i) out[i] = At(i);
  }
}

bool THiveName::Equals(TTextView vName) const {
  const std::size_t n = Size();
  if (n != vName.size()) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (At(i) != vName[i]) return false;
  return true;
}

int THiveName::CompareFold(TTextView vName) const {
  const std::size_t n = Size(), m = std::min(n, vName.size());
  for (std::size_t i = 0; i < m; ++i) {
    const char16_t a = At(i), b = vName[i];
    if (a == b) continue;  // most names compare equal as they are
    const char16_t x = FoldWide(a), y = FoldWide(b);
    if (x != y) return x < y ? -1 : 1;
  }
  if (n == vName.size()) return 0;
  return n < vName.size() ? -1 : 1;
}

std::unique_ptr<THive> THive::Open(const TText& vPath, TText& vError) {
  std::unique_ptr<THive> hive(new THive);
  hive->fPath = vPath;
  TText why;
  if (!hive->fFile.Open(vPath, why)) {
    vError = u"Cannot open " + vPath + u": " + why;
    return nullptr;
  }
  if (!hive->Parse(hive->fFile.Data(), hive->fFile.Size(), vError)) return nullptr;
  return hive;
}

std::unique_ptr<THive> THive::FromBytes(std::vector<std::uint8_t> vBytes, const TText& vPath,
                                        TText& vError) {
  std::unique_ptr<THive> hive(new THive);
  hive->fPath = vPath;
  hive->fBytes = std::move(vBytes);
  if (!hive->Parse(hive->fBytes.data(), hive->fBytes.size(), vError)) return nullptr;
  return hive;
}

bool THive::Parse(const std::uint8_t* vData, std::size_t vSize, TText& vError) {
  if (vSize < kHiveBinsStart) {
    vError = fPath + u" is not a registry hive file: it is " + DecimalText(vSize) +
             u" bytes long, shorter than a hive's base block";
    return false;
  }
  if (std::memcmp(vData, "regf", 4) != 0) {
    vError = fPath + u" is not a registry hive file: it does not begin with \"regf\"";
    return false;
  }
  const std::uint32_t major = Get32(vData + kMajor);
  fMinor = Get32(vData + kMinor);
  if (major != 1 || fMinor < 3 || fMinor > 6) {
    vError = fPath + u": hive format version " + DecimalText(major) + u"." + DecimalText(fMinor) +
             u" is not supported (" + At(kMajor) + u")";
    return false;
  }
  if (Get32(vData + kChecksum) != BaseBlockChecksum(vData)) {
    vError = fPath + u": the checksum of the base block is wrong (" + At(kChecksum) + u")";
    return false;
  }
  if (Get32(vData + kFileType) != 0) {
    vError = fPath + u" is a transaction log or another kind of hive file, not a primary hive (" +
             At(kFileType) + u")";
    return false;
  }
  fData = std::span<const std::uint8_t>(vData, vSize);
  fDirty = Get32(vData + kSeq1) != Get32(vData + kSeq2);
  fDeclaredLength = Get32(vData + kBinsSize);
  const std::uint64_t available = vSize - kHiveBinsStart;
  fBins = vData + kHiveBinsStart;

  // The bins lie end to end; the first one that is missing or damaged ends what is read.
  std::uint64_t pos = 0;
  while (pos < fDeclaredLength) {
    if (available - pos < kBinHeader) break;  // pos never passes available
    const std::uint8_t* bin = fBins + pos;
    const std::uint32_t size = Get32(bin + kBinSize);
    if (std::memcmp(bin, "hbin", 4) != 0 || Get32(bin + kBinOffset) != pos || size < 4096 ||
        size % 4096 != 0 || pos + size > fDeclaredLength || pos + size > available)
      break;
    pos += size;
  }
  fLength = static_cast<std::uint32_t>(pos);
  fTruncated = pos < fDeclaredLength;
  if (fLength == 0) {
    vError = fPath + u": the hive has no bin that can be read (" + At(kHiveBinsStart) + u")";
    return false;
  }
  fRoot = Get32(vData + kRootCell);
  THiveKey root;
  if (!Key(fRoot, root)) {
    vError = fPath + u": the root key cannot be read (" + At(FileOffset(fRoot)) + u")";
    return false;
  }
  return true;
}

TText THive::FileName() const {
  const std::size_t cut = fPath.find_last_of(u"\\/");
  return cut == TText::npos ? fPath : fPath.substr(cut + 1);
}

TText THive::DirtyNotice() const {
  return FileName() +
         u" was not closed cleanly; changes still in its transaction logs are not included";
}

TText THive::TruncatedNotice() const {
  return FileName() + u" ends early: its hive bins stop at " + At(FileOffset(fLength)) + u" of " +
         DecimalText(std::uint64_t(fDeclaredLength) + kHiveBinsStart) +
         u" bytes; what lies beyond is not included";
}

const std::uint8_t* THive::Cell(std::uint32_t vCell, std::uint32_t& vSize) const {
  if ((vCell & 3) != 0 || vCell >= fLength || fLength - vCell < 8) return nullptr;
  const auto raw = static_cast<std::int32_t>(Get32(fBins + vCell));
  if (raw >= 0) return nullptr;  // a free cell
  const std::int64_t size = -std::int64_t(raw);
  if (size < 8 || size > std::int64_t(fLength - vCell)) return nullptr;
  vSize = static_cast<std::uint32_t>(size - 4);
  return fBins + vCell + 4;
}

bool THive::Key(std::uint32_t vCell, THiveKey& vKey) const {
  std::uint32_t n = 0;
  const std::uint8_t* p = Cell(vCell, n);
  if (!p || n < kKeyFixed || !Sig(p, 'n', 'k')) return false;
  const std::uint16_t nameLength = Get16(p + 72);
  if (nameLength > n - kKeyFixed) return false;
  vKey.fCell = vCell;
  vKey.fFlags = Get16(p + 2);
  vKey.fWriteTime = Get64(p + 4);
  vKey.fParent = Get32(p + 16);
  vKey.fSubkeyCount = Get32(p + 20);
  vKey.fSubkeyList = Get32(p + 28);
  vKey.fValueCount = Get32(p + 36);
  vKey.fValueList = Get32(p + 40);
  vKey.fSecurity = Get32(p + 44);
  vKey.fClass = Get32(p + 48);
  vKey.fClassLength = Get16(p + 74);
  vKey.fName.fBytes = p + kKeyFixed;
  vKey.fName.fCompressed = (vKey.fFlags & kKeyCompName) != 0;
  // A UTF-16 name of an odd length ends with half a character, which is dropped.
  vKey.fName.fLength = nameLength;
  return true;
}

bool THive::Child(const THiveKey& vParent, std::uint32_t vCell, THiveKey& vKey) const {
  return vCell != vParent.fCell && Key(vCell, vKey) && vKey.fParent == vParent.fCell;
}

void THive::AddList(std::uint32_t vCell, std::uint32_t vLimit, bool vInIndex,
                    std::vector<std::uint32_t>& vCells) const {
  std::uint32_t n = 0;
  const std::uint8_t* p = Cell(vCell, n);
  if (!p || n < 4) return;
  const bool index = Sig(p, 'r', 'i');
  std::uint32_t entry = 0;
  if (index || Sig(p, 'l', 'i'))
    entry = 4;
  else if (Sig(p, 'l', 'f') || Sig(p, 'l', 'h'))
    entry = 8;
  // An index root lists leaf lists only: one inside another could lead round in a loop.
  if (entry == 0 || (index && vInIndex)) return;
  const std::uint32_t count = std::min<std::uint32_t>(Get16(p + 2), (n - 4) / entry);
  for (std::uint32_t i = 0; i < count && vCells.size() < vLimit; ++i) {
    const std::uint32_t cell = Get32(p + 4 + i * entry);
    if (index)
      AddList(cell, vLimit, true, vCells);
    else
      vCells.push_back(cell);
  }
}

void THive::SubkeyCells(const THiveKey& vKey, std::vector<std::uint32_t>& vCells,
                        std::vector<std::uint64_t>& vScratch) const {
  vCells.clear();
  if (vKey.fSubkeyCount == 0) return;
  // No list names more key nodes than the bins have room for (each takes 80 bytes at
  // least); index roots that repeat a leaf list cannot make more of them.
  AddList(vKey.fSubkeyList, std::min(vKey.fSubkeyCount, fLength / 80), false, vCells);
  KeepFirst(vCells, vScratch);
}

void THive::ValueCells(const THiveKey& vKey, std::vector<std::uint32_t>& vCells) const {
  vCells.clear();
  if (vKey.fValueCount == 0) return;
  std::uint32_t n = 0;
  const std::uint8_t* p = Cell(vKey.fValueList, n);
  if (!p) return;
  const std::uint32_t count = std::min(vKey.fValueCount, n / 4);
  vCells.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) vCells.push_back(Get32(p + 4 * i));
}

bool THive::Value(std::uint32_t vCell, THiveValue& vValue) const {
  std::uint32_t n = 0;
  const std::uint8_t* p = Cell(vCell, n);
  if (!p || n < kValueFixed || !Sig(p, 'v', 'k')) return false;
  const std::uint16_t nameLength = Get16(p + 2);
  if (nameLength > n - kValueFixed) return false;
  vValue.fCell = vCell;
  vValue.fName.fBytes = p + kValueFixed;
  vValue.fName.fLength = nameLength;
  vValue.fName.fCompressed = (Get16(p + 16) & kValueCompName) != 0;
  vValue.fType = Get32(p + 12);
  const std::uint32_t size = Get32(p + 4);
  // The top bit of the size: the data (at most 4 bytes) stand in the data offset field.
  vValue.fInline = (size & 0x80000000u) != 0;
  vValue.fSize = size & 0x7FFFFFFFu;
  vValue.fSizeValid = !vValue.fInline || vValue.fSize <= 4;
  vValue.fDataCell = vValue.fInline ? kNoCell : Get32(p + 8);
  std::memcpy(vValue.fInlineData, p + 8, 4);
  return true;
}

bool THive::BigData(const THiveValue& vValue, const std::uint8_t* vCell,
                    std::uint32_t vSize) const {
  return fMinor >= 4 && vValue.fSize > kHiveSegmentBytes && vSize >= 8 && Sig(vCell, 'd', 'b');
}

const std::uint8_t* THive::DataInPlace(const THiveValue& vValue) const {
  if (!vValue.fSizeValid) return nullptr;
  // Value() found the record whole, so its data offset field can be read.
  if (vValue.fInline) return fBins + vValue.fCell + 4 + 8;
  if (vValue.fSize == 0) return fBins;
  if (vValue.fSize > fLength) return nullptr;
  std::uint32_t n = 0;
  const std::uint8_t* p = Cell(vValue.fDataCell, n);
  if (!p || BigData(vValue, p, n) || n < vValue.fSize) return nullptr;
  return p;
}

bool THive::ReadData(const THiveValue& vValue, std::uint8_t* vOut) const {
  if (const std::uint8_t* in = DataInPlace(vValue)) {
    if (vValue.fSize > 0) std::memcpy(vOut, in, vValue.fSize);
    return true;
  }
  if (!vValue.fSizeValid || vValue.fInline || vValue.fSize > fLength) return false;
  std::uint32_t n = 0;
  const std::uint8_t* p = Cell(vValue.fDataCell, n);
  if (!p || !BigData(vValue, p, n)) return false;
  // Big data: a list of segments, each holding the next kHiveSegmentBytes bytes.
  const std::uint32_t segments = Get16(p + 2);
  if (segments != (vValue.fSize + kHiveSegmentBytes - 1) / kHiveSegmentBytes) return false;
  std::uint32_t listSize = 0;
  const std::uint8_t* list = Cell(Get32(p + 4), listSize);
  if (!list || listSize / 4 < segments) return false;
  std::uint32_t left = vValue.fSize;
  for (std::uint32_t i = 0; i < segments; ++i) {
    std::uint32_t segmentSize = 0;
    const std::uint8_t* segment = Cell(Get32(list + 4 * i), segmentSize);
    const std::uint32_t chunk = std::min(left, kHiveSegmentBytes);
    if (!segment || segmentSize < chunk) return false;
    std::memcpy(vOut, segment, chunk);
    vOut += chunk;
    left -= chunk;
  }
  return true;
}

TText THive::ClassName(const THiveKey& vKey) const {
  TText text;
  if (vKey.fClassLength == 0) return text;
  std::uint32_t n = 0;
  const std::uint8_t* p = Cell(vKey.fClass, n);
  if (!p || n < vKey.fClassLength) return text;
  THiveName name{p, vKey.fClassLength, false};
  name.AssignTo(text);
  return text;
}

std::uint32_t THive::ClassLength(const THiveKey& vKey) const {
  if (vKey.fClassLength == 0) return 0;
  std::uint32_t n = 0;
  const std::uint8_t* p = Cell(vKey.fClass, n);
  return p && n >= vKey.fClassLength ? vKey.fClassLength / 2u : 0;
}

std::uint32_t THive::SecuritySize(const THiveKey& vKey) const {
  std::uint32_t n = 0;
  const std::uint8_t* p = Cell(vKey.fSecurity, n);
  if (!p || n < 20 || !Sig(p, 's', 'k')) return 0;
  const std::uint32_t size = Get32(p + 16);
  return size <= n - 20 ? size : 0;
}

}  // namespace corvane
