#include "export/csvwriter.h"

namespace corvane {
namespace {

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

void Field(std::string& vOut, const TText& vText, std::size_t* vReplaced) {
  if (vReplaced) *vReplaced += UnpairedSurrogates(vText);
  const std::string utf8 = ToUtf8(vText);
  const bool quote = utf8.find_first_of(",\"\r\n") != std::string::npos ||
                     (!vText.empty() && (IsBlank(vText.front()) || IsBlank(vText.back())));
  if (!quote) {
    vOut += utf8;
    return;
  }
  vOut += '"';
  for (char c : utf8) {
    if (c == '"') vOut += '"';
    vOut += c;
  }
  vOut += '"';
}

}  // namespace

std::string CsvHead() {
  return std::string(kUtf8Bom) +
         "key,value,data,keyStart,valueStart,dataStart,keyLength,valueLength,dataLength\r\n";
}

std::string CsvRow(const TResult& vHit, std::size_t* vReplaced) {
  std::string row;
  row.reserve(vHit.fKeyStr.size() + vHit.fValStr.size() + vHit.fDatStr.size() + 40);
  Field(row, vHit.fKeyStr, vReplaced);
  row += ',';
  Field(row, vHit.fValStr, vReplaced);
  row += ',';
  Field(row, vHit.fDatStr, vReplaced);
  for (std::int32_t n :
       {vHit.fKeyStart, vHit.fValStart, vHit.fDatStart, vHit.fKeyLen, vHit.fValLen, vHit.fDatLen}) {
    row += ',';
    row += std::to_string(n);
  }
  row += "\r\n";
  return row;
}

std::string HitsCsv(const std::vector<TResult>& vHits, std::size_t* vReplaced) {
  std::string out = CsvHead();
  for (const TResult& hit : vHits) out += CsvRow(hit, vReplaced);
  return out;
}

}  // namespace corvane
