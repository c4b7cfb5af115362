#include "support/csvreader.h"

namespace corvane::test {

bool ReadCsv(std::string_view vText, std::vector<TCsvRecord>& vRecords, std::string& vError) {
  vRecords.clear();
  auto fail = [&](std::size_t vAt, const char* vWhat) {
    vError = std::string(vWhat) + " at byte " + std::to_string(vAt);
    return false;
  };
  std::size_t at = 0;
  while (at < vText.size()) {
    TCsvRecord record;
    for (;;) {  // one field, then a comma or the record's end
      std::string field;
      if (at < vText.size() && vText[at] == '"') {
        ++at;
        for (;;) {
          if (at >= vText.size()) return fail(at, "unterminated quoted field");
          if (vText[at] == '"') {
            if (at + 1 < vText.size() && vText[at + 1] == '"') {
              field += '"';
              at += 2;
              continue;
            }
            ++at;
            break;
          }
          field += vText[at++];
        }
      } else {
        while (at < vText.size() && vText[at] != ',' && vText[at] != '\r') {
          if (vText[at] == '"' || vText[at] == '\n')
            return fail(at, "quote or LF in unquoted field");
          field += vText[at++];
        }
      }
      record.push_back(std::move(field));
      if (at < vText.size() && vText[at] == ',') {
        ++at;
        continue;
      }
      if (vText.substr(at, 2) != "\r\n") return fail(at, "record not ended by CR LF");
      at += 2;
      break;
    }
    vRecords.push_back(std::move(record));
  }
  return true;
}

}  // namespace corvane::test
