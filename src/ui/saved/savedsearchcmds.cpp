#include "ui/saved/savedsearchcmds.h"

#include "ui/saved/savedload.h"
#include "ui/window/filedialog.h"
#include "ui/window/window.h"

namespace corvane {

TSavedSearchCmds::TSavedSearchCmds(THost vHost, TText vInitialDir, TQmxFiles& vFiles)
    : fHost(std::move(vHost)), fInitialDir(std::move(vInitialDir)), fFiles(vFiles) {}

bool TSavedSearchCmds::RunDialog(bool vSave, TText& vPath) {
  TFileDialog d;
  d.fOwner = fHost.fOwner;
  d.fTitle = vSave ? L"Save current search" : L"Load saved search";
  d.AddType(u"Brackwater Searches (*.QMX)", u"*.QMX");
  d.fDefaultExt = L"QMX";
  d.fInitialDir = fInitialDir;
  d.fSave = vSave;
  d.fName = vSave ? fSaveName : fOpenName;
  if (!RunFileDialog(d)) return false;
  vPath = d.fName;
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
