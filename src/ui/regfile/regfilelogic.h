// The rules of searching an export file that need no window: the texts of the load's
// progress and outcome, and the window caption that says what is searched.
#pragma once

#include <cstdint>

#include "export/regloadthread.h"
#include "files/files.h"
#include "text/text.h"

namespace corvane {

// "Corvane" while the registry is searched, "Corvane - <file name>" while a file is.
TText SearchedCaption(bool vFileSearched, const TText& vPath);

// "Loading <file name>: N%" (Esc cancels); a file of 0 bytes is at 100% at once.
TText LoadProgressText(const TText& vPath, std::uint64_t vDone, std::uint64_t vTotal);

// The status bar once a file is loaded and searches run over it.
TText LoadDoneText(const TText& vPath, std::uint64_t vKeys, std::uint64_t vValues);

// The status bar once a hive file is open: "Searching the hive file <path> (K keys, V
// values)", followed by vNotice (what the hive says of itself) when there is one.
TText HiveOpenedText(const TText& vPath, std::uint64_t vKeys, std::uint64_t vValues,
                     const TText& vNotice);

// The status bar when the registry is searched again.
TText RegistrySearchedText();

// The status bar after a load that was given up.
TText LoadCancelledText(const TText& vPath);

// The error box's text for a load that failed (outcomes other than done and cancelled).
TText LoadFailedText(TRegLoadThread::TOutcome vOutcome, const TText& vPath, const TText& vError);

}  // namespace corvane
