// The hits as a registry export file (version 5.00, UTF-16LE, the writer of
// search/regexport.h), so they can be backed up, compared or searched again: each hit's key
// once, in the order the hits first name it, with that key's hit values under it, read afresh
// through the registry cursor. A hit that stands for its key alone writes the key line only.
//
// The hits carry key paths with the letters A to Z lowered; the key lines are written with
// the names as the registry spells them (found by listing each parent's subkeys), so an import
// recreates the keys as they were.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "search/registry.h"
#include "search/types.h"

namespace corvane {

struct TRegHitsExport {
  std::string fBytes;           // the file
  std::size_t fKeys = 0;        // key lines written
  std::size_t fValues = 0;      // values written
  std::size_t fGone = 0;        // hit keys and values no longer in the registry, left out
  std::size_t fUnwritable = 0;  // keys and values whose names hold a line break, left out
};

// Reads the hit keys and values through a cursor from vCursors and builds the export.
// vSingleRoot names the root of a registry of one root (a hive file), as the search reported
// it; empty for the five roots.
TRegHitsExport RegExportOfHits(const std::vector<TResult>& vHits, THitsFrom vFrom,
                               const TCursorFactory& vCursors, const TText& vSingleRoot = {});

}  // namespace corvane
