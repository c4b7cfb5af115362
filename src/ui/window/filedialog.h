// The system's open and save dialogs, as every file command of the window shows them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "text/text.h"

namespace corvane {

struct TFileDialog {
  HWND fOwner = nullptr;
  const wchar_t* fTitle = L"";
  // The file types the dialog offers, in order (see AddType).
  TText fFilter;
  const wchar_t* fDefaultExt = nullptr;  // appended to a name without one; nullptr: none
  TText fInitialDir;                     // where the dialog first opens; empty: the system's
  bool fSave = false;                    // save: asks before replacing; open: the file must exist
  TText fName;                           // proposed, and after a choice the chosen full path
  std::uint32_t fType = 1;               // the chosen type, counted from 1, in and out

  // Offers one more file type: its name as listed and its pattern ("*.reg").
  void AddType(TTextView vName, TTextView vPattern) {
    fFilter.append(vName).push_back(u'\0');
    fFilter.append(vPattern).push_back(u'\0');
  }
};

// Shows the dialog modally; true when the user chose a file (vDialog.fName and fType hold it).
bool RunFileDialog(TFileDialog& vDialog);

}  // namespace corvane
