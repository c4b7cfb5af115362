#include "search/registry.h"

namespace corvane {

void TValueList::Add(TText vName, std::uint32_t vType, const std::uint8_t* vData,
                     std::uint32_t vSize, bool vReadable) {
  TValueEntry& e = fValues.emplace_back();
  e.fName = std::move(vName);
  e.fType = vType;
  e.fReadable = vReadable;
  e.fOffset = fData.size();
  if (vReadable && vSize > 0) {
    e.fSize = vSize;
    fData.insert(fData.end(), vData, vData + vSize);
  }
}

bool TRegCursor::KeyWriteTime(std::uint64_t& vTime) {
  TKeyInfo info;
  if (!OpenKeyInfo(info) || info.fLastWriteTime == 0) return false;
  vTime = info.fLastWriteTime;
  return true;
}

bool TRegCursor::ListValues(TValueList& vList, bool vWithData) {
  vList.Clear();
  std::vector<std::uint8_t> buffer;
  for (TText& name : ValueNames()) {
    std::uint32_t type = 0, size = 0;
    if (!vWithData || !QueryValue(name, type, size)) {
      vList.Add(std::move(name), type, nullptr, 0, false);
      continue;
    }
    // A buffer of exactly the reported size; a value that grew since fails the read.
    buffer.assign(size, 0);
    const bool read = ReadValue(name, buffer.data(), type, size);
    vList.Add(std::move(name), type, buffer.data(), size, read);
  }
  return true;
}

}  // namespace corvane
