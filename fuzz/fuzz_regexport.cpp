// The registry export reader: any bytes as an export file. A malformed export may only throw
// TRegExportError (or the registry's own TRegError); anything else escaping is a finding.
#include "search/regexport.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TMemRegistry reg;
  try {
    LoadRegExport(reg, std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const TRegExportError&) {
  } catch (const TRegError&) {
  }
  return 0;
}
