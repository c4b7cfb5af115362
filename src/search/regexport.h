// Reading registry export files (the text the registry editor writes with /E) into the
// in-memory registry: "Windows Registry Editor Version 5.00" (UTF-16LE with BOM, or UTF-8)
// and "REGEDIT4" (8-bit text, read as Windows-1252).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

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

// Loads the export held in vBytes (the file's bytes) into vReg. A malformed export throws
// TRegExportError naming its line; what was loaded before that line stays in vReg.
void LoadRegExport(TMemRegistry& vReg, std::string_view vBytes);

// Reads the file and loads it; a file that cannot be read throws std::runtime_error.
void LoadRegExportFile(TMemRegistry& vReg, const std::string& vPath);

}  // namespace corvane
