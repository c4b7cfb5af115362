#include "ui/main/mainlogic.h"

#include <algorithm>

namespace corvane {

std::int32_t Clamp(std::int32_t vValue, std::int32_t vLow, std::int32_t vHigh) {
  return vValue < vLow ? vLow : vValue > vHigh ? vHigh : vValue;
}

TFormSettings ReadFormSettings(TProfile& vProfile) {
  TFormSettings s;
  const TTextView sec = kFormSettingsSection;
  s.fButtons = ReadProfileInt(vProfile, sec, u"Buttons", 0) == 1;
  s.fActivePage = Clamp(ReadProfileInt(vProfile, sec, u"ActivePage", 0), 0, 1);
  s.fPerPageIdx = Clamp(ReadProfileInt(vProfile, sec, u"PerPage", 0), 0, 4);
  s.fMaxRsltIdx = Clamp(ReadProfileInt(vProfile, sec, u"MaxRslt", 2), 0, 3);
  s.fCase = ReadProfileFlag(vProfile, sec, u"Case", false);
  return s;
}

std::vector<std::pair<TText, TText>> FormSettingsEntries(const TFormSettings& vSettings) {
  return {{u"ActivePage", DecimalText(vSettings.fActivePage)},
          {u"PerPage", DecimalText(vSettings.fPerPageIdx)},
          {u"MaxRslt", DecimalText(vSettings.fMaxRsltIdx)},
          {u"Case", vSettings.fCase ? u"1" : u"0"}};
}

std::int32_t PerPageAt(std::int32_t vIndex) {
  return vIndex >= 0 && vIndex <= 3 ? kPerPageValues[std::size_t(vIndex)] : 1000;
}

std::int32_t MaxRsltAt(std::int32_t vIndex) {
  return vIndex >= 0 && vIndex <= 2 ? kMaxRsltValues[std::size_t(vIndex)] : 10000;
}

TPlaceRect FitIntoWorkArea(TPlaceRect vRect, const TPlaceRect& vWork) {
  // 64-bit arithmetic: the file may hold any 32-bit numbers.
  auto shift = [](std::int32_t& vLow, std::int32_t& vHigh, std::int64_t vBy) {
    vLow = std::int32_t(std::clamp<std::int64_t>(vLow - vBy, INT32_MIN, INT32_MAX));
    vHigh = std::int32_t(std::clamp<std::int64_t>(vHigh - vBy, INT32_MIN, INT32_MAX));
  };
  if (vRect.fRight > vWork.fRight)
    shift(vRect.fLeft, vRect.fRight, std::int64_t(vRect.fRight) - vWork.fRight);
  if (vRect.fBottom > vWork.fBottom)
    shift(vRect.fTop, vRect.fBottom, std::int64_t(vRect.fBottom) - vWork.fBottom);
  if (vRect.fLeft < 0) vRect.fLeft = 0;
  if (vRect.fTop < 0) vRect.fTop = 0;
  return vRect;
}

TPlacement LoadPlacement(TProfile& vProfile, const TPlacement& vCurrent, const TPlaceRect& vWindow,
                         const TPlaceRect& vWork, bool vWithSize) {
  const TTextView sec = kPlacementSection;
  const std::int32_t centredLeft = (vWork.Width() - vWindow.Width()) / 2 + vWork.fLeft;
  const std::int32_t centredTop = (vWork.Height() - vWindow.Height()) / 2 + vWork.fTop;
  TPlacement p = vCurrent;
  p.fNormal.fLeft = ReadProfileInt(vProfile, sec, u"Left", centredLeft);
  p.fNormal.fTop = ReadProfileInt(vProfile, sec, u"Top", centredTop);
  if (vWithSize) {
    p.fNormal.fRight = ReadProfileInt(vProfile, sec, u"Right", vWindow.fRight);
    p.fNormal.fBottom = ReadProfileInt(vProfile, sec, u"Bottom", vWindow.fBottom);
  } else {
    p.fNormal.fRight = int32_t(std::clamp<std::int64_t>(
        std::int64_t(p.fNormal.fLeft) + vWindow.Width(), INT32_MIN, INT32_MAX));
    p.fNormal.fBottom = int32_t(std::clamp<std::int64_t>(
        std::int64_t(p.fNormal.fTop) + vWindow.Height(), INT32_MIN, INT32_MAX));
  }
  p.fMinX = ReadProfileInt(vProfile, sec, u"MinX", vCurrent.fMinX);
  p.fMinY = ReadProfileInt(vProfile, sec, u"MinY", vCurrent.fMinY);
  p.fMaxX = ReadProfileInt(vProfile, sec, u"MaxX", vCurrent.fMaxX);
  p.fMaxY = ReadProfileInt(vProfile, sec, u"MaxY", vCurrent.fMaxY);
  p.fShowCmd = 0;
  p.fFlags = ReadProfileInt(vProfile, sec, u"flags", vCurrent.fFlags);
  const std::int32_t written = ReadProfileInt(vProfile, sec, u"PixelsPerInch", 96);
  if (vWithSize && written > 0 && written != vCurrent.fDpi) {
    const auto scaled = [&](std::int32_t v) {
      return std::int32_t(std::clamp<std::int64_t>(std::int64_t(v) * vCurrent.fDpi / written, 0,
                                                   INT32_MAX));
    };
    p.fNormal.fRight = std::int32_t(std::clamp<std::int64_t>(
        std::int64_t(p.fNormal.fLeft) + scaled(p.fNormal.Width()), INT32_MIN, INT32_MAX));
    p.fNormal.fBottom = std::int32_t(std::clamp<std::int64_t>(
        std::int64_t(p.fNormal.fTop) + scaled(p.fNormal.Height()), INT32_MIN, INT32_MAX));
  }
  p.fDpi = vCurrent.fDpi;
  if (vWithSize) p.fNormal = FitIntoWorkArea(p.fNormal, vWork);
  return p;
}

std::vector<std::pair<TText, TText>> PlacementEntries(const TPlacement& vPlacement,
                                                      bool vWithSize) {
  std::vector<std::pair<TText, TText>> r;
  r.emplace_back(u"Left", DecimalText(vPlacement.fNormal.fLeft));
  r.emplace_back(u"Top", DecimalText(vPlacement.fNormal.fTop));
  if (vWithSize) {
    r.emplace_back(u"Right", DecimalText(vPlacement.fNormal.fRight));
    r.emplace_back(u"Bottom", DecimalText(vPlacement.fNormal.fBottom));
  }
  r.emplace_back(u"MinX", DecimalText(vPlacement.fMinX));
  r.emplace_back(u"MinY", DecimalText(vPlacement.fMinY));
  r.emplace_back(u"MaxX", DecimalText(vPlacement.fMaxX));
  r.emplace_back(u"MaxY", DecimalText(vPlacement.fMaxY));
  r.emplace_back(u"ShowCmd", DecimalText(vPlacement.fShowCmd));
  r.emplace_back(u"flags", DecimalText(vPlacement.fFlags));
  if (vWithSize) r.emplace_back(u"PixelsPerInch", DecimalText(vPlacement.fDpi));
  return r;
}

TActionStates ActionStates(const TWindowState& v) {
  TActionStates a;
  const bool idle = !v.fThreadRunning && !v.fLoading;
  // The keys of a searched file are not in the live registry: no editor. The detail page
  // reads a hive as it reads the registry; an export file's hits have no detail page.
  a.fRegedit = v.fRegEditKnown && !v.fFileSearched;
  a.fBack = v.fPage > 0;
  a.fForward = (v.fPage == 0 && v.fSearched) || (v.fPage == 1 && !v.fDetailEmpty);
  a.fKDetail = v.fPage == 1 && v.fRowSelected && (!v.fFileSearched || v.fHiveSearched);
  a.fStop = !idle;
  a.fSearch = v.fPage == 0 && idle && v.fTimeValid &&
              (v.fAdvancedTab ? v.fAdvancedValid : !v.fBasicTextEmpty && v.fBasicValid);
  a.fSave = v.fPage == 0 && v.fAdvancedTab && v.fAdvancedValid;
  a.fExport = v.fHits && idle;
  a.fSearchFile = a.fSearchHive = idle;
  a.fSearchRegistry = idle && v.fFileSearched;
  a.fCopyKey = v.fPage > 0 && v.fCopyKey;
  a.fCopyValue = a.fCopyData = a.fCopyKey && v.fCopyValue;
  return a;
}

TText LongHint(TTextView vHint) {
  const auto bar = vHint.find(u'|');
  return TText(bar == TTextView::npos ? vHint : vHint.substr(bar + 1));
}

TText ShortHint(TTextView vHint) {
  const auto bar = vHint.find(u'|');
  return TText(bar == TTextView::npos ? vHint : vHint.substr(0, bar));
}

}  // namespace corvane
