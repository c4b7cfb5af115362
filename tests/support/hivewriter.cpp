#include "support/hivewriter.h"

#include <algorithm>
#include <stdexcept>

#include "hive/hive.h"
#include "hive/hivelog.h"

namespace corvane::test {
namespace {

constexpr std::uint32_t kBlock = 4096;      // the base block, and the unit of bin sizes
constexpr std::uint32_t kBinHeader = 32;
constexpr std::uint32_t kSegment = 16344;   // bytes of data one big data segment holds
constexpr std::uint32_t kNone = 0xFFFFFFFFu;
constexpr std::uint32_t kMaxListEntries = 0xFFFF;

void Put16At(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
  b[at] = std::uint8_t(v);
  b[at + 1] = std::uint8_t(v >> 8);
}
void Put32At(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
}
void Put64At(std::vector<std::uint8_t>& b, std::size_t at, std::uint64_t v) {
  Put32At(b, at, std::uint32_t(v));
  Put32At(b, at + 4, std::uint32_t(v >> 32));
}
std::uint32_t Get32At(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) |
         (std::uint32_t(b[at + 2]) << 16) | (std::uint32_t(b[at + 3]) << 24);
}

// A name as the file stores it, and whether it is one byte a character.
struct TStored {
  std::vector<std::uint8_t> fBytes;
  bool fCompressed = false;
};

TStored Store(TTextView vName, bool vCompress) {
  TStored s;
  s.fCompressed = vCompress && std::all_of(vName.begin(), vName.end(),
                                           [](char16_t c) { return c <= 0xFF; });
  for (char16_t c : vName) {
    s.fBytes.push_back(std::uint8_t(c));
    if (!s.fCompressed) s.fBytes.push_back(std::uint8_t(c >> 8));
  }
  return s;
}

// The hash of an lh entry: the upper-cased characters, each added to 37 times the sum.
std::uint32_t NameHash(TTextView vName) {
  std::uint32_t h = 0;
  for (char16_t c : vName) h = h * 37 + FoldWide(c);
  return h;
}

class TWriter {
 public:
  TWriter(const THiveWriterOptions& vOptions, THiveImage& vImage)
      : fOpt(vOptions), fImage(vImage) {}

  void Write(const TMemKey& vRoot) {
    fSecurity = Alloc(40);
    Sig(fSecurity, "sk");
    Put32(fSecurity, 4, fSecurity);  // the list of descriptors holds this one alone
    Put32(fSecurity, 8, fSecurity);
    Put32(fSecurity, 16, 20);
    // A self-relative descriptor without owner, group or lists.
    Put16(fSecurity, 20, 1);
    Put16(fSecurity, 22, 0x8000);
    const std::uint32_t root = WriteKey(vRoot, kNone, u"");
    Put32(fSecurity, 12, fKeyCount);
    CloseBin();

    std::vector<std::uint8_t>& out = fImage.fBytes;
    out.assign(kBlock, 0);
    std::copy(std::begin("regf"), std::begin("regf") + 4, out.begin());
    Put32At(out, 4, fOpt.fDirty ? 2 : 1);
    Put32At(out, 8, 1);
    Put64At(out, 12, fOpt.fHeaderTime);
    Put32At(out, 20, 1);
    Put32At(out, 24, fOpt.fMinor);
    Put32At(out, 28, 0);
    Put32At(out, 32, 1);
    Put32At(out, 36, root);
    Put32At(out, 40, static_cast<std::uint32_t>(fBins.size()));
    Put32At(out, 44, 1);
    const TTextView name = TTextView(vRoot.fName).substr(0, 31);
    for (std::size_t i = 0; i < name.size(); ++i) Put16At(out, 48 + 2 * i, name[i]);
    out.insert(out.end(), fBins.begin(), fBins.end());
    fImage.FixChecksum();
  }

 private:
  // A cell of at least vSize bytes of data, allocated, in the current bin or a new one.
  std::uint32_t Alloc(std::uint32_t vSize) {
    const std::uint32_t cell = (vSize + 4 + 7) & ~7u;
    if (fPos + cell > fBinEnd) NewBin(cell);
    const std::uint32_t at = fPos;
    Put32At(fBins, at, static_cast<std::uint32_t>(-static_cast<std::int32_t>(cell)));
    fPos += cell;
    return at;
  }

  // What is left of the current bin becomes one free cell.
  void CloseBin() {
    if (fPos < fBinEnd) Put32At(fBins, fPos, fBinEnd - fPos);
    fPos = fBinEnd;
  }

