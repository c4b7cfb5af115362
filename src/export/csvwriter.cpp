#include "export/csvwriter.h"

#include "search/keytime.h"

namespace corvane {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Spreadsheets run a cell that starts with one of these as a formula.
bool StartsFormula(std::string_view vCell) {
  return !vCell.empty() &&
         std::string_view("=+-@\t\r").find(vCell.front()) != std::string_view::npos;
}

// A text field: prefixed with an apostrophe when it would start a formula (the spreadsheet
// then shows it as text), then quoted as RFC 4180 requires.
void Field(std::string& vOut, const TText& vText, std::size_t* vReplaced) {
  if (vReplaced) *vReplaced += UnpairedSurrogates(vText);
  std::string utf8 = ToUtf8(vText);
  if (StartsFormula(utf8)) utf8.insert(0, 1, '\'');
  const bool quote = utf8.find_first_of(",\"\r\n") != std::string::npos ||
                     (!utf8.empty() && (IsBlank(utf8.front()) || IsBlank(utf8.back())));
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

std::string CsvHead(bool vWithSource) {
  return std::string(kUtf8Bom) +
         "key,value,data,keyStart,valueStart,dataStart,keyLength,valueLength,dataLength,modified" +
         (vWithSource ? ",source\r\n" : "\r\n");
}

std::string CsvRow(const TResult& vHit, std::size_t* vReplaced, const TText* vSource) {
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
  row += ',';
  row += IsoTime(vHit.fModified);  // digits, dashes, colons: never quoted
  if (vSource) {
    row += ',';
    Field(row, *vSource, vReplaced);
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
