// The hive reader and its cursor: any bytes as a hive file, walked whole, every value listed
// with its data and read again by name. So that short inputs reach the bins, the input is
// the first 512 bytes of the base block (the rest of the block is zero) followed by the
// hive bins, padded with zeros to whole bins; a zero checksum field is replaced by the right
// checksum, so mutations of the header get past it. A hive that does not open must say why;
// a walk must end, visit no key twice and leave no value unread that its listing read.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "search/hiveregistry.h"

using namespace corvane;

namespace {

constexpr std::size_t kHeader = 512;

std::uint32_t Get32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}

struct TWalk {
  explicit TWalk(TRegCursor& vCursor) : fCursor(vCursor) {}

  TRegCursor& fCursor;
  std::uint64_t fKeys = 0;
  TValueList fList;
  TValueList fScanned;  // kept from key to key, as the search keeps it
  std::vector<std::vector<TText>> fNames = std::vector<std::vector<TText>>(kMaxKeyDepth + 1);
  std::vector<std::uint8_t> fBuffer;

  // The search's scan lists what the copying listing lists, data byte for byte.
  void CheckScan() {
    if (!fCursor.ScanValues(fScanned, true)) std::abort();
    if (fScanned.fValues.size() != fList.fValues.size()) std::abort();
    for (std::size_t i = 0; i < fList.fValues.size(); ++i) {
      const TValueEntry& a = fList.fValues[i];
      const TValueEntry& b = fScanned.fValues[i];
      if (a.fName != b.fName || a.fType != b.fType || a.fReadable != b.fReadable ||
          (a.fReadable && (a.fSize != b.fSize ||
                           !std::equal(fList.Data(a), fList.Data(a) + a.fSize, fScanned.Data(b)))))
        std::abort();
    }
  }

  void Key(int vDepth) {
    ++fKeys;
    TKeyInfo info;
    if (!fCursor.OpenKeyInfo(info)) std::abort();  // the open key always has its information
    if (fCursor.ListValues(fList, true)) {
      CheckScan();
      for (const TValueEntry& e : fList.fValues) {
        std::uint32_t type = 0, size = 0;
        if (!e.fReadable || !fCursor.QueryValue(e.fName, type, size)) continue;
        // The first value of this name (names may repeat in damaged bytes) reads as listed.
        if (size > info.fMaxValueLen) std::abort();
        fBuffer.resize(size);
        (void)fCursor.ReadValue(e.fName, fBuffer.data(), type, size);
      }
    }
    (void)fCursor.ValueNames();
    if (vDepth >= kMaxKeyDepth) return;
    // As the search walks: subkeys without a name are left out.
    std::vector<TText>& names = fNames[vDepth];
    fCursor.ListSubkeyNames(names);
    if (names != fCursor.SubkeyNames()) std::abort();
    for (const TText& name : names) {
      if (name.empty() || !fCursor.OpenSubkeyRead(name)) continue;
      Key(vDepth + 1);
      fCursor.CloseSubkey();
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::size_t bins = size > kHeader ? size - kHeader : 0;
  std::vector<std::uint8_t> bytes(4096 + (bins + 4095) / 4096 * 4096, 0);
  std::copy(data, data + std::min(size, kHeader), bytes.begin());
  if (bins > 0) std::copy(data + kHeader, data + size, bytes.begin() + 4096);
  if (Get32(bytes.data() + 508) == 0) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < 508; i += 4) sum ^= Get32(bytes.data() + i);
    sum = sum == 0 ? 1 : sum == 0xFFFFFFFFu ? 0xFFFFFFFEu : sum;
    for (int i = 0; i < 4; ++i) bytes[508 + i] = std::uint8_t(sum >> (8 * i));
  }
  TText error;
  auto hive = THiveRegistry::FromBytes(std::move(bytes), u"FUZZ", error);
  if (!hive) {
    if (error.rfind(u"FUZZ", 0) != 0) std::abort();  // every error names the file
    return 0;
  }
  auto cursor = hive->NewCursor();
  if (!cursor->OpenRead(u"")) std::abort();  // the root was checked when the hive opened
  TWalk walk(*cursor);
  walk.Key(0);
  // Cells begin at distinct multiples of 4: a walk that visits more keys than that visited
  // one twice. The count by the registry's own walk agrees.
  if (walk.fKeys > hive->Hive().BinsLength() / 4 || walk.fKeys != hive->KeyCount()) std::abort();
  TKeyInfo info;
  (void)cursor->RootKeyInfo(kHKLM, info);
  (void)cursor->KeyExists(u"\\a\\b");
  return 0;
}
