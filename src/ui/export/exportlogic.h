// The Export results command's rules that need no window: the save dialog's file types, the
// format a chosen name and type give, and the texts that report an export.
#pragma once

#include <cstdint>

#include "export/exportfile.h"
#include "text/text.h"

namespace corvane {

// The save dialog's types, in filter order (the dialog counts them from 1).
struct TExportType {
  TExportFormat fFormat;
  const char16_t* fName;       // as the dialog lists it
  const char16_t* fPattern;    // "*.csv"
  const char16_t* fExtension;  // "csv": appended to a name that has none
};
inline constexpr TExportType kExportTypes[] = {
    {efCsv, u"CSV for spreadsheets (*.csv)", u"*.csv", u"csv"},
    {efJsonLines, u"JSON Lines (*.jsonl)", u"*.jsonl", u"jsonl"},
    {efRegExport, u"Registry export (*.reg)", u"*.reg", u"reg"},
};

// The file and format of an export: a name ending in one of the types' extensions (or
// ".json", any case) is written in that format whatever type was chosen, so "hits.reg" is
// never a CSV file; any other name takes the chosen type (vTypeIndex from 1; out of range:
// CSV) and, when it has no extension at all, that type's extension.
struct TExportTarget {
  TText fPath;
  TExportFormat fFormat = efCsv;
};
TExportTarget ExportTarget(const TText& vPath, std::int32_t vTypeIndex);

// The status bar's report of an export that was written: how many hits went to which file,
// and what had to be left out or replaced.
TText ExportDoneText(const TExportCounts& vCounts, TExportFormat vFormat, const TText& vPath);

// The message of an export that could not be written (vError: the system's text).
TText ExportFailedText(const TText& vPath, const TText& vError);

}  // namespace corvane
