// Running corvane-find's search over one registry or several at once. Each registry is
// searched by its own TSearchThread, which writes its hits itself (a console has no GUI
// thread to hand them to) while the thread that started it waits for its end; the hits of
// each registry are written together, in the walk's order, and the registries in the order
// given, whatever order their searches end in.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "search/searchthread.h"
#include "text/text.h"

namespace corvane::find {

// One registry to search: the live one, an export file's or a hive file's.
struct TFindSource {
  TText fPath;        // the file searched; empty for the live registry
  TText fSingleRoot;  // a hive's root name; empty: the five roots
  TCursorFactory fCursors;
  const std::vector<TText>* fAliases = nullptr;
  std::shared_ptr<const void> fKeep;  // what the cursors read, kept while they do
};

// How the search of one registry ended.
struct TSourceEnd {
  TStatus fStatus = stReady;
  std::int32_t fCount = 0;
  std::int32_t fTooCostly = 0;  // texts a regular expression gave up on
};

// Builds the search thread for a host, with the hit and progress reports to use.
using TMakeSearch = std::function<std::unique_ptr<TSearchThread>(
    const TSearchHost& vHost, TFoundProc vFound, TProgProc vProgress)>;

struct TRunSources {
  TMakeSearch fMake;
  // Writes one hit of the source at index vSource to vOut.
  std::function<void(std::size_t vSource, const TResult& vHit, std::string& vOut)> fWriteHit;
  // Writes what comes before the hits of the source at index vSource (may be nothing).
  std::function<void(std::size_t vSource, std::string& vOut)> fWriteHead;
  std::function<void(const std::string&)> fOut;
  std::function<void(std::int32_t vTotal, std::int32_t vHits)> fProgress;  // may be empty
  std::atomic<bool>* fStopRequest = nullptr;
  unsigned fJobs = 1;  // searches at once
};

// Searches every source and returns how each ended. One source has its hits written as they
// come; several are searched on up to fJobs threads at once, each source's output written as
// a whole once it and every source before it have ended.
std::vector<TSourceEnd> RunSources(const std::vector<TFindSource>& vSources,
                                   const TRunSources& vRun);

// The outcome of several searches as one: stopped when any was stopped, the maximum when any
// reached it, finished otherwise; the counts (and the texts given up) added up.
TSourceEnd CombinedEnd(const std::vector<TSourceEnd>& vEnds);

}  // namespace corvane::find
