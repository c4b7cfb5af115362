#include "search/memregistry.h"

#include <algorithm>

namespace corvane {
namespace {

std::vector<TText> SplitPath(TTextView vPath) {
  std::vector<TText> parts;
  std::size_t at = 0;
  while (at <= vPath.size()) {
    const std::size_t end = std::min(vPath.find(u'\\', at), vPath.size());
    if (end > at) parts.emplace_back(vPath.substr(at, end - at));
    at = end + 1;
  }
  return parts;
}

bool NameLess(const std::shared_ptr<TMemKey>& a, TTextView b) {
  return CompareFoldWide(a->fName, b) < 0;
}

void MarkDeleted(TMemKey& k) {
  k.fDeleted = true;
  for (auto& s : k.fSubkeys) MarkDeleted(*s);
}

std::uint64_t CountKeys(const TMemKey& k) {
  std::uint64_t n = 1;
  for (const auto& s : k.fSubkeys) n += CountKeys(*s);
  return n;
}

std::uint64_t CountValues(const TMemKey& k) {
  std::uint64_t n = k.fValues.size();
  for (const auto& s : k.fSubkeys) n += CountValues(*s);
  return n;
}

constexpr std::uint32_t kRightQueryValue = 0x0001;
constexpr std::uint32_t kRightSetValue = 0x0002;
constexpr std::uint32_t kRightCreateSubkey = 0x0004;
constexpr std::uint32_t kRightEnumerate = 0x0008;

class TMemCursor final : public TRegCursor {
 public:
  explicit TMemCursor(TMemRegistry& vReg) : fReg(vReg) {}

  void SelectRoot(TKeyHandle vRoot) override {
    CloseKey();
    fRoot = vRoot;
  }
  void CloseKey() override {
    fStack.clear();
    fOpen.reset();
    fGranted = 0;
    fOpenPath.clear();
  }

  bool OpenRead(TTextView vPath) override { return ReadOpen(vPath, false); }

  bool OpenSubkeyRead(TTextView vName) override { return ReadOpen(vName, true); }

  void CloseSubkey() override {
    if (fStack.empty()) {
      CloseKey();
      return;
    }
    TLevel& up = fStack.back();
    fOpen = std::move(up.fKey);
    fGranted = up.fGranted;
    fOpenPath = std::move(up.fPath);
    fStack.pop_back();
  }

  bool ListValues(TValueList& vList, bool vWithData) override {
    vList.Clear();
    auto key = Held(kRightQueryValue);
    if (!key) return false;
    for (const auto& v : key->fValues) {
      const bool readable = vWithData && !v.fFailQuery && !v.fFailRead;
      vList.Add(v.fName, v.fType, v.fData.data(), static_cast<std::uint32_t>(v.fData.size()),
                readable);
    }
    return true;
  }

  std::vector<TText> SubkeyNames() override {
    std::vector<TText> names;
    auto key = Held(kRightEnumerate);
    if (!key) return names;
    for (const auto& s : key->fSubkeys) names.push_back(s->fName);
    return names;
  }

  std::vector<TText> ValueNames() override {
    std::vector<TText> names;
    auto key = Held(kRightQueryValue);
    if (!key) return names;
    for (const auto& v : key->fValues) names.push_back(v.fName);
    return names;
  }

  bool QueryValue(TTextView vName, std::uint32_t& vType, std::uint32_t& vSize) override {
    auto key = Held(kRightQueryValue);
    if (!key) return false;
    TMemValue* v = key->Value(vName);
    if (!v || v->fFailQuery) return false;
    vType = v->fType;
    vSize = static_cast<std::uint32_t>(v->fData.size());
    return true;
  }

  bool ReadValue(TTextView vName, std::uint8_t* vBuff, std::uint32_t& vType,
                 std::uint32_t& vSize) override {
    auto key = Held(kRightQueryValue);
    if (!key) return false;
    TMemValue* v = key->Value(vName);
    if (!v || v->fFailRead || v->fData.size() > vSize) return false;
    vType = v->fType;
    vSize = static_cast<std::uint32_t>(v->fData.size());
    std::copy(v->fData.begin(), v->fData.end(), vBuff);
    return true;
  }

  bool OpenFull(TTextView vPath) override { return OpenWith(vPath, kAccessFull); }
  bool OpenReadAccess(TTextView vPath) override { return OpenWith(vPath, kAccessRead); }

