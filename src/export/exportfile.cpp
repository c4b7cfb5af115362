#include "export/exportfile.h"

#include "export/csvwriter.h"
#include "export/jsonlines.h"

namespace corvane {

std::string ExportBytes(TExportFormat vFormat, const std::vector<TResult>& vHits, THitsFrom vFrom,
                        const TCursorFactory& vCursors, TExportCounts& vCounts,
                        const TText& vSingleRoot) {
  vCounts = TExportCounts{};
  vCounts.fHits = vHits.size();
  switch (vFormat) {
    case efCsv:
      return HitsCsv(vHits, &vCounts.fReplaced);
    case efJsonLines:
      return HitsJsonLines(vHits, &vCounts.fReplaced);
    case efRegExport:
      break;
  }
  TRegHitsExport reg = RegExportOfHits(vHits, vFrom, vCursors, vSingleRoot);
  vCounts.fKeys = reg.fKeys;
  vCounts.fValues = reg.fValues;
  vCounts.fGone = reg.fGone;
  vCounts.fUnwritable = reg.fUnwritable;
  return std::move(reg.fBytes);
}

TSafeSave SaveExport(const TText& vPath, TExportFormat vFormat, const std::vector<TResult>& vHits,
                     THitsFrom vFrom, const TCursorFactory& vCursors, TExportCounts& vCounts,
                     TText& vError, TFileOps& vFiles, const TText& vSingleRoot) {
  const std::string bytes = ExportBytes(vFormat, vHits, vFrom, vCursors, vCounts, vSingleRoot);
  return SafeSave(vFiles.FullPath(vPath), bytes, vFiles, vError);
}

}  // namespace corvane
