#include "ui/saved/savedsearchcmds.h"

#include <commdlg.h>

#include <string>

#include "text/wide.h"
#include "ui/saved/savedload.h"
#include "ui/window/window.h"

namespace corvane {

TSavedSearchCmds::TSavedSearchCmds(THost vHost, TText vInitialDir, TQmxFiles& vFiles)
    : fHost(std::move(vHost)), fInitialDir(std::move(vInitialDir)), fFiles(vFiles) {}

bool TSavedSearchCmds::RunDialog(bool vSave, TText& vPath) {
  std::wstring buf(32768, L'\0');
  const TText& last = vSave ? fSaveName : fOpenName;
  if (last.size() < buf.size()) std::copy(last.begin(), last.end(), buf.begin());
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = fHost.fOwner;
  ofn.lpstrFilter = L"Brackwater Searches (*.QMX)\0*.QMX\0";
  ofn.lpstrFile = buf.data();
  ofn.nMaxFile = DWORD(buf.size());
  ofn.lpstrInitialDir = fInitialDir.empty() ? nullptr : W(fInitialDir);
  ofn.lpstrDefExt = L"QMX";
  ofn.lpstrTitle = vSave ? L"Save current search" : L"Load saved search";
  ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
              (vSave ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  const BOOL ok = vSave ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!ok) return false;
  vPath = FromW(buf.c_str());
  (vSave ? fSaveName : fOpenName) = vPath;
  return true;
}

void TSavedSearchCmds::acSaveExecute() {
  TText path;
  if (RunDialog(true, path)) SaveSearch(path);
}

void TSavedSearchCmds::acLoadExecute() {
  TText path;
  if (RunDialog(false, path)) LoadSearch(path);
}

void TSavedSearchCmds::SaveSearch(const TText& vPath) {
  try {
    SaveQmxFile(vPath, fHost.fRead(), fFiles);
  } catch (const TQmxError& e) {
    ShowError(fHost.fOwner, e.Message());
  }
}

void TSavedSearchCmds::LoadSearch(const TText& vPath) {
  const TLoadOutcome o = ReadSavedSearch(vPath, fHost.fRead(), fFiles);
  if (!o.fRan) return;
  // A load replaces the criteria in place: a new search first, then the file's fields as
  // far as they could be read.
  fHost.fNewSearch();
  fHost.fApply(o.fCrit);
  fHost.fFinish();
  if (o.fError)
    ShowError(fHost.fOwner, *o.fError);
  else
    fSaveName = vPath;
}

}  // namespace corvane
