#include "search/hiveregistry.h"

#include <algorithm>

namespace corvane {
namespace {

bool HasSeparator(TTextView vPath) {
  return vPath.find(u'\\') != TTextView::npos;
}

class THiveCursor final : public TRegCursor {
 public:
  explicit THiveCursor(const THive& vHive) : fHive(vHive) {}

  void SelectRoot(TKeyHandle) override { CloseKey(); }
  void CloseKey() override { fDepth = 0; }

  bool OpenRead(TTextView vPath) override {
    THiveKey key;
    if (!Resolve(vPath, key)) return false;
    fDepth = 0;
    Push(key);
    return true;
  }

  bool OpenSubkeyRead(TTextView vName) override {
    THiveKey key;
    // A name as listed opens that subkey, even one with a backslash (damage); other names
    // are paths.
    std::size_t listed = kNone;
    if (fDepth > 0 && !vName.empty()) listed = Find(Top(), vName, true);
    if (listed != kNone) {
      key = Top().fChildren[listed];
    } else if (fDepth == 0 || vName.empty() || HasSeparator(vName)) {
      if (!Resolve(vName, key)) return false;
    } else {
      return false;
    }
    // The tree read from a file has no loops; a root that lists itself would make one.
    for (std::size_t i = 0; i < fDepth; ++i)
      if (fLevels[i].fKey.fCell == key.fCell && !vName.empty()) return false;
    Push(key);
    return true;
  }

  void CloseSubkey() override {
    if (fDepth > 0) --fDepth;
  }

  std::vector<TText> SubkeyNames() override {
    std::vector<TText> names;
    ListSubkeyNames(names);
    return names;
  }

  void ListSubkeyNames(std::vector<TText>& vNames) override {
    if (fDepth == 0) {
      Resize(vNames, 0);
      return;
    }
    TLevel& top = Top();
    List(top);
    std::fill(top.fOpened.begin(), top.fOpened.end(), std::uint8_t(0));
    top.fNext = 0;
    Resize(vNames, top.fChildren.size());
    for (std::size_t i = 0; i < vNames.size(); ++i) top.fChildren[i].fName.AssignTo(vNames[i]);
  }

  std::vector<TText> ValueNames() override {
    std::vector<TText> names;
    if (fDepth == 0) return names;
    fHive.ValueCells(Top().fKey, fCells);
    THiveValue value;
    for (std::uint32_t cell : fCells)
      if (fHive.Value(cell, value)) names.push_back(value.fName.Text());
    return names;
  }

  bool QueryValue(TTextView vName, std::uint32_t& vType, std::uint32_t& vSize) override {
    THiveValue value;
    // A size larger than the bins is damage: no caller should make room for it.
    if (fDepth == 0 || !FindValue(Top().fKey, vName, value) || !value.fSizeValid ||
        value.fSize > fHive.BinsLength())
      return false;
    vType = value.fType;
    vSize = value.fSize;
    return true;
  }

  bool ReadValue(TTextView vName, std::uint8_t* vBuff, std::uint32_t& vType,
                 std::uint32_t& vSize) override {
    THiveValue value;
    if (fDepth == 0 || !FindValue(Top().fKey, vName, value) || !value.fSizeValid ||
        value.fSize > vSize || !fHive.ReadData(value, vBuff))
      return false;
    vType = value.fType;
    vSize = value.fSize;
    return true;
  }

  bool ListValues(TValueList& vList, bool vWithData) override {
    vList.Clear();
    if (fDepth == 0) return false;
    fHive.ValueCells(Top().fKey, fCells);
    vList.fValues.reserve(fCells.size());
    // The data of one key's values cannot together be larger than the bins that hold them;
    // records that share their data (damage) are not read over and over.
    std::uint64_t budget = fHive.BinsLength();
    THiveValue value;
    for (std::uint32_t cell : fCells) {
      if (!fHive.Value(cell, value)) continue;
      TValueEntry& e = vList.fValues.emplace_back();
      value.fName.AssignTo(e.fName);
      e.fType = value.fType;
      e.fOffset = vList.fData.size();
      e.fReadable = vWithData && value.fSizeValid && value.fSize <= budget;
      if (!e.fReadable) continue;
      vList.fData.resize(e.fOffset + value.fSize);
      if (fHive.ReadData(value, vList.fData.data() + e.fOffset)) {
        e.fSize = value.fSize;
        budget -= value.fSize;
      } else {
        vList.fData.resize(e.fOffset);
        e.fReadable = false;
      }
    }
    return true;
  }