  void NewBin(std::uint32_t vCell) {
    CloseBin();
    const std::uint32_t start = fBinEnd;
    const std::uint32_t size = (kBinHeader + vCell + kBlock - 1) / kBlock * kBlock;
    fBins.resize(std::size_t(start) + size, 0);
    std::copy(std::begin("hbin"), std::begin("hbin") + 4, fBins.begin() + start);
    Put32At(fBins, start + 4, start);
    Put32At(fBins, start + 8, size);
    Put64At(fBins, start + 20, fOpt.fHeaderTime);
    fBinEnd = start + size;
    fPos = start + kBinHeader;
  }

  std::size_t At(std::uint32_t vCell, std::uint32_t vAt) const { return std::size_t(vCell) + 4 + vAt; }
  void Put16(std::uint32_t c, std::uint32_t a, std::uint16_t v) { Put16At(fBins, At(c, a), v); }
  void Put32(std::uint32_t c, std::uint32_t a, std::uint32_t v) { Put32At(fBins, At(c, a), v); }
  void Put64(std::uint32_t c, std::uint32_t a, std::uint64_t v) { Put64At(fBins, At(c, a), v); }
  void Sig(std::uint32_t c, const char* s) {
    fBins[At(c, 0)] = std::uint8_t(s[0]);
    fBins[At(c, 1)] = std::uint8_t(s[1]);
  }
  void Bytes(std::uint32_t c, std::uint32_t a, const std::uint8_t* p, std::size_t n) {
    std::copy(p, p + n, fBins.begin() + static_cast<std::ptrdiff_t>(At(c, a)));
  }

  std::uint32_t WriteKey(const TMemKey& vKey, std::uint32_t vParent, const TText& vPath) {
    ++fKeyCount;
    const TStored name = Store(vKey.fName, fOpt.fCompressNames);
    const std::uint32_t node = Alloc(76 + static_cast<std::uint32_t>(name.fBytes.size()));
    THiveKeyCells cells;
    cells.fNode = node;

    std::uint32_t classCell = kNone;
    if (!vKey.fClass.empty()) {
      const TStored cls = Store(vKey.fClass, false);
      classCell = Alloc(static_cast<std::uint32_t>(cls.fBytes.size()));
      Bytes(classCell, 0, cls.fBytes.data(), cls.fBytes.size());
    }

    std::uint32_t maxValueName = 0, maxData = 0;
    std::vector<std::uint32_t> records;
    for (const TMemValue& v : vKey.fValues) {
      THiveValueCells vc = WriteValue(v);
      records.push_back(vc.fRecord);
      cells.fValues.push_back(vc);
      maxValueName = std::max(maxValueName, static_cast<std::uint32_t>(v.fName.size() * 2));
      maxData = std::max(maxData, static_cast<std::uint32_t>(v.fData.size()));
    }
    if (!records.empty()) {
      cells.fValueList = Alloc(static_cast<std::uint32_t>(4 * records.size()));
      for (std::size_t i = 0; i < records.size(); ++i)
        Put32(cells.fValueList, static_cast<std::uint32_t>(4 * i), records[i]);
    }

    std::vector<std::uint32_t> children;
    std::vector<TTextView> childNames;
    std::uint32_t maxName = 0, maxClass = 0;
    for (const auto& sub : vKey.fSubkeys) {
      const TText path = vPath.empty() ? sub->fName : vPath + u"\\" + sub->fName;
      children.push_back(WriteKey(*sub, node, fOpt.fLayout ? path : TText()));
      childNames.push_back(sub->fName);
      maxName = std::max(maxName, static_cast<std::uint32_t>(sub->fName.size() * 2));
      maxClass = std::max(maxClass, static_cast<std::uint32_t>(sub->fClass.size() * 2));
    }
    if (!children.empty()) WriteLists(children, childNames, cells);

    Sig(node, "nk");
    std::uint16_t flags = name.fCompressed ? 0x0020 : 0;
    if (vParent == kNone) flags |= 0x0004 | 0x0008;  // the hive's root, not to be deleted
    Put16(node, 2, flags);
    Put64(node, 4, vKey.fWriteTime);
    Put32(node, 16, vParent);
    Put32(node, 20, static_cast<std::uint32_t>(children.size()));
    Put32(node, 28, children.empty() ? kNone : cells.fSubkeyList);
    Put32(node, 32, kNone);
    Put32(node, 36, static_cast<std::uint32_t>(records.size()));
    Put32(node, 40, cells.fValueList);
    Put32(node, 44, fSecurity);
    Put32(node, 48, classCell);
    Put32(node, 52, maxName);
    Put32(node, 56, maxClass);
    Put32(node, 60, maxValueName);
    Put32(node, 64, maxData);
    Put16(node, 72, static_cast<std::uint16_t>(name.fBytes.size()));
    Put16(node, 74, static_cast<std::uint16_t>(vKey.fClass.size() * 2));
    Bytes(node, 76, name.fBytes.data(), name.fBytes.size());
    if (fOpt.fLayout) fImage.fKeys[vPath] = std::move(cells);
    return node;
  }

