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

TSearchThread::TSearchThread(const TNameCritList& vKeyCrit, const TNameCritList& vValCrit,
                             TDatCritList vDatCrit, bool vKeyAll, bool vValAll, bool vDatAll,
                             bool vDatCase, std::int32_t vMaxRslt, TRootKeySet vRootSet,
                             TFoundProc vFoundP, TProgProc vProgP, const TSearchHost& vHost)
    : TSearchThread(TText(), vDatCase, vMaxRslt, std::move(vFoundP), std::move(vProgP), vHost) {
  fKeyCrit = vKeyCrit;
  fValCrit = vValCrit;
  fDatCrit = std::move(vDatCrit);
  fKeyAll = vKeyAll;
  fValAll = vValAll;
  fDatAll = vDatAll;
  fRootSet = vRootSet;
  fComplex = true;
}

TSearchThread::~TSearchThread() {
  // The body reads the fields below; never free them under a running worker.
  WaitFor();
}

void TSearchThread::Execute() {
  if (fComplex)
    ComplexSearch();
  else
    SimpleSearch();
}

void TSearchThread::SimpleSearch() { SearchRoots(true); }
void TSearchThread::ComplexSearch() { SearchRoots(false); }

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
    if (fComplex) {
      ComplexBody(full, vName);
      // Whether or not the key matched, its subkeys are walked (the loop checks fQuit).
      if (vDepth < kMaxKeyDepth) WalkSubkeys(vPath, vDepth);
    } else {
      SimpleBody(full, vName);
      if (!fQuit && vDepth < kMaxKeyDepth) WalkSubkeys(vPath, vDepth);
    }
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
    if (!ReadData(name, buffer, type, size)) continue;
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

bool TSearchThread::ReadData(const TText& vName, std::vector<std::uint8_t>& vBuffer,
                             std::uint32_t& vType, std::uint32_t& vSize) {
  if (!fCursor->QueryValue(vName, vType, vSize)) return false;
  // A buffer of exactly the reported size; a value that grew since fails the read.
  vBuffer.assign(vSize, 0);
  if (fCursor->ReadValue(vName, vBuffer.data(), vType, vSize)) return true;
  vBuffer.clear();
  vBuffer.shrink_to_fit();
  return false;
}

void TSearchThread::ComplexBody(const TText& vFull, const TText& vName) {
  std::int32_t start = 0, len = 0;
  if (!KeyMatches(vName, start, len)) return;
  fGotKey = vFull;
  // Computed even when no emphasis was given, so the key start is then set with length 0.
  fGotKeySt = static_cast<std::int32_t>(vFull.size() - vName.size()) + start;
  fGotKeyLn = len;
  if (fValCrit.empty() && fDatCrit.empty()) {
    fGotVal.clear();
    fGotValSt = 0;
    fGotValLn = 0;
    fGotDat.clear();
    fGotDatSt = 0;
    fGotDatLn = 0;
    ReportHit();
    return;
  }
  std::vector<std::uint8_t> buffer;
  // No fQuit check at the top: after a stop request the remaining values of this key are
  // still tested, and the first hit among them ends the key.
  for (const TText& name : Sorted(fCursor->ValueNames())) {
    CheckTerminate();
    std::int32_t vs = 0, vl = 0;
    if (!ValMatches(name, vs, vl)) continue;
    fGotVal = name;
    fGotValSt = vs;
    fGotValLn = vl;
    if (fDatCrit.empty()) {
      fGotDat.clear();
      fGotDatSt = 0;
      fGotDatLn = 0;
      ReportHit();
      if (fQuit) return;
      continue;
    }
    std::uint32_t type = 0, size = 0;
    if (!ReadData(name, buffer, type, size)) continue;
    TText excerpt;
    std::int32_t ds = 0, dl = 0;
    const bool holds = DatMatches(buffer.data(), type, size, excerpt, ds, dl);
    buffer.clear();
    buffer.shrink_to_fit();
    if (holds) {
      fGotDat = std::move(excerpt);
      fGotDatSt = ds;
      fGotDatLn = dl;
      ReportHit();
      if (fQuit) return;
    }
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