  // As ListValues, with data left in the file's bytes where they lie in one piece, and the
  // entries' names kept from key to key.
  bool ScanValues(TValueList& vList, bool vWithData) override {
    std::vector<TValueEntry>& entries = vList.fValues;
    vList.fData.clear();
    std::size_t used = 0;
    if (fDepth > 0) {
      fHive.ValueCells(Top().fKey, fCells);
      for (std::uint32_t cell : fCells) fHive.Prefetch(cell);
      std::uint64_t budget = fHive.BinsLength();
      THiveValue value;
      for (std::uint32_t cell : fCells) {
        if (!fHive.Value(cell, value)) continue;
        if (used == entries.size()) {
          entries.emplace_back();
          TakeSpare(entries.back().fName);
        }
        TValueEntry& e = entries[used++];
        value.fName.AssignTo(e.fName);
        e.fType = value.fType;
        e.fSize = 0;
        e.fOffset = vList.fData.size();
        e.fBytes = nullptr;
        e.fReadable = vWithData && value.fSizeValid && value.fSize <= budget;
        if (!e.fReadable) continue;
        if (const std::uint8_t* in = fHive.DataInPlace(value)) {
          e.fBytes = in;
        } else {
          vList.fData.resize(e.fOffset + value.fSize);
          if (!fHive.ReadData(value, vList.fData.data() + e.fOffset)) {
            vList.fData.resize(e.fOffset);
            e.fReadable = false;
            continue;
          }
        }
        e.fSize = value.fSize;
        budget -= value.fSize;
      }
    }
    while (entries.size() > used) {
      fSpare.push_back(std::move(entries.back().fName));
      entries.pop_back();
    }
    return fDepth > 0;
  }

  bool OpenFull(TTextView) override { return false; }
  bool OpenReadAccess(TTextView vPath) override { return OpenRead(vPath); }
  bool CreateSubkey(TTextView) override { return false; }

  void WriteText(TTextView vName, TTextView) override {
    throw TRegError("Failed to set data for '" + ToUtf8(vName) + "': the hive file is read-only");
  }

  TText ReadText(TTextView vName) override {
    THiveValue value;
    if (!FindValue(OpenOrRoot(), vName, value)) return {};
    if (value.fType != kRegSz && value.fType != kRegExpandSz)
      throw TRegError("Invalid data type for '" + ToUtf8(vName) + "'");
    const std::vector<std::uint8_t> data = Data(value, vName);
    TText t;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
      const char16_t c = char16_t(data[i] | (data[i + 1] << 8));
      if (c == 0) break;
      t += c;
    }
    return t;
  }

  std::uint32_t ReadNumber(TTextView vName) override {
    THiveValue value;
    if (!FindValue(OpenOrRoot(), vName, value) || value.fType != kRegDword || value.fSize != 4)
      throw TRegError("Invalid data type for '" + ToUtf8(vName) + "'");
    const std::vector<std::uint8_t> d = Data(value, vName);
    return d[0] | (std::uint32_t(d[1]) << 8) | (std::uint32_t(d[2]) << 16) |
           (std::uint32_t(d[3]) << 24);
  }

  bool KeyExists(TTextView vPath) override {
    THiveKey key;
    return Resolve(vPath, key);
  }

  bool DeleteKey(TTextView) override { return false; }

