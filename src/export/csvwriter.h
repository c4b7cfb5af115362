// Hits as CSV for spreadsheets: UTF-8 with a byte order mark, one header row, then one row
// per hit with the columns key, value, data, keyStart, valueStart, dataStart, keyLength,
// valueLength, dataLength, modified (the names and order of the JSON Lines fields, without the
// root); modified is the key's last-write time in ISO 8601 UTC, empty when not known.
// Quoting follows RFC 4180: records end with CR LF; a field holding a comma, a double quote,
// a CR or an LF (or starting or ending with a blank) is enclosed in double quotes, with each
// double quote doubled. Apart from the formula guard below, texts are written as they are:
// the default value's empty name stays empty, placeholders stay as the search reported them.
//
// Registry texts come from any program, and a spreadsheet runs a cell that starts with "=",
// "+", "-", "@", a tab or a CR as a formula. A key, value or data field that starts with one
// of these gets an apostrophe in front (the spreadsheet then shows the text as it is), and
// is quoted after that by the rule above. The number columns are written as they are, so a
// -4 stays a number.
//
// UTF-8 has no form for a UTF-16 surrogate that is not part of a pair (registry names and
// data may hold one). Such a code unit is written as U+FFFD and counted in *vReplaced, so
// the caller can tell the user that those characters were replaced; nothing else changes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "search/types.h"

namespace corvane {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The byte order mark and the header row; with vWithSource a last column "source" names the
// file each hit comes from (when several are searched at once).
std::string CsvHead(bool vWithSource = false);
// One hit's row, with its CR LF; vSource, when given, fills the "source" column.
std::string CsvRow(const TResult& vHit, std::size_t* vReplaced = nullptr,
                   const TText* vSource = nullptr);
// A whole file: CsvHead() and every hit's row.
std::string HitsCsv(const std::vector<TResult>& vHits, std::size_t* vReplaced = nullptr);

}  // namespace corvane
