#include "ui/window/filedialog.h"

#include <commdlg.h>

#include <algorithm>
#include <string>

#include "text/wide.h"

namespace corvane {

bool RunFileDialog(TFileDialog& vDialog) {
  std::wstring buf(32768, L'\0');
  if (vDialog.fName.size() < buf.size())
    std::copy(vDialog.fName.begin(), vDialog.fName.end(), buf.begin());
  const TText filter = vDialog.fFilter + TText(1, u'\0');  // the list ends in two zeros
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = vDialog.fOwner;
  ofn.lpstrFilter = W(filter);
  ofn.nFilterIndex = vDialog.fType;
  ofn.lpstrFile = buf.data();
  ofn.nMaxFile = DWORD(buf.size());
  ofn.lpstrInitialDir = vDialog.fInitialDir.empty() ? nullptr : W(vDialog.fInitialDir);
  ofn.lpstrDefExt = vDialog.fDefaultExt;
  ofn.lpstrTitle = vDialog.fTitle;
  ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
              (vDialog.fSave ? OFN_OVERWRITEPROMPT | OFN_NOREADONLYRETURN : OFN_FILEMUSTEXIST);
  const BOOL ok = vDialog.fSave ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!ok) return false;
  vDialog.fName = FromW(buf.c_str());
  vDialog.fType = ofn.nFilterIndex;
  return true;
}

}  // namespace corvane
