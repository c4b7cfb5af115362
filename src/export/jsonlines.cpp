#include "export/jsonlines.h"

#include "search/keytime.h"

#include <utility>

namespace corvane {
namespace {

void JsonString(std::string& vOut, const TText& vText) {
  vOut += '"';
  for (char c : ToUtf8(vText)) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      vOut += '\\';
      vOut += c;
    } else if (u < 0x20) {
      static constexpr char kHex[] = "0123456789abcdef";
      vOut += "\\u00";
      vOut += kHex[u >> 4];
      vOut += kHex[u & 15];
    } else {
      vOut += c;
    }
  }
  vOut += '"';
}

void JsonField(std::string& vOut, const char* vName, const TText& vText) {
  vOut += '"';
  vOut += vName;
  vOut += "\":";
  JsonString(vOut, vText);
}

void JsonField(std::string& vOut, const char* vName, std::int64_t vNumber) {
  vOut += '"';
  vOut += vName;
  vOut += "\":";
  vOut += std::to_string(vNumber);
}

}  // namespace

std::string HitJson(const TResult& vHit, std::size_t* vReplaced, const TText* vSource) {
  std::string j = "{";
  JsonField(j, "root", std::int64_t(vHit.froot));
  const std::pair<const char*, const TText*> texts[] = {
      {"key", &vHit.fKeyStr}, {"value", &vHit.fValStr}, {"data", &vHit.fDatStr}};
  for (const auto& [name, text] : texts) {
    j += ',';
    JsonField(j, name, *text);
    if (vReplaced) *vReplaced += UnpairedSurrogates(*text);
  }
  const std::pair<const char*, std::int32_t> numbers[] = {
      {"keyStart", vHit.fKeyStart}, {"valueStart", vHit.fValStart}, {"dataStart", vHit.fDatStart},
      {"keyLength", vHit.fKeyLen},  {"valueLength", vHit.fValLen},  {"dataLength", vHit.fDatLen}};
  for (const auto& [name, number] : numbers) {
    j += ',';
    JsonField(j, name, number);
  }
  j += ",\"modified\":\"" + IsoTime(vHit.fModified) + "\"";
  if (vSource) {
    j += ',';
    JsonField(j, "source", *vSource);
    if (vReplaced) *vReplaced += UnpairedSurrogates(*vSource);
  }
  j += "}\n";
  return j;
}

std::string HitsJsonLines(const std::vector<TResult>& vHits, std::size_t* vReplaced) {
  std::string out;
  for (const TResult& hit : vHits) out += HitJson(hit, vReplaced);
  return out;
}

}  // namespace corvane