  bool RootKeyInfo(TKeyHandle, TKeyInfo& vInfo) override {
    THiveKey root;
    if (!fHive.Key(fHive.RootCell(), root)) return false;
    Info(root, vInfo);
    return true;
  }

  bool OpenKeyInfo(TKeyInfo& vInfo) override {
    if (fDepth == 0) return false;
    Info(Top().fKey, vInfo);
    return true;
  }

  // Straight from the key record: the full key information would list every subkey and value.
  bool KeyWriteTime(std::uint64_t& vTime) override {
    if (fDepth == 0 || Top().fKey.fWriteTime == 0) return false;
    vTime = Top().fKey.fWriteTime;
    return true;
  }

 private:
  static constexpr std::size_t kNone = ~std::size_t(0);

  // One open key. Its listing (its readable subkeys in list order, each read once) is made
  // once and kept, with the buffers, when the level is left: the next key at this depth
  // reuses them.
  struct TLevel {
    THiveKey fKey;
    bool fListed = false;
    std::vector<THiveKey> fChildren;
    std::vector<std::uint8_t> fOpened;  // per child: opened by name since the last listing
    std::size_t fNext = 0;              // where an open by name looks first
  };

  TLevel& Top() { return fLevels[fDepth - 1]; }

  // Texts of lists made shorter, kept for the next list that grows, with their storage.
  void TakeSpare(TText& vText) {
    if (fSpare.empty()) return;
    vText = std::move(fSpare.back());
    fSpare.pop_back();
  }

  void Resize(std::vector<TText>& vTexts, std::size_t vSize) {
    while (vTexts.size() > vSize) {
      fSpare.push_back(std::move(vTexts.back()));
      vTexts.pop_back();
    }
    while (vTexts.size() < vSize) {
      vTexts.emplace_back();
      TakeSpare(vTexts.back());
    }
  }

  void Push(const THiveKey& vKey) {
    if (fLevels.size() <= fDepth) fLevels.emplace_back();
    TLevel& level = fLevels[fDepth++];
    level.fKey = vKey;
    level.fListed = false;
    level.fNext = 0;
  }

  void List(TLevel& vLevel) {
    if (vLevel.fListed) return;
    fHive.SubkeyCells(vLevel.fKey, fCells, fScratch);
    vLevel.fChildren.clear();
    // The key nodes are fetched a few ahead, and for each the lists the walk reads next: a
    // hive's cells lie far apart, and the walk would otherwise wait for each in turn.
    constexpr std::size_t kAhead = 8;
    // A key node's name begins 80 bytes in, on the next cache line.
    auto fetch = [&](std::uint32_t vCell) {
      fHive.Prefetch(vCell);
      fHive.Prefetch(vCell + 64);
    };
    for (std::size_t i = 0; i < std::min(kAhead, fCells.size()); ++i) fetch(fCells[i]);
    THiveKey child;
    for (std::size_t i = 0; i < fCells.size(); ++i) {
      if (i + kAhead < fCells.size()) fetch(fCells[i + kAhead]);
      if (!fHive.Child(vLevel.fKey, fCells[i], child)) continue;
      fHive.Prefetch(child.fValueList);
      fHive.Prefetch(child.fSubkeyList);
      vLevel.fChildren.push_back(child);
    }
    vLevel.fOpened.assign(vLevel.fChildren.size(), 0);
    vLevel.fNext = 0;
    vLevel.fListed = true;
  }

