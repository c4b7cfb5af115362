#include "support/scopedcursor.h"

#include "support/forwardcursor.h"

namespace corvane::test {
namespace {

class TScopedCursor final : public TForwardCursor {
 public:
  TScopedCursor(std::unique_ptr<TRegCursor> vInner, const TText& vBase)
      : TForwardCursor(std::move(vInner)), fBase(u"\\" + FoldAZ(vBase)) {}

  void SelectRoot(TKeyHandle vRoot) override {
    fRoot = vRoot;
    fPath.clear();
    fIn->SelectRoot(vRoot);
  }
  void CloseKey() override {
    fIn->CloseKey();
    fPath.clear();
    fParents.clear();
  }
  bool OpenRead(TTextView vPath) override {
    // The walk opens the root by the empty path, subkeys by name below it.
    const TText path = FoldAZ(vPath);
    if (fRoot != kHKCU || !Visible(path)) return false;
    if (!fIn->OpenRead(vPath)) return false;
    fPath = path;
    fParents.clear();
    return true;
  }
  bool OpenSubkeyRead(TTextView vName) override {
    const TText path = fPath + u"\\" + FoldAZ(vName);
    if (fRoot != kHKCU || !Visible(path) || !fIn->OpenSubkeyRead(vName)) return false;
    fParents.push_back(fPath);
    fPath = path;
    return true;
  }
  void CloseSubkey() override {
    fIn->CloseSubkey();
    if (fParents.empty()) {
      fPath.clear();
      return;
    }
    fPath = fParents.back();
    fParents.pop_back();
  }
  bool ListValues(TValueList& vList, bool vWithData) override {
    if (Inside(fPath)) return fIn->ListValues(vList, vWithData);
    vList.Clear();
    return true;
  }
  std::vector<TText> SubkeyNames() override {
    std::vector<TText> shown;
    for (auto& n : fIn->SubkeyNames())
      if (Visible(fPath + u"\\" + FoldAZ(n))) shown.push_back(n);
    return shown;
  }
  std::vector<TText> ValueNames() override {
    return Inside(fPath) ? fIn->ValueNames() : std::vector<TText>{};
  }

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
