// Saved searches (.QMX files): the criteria of an Advanced search as a plain record, its
// encoding as the file's bytes, and saving and loading through a small file seam.
//
// File layout, tagged values in this order: the text "QMX"; the root key bits (0 to 31, the
// TRootKeySet order); the results-per-page index (0 to 4); the maximum-results index (0 to
// 3); case-sensitive data search; "all" for key names, value names, value data; then for
// each box (key names, value names, value data) its row count and its rows. A row is its
// match type and its text; a data row of match type 4 ("data type is") holds its data type
// instead of a text, and data rows store both numbers as unsigned 16-bit quantities.
//
// After the rows come the fields that later versions added, each a name (text) and its
// values, written only when they differ from a new search's, so that a file that needs none
// is byte for byte what earlier versions wrote and loads there:
//   "modified": the time limit (1 after, 2 before, 3 between, 4 within the last), then the
//   earliest and/or latest time as ISO 8601 UTC texts, or the count and the unit (0 minutes,
//   1 hours, 2 days) of "within the last".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/files.h"
#include "savedsearch/qmxvalue.h"
#include "search/keytime.h"
#include "search/types.h"

namespace corvane {

// One criterion row as its box shows it.
struct TCritRow {
  std::int32_t fMatchType = 0;  // index into the match types, 0 "contains" to 4 "data type is"
  std::int32_t fDataType = 0;   // index into the data types (0 "Text data" ...); match type 4
  TText fText;                  // the row's text; not stored for match type 4
  bool operator==(const TCritRow&) const = default;
};

inline constexpr std::int32_t kMatchDataType = 4;
inline constexpr std::int32_t kPerPageCount = 5;  // 10, 25, 50, 100, 1000
inline constexpr std::int32_t kMaxRsltCount = 4;  // 10, 100, 1000, 10000

// The criteria and options a saved search holds. The defaults are those of a new search.
struct TSearchCriteria {
  TRootKeySet fRoots = TRootKeySet::All();
  std::int32_t fPerPageIdx = 0;
  std::int32_t fMaxRsltIdx = 2;
  bool fDatCase = false;
  bool fKeyAll = false;  // false: "any"
  bool fValAll = false;
  bool fDatAll = false;
  std::vector<TCritRow> fKeyRows;
  std::vector<TCritRow> fValRows;
  std::vector<TCritRow> fDatRows;
  TTimeFilter fTime;  // keys last written when
  bool operator==(const TSearchCriteria&) const = default;
};

// The file's bytes for vCrit.
std::string WriteQmx(const TSearchCriteria& vCrit);

// Reads a file's bytes into vCrit, field by field. A failure throws TQmxError; what was
// applied before it stays in vCrit (root keys, options, the rows read so far), as a load
// leaves it in the window. An invalid root key field or list index changes nothing. Rows are
// appended to those vCrit holds: start from a new search's record.
void ReadQmx(std::string_view vBytes, TSearchCriteria& vCrit);

// The file operations of saving and loading (files/files.h).
using TQmxFiles = TFileOps;
inline TQmxFiles& PlatformQmxFiles() {
  return PlatformFiles();
}

// Writes vCrit to vPath through SafeSave (files/safesave.h), so a failed save leaves an
// existing file as it was. Throws TQmxError with CreateFailText (the full path) or
// kQmxWriteError.
void SaveQmxFile(const TText& vPath, const TSearchCriteria& vCrit,
                 TQmxFiles& vFiles = PlatformQmxFiles());

// Reads vPath into vCrit as ReadQmx does. A file that cannot be opened throws OpenFailText
// (the full path); a read that fails after opening throws kQmxReadError. Whether the file
// exists is the caller's question (FileExists), as a load of a missing file does nothing.
void LoadQmxFile(const TText& vPath, TSearchCriteria& vCrit,
                 TQmxFiles& vFiles = PlatformQmxFiles());

}  // namespace corvane