  bool CreateSubkey(TTextView vName) override {
    auto parent = fOpen ? Held(kRightCreateSubkey) : fReg.Root(fRoot);
    if (!parent || vName.empty() || vName.find(u'\\') != TTextView::npos) return false;
    std::shared_ptr<TMemKey> child;
    auto it = std::lower_bound(parent->fSubkeys.begin(), parent->fSubkeys.end(), vName, NameLess);
    if (it != parent->fSubkeys.end() && CompareFoldWide((*it)->fName, vName) == 0) {
      child = *it;
    } else {
      child = std::make_shared<TMemKey>();
      child->fName = TText(vName);
      child->fWriteTime = fReg.NextWriteTime();
      parent->fSubkeys.insert(it, child);
      parent->fWriteTime = fReg.NextWriteTime();
    }
    if (child->fDenyMask & kAccessFull) return false;
    Hold(std::move(child), kAccessFull);
    return true;
  }

  void WriteText(TTextView vName, TTextView vText) override {
    auto key = Held(kRightSetValue);
    if (!key) throw TRegError("Failed to set data for '" + ToUtf8(vName) + "'");
    TMemValue* v = key->Value(vName);
    if (!v) {
      key->fValues.push_back(TMemValue{TText(vName), kRegSz, {}});
      v = &key->fValues.back();
    }
    v->fType = kRegSz;
    v->fData = TextBytes(vText);
    key->fWriteTime = fReg.NextWriteTime();
  }

  TText ReadText(TTextView vName) override {
    auto key = Held(kRightQueryValue);
    if (!key) return {};
    TMemValue* v = key->Value(vName);
    if (!v) return {};
    if (v->fType != kRegSz && v->fType != kRegExpandSz)
      throw TRegError("Invalid data type for '" + ToUtf8(vName) + "'");
    TText t;
    for (std::size_t i = 0; i + 1 < v->fData.size(); i += 2) {
      const char16_t c = char16_t(v->fData[i] | (v->fData[i + 1] << 8));
      if (c == 0) break;
      t += c;
    }
    return t;
  }

  std::uint32_t ReadNumber(TTextView vName) override {
    auto key = Held(kRightQueryValue);
    TMemValue* v = key ? key->Value(vName) : nullptr;
    if (!v || v->fType != kRegDword || v->fData.size() != 4)
      throw TRegError("Invalid data type for '" + ToUtf8(vName) + "'");
    return v->fData[0] | (std::uint32_t(v->fData[1]) << 8) | (std::uint32_t(v->fData[2]) << 16) |
           (std::uint32_t(v->fData[3]) << 24);
  }

  bool KeyExists(TTextView vPath) override {
    auto key = Resolve(vPath);
    return key && (key->fDenyMask & kAccessQueryEnum) == 0;
  }

  bool DeleteKey(TTextView vPath) override {
    const auto parts = SplitPath(vPath);
    if (parts.empty()) return false;
    auto parent = fReg.Root(fRoot);
    for (std::size_t i = 0; parent && i + 1 < parts.size(); ++i) parent = Child(*parent, parts[i]);
    if (!parent) return false;
    auto it = std::lower_bound(parent->fSubkeys.begin(), parent->fSubkeys.end(),
                               TTextView(parts.back()), NameLess);
    if (it == parent->fSubkeys.end() || CompareFoldWide((*it)->fName, parts.back()) != 0)
      return false;
    if (!(*it)->fSubkeys.empty() || ((*it)->fDenyMask & 0x10000)) return false;
    (*it)->fDeleted = true;
    parent->fSubkeys.erase(it);
    parent->fWriteTime = fReg.NextWriteTime();
    return true;
  }

  bool RootKeyInfo(TKeyHandle vRoot, TKeyInfo& vInfo) override {
    auto key = fReg.Root(vRoot);
    if (!key) return false;
    Info(*key, vInfo);
    return true;
  }

  bool KeyWriteTime(std::uint64_t& vTime) override {
    return fReg.fKnowsTimes && TRegCursor::KeyWriteTime(vTime);
  }

  bool OpenKeyInfo(TKeyInfo& vInfo) override {
    auto key = Held(0);
    if (!key) return false;
    Info(*key, vInfo);
    return true;
  }

 private:
  static std::shared_ptr<TMemKey> Child(const TMemKey& k, TTextView name) {
    auto it = std::lower_bound(k.fSubkeys.begin(), k.fSubkeys.end(), name, NameLess);
    if (it != k.fSubkeys.end() && CompareFoldWide((*it)->fName, name) == 0) return *it;
    return nullptr;
  }

  std::shared_ptr<TMemKey> Resolve(TTextView vPath) {
    const bool absolute = !vPath.empty() && vPath[0] == u'\\';
    const bool fromRoot = absolute || !fOpen;
    // The path below the root, without leading backslash.
    const TText below = absolute                        ? TText(vPath.substr(1))
                        : fromRoot || fOpenPath.empty() ? TText(vPath)
                        : vPath.empty()                 ? fOpenPath
                                                        : fOpenPath + u"\\" + TText(vPath);
    fReg.fOpens++;
    if (fReg.fOnOpen) fReg.fOnOpen(fRoot, below.empty() ? TText() : u"\\" + below);
    std::shared_ptr<TMemKey> key = fromRoot ? fReg.Root(fRoot) : fOpen;
    if (key && key->fDeleted) return nullptr;
    for (const auto& part : SplitPath(vPath)) {
      if (!key) break;
      key = Child(*key, part);
    }
    if (key) fPendingPath = below;
    return key;
  }

