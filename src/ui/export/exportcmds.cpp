#include "ui/export/exportcmds.h"

#include <commdlg.h>

#include <string>

#include "text/wide.h"
#include "ui/export/exportlogic.h"
#include "ui/window/window.h"

namespace corvane {

TExportCmds::TExportCmds(THost vHost, TText vInitialDir, TFileOps& vFiles)
    : fHost(std::move(vHost)), fInitialDir(std::move(vInitialDir)), fFiles(vFiles) {}

void TExportCmds::acExportExecute() {
  std::wstring filter;
  for (const TExportType& t : kExportTypes) {
    filter += W(t.fName);
    filter += L'\0';
    filter += W(t.fPattern);
    filter += L'\0';
  }
  std::wstring buf(32768, L'\0');
  if (fLastName.size() < buf.size()) std::copy(fLastName.begin(), fLastName.end(), buf.begin());
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = fHost.fOwner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = DWORD(fLastType);
  ofn.lpstrFile = buf.data();
  ofn.nMaxFile = DWORD(buf.size());
  ofn.lpstrInitialDir = fInitialDir.empty() ? nullptr : W(fInitialDir);
  ofn.lpstrTitle = L"Export results";
  ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
              OFN_OVERWRITEPROMPT | OFN_NOREADONLYRETURN;
  if (!GetSaveFileNameW(&ofn)) return;
  fLastType = int(ofn.nFilterIndex);
  const TExportTarget target = ExportTarget(FromW(buf.c_str()), std::int32_t(ofn.nFilterIndex));
  if (ExportTo(target.fPath, target.fFormat)) fLastName = target.fPath;
}

bool TExportCmds::ExportTo(const TText& vPath, TExportFormat vFormat) {
  const TText full = fFiles.FullPath(vPath);
  TExportCounts counts;
  TText error;
  TSafeSave saved = ssCreateFailed;
  {
    const HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    saved = SaveExport(full, vFormat, fHost.fHits(), fHost.fFrom(), fHost.fCursors(), counts,
                       error, fFiles);
    SetCursor(old);
  }
  if (saved != ssDone) {
    ShowError(fHost.fOwner, ExportFailedText(full, error));
    return false;
  }
  fHost.fStatus(ExportDoneText(counts, vFormat, full));
  return true;
}

}  // namespace corvane
