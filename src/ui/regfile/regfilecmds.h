// The window's "Search export file...", "Search hive file..." and "Search the registry"
// commands. The first loads a registry export file on a worker thread (progress in the
// status bar, Stop gives it up); the second opens a hive file, which is read in place. Once
// a file is open, searches run over its keys until the last command goes back to the live
// registry. A file that cannot be opened changes nothing: its message is shown in one error
// box and the registry (or file) searched before stays.
//
// Threads: everything here runs on the GUI thread; the loader's progress and end reports
// arrive through the window's TGuiSync like the search's.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <utility>
#include <memory>

#include "export/regloadthread.h"
#include "search/hiveregistry.h"
#include "search/registry.h"
#include "text/text.h"

namespace corvane {

class TRegFileCmds {
 public:
  struct THost {
    HWND fOwner = nullptr;
    TGuiSync* fSync = nullptr;
    // The live registry's cursors.
    TCursorFactory fLiveCursors;
    std::function<void(const TText&)> fStatus;
    // A load started or ended, or the searched registry changed (vSourceChanged): the window
    // updates its caption and actions, and drops results that came from the other source.
    std::function<void(bool vSourceChanged)> fChanged;
  };

  TRegFileCmds(THost vHost, TText vInitialDir, TFileOps& vFiles = PlatformFiles());
  ~TRegFileCmds();
  TRegFileCmds(const TRegFileCmds&) = delete;
  TRegFileCmds& operator=(const TRegFileCmds&) = delete;

  void acSearchFileExecute();
  void acSearchHiveExecute();
  void acSearchRegistryExecute();
  // Opens the hive file vPath and searches it from now on; an error box when it cannot.
  void OpenHive(const TText& vPath);
  // Starts loading vPath; does nothing while a load runs.
  void Load(const TText& vPath);
  // Gives a running load up and waits for its thread; nothing changes.
  void Cancel();
  // The window closes: a running load is given up without reports.
  void Shutdown();

  bool Loading() const { return fLoader != nullptr; }
  bool FileSearched() const { return fRegistry != nullptr || fHive != nullptr; }
  bool HiveSearched() const { return fHive != nullptr; }
  // The name the searched hive's root is reported by (its file's name); empty otherwise.
  TText SingleRoot() const;
  // The file searched now; empty while the registry is.
  const TText& FilePath() const { return fPath; }
  // The cursors of what is searched now: the loaded file's or the live registry's.
  TCursorFactory Cursors() const;

 private:
  void LoadEnded(TThread& vThread);
  // The open dialog with vTitle and the file types vTypes (caption, pattern), starting from
  // vName, which becomes the chosen name; false when the user cancelled.
  bool ChooseFile(const wchar_t* vTitle, TText& vName,
                  std::initializer_list<std::pair<const char16_t*, const char16_t*>> vTypes);

  THost fHost;
  TText fInitialDir;
  TFileOps& fFiles;
  std::unique_ptr<TRegLoadThread> fLoader;       // the running load
  std::unique_ptr<TRegLoadThread> fEndedLoader;  // ended or ending; released at the next load
  std::shared_ptr<TMemRegistry> fRegistry;
  std::shared_ptr<THiveRegistry> fHive;
  TText fPath;
  TText fLastName;
  TText fLastHiveName;
  bool fClosing = false;
};

}  // namespace corvane