  bool OpenWith(TTextView vPath, std::uint32_t vMask) {
    auto key = Resolve(vPath);
    if (!key || (key->fDenyMask & vMask)) return false;
    Hold(std::move(key), vMask);
    return true;
  }

  bool ReadOpen(TTextView vPath, bool vKeepParent) {
    auto key = Resolve(vPath);
    if (!key) return false;
    for (std::uint32_t mask : {kAccessRead, kAccessQueryEnum, kAccessQuery}) {
      if ((key->fDenyMask & mask) == 0) {
        if (vKeepParent && fOpen) fStack.push_back(TLevel{fOpen, fGranted, fOpenPath});
        Hold(std::move(key), mask, vKeepParent);
        fReg.fLastGranted = mask;
        return true;
      }
    }
    return false;
  }

  // Makes vKey the open key; without vKeepParent every key held before is closed.
  void Hold(std::shared_ptr<TMemKey> vKey, std::uint32_t vMask, bool vKeepParent = false) {
    if (!vKeepParent) fStack.clear();
    fOpen = std::move(vKey);
    fGranted = vMask;
    fOpenPath = fPendingPath;
  }

  // The open key when it is still there and was opened with vRight.
  std::shared_ptr<TMemKey> Held(std::uint32_t vRight) {
    if (!fOpen || fOpen->fDeleted) return nullptr;
    if ((fGranted & vRight) != vRight) return nullptr;
    return fOpen;
  }

  static void Info(const TMemKey& k, TKeyInfo& vInfo) {
    vInfo = TKeyInfo{};
    vInfo.fClass = k.fClass;
    vInfo.fSubKeys = static_cast<std::uint32_t>(k.fSubkeys.size());
    for (const auto& s : k.fSubkeys)
      vInfo.fMaxSubKeyLen = std::max(vInfo.fMaxSubKeyLen, static_cast<std::uint32_t>(s->fName.size()));
    for (const auto& s : k.fSubkeys)
      vInfo.fMaxClassLen = std::max(vInfo.fMaxClassLen, static_cast<std::uint32_t>(s->fClass.size()));
    vInfo.fValues = static_cast<std::uint32_t>(k.fValues.size());
    for (const auto& v : k.fValues) {
      vInfo.fMaxValueNameLen = std::max(vInfo.fMaxValueNameLen, static_cast<std::uint32_t>(v.fName.size()));
      vInfo.fMaxValueLen = std::max(vInfo.fMaxValueLen, static_cast<std::uint32_t>(v.fData.size()));
    }
    vInfo.fSecurityDescriptor = k.fSecurity;
    vInfo.fLastWriteTime = k.fWriteTime;
  }

  struct TLevel {
    std::shared_ptr<TMemKey> fKey;
    std::uint32_t fGranted = 0;
    TText fPath;
  };

