#include "search/searchthread.h"

#include <algorithm>

#include "search/number.h"

namespace corvane {

TSearchThread::TSearchThread(const TText& S, bool vDatCase, std::int32_t vMaxRslt,
                             TFoundProc vFoundP, TProgProc vProgP, const TSearchHost& vHost)
    : TThread(*vHost.fSync),
      fSimpleS(S),
      fSimpleFolded(FoldAZ(S)),
      fDatCase(vDatCase),
      fMaxRslt(vMaxRslt),
      fFoundP(std::move(vFoundP)),
      fProgP(std::move(vProgP)),
      fHost(vHost) {
  if (!fHost.fCompare) fHost.fCompare = &PlatformCompare();
  std::int32_t value = 0;
  if (ReadsAsNumber(fSimpleS, value)) {
    fSimpleI = value;
    fSmpHasI = true;
  }
}

TSearchThread::~TSearchThread() {
  // The body reads the fields below; never free them under a running worker.
  WaitFor();
}

void TSearchThread::Execute() {
  if (fComplex) return;  // the criteria search is not part of this engine yet
  SimpleSearch();
}

void TSearchThread::SimpleSearch() { SearchRoots(true); }

void TSearchThread::SearchRoots(bool vAllRoots) {
  fStatus = stWorking;
  fQuit = false;
  fCursor = fHost.fNewCursor();
  struct TRelease {
    std::unique_ptr<TRegCursor>& fCursor;
    ~TRelease() { fCursor.reset(); }
  } release{fCursor};
  for (const auto& root : kSearchOrder) {
    if (vAllRoots || fRootSet.Has(root.fMember)) {
      fCursor->SelectRoot(root.fHandle);
      fGotRoot = root.fHandle;
      fRootName = root.fName;
      WalkKey(TText(), TText(), 0);
    }
    if (fQuit) return;
  }
  fStatus = stFinished;
}

void TSearchThread::CheckTerminate() {
  if (Terminated()) {
    fStatus = stStopped;
    fQuit = true;
  }
}

std::vector<TText> TSearchThread::Sorted(std::vector<TText> vNames) const {
  const TLocaleCompare& cmp = *fHost.fCompare;
  std::sort(vNames.begin(), vNames.end(),
            [&cmp](const TText& a, const TText& b) { return cmp.Compare(a, b) < 0; });
  return vNames;
}

void TSearchThread::WalkKey(const TText& vPath, const TText& vName, int vDepth) {
  ++fTotal;
  if (fTotal % 100 == 0) ReportProgress();
  CheckTerminate();
  if (fQuit) return;
  const TText full = fRootName + LowerAZ(vPath);
  if (fHost.fAliases) {
    for (const auto& alias : *fHost.fAliases)
      if (fHost.fCompare->Same(full, alias)) return;
  }
  if (!fCursor->OpenRead(vPath)) return;
  try {
    SimpleBody(full, vName);
    if (!fQuit && vDepth < kMaxKeyDepth) WalkSubkeys(vPath, vDepth);
  } catch (...) {
    // Contained at this key: the rest of it is skipped, the walk goes on with the next key.
  }
}

void TSearchThread::SimpleBody(const TText& vFull, const TText& vName) {
  fGotKey = vFull;
  fGotKeySt = 0;
  fGotKeyLn = 0;
  fGotVal.clear();
  fGotValSt = 0;
  fGotValLn = 0;
  fGotDat = kNoPart;
  fGotDatSt = 0;
  fGotDatLn = 0;
  bool valueHit = false;

  std::int32_t start = 0, len = 0;
  if (SimpleMatch(vName, start, len)) {
    fGotKeySt = static_cast<std::int32_t>(vFull.size() - vName.size()) + start;
    fGotKeyLn = len;
  }

  std::vector<std::uint8_t> buffer;
  for (const TText& name : Sorted(fCursor->ValueNames())) {
    if (fQuit) return;
    fGotVal = name;
    fGotValSt = 0;
    fGotValLn = 0;
    CheckTerminate();
    bool hit = false;
    if (SimpleMatch(name, fGotValSt, fGotValLn)) {
      hit = true;
      valueHit = true;
    }
    fGotDat = kNoPart;
    fGotDatSt = 0;
    fGotDatLn = 0;
    std::uint32_t type = 0, size = 0;
    if (!fCursor->QueryValue(name, type, size)) continue;
    buffer.assign(size, 0);
    if (!fCursor->ReadValue(name, buffer.data(), type, size)) {
      buffer.clear();
      buffer.shrink_to_fit();
      continue;
    }
    if (SimpleMatchD(buffer.data(), type, size, fGotDat, fGotDatSt, fGotDatLn)) {
      hit = true;
      valueHit = true;
    }
    buffer.clear();
    buffer.shrink_to_fit();
    if (hit) ReportHit();
    if (fQuit) return;
  }
  fGotVal = kNoPart;
  if (fGotKeySt > 0 && !valueHit) {
    fGotValSt = 0;
    fGotValLn = 0;
    fGotDat = kNoPart;
    fGotDatSt = 0;
    fGotDatLn = 0;
    ReportHit();
  }
}

void TSearchThread::WalkSubkeys(const TText& vPath, int vDepth) {
  for (const TText& name : Sorted(fCursor->SubkeyNames())) {
    if (fQuit) return;
    if (!name.empty()) WalkKey(vPath + u"\\" + name, name, vDepth + 1);
  }
}

void TSearchThread::ReportHit() {
  Synchronize([this] {
    if (fFoundP)
      fFoundP(fGotKey, fGotVal, fGotDat, fGotKeySt, fGotValSt, fGotDatSt, fGotKeyLn, fGotValLn,
              fGotDatLn, fGotRoot);
    ++fCount;
    if (fCount >= fMaxRslt) {
      fStatus = stOverflow;
      fQuit = true;
    }
  });
}

void TSearchThread::ReportProgress() {
  Synchronize([this] {
    if (fProgP) fProgP(fTotal, fCount);
  });
}

}  // namespace corvane
