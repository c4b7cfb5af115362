#include "search/searchthread.h"

#include <algorithm>

#include "search/number.h"

namespace corvane {

TSearchThread::TSearchThread(const TText& S, bool vDatCase, std::int32_t vMaxRslt,
                             TFoundProc vFoundP, TProgProc vProgP, const TSearchHost& vHost)
    : TThread(*vHost.fSync),
      fSimpleS(S),
      fSimpleFolded(FoldAZ(S)),
      fSimpleWide(Widened(S)),
      fSimpleWideFolded(FoldAZ(fSimpleWide)),
      fMaxRslt(vMaxRslt),
      fFoundP(std::move(vFoundP)),
      fProgP(std::move(vProgP)),
      fHost(vHost) {
  if (!fHost.fCompare) fHost.fCompare = &PlatformCompare();
  fCrit.fDatCase = vDatCase;
  std::int32_t value = 0;
  if (ReadsAsNumber(fSimpleS, value)) {
    fSimpleI = value;
    fSmpHasI = true;
  }
}

TSearchThread::TSearchThread(TComplexCriteria vCrit, std::int32_t vMaxRslt, TFoundProc vFoundP,
                             TProgProc vProgP, const TSearchHost& vHost)
    : TSearchThread(TText(), vCrit.fDatCase, vMaxRslt, std::move(vFoundP), std::move(vProgP),
                    vHost) {
  fCrit = std::move(vCrit);
  fComplex = true;
  // Each pattern is compiled once per search: names without regard to case, data by the
  // case rule.
  bool regex = false;
  for (TNameCritList* list : {&fCrit.fKeyCrit, &fCrit.fValCrit}) {
    for (TNameCrit& c : *list) {
      if (!IsRegexMatch(c.fMatch)) continue;
      c.fRegex = std::make_shared<const TRegex>(c.fText, true);
      regex = true;
    }
  }
  for (TDatCritEntry& c : fCrit.fDatCrit) {
    if (!IsRegexMatch(c.fCrit->fType)) continue;
    c.fCrit->fRegex = std::make_shared<const TRegex>(c.fText, !fCrit.fDatCase);
    regex = true;
  }
  if (regex) fMatcher = std::make_unique<TRegexMatcher>();
}

void TSearchThread::MatchAsRegex() {
  fNameRegex = std::make_shared<const TRegex>(fSimpleS, true);
  fDataRegex = fCrit.fDatCase ? std::make_shared<const TRegex>(fSimpleS, false) : fNameRegex;
  if (!fMatcher) fMatcher = std::make_unique<TRegexMatcher>();
}

TRegexResult TSearchThread::FindRegex(const TRegex& vRegex, TTextView vText, std::int32_t& vStart,
                                      std::int32_t& vLen) const {
  // A pattern that did not compile matches nothing (the callers refuse such patterns).
  if (!vRegex.Valid()) return rrNoMatch;
  const TRegexResult r = fMatcher->Find(vRegex, vText, vStart, vLen);
  if (r == rrTooCostly) ++fTooCostly;
  return r;
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

void TSearchThread::SimpleSearch() {
  SearchRoots(true);
}
void TSearchThread::ComplexSearch() {
  SearchRoots(false);
}

void TSearchThread::SearchRoots(bool vAllRoots) {
  fStatus = stWorking;
  fQuit = false;
  fCursor = fHost.fNewCursor();
  struct TRelease {
    std::unique_ptr<TRegCursor>& fCursor;
    ~TRelease() { fCursor.reset(); }
  } release{fCursor};
  if (!fHost.fSingleRoot.empty()) {
    fCursor->SelectRoot(kHKLM);
    fGotRoot = kHKLM;
    fRootName = fHost.fSingleRoot;
    WalkKey(TText(), 0);
    if (!fQuit) fStatus = stFinished;
    return;
  }
  for (const auto& root : kSearchOrder) {
    if (vAllRoots || fCrit.fRoots.Has(root.fMember)) {
      fCursor->SelectRoot(root.fHandle);
      fGotRoot = root.fHandle;
      fRootName = root.fName;
      WalkKey(TText(), 0);
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

namespace {

// Names that are strictly in order already (as the registry mostly lists subkeys) have one
// sorted order only, so the sort can be skipped without changing it.
template <typename T, typename TName>
void SortByName(std::vector<T>& vItems, const TLocaleCompare& vCmp, TName vName) {
  auto less = [&](const T& a, const T& b) { return vCmp.Compare(vName(a), vName(b)) < 0; };
  std::size_t i = 1;
  while (i < vItems.size() && less(vItems[i - 1], vItems[i])) ++i;
  if (i < vItems.size()) std::sort(vItems.begin(), vItems.end(), less);
}

}  // namespace

void TSearchThread::SortNames(std::vector<TText>& vNames) const {
  SortByName(vNames, *fHost.fCompare, [](const TText& n) -> const TText& { return n; });
}

void TSearchThread::SortValues() {
  SortByName(fValues.fValues, *fHost.fCompare,
             [](const TValueEntry& e) -> const TText& { return e.fName; });
}

void TSearchThread::WalkKey(const TText& vName, int vDepth) {
  ++fTotal;
  if (fTotal % 100 == 0) ReportProgress();
  CheckTerminate();
  if (fQuit) return;
  // The full path grows by one name per level (WalkSubkeys cuts it back) instead of being
  // built anew for every key.
  if (vDepth == 0) {
    fFull = fRootName;
  } else {
    fFull += u'\\';
    for (char16_t c : vName) fFull += LowerAZ(c);
  }
  const TText& full = fFull;
  if (fHost.fAliases) {
    for (const auto& alias : *fHost.fAliases)
      if (fHost.fCompare->Same(full, alias)) return;
  }
  // A subkey opens relative to its parent, which stays open: one handle per level.
  if (!(vDepth == 0 ? fCursor->OpenRead(TText()) : fCursor->OpenSubkeyRead(vName))) return;
  fKeyTimeRead = false;
  try {
    // A key written outside the time range reports nothing; its subkeys may.
    const bool inRange = !fRange || fRange->Contains(KeyTime());
    if (!inRange) {
      if (vDepth < kMaxKeyDepth) WalkSubkeys(vDepth);
    } else if (fComplex) {
      ComplexBody(full, vName);
      // Whether or not the key matched, its subkeys are walked (the loop checks fQuit).
      if (vDepth < kMaxKeyDepth) WalkSubkeys(vDepth);
    } else {
      SimpleBody(full, vName);
      if (!fQuit && vDepth < kMaxKeyDepth) WalkSubkeys(vDepth);
    }
  } catch (...) {
    // Contained at this key: the rest of it is skipped, the walk goes on with the next key.
  }
  fCursor->CloseSubkey();  // its parent is the open key again
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
  // Set only for a value that was reported: a key whose matching value cannot be read is
  // still reported for its own name.
  bool valueHit = false;

  std::int32_t start = 0, len = 0;
  if (SimpleMatch(vName, start, len)) {
    fGotKeySt = static_cast<std::int32_t>(vFull.size() - vName.size()) + start;
    fGotKeyLn = len;
  }

  (void)fCursor->ScanValues(fValues, true);
  SortValues();
  for (const TValueEntry& value : fValues.fValues) {
    if (fQuit) return;
    fGotVal = value.fName;
    fGotValSt = 0;
    fGotValLn = 0;
    CheckTerminate();
    bool hit = SimpleMatch(value.fName, fGotValSt, fGotValLn);
    fGotDat = kNoPart;
    fGotDatSt = 0;
    fGotDatLn = 0;
    // Nothing is reported for a value whose data cannot be read, even when its name matched.
    if (!value.fReadable) continue;
    if (SimpleMatchD(fValues.Data(value), value.fType, value.fSize, fGotDat, fGotDatSt, fGotDatLn))
      hit = true;
    if (hit) {
      valueHit = true;
      ReportHit();
    }
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

void TSearchThread::ComplexBody(const TText& vFull, const TText& vName) {
  std::int32_t start = 0, len = 0;
  if (!KeyMatches(vName, start, len)) return;
  fGotKey = vFull;
  // Computed even when no emphasis was given, so the key start is then set with length 0.
  fGotKeySt = static_cast<std::int32_t>(vFull.size() - vName.size()) + start;
  fGotKeyLn = len;
  if (fCrit.fValCrit.empty() && fCrit.fDatCrit.empty()) {
    fGotVal.clear();
    fGotValSt = 0;
    fGotValLn = 0;
    fGotDat.clear();
    fGotDatSt = 0;
    fGotDatLn = 0;
    ReportHit();
    return;
  }
  // Without data criteria the data are not read.
  (void)fCursor->ScanValues(fValues, !fCrit.fDatCrit.empty());
  SortValues();
  // No fQuit check at the top: after a stop request the remaining values of this key are
  // still tested, and the first hit among them ends the key.
  for (const TValueEntry& value : fValues.fValues) {
    CheckTerminate();
    std::int32_t vs = 0, vl = 0;
    if (!ValMatches(value.fName, vs, vl)) continue;
    fGotVal = value.fName;
    fGotValSt = vs;
    fGotValLn = vl;
    if (fCrit.fDatCrit.empty()) {
      fGotDat.clear();
      fGotDatSt = 0;
      fGotDatLn = 0;
      ReportHit();
      if (fQuit) return;
      continue;
    }
    if (!value.fReadable) continue;
    TText excerpt;
    std::int32_t ds = 0, dl = 0;
    if (DatMatches(fValues.Data(value), value.fType, value.fSize, excerpt, ds, dl)) {
      fGotDat = std::move(excerpt);
      fGotDatSt = ds;
      fGotDatLn = dl;
      ReportHit();
      if (fQuit) return;
    }
  }
}

void TSearchThread::WalkSubkeys(int vDepth) {
  // Each depth has its list of names, kept from key to key with the texts' storage.
  while (fNamesAt.size() <= std::size_t(vDepth)) fNamesAt.emplace_back();
  std::vector<TText>& names = fNamesAt[vDepth];
  fCursor->ListSubkeyNames(names);
  SortNames(names);
  const std::size_t len = fFull.size();
  for (const TText& name : names) {
    if (fQuit) break;
    fFull.resize(len);  // this key's own path
    if (!name.empty()) WalkKey(name, vDepth + 1);
  }
  fFull.resize(len);
}

std::uint64_t TSearchThread::KeyTime() {
  if (!fKeyTimeRead) {
    fKeyTimeRead = true;
    if (!fCursor->KeyWriteTime(fKeyTime)) fKeyTime = 0;
  }
  return fKeyTime;
}

void TSearchThread::ReportHit() {
  const std::uint64_t modified = KeyTime();
  Synchronize([this, modified] {
    if (fFoundP) {
      TResult hit(fGotKey, fGotVal, fGotDat, fGotKeySt, fGotValSt, fGotDatSt, fGotKeyLn, fGotValLn,
                  fGotDatLn, fGotRoot);
      hit.fModified = modified;
      fFoundP(std::move(hit));
    }
    ++fCount;
    if (fCount >= fMaxRslt) {
      fStatus = stOverflow;
      fQuit = true;
    }
  });
}

void TSearchThread::ReportProgress() {
  // No report wanted: no hand-off (each one is a wait for the GUI thread).
  if (!fProgP) return;
  Synchronize([this] { fProgP(fTotal, fCount); });
}

}  // namespace corvane
