// The saved-search reader: any bytes as a file's content. Only TQmxError may come out of it,
// and whatever it reads must survive a write and a second read unchanged: writing what was
// read and reading that back gives a record that writes the same bytes.
#include <cstdlib>

#include "savedsearch/qmxfile.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  TSearchCriteria first;
  try {
    ReadQmx(bytes, first);
  } catch (const TQmxError&) {
    return 0;
  }
  const std::string written = WriteQmx(first);
  TSearchCriteria second;
  ReadQmx(written, second);  // must not throw
  if (WriteQmx(second) != written) std::abort();
  if (second.fRoots != first.fRoots || second.fKeyRows != first.fKeyRows ||
      second.fValRows != first.fValRows || second.fPerPageIdx != first.fPerPageIdx ||
      second.fMaxRsltIdx != first.fMaxRsltIdx || second.fTime != first.fTime)
    std::abort();
  return 0;
}
