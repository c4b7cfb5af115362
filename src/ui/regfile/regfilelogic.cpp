#include "ui/regfile/regfilelogic.h"

namespace corvane {

TText SearchedCaption(bool vFileSearched, const TText& vPath) {
  return vFileSearched ? u"Corvane - " + FileNameOf(vPath) : TText(u"Corvane");
}

TText LoadProgressText(const TText& vPath, std::uint64_t vDone, std::uint64_t vTotal) {
  // Files are far below 2^57 bytes: the product cannot overflow.
  const std::uint64_t percent = vDone >= vTotal ? 100 : vDone * 100 / vTotal;
  return u"Loading " + FileNameOf(vPath) + u": " + DecimalText(percent) + u"% (Esc cancels)";
}

TText LoadDoneText(const TText& vPath, std::uint64_t vKeys, std::uint64_t vValues) {
  return u"Searching the export file " + vPath + u" (" + DecimalText(vKeys) + u" keys, " +
         DecimalText(vValues) + u" values)";
}

TText HiveOpenedText(const TText& vPath, std::uint64_t vKeys, std::uint64_t vValues,
                     const TText& vNotice) {
  TText t = u"Searching the hive file " + vPath + u" (" + DecimalText(vKeys) + u" keys, " +
            DecimalText(vValues) + u" values)";
  if (!vNotice.empty()) t += u". " + vNotice;
  return t;
}

TText RegistrySearchedText() {
  return u"Searching the registry";
}

TText LoadCancelledText(const TText& vPath) {
  return u"Loading " + FileNameOf(vPath) + u" cancelled; the search goes on as before";
}

TText LoadFailedText(TRegLoadThread::TOutcome vOutcome, const TText& vPath, const TText& vError) {
  switch (vOutcome) {
    case TRegLoadThread::loMalformed:
      return u"The file " + vPath + u" is not a registry export that can be read: " + vError;
    case TRegLoadThread::loOpenFailed:
      return u"The file " + vPath + u" could not be opened: " + vError;
    default:
      return u"The file " + vPath + u" could not be read: " + vError;
  }
}

}  // namespace corvane
