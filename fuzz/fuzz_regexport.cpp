// The registry export reader: any bytes as an export file. A malformed export may only throw
// TRegExportError (or the registry's own TRegError); anything else escaping is a finding.
// The progress hook gives the load up at a call chosen by the first byte; its reports must
// rise from 0 to the size without passing it.
#include <cstdlib>

#include "search/regexport.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TMemRegistry reg;
  const int stopAt = size > 0 ? data[0] % 8 : 0;  // 0: never
  int calls = 0;
  std::size_t last = 0;
  TRegLoadProgress progress;
  progress.fStep = 64;
  progress.fHook = [&](std::size_t vDone, std::size_t vTotal) {
    if (vTotal != size || vDone > vTotal || vDone < last) std::abort();
    last = vDone;
    return ++calls != stopAt;
  };
  try {
    LoadRegExport(reg, std::string_view(reinterpret_cast<const char*>(data), size), progress);
  } catch (const TRegExportError&) {
  } catch (const TRegError&) {
  } catch (const TRegExportCancelled&) {
  }
  return 0;
}
