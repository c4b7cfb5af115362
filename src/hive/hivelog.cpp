#include "hive/hivelog.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "hive/hive.h"

namespace corvane {
namespace {

std::uint32_t Get32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}
std::uint64_t Get64(const std::uint8_t* p) {
  return std::uint64_t(Get32(p)) | (std::uint64_t(Get32(p + 4)) << 32);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}

// Offsets inside a base block.
constexpr std::size_t kSeq1 = 4, kSeq2 = 8, kFileType = 28, kBinsSize = 40, kChecksum = 508;
// The file type of a log of the new format.
constexpr std::uint32_t kNewLog = 6;
// Offsets inside a log entry, and the size of its header.
constexpr std::size_t kEntrySize = 4, kEntrySeq = 12, kEntryBins = 16, kEntryPages = 20,
                      kEntryHash1 = 24, kEntryHash2 = 32, kEntryHeader = 40;
// Entries lie at multiples of a sector; pages are whole sectors.
constexpr std::uint32_t kSector = 512;
constexpr std::uint32_t kBinUnit = 4096;

void MarvinBlock(std::uint32_t& p0, std::uint32_t& p1) {
  p1 ^= p0;
  p0 = std::rotl(p0, 20);
  p0 += p1;
  p1 = std::rotl(p1, 9);
  p1 ^= p0;
  p0 = std::rotl(p0, 27);
  p0 += p1;
  p1 = std::rotl(p1, 19);
}

// One log entry whose header, hashes and page references are sound (its sequence number
// aside).
struct TEntry {
  const std::uint8_t* fData = nullptr;
  std::uint32_t fSize = 0;
  std::uint32_t fSequence = 0;
  std::uint32_t fBinsSize = 0;
  std::uint32_t fPages = 0;
  std::uint64_t fPageBytes = 0;  // the pages' bytes together
  std::uint64_t fEnd = 0;        // where the last page ends, from the start of the bins

  std::uint32_t PageOffset(std::uint32_t i) const { return Get32(fData + kEntryHeader + 8 * i); }
  std::uint32_t PageSize(std::uint32_t i) const { return Get32(fData + kEntryHeader + 8 * i + 4); }
};

// The entry at vAt of vLog; false when there is none or it is damaged.
bool ReadEntry(std::span<const std::uint8_t> vLog, std::size_t vAt, TEntry& vEntry) {
  if (vAt > vLog.size() || vLog.size() - vAt < kEntryHeader) return false;
  const std::uint8_t* e = vLog.data() + vAt;
  if (std::memcmp(e, "HvLE", 4) != 0) return false;
  const std::uint32_t size = Get32(e + kEntrySize);
  if (size < kSector || size % kSector != 0 || size > vLog.size() - vAt) return false;
  const std::uint32_t bins = Get32(e + kEntryBins);
  if (bins == 0 || bins % kBinUnit != 0) return false;
  const std::uint32_t pages = Get32(e + kEntryPages);
  // The references alone must fit in the entry before anything else is read.
  if (pages > (size - kEntryHeader) / 8) return false;
  if (Marvin32(e + kEntryHeader, size - kEntryHeader, kHiveLogSeed) != Get64(e + kEntryHash1) ||
      Marvin32(e, 32, kHiveLogSeed) != Get64(e + kEntryHash2))
    return false;
  vEntry.fData = e;
  vEntry.fSize = size;
  vEntry.fSequence = Get32(e + kEntrySeq);
  vEntry.fBinsSize = bins;
  vEntry.fPages = pages;
  vEntry.fPageBytes = 0;
  vEntry.fEnd = 0;
  const std::uint64_t room = size - kEntryHeader - 8ull * pages;
  for (std::uint32_t i = 0; i < pages; ++i) {
    const std::uint64_t offset = vEntry.PageOffset(i), bytes = vEntry.PageSize(i);
    if (bytes == 0 || bytes % kSector != 0 || offset % kSector != 0 || offset + bytes > bins)
      return false;
    vEntry.fPageBytes += bytes;
    if (vEntry.fPageBytes > room) return false;
    vEntry.fEnd = std::max(vEntry.fEnd, offset + bytes);
  }
  return true;
}

// Whether vLog begins with a sound base block of a new-format log; its sequence number.
bool LogBaseBlock(std::span<const std::uint8_t> vLog, std::uint32_t& vSequence) {
  if (vLog.size() < kHiveLogEntriesStart || std::memcmp(vLog.data(), "regf", 4) != 0 ||
      Get32(vLog.data() + kChecksum) != BaseBlockChecksum(vLog.data()) ||
      Get32(vLog.data() + kFileType) != kNewLog)
    return false;
  vSequence = Get32(vLog.data() + kSeq1);
  return true;
}

}  // namespace

