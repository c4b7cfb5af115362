#include "support/scopedcursor.h"

namespace corvane::test {
namespace {

class TScopedCursor final : public TRegCursor {
 public:
  TScopedCursor(std::unique_ptr<TRegCursor> vInner, const TText& vBase)
      : fInner(std::move(vInner)), fBase(u"\\" + FoldAZ(vBase)) {}

  void SelectRoot(TKeyHandle vRoot) override {
    fRoot = vRoot;
    fPath.clear();
    fInner->SelectRoot(vRoot);
  }
  void CloseKey() override {
    fInner->CloseKey();
    fPath.clear();
    fParents.clear();
  }
  bool OpenRead(TTextView vPath) override {
    // The walk opens the root by the empty path, subkeys by name below it.
    const TText path = FoldAZ(vPath);
    if (fRoot != kHKCU || !Visible(path)) return false;
    if (!fInner->OpenRead(vPath)) return false;
    fPath = path;
    fParents.clear();
    return true;
  }
  bool OpenSubkeyRead(TTextView vName) override {
    const TText path = fPath + u"\\" + FoldAZ(vName);
    if (fRoot != kHKCU || !Visible(path) || !fInner->OpenSubkeyRead(vName)) return false;
    fParents.push_back(fPath);
    fPath = path;
    return true;
  }
  void CloseSubkey() override {
    fInner->CloseSubkey();
    if (fParents.empty()) {
      fPath.clear();
      return;
    }
    fPath = fParents.back();
    fParents.pop_back();
  }
  bool ListValues(TValueList& vList, bool vWithData) override {
    if (Inside(fPath)) return fInner->ListValues(vList, vWithData);
    vList.Clear();
    return true;
  }
  std::vector<TText> SubkeyNames() override {
    std::vector<TText> shown;
    for (auto& n : fInner->SubkeyNames())
      if (Visible(fPath + u"\\" + FoldAZ(n))) shown.push_back(n);
    return shown;
  }
  std::vector<TText> ValueNames() override {
    return Inside(fPath) ? fInner->ValueNames() : std::vector<TText>{};
  }
  bool QueryValue(TTextView n, std::uint32_t& t, std::uint32_t& s) override {
    return fInner->QueryValue(n, t, s);
  }
  bool ReadValue(TTextView n, std::uint8_t* b, std::uint32_t& t, std::uint32_t& s) override {
    return fInner->ReadValue(n, b, t, s);
  }
  bool OpenFull(TTextView p) override { return fInner->OpenFull(p); }
  bool OpenReadAccess(TTextView p) override { return fInner->OpenReadAccess(p); }
  bool CreateSubkey(TTextView n) override { return fInner->CreateSubkey(n); }
  void WriteText(TTextView n, TTextView t) override { fInner->WriteText(n, t); }
  TText ReadText(TTextView n) override { return fInner->ReadText(n); }
  std::uint32_t ReadNumber(TTextView n) override { return fInner->ReadNumber(n); }
  bool KeyExists(TTextView p) override { return fInner->KeyExists(p); }
  bool DeleteKey(TTextView p) override { return fInner->DeleteKey(p); }
  bool RootKeyInfo(TKeyHandle r, TKeyInfo& i) override { return fInner->RootKeyInfo(r, i); }
  bool OpenKeyInfo(TKeyInfo& i) override { return fInner->OpenKeyInfo(i); }

 private:
  bool Inside(const TText& p) const {
    return p.size() >= fBase.size() && p.compare(0, fBase.size(), fBase) == 0 &&
           (p.size() == fBase.size() || p[fBase.size()] == u'\\');
  }
  // On the way to the base key, or inside it.
  bool Visible(const TText& p) const {
    if (p.empty()) return true;
    if (Inside(p)) return true;
    return fBase.compare(0, p.size(), p) == 0 && fBase.size() > p.size() && fBase[p.size()] == u'\\';
  }

  std::unique_ptr<TRegCursor> fInner;
  TText fBase;
  TKeyHandle fRoot = 0;
  TText fPath;
  std::vector<TText> fParents;  // paths of the keys below which fPath was opened
};

}  // namespace

TCursorFactory ScopedCursors(TCursorFactory vInner, const TText& vBase) {
  return [vInner, vBase] { return std::make_unique<TScopedCursor>(vInner(), vBase); };
}

}  // namespace corvane::test
