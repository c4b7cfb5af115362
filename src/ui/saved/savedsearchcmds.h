// The window's Save search and Load search commands: the two file dialogs, writing the
// criteria through the saved-search codec's safe save, and loading a file, with every
// failure shown in one error box over the window.
#pragma once

#include <windows.h>

#include <functional>

#include "savedsearch/qmxfile.h"
#include "text/text.h"

namespace corvane {

class TSavedSearchCmds {
 public:
  // What the commands need from the window.
  struct THost {
    HWND fOwner = nullptr;
    // The current criteria and options.
    std::function<TSearchCriteria()> fRead;
    // New search, then the Advanced tab.
    std::function<void()> fNewSearch;
    // Options, root keys, "any"/"all" and rows of a loaded search.
    std::function<void(const TSearchCriteria&)> fApply;
    // After every load that opened a file: restack the boxes, clear the results.
    std::function<void()> fFinish;
  };

  // vInitialDir: the folder both dialogs open in first (the program's folder).
  TSavedSearchCmds(THost vHost, TText vInitialDir, TQmxFiles& vFiles = PlatformQmxFiles());

  void acSaveExecute();
  void acLoadExecute();
  void SaveSearch(const TText& vPath);
  // Does nothing for an empty path or one that names no existing file.
  void LoadSearch(const TText& vPath);

  // The name the save dialog proposes.
  const TText& SaveFileName() const { return fSaveName; }

 private:
  bool RunDialog(bool vSave, TText& vPath);

  THost fHost;
  TText fInitialDir;
  TQmxFiles& fFiles;
  TText fSaveName;
  TText fOpenName;
};

}  // namespace corvane
