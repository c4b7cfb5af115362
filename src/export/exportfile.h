// Saving the hits to a file in one of the three export formats, through the safe save: a
// failed export leaves an existing file as it was.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "export/reghits.h"
#include "files/safesave.h"

namespace corvane {

enum TExportFormat {
  efCsv,        // export/csvwriter.h
  efJsonLines,  // export/jsonlines.h
  efRegExport,  // export/reghits.h
};

// What an export wrote and what it had to leave out or replace.
struct TExportCounts {
  std::size_t fHits = 0;      // hits given
  std::size_t fReplaced = 0;  // CSV and JSON Lines: lone surrogates written as U+FFFD
  // The registry export: key lines and values written, and what was left out.
  std::size_t fKeys = 0, fValues = 0, fGone = 0, fUnwritable = 0;
};

// The file's bytes; vFrom, vCursors and vSingleRoot (see RegExportOfHits) serve the registry
// export only.
std::string ExportBytes(TExportFormat vFormat, const std::vector<TResult>& vHits, THitsFrom vFrom,
                        const TCursorFactory& vCursors, TExportCounts& vCounts,
                        const TText& vSingleRoot = {});

// ExportBytes written to vPath (made absolute) with SafeSave; vError as SafeSave gives it.
[[nodiscard]] TSafeSave SaveExport(const TText& vPath, TExportFormat vFormat,
                                   const std::vector<TResult>& vHits, THitsFrom vFrom,
                                   const TCursorFactory& vCursors, TExportCounts& vCounts,
                                   TText& vError, TFileOps& vFiles = PlatformFiles(),
                                   const TText& vSingleRoot = {});

}  // namespace corvane
