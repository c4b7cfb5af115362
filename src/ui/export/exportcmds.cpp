#include "ui/export/exportcmds.h"

#include "ui/export/exportlogic.h"
#include "ui/window/filedialog.h"
#include "ui/window/window.h"

namespace corvane {

TExportCmds::TExportCmds(THost vHost, TText vInitialDir, TFileOps& vFiles)
    : fHost(std::move(vHost)), fInitialDir(std::move(vInitialDir)), fFiles(vFiles) {}

void TExportCmds::acExportExecute() {
  TFileDialog d;
  d.fOwner = fHost.fOwner;
  d.fTitle = L"Export results";
  for (const TExportType& t : kExportTypes) d.AddType(t.fName, t.fPattern);
  d.fInitialDir = fInitialDir;
  d.fSave = true;
  d.fName = fLastName;
  d.fType = fLastType;
  if (!RunFileDialog(d)) return;
  fLastType = d.fType;
  const TExportTarget target = ExportTarget(d.fName, std::int32_t(d.fType));
  if (ExportTo(target.fPath, target.fFormat)) fLastName = target.fPath;
}

bool TExportCmds::ExportTo(const TText& vPath, TExportFormat vFormat) {
  const TText full = fFiles.FullPath(vPath);
  TExportCounts counts;
  TText error;
  TSafeSave saved = ssCreateFailed;
  {
    const TWaitCursor wait;
    saved = SaveExport(full, vFormat, fHost.fHits(), fHost.fFrom(), fHost.fCursors(), counts, error,
                       fFiles, fHost.fSingleRoot ? fHost.fSingleRoot() : TText());
  }
  if (saved != ssDone) {
    ShowError(fHost.fOwner, ExportFailedText(full, error));
    return false;
  }
  fHost.fStatus(ExportDoneText(counts, vFormat, full));
  return true;
}

}  // namespace corvane