  TMemRegistry& fReg;
  TKeyHandle fRoot = kHKCU;
  std::shared_ptr<TMemKey> fOpen;
  std::uint32_t fGranted = 0;
  TText fOpenPath;     // below the root, without leading backslash
  TText fPendingPath;  // of the key last resolved
  std::vector<TLevel> fStack;  // the keys below which fOpen was opened, innermost last
};

}  // namespace

TMemKey* TMemKey::Subkey(TTextView vName) const {
  auto it = std::lower_bound(fSubkeys.begin(), fSubkeys.end(), vName, NameLess);
  if (it != fSubkeys.end() && CompareFoldWide((*it)->fName, vName) == 0) return it->get();
  return nullptr;
}

TMemValue* TMemKey::Value(TTextView vName) {
  for (auto& v : fValues)
    if (CompareFoldWide(v.fName, vName) == 0) return &v;
  return nullptr;
}

TMemRegistry::TMemRegistry() {
  for (const auto& r : kSearchOrder) {
    auto k = std::make_shared<TMemKey>();
    k->fName = r.fName;
    fRoots[r.fHandle] = std::move(k);
  }
}

std::shared_ptr<TMemKey> TMemRegistry::Root(TKeyHandle vRoot) const {
  auto it = fRoots.find(vRoot);
  return it == fRoots.end() ? nullptr : it->second;
}

TMemKey& TMemRegistry::Key(TKeyHandle vRoot, TTextView vPath) {
  std::shared_ptr<TMemKey> key = Root(vRoot);
  if (!key) throw TRegError("unknown root key");
  for (const auto& part : SplitPath(vPath)) {
    auto it = std::lower_bound(key->fSubkeys.begin(), key->fSubkeys.end(), TTextView(part), NameLess);
    if (it == key->fSubkeys.end() || CompareFoldWide((*it)->fName, part) != 0) {
      auto child = std::make_shared<TMemKey>();
      child->fName = part;
      child->fWriteTime = NextWriteTime();
      it = key->fSubkeys.insert(it, std::move(child));
    }
    key = *it;
  }
  return *key;
}

std::shared_ptr<TMemKey> TMemRegistry::Shared(TKeyHandle vRoot, TTextView vPath) const {
  std::shared_ptr<TMemKey> key = Root(vRoot);
  for (const auto& part : SplitPath(vPath)) {
    if (!key) return nullptr;
    auto it = std::lower_bound(key->fSubkeys.begin(), key->fSubkeys.end(), TTextView(part), NameLess);
    if (it == key->fSubkeys.end() || CompareFoldWide((*it)->fName, part) != 0) return nullptr;
    key = *it;
  }
  return key;
}

TMemKey* TMemRegistry::Find(TKeyHandle vRoot, TTextView vPath) const {
  return Shared(vRoot, vPath).get();
}

TMemValue& TMemRegistry::SetValue(TKeyHandle vRoot, TTextView vPath, TTextView vName,
                                  std::uint32_t vType, std::vector<std::uint8_t> vData) {
  TMemKey& k = Key(vRoot, vPath);
  TMemValue* v = k.Value(vName);
  if (!v) {
    k.fValues.push_back(TMemValue{TText(vName), vType, {}});
    v = &k.fValues.back();
  }
  v->fType = vType;
  v->fData = std::move(vData);
  k.fWriteTime = NextWriteTime();
  return *v;
}

TMemValue& TMemRegistry::SetText(TKeyHandle vRoot, TTextView vPath, TTextView vName,
                                 TTextView vText, std::uint32_t vType) {
  return SetValue(vRoot, vPath, vName, vType, TextBytes(vText));
}

TMemValue& TMemRegistry::SetDword(TKeyHandle vRoot, TTextView vPath, TTextView vName,
                                  std::uint32_t vNumber) {
  return SetValue(vRoot, vPath, vName, kRegDword,
                  {std::uint8_t(vNumber), std::uint8_t(vNumber >> 8), std::uint8_t(vNumber >> 16),
                   std::uint8_t(vNumber >> 24)});
}

bool TMemRegistry::DeleteValue(TKeyHandle vRoot, TTextView vPath, TTextView vName) {
  TMemKey* k = Find(vRoot, vPath);
  if (!k) return false;
  for (auto it = k->fValues.begin(); it != k->fValues.end(); ++it) {
    if (CompareFoldWide(it->fName, vName) == 0) {
      k->fValues.erase(it);
      return true;
    }
  }
  return false;
}

bool TMemRegistry::RemoveTree(TKeyHandle vRoot, TTextView vPath) {
  const auto parts = SplitPath(vPath);
  if (parts.empty()) return false;
  TText parentPath;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) parentPath += (i ? u"\\" : u"") + parts[i];
  TMemKey* parent = Find(vRoot, parentPath);
  if (!parent) return false;
  auto it = std::lower_bound(parent->fSubkeys.begin(), parent->fSubkeys.end(),
                             TTextView(parts.back()), NameLess);
  if (it == parent->fSubkeys.end() || CompareFoldWide((*it)->fName, parts.back()) != 0) return false;
  MarkDeleted(**it);
  parent->fSubkeys.erase(it);
  return true;
}

void TMemRegistry::LinkRoot(TKeyHandle vAlias, TKeyHandle vReal, TTextView vPath) {
  Key(vReal, vPath);
  fRoots[vAlias] = Shared(vReal, vPath);
}

std::unique_ptr<TRegCursor> TMemRegistry::NewCursor() { return std::make_unique<TMemCursor>(*this); }

TCursorFactory TMemRegistry::Factory() {
  return [this] { return NewCursor(); };
}

std::uint64_t TMemRegistry::KeyCount() const {
  std::uint64_t n = 0;
  for (const auto& [h, k] : fRoots) n += CountKeys(*k);
  return n;
}

std::uint64_t TMemRegistry::ValueCount() const {
  std::uint64_t n = 0;
  for (const auto& [h, k] : fRoots) n += CountValues(*k);
  return n;
}

std::vector<std::uint8_t> TextBytes(TTextView vText, bool vClosingZero) {
  std::vector<std::uint8_t> b;
  b.reserve(vText.size() * 2 + 2);
  for (char16_t c : vText) {
    b.push_back(std::uint8_t(c));
    b.push_back(std::uint8_t(c >> 8));
  }
  if (vClosingZero) {
    b.push_back(0);
    b.push_back(0);
  }
  return b;
}

}  // namespace corvane
