// The replay of transaction logs: a dirty hive and its two logs from one input, replayed,
// and the copy (when entries applied) opened and walked whole. The input is two lengths of
// 2 bytes each (the hive's part, the first log's; clamped to what follows), the hive's part
// (the first 512 bytes of its base block, then its bins, padded with zeros to whole bins, as
// fuzz/fuzz_hive.cpp takes it), the first log and, the rest, the second log. Fields the
// fuzzer could hardly get right are filled in where they are 0: the checksums of the base
// blocks and both hashes of every entry the logs chain (by their sizes). The copy must not
// grow by more than the logs' bytes, must be clean, and must open or fail naming the file.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "hive/hivelog.h"
#include "search/hiveregistry.h"

using namespace corvane;

namespace {

constexpr std::size_t kHeader = 512;

std::uint32_t Get32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}
std::uint64_t Get64(const std::uint8_t* p) {
  return std::uint64_t(Get32(p)) | (std::uint64_t(Get32(p + 4)) << 32);
}
void Put64(std::uint8_t* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = std::uint8_t(v >> (8 * i));
}

void FillChecksum(std::vector<std::uint8_t>& vBytes) {
  if (vBytes.size() < kHeader || Get32(vBytes.data() + 508) != 0) return;
  const std::uint32_t sum = BaseBlockChecksum(vBytes.data());
  for (int i = 0; i < 4; ++i) vBytes[508 + i] = std::uint8_t(sum >> (8 * i));
}

void FillHashes(std::vector<std::uint8_t>& vLog) {
  std::size_t at = kHiveLogEntriesStart;
  while (at + 40 <= vLog.size()) {
    std::uint8_t* e = vLog.data() + at;
    const std::uint32_t size = Get32(e + 4);
    if (size < 512 || size % 512 != 0 || size > vLog.size() - at) return;
    if (Get64(e + 24) == 0) Put64(e + 24, Marvin32(e + 40, size - 40, kHiveLogSeed));
    if (Get64(e + 32) == 0) Put64(e + 32, Marvin32(e, 32, kHiveLogSeed));
    at += size;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  std::size_t hiveSize = data[0] | (data[1] << 8), log1Size = data[2] | (data[3] << 8);
  data += 4;
  size -= 4;
  hiveSize = std::min(hiveSize, size);
  log1Size = std::min(log1Size, size - hiveSize);

  const std::size_t bins = hiveSize > kHeader ? hiveSize - kHeader : 0;
  std::vector<std::uint8_t> hive(4096 + (bins + 4095) / 4096 * 4096, 0);
  std::copy(data, data + std::min(hiveSize, kHeader), hive.begin());
  if (bins > 0) std::copy(data + kHeader, data + hiveSize, hive.begin() + 4096);
  FillChecksum(hive);
  std::vector<std::uint8_t> log1(data + hiveSize, data + hiveSize + log1Size);
  std::vector<std::uint8_t> log2(data + hiveSize + log1Size, data + size);
  for (std::vector<std::uint8_t>* log : {&log1, &log2}) {
    FillChecksum(*log);
    FillHashes(*log);
  }

  std::vector<std::uint8_t> out;
  const THiveReplay r = ReplayHiveLogs(hive, log1, log2, out);
  if (r.fEntries == 0) {
    if (!out.empty()) std::abort();
    return 0;
  }
  if (out.size() < hive.size() || out.size() > hive.size() + log1.size() + log2.size() ||
      Get32(out.data() + 4) != r.fSequence || Get32(out.data() + 8) != r.fSequence ||
      Get32(out.data() + 508) != BaseBlockChecksum(out.data()))
    std::abort();
  TText error;
  auto registry = THiveRegistry::FromBytes(std::move(out), u"FUZZ", error);
  if (!registry) {
    if (error.rfind(u"FUZZ", 0) != 0) std::abort();  // every error names the file
    return 0;
  }
  if (registry->Dirty()) std::abort();
  (void)registry->KeyCount();
  return 0;
}
