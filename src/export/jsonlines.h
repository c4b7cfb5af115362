// Hits as JSON Lines: one JSON object per hit and line, with the fields root, key, value,
// data, keyStart, valueStart, dataStart, keyLength, valueLength, dataLength, modified (the
// key's last-write time in ISO 8601 UTC, "" when not known). corvane-find
// --json and the window's export write through this one writer. A surrogate that is not part
// of a pair is written as U+FFFD and counted in *vReplaced, as in the CSV writer.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "search/types.h"

namespace corvane {

// One hit as a JSON object on one line, with its line end; vSource, when given, is added as
// a last field "source": the file the hit comes from (when several are searched at once).
std::string HitJson(const TResult& vHit, std::size_t* vReplaced = nullptr,
                    const TText* vSource = nullptr);
// Every hit's line.
std::string HitsJsonLines(const std::vector<TResult>& vHits, std::size_t* vReplaced = nullptr);

}  // namespace corvane
