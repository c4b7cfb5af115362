// The C++ half of the regex oracle test (regex_oracle.py):
//   regexoracle PLANT PATTERNS
// PLANT holds the values to plant below HKEY_CURRENT_USER, one a line:
//   V <key path> <value name> <type> <data>     (texts as x + UTF-16LE in hex, data x + hex)
// PATTERNS holds one pattern a line (x + UTF-16LE in hex). Each pattern is searched four
// times over the planted registry, as a key criterion, a value criterion, and a data
// criterion without and with regard to case; every hit is printed as
//   H <pattern index> <key|val|dat|datcase> <key path> <value name> <keyStart> <keyLen>
//     <valStart> <valLen> <datStart> <datLen>
// with the texts in hex as above, and each search ends with "E <index> <mode> <too costly>".
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "search/memregistry.h"
#include "support/recorder.h"

using namespace corvane;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& vHex) {
  std::vector<std::uint8_t> b;
  for (std::size_t i = 1; i + 1 < vHex.size(); i += 2)
    b.push_back(std::uint8_t(std::stoi(vHex.substr(i, 2), nullptr, 16)));
  return b;
}

TText Text(const std::string& vHex) {
  const std::vector<std::uint8_t> b = Bytes(vHex);
  TText t;
  for (std::size_t i = 0; i + 1 < b.size(); i += 2) t += char16_t(b[i] | (b[i + 1] << 8));
  return t;
}

std::string Hex(TTextView vText) {
  static const char kDigits[] = "0123456789abcdef";
  std::string h = "x";
  for (char16_t c : vText) {
    for (int shift : {0, 8}) {
      const unsigned byte = (c >> shift) & 0xFF;
      h += kDigits[byte >> 4];
      h += kDigits[byte & 15];
    }
  }
  return h;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: regexoracle PLANT PATTERNS\n";
    return 2;
  }
  TMemRegistry reg;
  std::ifstream plant(argv[1]);
  std::string line;
  while (std::getline(plant, line)) {
    std::istringstream in(line);
    std::string tag, key, name, data;
    std::uint32_t type = 0;
    if (!(in >> tag >> key >> name >> type >> data) || tag != "V") continue;
    reg.SetValue(kHKCU, u"Software\\" + Text(key), Text(name), type, Bytes(data));
  }
  std::vector<TText> patterns;
  std::ifstream patternFile(argv[2]);
  while (std::getline(patternFile, line))
    if (!line.empty()) patterns.push_back(Text(line));

  for (std::size_t p = 0; p < patterns.size(); ++p) {
    for (const char* mode : {"key", "val", "dat", "datcase"}) {
      TComplexCriteria crit;
      const std::string m = mode;
      if (m == "key") crit.fKeyCrit.push_back(EncodeNameCrit(patterns[p], mtRegex));
      if (m == "val") crit.fValCrit.push_back(EncodeNameCrit(patterns[p], mtRegex));
      if (m == "dat" || m == "datcase")
        crit.fDatCrit.push_back(EncodeDatCrit(patterns[p], mtRegex, 0));
      crit.fDatCase = m == "datcase";
      crit.fRoots = TRootKeySet(1 << rHKCU);
      test::TSearchRun run(reg.Factory());
      run.Criteria(std::move(crit));
      run.Run();
      for (const test::TRecordedHit& h : run.fRec.fHits) {
        std::cout << "H " << p << " " << mode << " " << Hex(h.fKey) << " " << Hex(h.fVal) << " "
                  << h.fKeySt << " " << h.fKeyLn << " " << h.fValSt << " " << h.fValLn << " "
                  << h.fDatSt << " " << h.fDatLn << "\n";
      }
      std::cout << "E " << p << " " << mode << " " << run.fThread->TooCostly() << "\n";
    }
  }
  return 0;
}
