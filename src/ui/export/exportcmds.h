// The window's Export results command: a save dialog with the three export types, then the
// hits written through the safe save, so a failed export leaves an existing file as it was.
// The outcome goes to the status bar; a failure to one error box.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "export/exportfile.h"
#include "search/types.h"
#include "text/text.h"

namespace corvane {

class TExportCmds {
 public:
  struct THost {
    HWND fOwner = nullptr;
    // Every hit of the last search, not only the shown page.
    std::function<const std::vector<TResult>&()> fHits;
    // The kind of the last search, which decides what a hit stands for.
    std::function<THitsFrom()> fFrom;
    // The registry the hits came from: the registry export reads their values afresh.
    std::function<TCursorFactory()> fCursors;
    // The root name of a searched hive file; empty while the registry is searched.
    std::function<TText()> fSingleRoot;
    std::function<void(const TText&)> fStatus;
  };

  TExportCmds(THost vHost, TText vInitialDir, TFileOps& vFiles = PlatformFiles());

  void acExportExecute();
  // Writes the hits to vPath in vFormat; true when the file was written.
  bool ExportTo(const TText& vPath, TExportFormat vFormat);

 private:
  THost fHost;
  TText fInitialDir;
  TFileOps& fFiles;
  TText fLastName;
  std::uint32_t fLastType = 1;
};

}  // namespace corvane