  // The index of the subkey vName in the listing of vLevel, or kNone. A walk opens the
  // subkeys in the order they were listed, so the one after the last opened is tried first;
  // then a binary search (lists are kept sorted), then every entry. Among entries of the
  // same name (damage) one not opened yet is taken, so a walk opens each entry once.
  std::size_t Find(TLevel& vLevel, TTextView vName, bool vMark) {
    List(vLevel);
    const std::vector<THiveKey>& keys = vLevel.fChildren;
    auto compare = [&](std::size_t i) { return keys[i].fName.CompareFold(vName); };
    auto take = [&](std::size_t i) {
      if (vMark) {
        vLevel.fOpened[i] = 1;
        vLevel.fNext = i + 1;
      }
      return i;
    };
    const std::size_t n = keys.size();
    if (vLevel.fNext < n && !vLevel.fOpened[vLevel.fNext] && compare(vLevel.fNext) == 0)
      return take(vLevel.fNext);
    std::size_t lo = 0, hi = n;
    while (lo < hi) {
      const std::size_t mid = lo + (hi - lo) / 2;
      if (compare(mid) < 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    std::size_t first = kNone;
    for (std::size_t i = lo; i < n && compare(i) == 0; ++i) {
      if (!vLevel.fOpened[i]) return take(i);
      if (first == kNone) first = i;
    }
    for (std::size_t i = 0; i < n; ++i) {
      if (compare(i) != 0) continue;
      if (!vLevel.fOpened[i]) return take(i);
      if (first == kNone) first = i;
    }
    return first == kNone ? kNone : take(first);
  }

  // The key at vPath: from the root when it begins with a backslash or no key is open, else
  // from the open key. Leaves the open keys alone.
  bool Resolve(TTextView vPath, THiveKey& vKey) {
    const bool absolute = !vPath.empty() && vPath[0] == u'\\';
    if (absolute || fDepth == 0) {
      if (!fHive.Key(fHive.RootCell(), vKey)) return false;
    } else {
      vKey = Top().fKey;
    }
    std::size_t at = 0;
    while (at <= vPath.size()) {
      const std::size_t end = std::min(vPath.find(u'\\', at), vPath.size());
      if (end > at) {
        fTemp.fKey = vKey;
        fTemp.fListed = false;
        const std::size_t i = Find(fTemp, vPath.substr(at, end - at), false);
        if (i == kNone) return false;
        vKey = fTemp.fChildren[i];
      }
      at = end + 1;
    }
    return true;
  }

  THiveKey OpenOrRoot() {
    THiveKey key;
    if (fDepth > 0) return Top().fKey;
    if (!fHive.Key(fHive.RootCell(), key)) key.fValueCount = 0;
    return key;
  }

  bool FindValue(const THiveKey& vKey, TTextView vName, THiveValue& vValue) {
    fHive.ValueCells(vKey, fCells);
    for (std::uint32_t cell : fCells)
      if (fHive.Value(cell, vValue) && vValue.fName.CompareFold(vName) == 0) return true;
    return false;
  }

  std::vector<std::uint8_t> Data(const THiveValue& vValue, TTextView vName) {
    std::vector<std::uint8_t> data;
    if (vValue.fSizeValid && vValue.fSize <= fHive.BinsLength()) {
      data.resize(vValue.fSize);
      if (fHive.ReadData(vValue, data.data())) return data;
    }
    throw TRegError("Failed to get data for '" + ToUtf8(vName) + "'");
  }

  void Info(const THiveKey& vKey, TKeyInfo& vInfo) {
    vInfo = TKeyInfo{};
    vInfo.fClass = fHive.ClassName(vKey);
    fTemp.fKey = vKey;
    fTemp.fListed = false;
    List(fTemp);
    for (const THiveKey& child : fTemp.fChildren) {
      ++vInfo.fSubKeys;
      vInfo.fMaxSubKeyLen =
          std::max(vInfo.fMaxSubKeyLen, static_cast<std::uint32_t>(child.fName.Size()));
      vInfo.fMaxClassLen = std::max(vInfo.fMaxClassLen, fHive.ClassLength(child));
    }
    fHive.ValueCells(vKey, fCells);
    THiveValue value;
    for (std::uint32_t cell : fCells) {
      if (!fHive.Value(cell, value)) continue;
      ++vInfo.fValues;
      vInfo.fMaxValueNameLen =
          std::max(vInfo.fMaxValueNameLen, static_cast<std::uint32_t>(value.fName.Size()));
      if (value.fSizeValid) vInfo.fMaxValueLen = std::max(vInfo.fMaxValueLen, value.fSize);
    }
    vInfo.fSecurityDescriptor = fHive.SecuritySize(vKey);
    vInfo.fLastWriteTime = vKey.fWriteTime;
  }

  const THive& fHive;
  std::vector<TLevel> fLevels;  // fLevels[0 .. fDepth) are open, innermost last
  std::size_t fDepth = 0;
  TLevel fTemp;  // the listing of a key looked at without opening it
  std::vector<std::uint32_t> fCells;
  std::vector<std::uint64_t> fScratch;
  std::vector<TText> fSpare;
};

}  // namespace

std::unique_ptr<THiveRegistry> THiveRegistry::Open(const TText& vPath, TText& vError) {
  auto hive = THive::Open(vPath, vError);
  if (!hive) return nullptr;
  THiveReplay replayed;
  if (hive->Dirty()) {
    // Logs that are missing or cannot be read are left out, as logs without entries are.
    TMappedFile log1, log2;
    TText ignored;
    (void)log1.Open(vPath + u".LOG1", ignored);
    (void)log2.Open(vPath + u".LOG2", ignored);
    std::vector<std::uint8_t> bytes;
    const THiveReplay r =
        ReplayHiveLogs(hive->Bytes(), std::span<const std::uint8_t>(log1.Data(), log1.Size()),
                       std::span<const std::uint8_t>(log2.Data(), log2.Size()), bytes);
    if (r.fEntries > 0) {
      // Pages that leave the root unreadable: the hive is read as it stands after all.
      TText error;
      if (auto copy = THive::FromBytes(std::move(bytes), vPath, error)) {
        hive = std::move(copy);
        replayed = r;
      }
    }
  }
  std::unique_ptr<THiveRegistry> registry(new THiveRegistry(std::move(hive)));
  registry->fReplayed = replayed;
  return registry;
}

std::unique_ptr<THiveRegistry> THiveRegistry::FromBytes(std::vector<std::uint8_t> vBytes,
                                                        const TText& vPath, TText& vError) {
  auto hive = THive::FromBytes(std::move(vBytes), vPath, vError);
  if (!hive) return nullptr;
  return std::unique_ptr<THiveRegistry>(new THiveRegistry(std::move(hive)));
}

std::unique_ptr<TRegCursor> THiveRegistry::NewCursor() const {
  return std::make_unique<THiveCursor>(*fHive);
}

TCursorFactory THiveRegistry::Factory() const {
  return [this] { return NewCursor(); };
}

std::uint64_t THiveRegistry::KeyCount() const {
  std::call_once(fCounted, [this] { Count(); });
  return fKeys;
}

std::uint64_t THiveRegistry::ValueCount() const {
  std::call_once(fCounted, [this] { Count(); });
  return fValues;
}

void THiveRegistry::Count() const {
  // Depth first without recursion, as the search walks: the root at depth 0, subkeys by
  // the names listed.
  struct TPending {
    std::uint32_t fCell;
    int fDepth;
  };
  std::vector<TPending> pending{{fHive->RootCell(), 0}};
  std::vector<std::uint32_t> cells;
  std::vector<std::uint64_t> scratch;
  THiveKey key, child;
  while (!pending.empty()) {
    const TPending at = pending.back();
    pending.pop_back();
    if (!fHive->Key(at.fCell, key)) continue;
    ++fKeys;
    fHive->ValueCells(key, cells);
    THiveValue value;
    for (std::uint32_t cell : cells)
      if (fHive->Value(cell, value)) ++fValues;
    if (at.fDepth >= kMaxKeyDepth) continue;
    fHive->SubkeyCells(key, cells, scratch);
    for (std::uint32_t cell : cells)
      // The walk leaves out subkeys without a name, as the search does.
      if (cell != fHive->RootCell() && fHive->Child(key, cell, child) && child.fName.Size() > 0)
        pending.push_back({cell, at.fDepth + 1});
  }
}

}  // namespace corvane
