// A strict RFC 4180 reader for tests, written apart from the program's CSV writer so that a
// test reads the writer's output as a spreadsheet would: records end with CR LF, a quoted
// field may hold anything with its quotes doubled, an unquoted field holds no quote, comma,
// CR or LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvane::test {

using TCsvRecord = std::vector<std::string>;

// The records of vText (its fields as UTF-8 bytes), or false with vError naming the byte
// offset of the first departure from the format.
bool ReadCsv(std::string_view vText, std::vector<TCsvRecord>& vRecords, std::string& vError);

}  // namespace corvane::test
