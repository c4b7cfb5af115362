// Folders whose names are not ASCII (Windows only), for the code that opens files by path: a
// temporary folder of the test's own holding "Données" and "テスト", removed with the files
// written into them when the object goes.
#pragma once

#include <string_view>
#include <vector>

#include "text/text.h"

namespace corvane::test {

class TWideFolders {
 public:
  TWideFolders();
  ~TWideFolders();
  TWideFolders(const TWideFolders&) = delete;
  TWideFolders& operator=(const TWideFolders&) = delete;

  // The full paths of "Données" and "テスト".
  const std::vector<TText>& Folders() const { return fFolders; }
  // Writes vBytes as the file vName into every folder; the files' full paths, in the folders'
  // order. A file that cannot be written fails the test.
  std::vector<TText> WriteEach(const TText& vName, std::string_view vBytes);

 private:
  TText fBase;
  std::vector<TText> fFolders;
  std::vector<TText> fFiles;
};

}  // namespace corvane::test