  THiveValueCells WriteValue(const TMemValue& vValue) {
    THiveValueCells vc;
    const TStored name = Store(vValue.fName, fOpt.fCompressNames);
    vc.fRecord = Alloc(20 + static_cast<std::uint32_t>(name.fBytes.size()));
    const auto size = static_cast<std::uint32_t>(vValue.fData.size());
    Sig(vc.fRecord, "vk");
    Put16(vc.fRecord, 2, static_cast<std::uint16_t>(name.fBytes.size()));
    Put32(vc.fRecord, 12, vValue.fType);
    Put16(vc.fRecord, 16, name.fCompressed ? 1 : 0);
    Bytes(vc.fRecord, 20, name.fBytes.data(), name.fBytes.size());
    if (size <= 4) {
      // Up to 4 bytes stand in the offset field, the size marked with the top bit.
      Put32(vc.fRecord, 4, 0x80000000u | size);
      Bytes(vc.fRecord, 8, vValue.fData.data(), size);
      return vc;
    }
    Put32(vc.fRecord, 4, size);
    if (size > kSegment && fOpt.fMinor >= 4) {
      const std::uint32_t count = (size + kSegment - 1) / kSegment;
      vc.fSegments = Alloc(4 * count);
      for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t chunk = std::min(kSegment, size - i * kSegment);
        // Readers take a segment's data to end 4 bytes before its cell does.
        const std::uint32_t segment = Alloc(chunk + 4);
        Bytes(segment, 0, vValue.fData.data() + std::size_t(i) * kSegment, chunk);
        Put32(vc.fSegments, 4 * i, segment);
      }
      vc.fData = Alloc(8);
      Sig(vc.fData, "db");
      Put16(vc.fData, 2, static_cast<std::uint16_t>(count));
      Put32(vc.fData, 4, vc.fSegments);
    } else {
      vc.fData = Alloc(size);
      Bytes(vc.fData, 0, vValue.fData.data(), size);
    }
    Put32(vc.fRecord, 8, vc.fData);
    return vc;
  }

  std::uint32_t WriteLeaf(THiveList vKind, const std::uint32_t* vCells, const TTextView* vNames,
                          std::size_t vCount) {
    const std::uint32_t entry = vKind == THiveList::li ? 4 : 8;
    const std::uint32_t list = Alloc(4 + entry * static_cast<std::uint32_t>(vCount));
    Sig(list, vKind == THiveList::li ? "li" : vKind == THiveList::lf ? "lf" : "lh");
    Put16(list, 2, static_cast<std::uint16_t>(vCount));
    for (std::uint32_t i = 0; i < vCount; ++i) {
      Put32(list, 4 + i * entry, vCells[i]);
      if (vKind == THiveList::lf) {
        // The first four characters of the name, one byte each.
        for (std::uint32_t j = 0; j < 4 && j < vNames[i].size(); ++j)
          fBins[At(list, 8 + i * entry + j)] = std::uint8_t(vNames[i][j]);
      } else if (vKind == THiveList::lh) {
        Put32(list, 8 + i * entry, NameHash(vNames[i]));
      }
    }
    return list;
  }

  void WriteLists(const std::vector<std::uint32_t>& vCells, const std::vector<TTextView>& vNames,
                  THiveKeyCells& vOut) {
    const bool index = fOpt.fList == THiveList::ri || vCells.size() > kMaxListEntries;
    if (!index) {
      vOut.fSubkeyList = WriteLeaf(fOpt.fList, vCells.data(), vNames.data(), vCells.size());
      return;
    }
    const THiveList leaf = fOpt.fList == THiveList::ri
                               ? (fOpt.fLeaf == THiveList::ri ? THiveList::lh : fOpt.fLeaf)
                               : fOpt.fList;
    const std::size_t fanOut = std::clamp<std::size_t>(fOpt.fFanOut, 1, kMaxListEntries);
    for (std::size_t at = 0; at < vCells.size(); at += fanOut) {
      const std::size_t n = std::min(fanOut, vCells.size() - at);
      vOut.fLeafLists.push_back(WriteLeaf(leaf, vCells.data() + at, vNames.data() + at, n));
    }
    if (vOut.fLeafLists.size() > kMaxListEntries)
      throw std::length_error("too many subkeys for one index root at this fan-out");
    vOut.fSubkeyList = Alloc(4 + 4 * static_cast<std::uint32_t>(vOut.fLeafLists.size()));
    Sig(vOut.fSubkeyList, "ri");
    Put16(vOut.fSubkeyList, 2, static_cast<std::uint16_t>(vOut.fLeafLists.size()));
    for (std::size_t i = 0; i < vOut.fLeafLists.size(); ++i)
      Put32(vOut.fSubkeyList, 4 + 4 * static_cast<std::uint32_t>(i), vOut.fLeafLists[i]);
  }

