#include "ui/export/exportlogic.h"

namespace corvane {

namespace {

TText Counted(std::size_t vValue, const char16_t* vOne, const char16_t* vMany) {
  return DecimalText(vValue) + u" " + (vValue == 1 ? vOne : vMany);
}

// The extension of the last path component, lower-cased (a to z); empty for none.
TText Extension(const TText& vPath) {
  const auto slash = vPath.find_last_of(u"\\/");
  const auto dot = vPath.find_last_of(u'.');
  if (dot == TText::npos || (slash != TText::npos && dot < slash)) return TText();
  return LowerAZ(TTextView(vPath).substr(dot + 1));
}

}  // namespace

TExportTarget ExportTarget(const TText& vPath, std::int32_t vTypeIndex) {
  TExportTarget t;
  t.fPath = vPath;
  const TText ext = Extension(vPath);
  for (const TExportType& type : kExportTypes) {
    if (ext == type.fExtension) {
      t.fFormat = type.fFormat;
      return t;
    }
  }
  if (ext == u"json") {
    t.fFormat = efJsonLines;
    return t;
  }
  const bool known = vTypeIndex >= 1 && vTypeIndex <= std::int32_t(std::size(kExportTypes));
  const TExportType& chosen = kExportTypes[known ? vTypeIndex - 1 : 0];
  t.fFormat = chosen.fFormat;
  const bool endsInDot = !vPath.empty() && vPath.back() == u'.';
  if (ext.empty() && !endsInDot) t.fPath += TText(u".") + chosen.fExtension;
  return t;
}

TText ExportDoneText(const TExportCounts& vCounts, TExportFormat vFormat, const TText& vPath) {
  TText text = u"Exported " + Counted(vCounts.fHits, u"hit", u"hits");
  if (vFormat == efRegExport)
    text += u" (" + Counted(vCounts.fKeys, u"key", u"keys") + u", " +
            Counted(vCounts.fValues, u"value", u"values") + u")";
  text += u" to " + vPath;
  if (vCounts.fReplaced > 0)
    text += u"; " + DecimalText(vCounts.fReplaced) + u" unpaired surrogates written as U+FFFD";
  if (vCounts.fGone > 0)
    text += u"; " + DecimalText(vCounts.fGone) + u" no longer in the registry, left out";
  if (vCounts.fUnwritable > 0)
    text += u"; " + DecimalText(vCounts.fUnwritable) + u" with a line break in the name, left out";
  return text;
}

TText ExportFailedText(const TText& vPath, const TText& vError) {
  return u"The results could not be saved to " + vPath + u": " + vError;
}

}  // namespace corvane