std::uint64_t Marvin32(const std::uint8_t* vData, std::size_t vSize, std::uint64_t vSeed) {
  std::uint32_t p0 = std::uint32_t(vSeed), p1 = std::uint32_t(vSeed >> 32);
  for (; vSize >= 4; vData += 4, vSize -= 4) {
    p0 += Get32(vData);
    MarvinBlock(p0, p1);
  }
  // The last 0 to 3 bytes, followed by a byte 0x80.
  std::uint32_t last = 0x80u << (8 * vSize);
  for (std::size_t i = 0; i < vSize; ++i) last |= std::uint32_t(vData[i]) << (8 * i);
  p0 += last;
  MarvinBlock(p0, p1);
  MarvinBlock(p0, p1);
  return (std::uint64_t(p1) << 32) | p0;
}

THiveReplay ReplayHiveLogs(std::span<const std::uint8_t> vHive, std::span<const std::uint8_t> vLog1,
                           std::span<const std::uint8_t> vLog2, std::vector<std::uint8_t>& vOut) {
  THiveReplay result;
  if (vHive.size() < kHiveBinsStart) return result;

  std::span<const std::uint8_t> logs[2];
  std::uint32_t seq1 = 0, seq2 = 0;
  const bool use1 = LogBaseBlock(vLog1, seq1), use2 = LogBaseBlock(vLog2, seq2);
  std::size_t count = 0;
  if (use1 && use2 && seq2 < seq1) {
    logs[count++] = vLog2;
    logs[count++] = vLog1;
  } else {
    if (use1) logs[count++] = vLog1;
    if (use2) logs[count++] = vLog2;
  }

  // First the entries that apply, without copying: the copy is made once, at its final size.
  // It grows past the hive's bytes by no more than the pages' bytes.
  const std::uint32_t start = Get32(vHive.data() + kSeq1);
  const std::uint64_t hiveBins = vHive.size() - kHiveBinsStart;
  std::uint64_t pageBytes = 0, end = hiveBins;
  std::vector<TEntry> applied;
  for (std::size_t l = 0; l < count; ++l) {
    const std::span<const std::uint8_t> log = logs[l];
    TEntry entry;
    for (std::size_t at = kHiveLogEntriesStart; ReadEntry(log, at, entry); at += entry.fSize) {
      if (applied.empty()) {
        if (entry.fSequence < start) continue;  // written to the hive before
      } else if (entry.fSequence != applied.back().fSequence + 1) {
        break;  // older entries left behind newer ones, or a gap
      }
      if (entry.fEnd > hiveBins + pageBytes + entry.fPageBytes) break;
      pageBytes += entry.fPageBytes;
      end = std::max(end, entry.fEnd);
      applied.push_back(entry);
    }
  }
  if (applied.empty()) return result;

  vOut.assign(kHiveBinsStart + end, 0);
  std::copy(vHive.begin(), vHive.end(), vOut.begin());
  for (const TEntry& entry : applied) {
    const std::uint8_t* data = entry.fData + kEntryHeader + 8ull * entry.fPages;
    for (std::uint32_t i = 0; i < entry.fPages; ++i) {
      const std::uint32_t size = entry.PageSize(i);
      std::memcpy(vOut.data() + kHiveBinsStart + entry.PageOffset(i), data, size);
      data += size;
    }
  }
  const TEntry& last = applied.back();
  Put32(vOut.data() + kSeq1, last.fSequence);
  Put32(vOut.data() + kSeq2, last.fSequence);
  Put32(vOut.data() + kBinsSize, last.fBinsSize);
  Put32(vOut.data() + kChecksum, BaseBlockChecksum(vOut.data()));
  result.fEntries = static_cast<std::uint32_t>(applied.size());
  result.fSequence = last.fSequence;
  return result;
}

}  // namespace corvane