  const THiveWriterOptions& fOpt;
  THiveImage& fImage;
  std::vector<std::uint8_t> fBins;
  std::uint32_t fBinEnd = 0;
  std::uint32_t fPos = 0;
  std::uint32_t fSecurity = kNone;
  std::uint32_t fKeyCount = 0;
};

}  // namespace

const THiveKeyCells& THiveImage::Key(TTextView vPath) const {
  auto it = fKeys.find(TText(vPath));
  if (it == fKeys.end()) throw std::out_of_range("no key " + ToUtf8(vPath) + " in the hive image");
  return it->second;
}

std::uint32_t THiveImage::Get32(std::uint32_t vCell, std::uint32_t vAt) const {
  return Get32At(fBytes, std::size_t(kBlock) + vCell + 4 + vAt);
}

std::uint32_t THiveImage::CellDataSize(std::uint32_t vCell) const {
  return static_cast<std::uint32_t>(
             -static_cast<std::int32_t>(Get32At(fBytes, std::size_t(kBlock) + vCell))) -
         4;
}

void THiveImage::Put16(std::uint32_t vCell, std::uint32_t vAt, std::uint16_t vValue) {
  Put16At(fBytes, std::size_t(kBlock) + vCell + 4 + vAt, vValue);
}

void THiveImage::Put32(std::uint32_t vCell, std::uint32_t vAt, std::uint32_t vValue) {
  Put32At(fBytes, std::size_t(kBlock) + vCell + 4 + vAt, vValue);
}

void THiveImage::FixChecksum() {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < 508; i += 4) sum ^= Get32At(fBytes, i);
  if (sum == 0xFFFFFFFFu) sum = 0xFFFFFFFEu;
  if (sum == 0) sum = 1;
  Put32At(fBytes, 508, sum);
}

THiveImage WriteHive(const TMemKey& vRoot, const THiveWriterOptions& vOptions) {
  THiveImage image;
  TWriter(vOptions, image).Write(vRoot);
  return image;
}

std::vector<THiveLogEntry> LogEntries(const THiveImage& vFrom, const THiveImage& vTo,
                                      std::uint32_t vFirst, std::size_t vPagesPerEntry,
                                      std::uint32_t vPageSize) {
  std::vector<THiveLogEntry> entries;
  const std::uint32_t bins = static_cast<std::uint32_t>(vTo.fBytes.size() - kBlock);
  for (std::uint32_t page = 0; page < bins; page += vPageSize) {
    const auto to = vTo.fBytes.begin() + kBlock + page;
    const bool same = kBlock + page + vPageSize <= vFrom.fBytes.size() &&
                      std::equal(to, to + vPageSize, vFrom.fBytes.begin() + kBlock + page);
    if (same) continue;
    if (entries.empty() || entries.back().fPages.size() >= vPagesPerEntry) {
      THiveLogEntry& e = entries.emplace_back();
      e.fSequence = vFirst + static_cast<std::uint32_t>(entries.size() - 1);
      e.fBinsSize = bins;
    }
    entries.back().fPages.push_back({page, std::vector<std::uint8_t>(to, to + vPageSize)});
  }
  return entries;
}

void THiveLogImage::Put32(std::size_t vEntry, std::uint32_t vAt, std::uint32_t vValue) {
  Put32At(fBytes, fEntries.at(vEntry) + vAt, vValue);
}

void THiveLogImage::FixHashes(std::size_t vEntry) {
  const std::size_t at = fEntries.at(vEntry);
  // A size damaged beyond the file hashes what the file holds.
  const std::size_t size = std::min<std::size_t>(Get32At(fBytes, at + 4), fBytes.size() - at);
  Put64At(fBytes, at + 24, Marvin32(fBytes.data() + at + 40, size - 40, kHiveLogSeed));
  Put64At(fBytes, at + 32, Marvin32(fBytes.data() + at, 32, kHiveLogSeed));
}

