// Reading registry export files (the text the registry editor writes with /E) into the
// in-memory registry: "Windows Registry Editor Version 5.00" (UTF-16LE with BOM, or UTF-8)
// and "REGEDIT4" (8-bit text, read as Windows-1252), and writing the version 5.00 form.
#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "files/files.h"
#include "search/memregistry.h"

namespace corvane {

class TRegExportError : public std::runtime_error {
 public:
  TRegExportError(int vLine, const std::string& vWhat)
      : std::runtime_error("line " + std::to_string(vLine) + ": " + vWhat), fLine(vLine) {}
  int Line() const { return fLine; }

 private:
  int fLine;
};

// A load given up because its progress hook asked so; what was loaded stays in the registry.
class TRegExportCancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "load cancelled"; }
};

// Told how many of the export's bytes have been read and how many there are; returns false
// to give the load up (TRegExportCancelled). Called at the start, every vStep bytes or so
// (at a line end) and, unless given up, once with all bytes read.
struct TRegLoadProgress {
  std::function<bool(std::size_t vDone, std::size_t vTotal)> fHook;
  std::size_t fStep = 1 << 20;
};

// Loads the export held in vBytes (the file's bytes) into vReg. A malformed export throws
// TRegExportError naming its line (where the bad statement starts); what was loaded before
// that line stays in vReg. Values are stored as RegQueryValueExW returns them: in REGEDIT4 the
// hex data of REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ is 8-bit text and is widened to UTF-16LE.
void LoadRegExport(TMemRegistry& vReg, std::string_view vBytes,
                   const TRegLoadProgress& vProgress = {});

// Reads the file through vFiles (on Windows by its wide path) and loads it; a file that cannot
// be read throws std::runtime_error with the system's text.
void LoadRegExportFile(TMemRegistry& vReg, const TText& vPath, TFileOps& vFiles = PlatformFiles());

// Key paths deeper than this below their root are refused: no real registry holds them, and
// the search walk recurses once per level.
inline constexpr std::size_t kRegExportMaxDepth = kMaxKeyDepth;

// The keys of the roots in vRoots (in the order HKEY_CLASSES_ROOT, HKEY_CURRENT_USER,
// HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG; roots without keys or values are left
// out) as a "Windows Registry Editor Version 5.00" export: UTF-16LE with BOM, CRLF line ends,
// keys in enumeration order, each value as the registry editor writes it. Leave out a root
// that is linked to a key of another one, or its keys are written twice. Throws
// std::runtime_error for what the format cannot hold: a name with a line break, a key name
// that is empty or holds a backslash, a key deeper than kRegExportMaxDepth.
std::string SaveRegExport(const TMemRegistry& vReg, TRootKeySet vRoots = TRootKeySet::All());

// One key of a hand-picked export: its full path as the key line shows it (the root's name,
// then the path below it) and the values written under it.
struct TRegExportKey {
  TText fPath;
  std::vector<TMemValue> fValues;
};

// The keys in vKeys, in their order, each with only its own values (no subkeys, no parents),
// in the same form as SaveRegExport. Throws std::runtime_error for a path or value name with
// a line break.
std::string SaveRegExportKeys(const std::vector<TRegExportKey>& vKeys);

}  // namespace corvane
