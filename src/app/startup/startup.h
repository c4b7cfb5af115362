// The start-up values: the settings folder and file, the registry editors' paths, and the two
// settings that switch the editor searches off. Derived once, first thing at start, before
// any window exists; read-only afterwards.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>

#include "settings/profile.h"
#include "search/registry.h"

namespace corvane {

// The settings folder could not be created; the start-up cannot go on.
class TStartupError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TStartupValues {
  TText DataDir;           // local application data folder, "\", "Corvane\"
  TText IniName;           // DataDir + "Corvane.INI"
  TText EditorSearchList;  // ";"-separated folders searched for the editor; emptied after use
  bool NoRE = false;       // settings "NoRE": no registry editor at all
  TText RegEditExe;        // full path of "REGEDIT.EXE" as found, or empty
};

inline constexpr int kLocalAppDataFolder = 28;  // the shell's per-user local application data
inline constexpr std::size_t kEnvironmentBuffer = 4096;
inline constexpr char16_t kSettingsSection[] = u"Settings";
inline constexpr char16_t kRegEditName[] = u"REGEDIT.EXE";

// What the derivations need from the system.
class TStartupSystem {
 public:
  virtual ~TStartupSystem() = default;
  // The shell folder vFolder, not created, as the shell fills a 260-character buffer.
  [[nodiscard]] virtual bool SpecialFolder(int vFolder, TText& vPath) = 0;
  [[nodiscard]] virtual bool SystemDirectory(TText& vPath) = 0;
  [[nodiscard]] virtual bool WindowsDirectory(TText& vPath) = 0;
  // The whole value of an environment variable; false when it is not set.
  [[nodiscard]] virtual bool Environment(TTextView vName, TText& vValue) = 0;
  virtual bool FolderExists(TTextView vPath) = 0;
  // Creates the last level of vPath; fails when its parent does not exist.
  [[nodiscard]] virtual bool MakeFolder(TTextView vPath) = 0;
  // Whether vPath names an existing file (a folder does not count); a relative path counts
  // from the current directory.
  virtual bool FileExists(TTextView vPath) = 0;
  virtual std::unique_ptr<TProfile> OpenProfile(TTextView vFile) = 0;
  virtual std::unique_ptr<TRegCursor> NewCursor() = 0;
};

// The settings folder's parent: the local application data folder, ending in a backslash.
// When the shell gives nothing, the LOCALAPPDATA environment variable; when that is unset
// too, empty (DataDir is then relative to the current directory).
TText LocalDataFolder(TStartupSystem& vSystem);

// The system folder, the Windows folder and PATH, each followed by ";" except PATH; a part
// that cannot be obtained, and a PATH of 4096 characters or more, is left out.
TText BuildEditorSearchList(TStartupSystem& vSystem);

// The full path of "REGEDIT.EXE" in the first folder of vSearchList that holds it; empty when
// none does. Only absolute folders count ("X:\..." or "\\server\..."): neither the current
// directory nor a folder relative to it is searched.
TText FindRegEdit(TStartupSystem& vSystem, TTextView vSearchList);

// The folder part of a path as the editor search uses it: the text before the
// last backslash or colon; a drive root such as "C:\" keeps its backslash.
TText FileDir(TTextView vPath);

// Runs the derivations in order. Throws TStartupError when the settings folder is missing
// and cannot be created.
TStartupValues DeriveStartupValues(TStartupSystem& vSystem);

// The process-wide values; empty until DeriveProcessStartupValues has succeeded.
const TStartupValues& StartupValues();
// Derives the process-wide values on the first successful call; later calls return them
// unchanged. Throws as DeriveStartupValues does.
const TStartupValues& DeriveProcessStartupValues(TStartupSystem& vSystem);

}  // namespace corvane
