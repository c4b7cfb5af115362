#include "search/regexport.h"

#include <fstream>
#include <sstream>

namespace corvane {

void LoadRegExport(TMemRegistry&, std::string_view) {
  throw TRegExportError(1, "registry export files are not supported yet");
}

void LoadRegExportFile(TMemRegistry& vReg, const std::string& vPath) {
  std::ifstream in(vPath, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + vPath);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  LoadRegExport(vReg, bytes.str());
}

}  // namespace corvane