THiveLogImage WriteHiveLog(const THiveImage& vHive, std::uint32_t vSequence,
                           const std::vector<THiveLogEntry>& vEntries) {
  THiveLogImage log;
  std::vector<std::uint8_t>& out = log.fBytes;
  out.assign(vHive.fBytes.begin(), vHive.fBytes.begin() + 512);
  Put32At(out, 4, vSequence);
  Put32At(out, 8, vSequence);
  Put32At(out, 28, 6);
  Put32At(out, 508, BaseBlockChecksum(out.data()));
  for (const THiveLogEntry& e : vEntries) {
    const std::size_t at = out.size();
    log.fEntries.push_back(static_cast<std::uint32_t>(at));
    std::size_t size = 40 + 8 * e.fPages.size();
    for (const THiveLogPage& p : e.fPages) size += p.fBytes.size();
    size = (size + 511) / 512 * 512;
    out.resize(at + size, 0);
    std::copy(std::begin("HvLE"), std::begin("HvLE") + 4, out.begin() + std::ptrdiff_t(at));
    Put32At(out, at + 4, static_cast<std::uint32_t>(size));
    Put32At(out, at + 12, e.fSequence);
    Put32At(out, at + 16, e.fBinsSize);
    Put32At(out, at + 20, static_cast<std::uint32_t>(e.fPages.size()));
    std::size_t data = at + 40 + 8 * e.fPages.size();
    for (std::size_t i = 0; i < e.fPages.size(); ++i) {
      Put32At(out, at + 40 + 8 * i, e.fPages[i].fOffset);
      Put32At(out, at + 44 + 8 * i, static_cast<std::uint32_t>(e.fPages[i].fBytes.size()));
      std::copy(e.fPages[i].fBytes.begin(), e.fPages[i].fBytes.end(),
                out.begin() + std::ptrdiff_t(data));
      data += e.fPages[i].fBytes.size();
    }
    log.FixHashes(log.fEntries.size() - 1);
  }
  return log;
}

namespace damage {

void BreakChecksum(THiveImage& vImage) { vImage.fBytes[508] ^= 0x5A; }

void PointSubkeyEntry(THiveImage& vImage, TTextView vPath, std::uint32_t vIndex,
                      std::uint32_t vTarget) {
  const THiveKeyCells& k = vImage.Key(vPath);
  const std::uint32_t list = k.fLeafLists.empty() ? k.fSubkeyList : k.fLeafLists.front();
  const bool li = vImage.fBytes[std::size_t(kBlock) + list + 4] == 'l' &&
                  vImage.fBytes[std::size_t(kBlock) + list + 5] == 'i';
  vImage.Put32(list, 4 + vIndex * (li ? 4 : 8), vTarget);
}

void IndexRootLoop(THiveImage& vImage, TTextView vPath) {
  const THiveKeyCells& k = vImage.Key(vPath);
  vImage.Put32(k.fSubkeyList, 4, k.fSubkeyList);
}

void SegmentCount(THiveImage& vImage, TTextView vPath, std::uint32_t vIndex, std::uint16_t vCount) {
  vImage.Put16(vImage.Key(vPath).fValues.at(vIndex).fData, 2, vCount);
}

void KeyNameLength(THiveImage& vImage, TTextView vPath, std::uint16_t vLength) {
  vImage.Put16(vImage.Key(vPath).fNode, 72, vLength);
}

void ValueNameLength(THiveImage& vImage, TTextView vPath, std::uint32_t vIndex,
                     std::uint16_t vLength) {
  vImage.Put16(vImage.Key(vPath).fValues.at(vIndex).fRecord, 2, vLength);
}

void ListCount(THiveImage& vImage, TTextView vPath, std::uint16_t vCount) {
  vImage.Put16(vImage.Key(vPath).fSubkeyList, 2, vCount);
}

void ValueCount(THiveImage& vImage, TTextView vPath, std::uint32_t vCount) {
  vImage.Put32(vImage.Key(vPath).fNode, 36, vCount);
}

void SubkeyListCell(THiveImage& vImage, TTextView vPath, std::uint32_t vCell) {
  vImage.Put32(vImage.Key(vPath).fNode, 28, vCell);
}

void CellSize(THiveImage& vImage, std::uint32_t vCell, std::int32_t vSize) {
  Put32At(vImage.fBytes, std::size_t(kBlock) + vCell, static_cast<std::uint32_t>(vSize));
}

void Dirty(THiveImage& vImage) {
  Put32At(vImage.fBytes, 4, Get32At(vImage.fBytes, 4) + 1);
  vImage.FixChecksum();
}

}  // namespace damage

}  // namespace corvane::test
