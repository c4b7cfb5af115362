// Replay of a dirty hive's transaction logs of the new format (the files FILE.LOG1 and
// FILE.LOG2 beside the hive FILE). A log begins with a copy of the hive's base block (file
// type 6) in its first 512 bytes; log entries follow from byte 512 on, each at a multiple of
// 512: "HvLE", its size, flags, sequence number, the size of the hive bins when it was
// written, the number of pages it holds, two Marvin32 hashes (of the entry from byte 40 on,
// and of its first 32 bytes), the pages' references (offset from the start of the hive
// bins, size) and then the pages' bytes.
//
// Entries that continue the hive's sequence, applied in order, give the hive as it was when
// the last of them was written. The replay only reads the bytes it is given and writes a
// copy of the hive: a hive file and its logs are never changed. Nothing from the files is
// trusted: the copy grows by no more than the bytes of the pages applied.
//
// Logs of the old format (a dirty vector, "DIRT") are not read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace corvane {

// The seed of the hashes of log entries.
inline constexpr std::uint64_t kHiveLogSeed = 0xC5554E7A884DEF82ull;
// The size of a log's base block: entries begin after it.
inline constexpr std::uint32_t kHiveLogEntriesStart = 512;

// The Marvin32 hash of vSize bytes at vData.
std::uint64_t Marvin32(const std::uint8_t* vData, std::size_t vSize, std::uint64_t vSeed);

struct THiveReplay {
  std::uint32_t fEntries = 0;   // entries applied
  std::uint32_t fSequence = 0;  // the sequence number of the last one applied
};

// Applies to a copy of vHive (a hive file's bytes, a whole base block at least) the entries
// of its logs vLog1 and vLog2 (a log's bytes; empty for a missing file) that continue the
// sequence of the hive's base block: the first applied has a sequence number at least the
// base block's primary one, each further one the next number. The log whose base block has
// the lower sequence number is read first (LOG1 on a tie); entries of the other continue
// it. A log is read up to its first entry that is damaged (signature, size, hashes, pages
// outside the bins) or breaks the sequence. A log whose base block is damaged or not of the
// new format is not read. vOut receives the copy, with the base block made clean (both
// sequence numbers the last entry's, its bins size, the checksum); it is left alone when no
// entry applies (the result's fEntries is 0).
THiveReplay ReplayHiveLogs(std::span<const std::uint8_t> vHive, std::span<const std::uint8_t> vLog1,
                           std::span<const std::uint8_t> vLog2, std::vector<std::uint8_t>& vOut);

}  // namespace corvane
