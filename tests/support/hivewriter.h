// Writes registry hive files (regf) from an in-memory key tree, for tests, oracles and
// benchmarks: the subkey list kind, name storage, class names, big data, last-write times
// and format version are chosen by the caller, and the layout it returns lets a test damage
// exactly the structure it means to.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "search/memregistry.h"

namespace corvane::test {

enum class THiveList { li, lf, lh, ri };

struct THiveWriterOptions {
  THiveList fList = THiveList::lh;
  // With ri: entries per leaf list, and the kind of the leaf lists.
  std::uint32_t fFanOut = 512;
  THiveList fLeaf = THiveList::lh;
  // Names of Latin-1 characters only are stored one byte a character; false: all UTF-16.
  bool fCompressNames = true;
  std::uint32_t fMinor = 5;
  // The sequence numbers differ, as in a file that was not closed cleanly.
  bool fDirty = false;
  std::uint64_t fHeaderTime = 0x01D0000000000000ull;
  // Record where each key's records lie (THiveImage::fKeys); off for very large hives.
  bool fLayout = true;
};

// Where the writer put the records of one value and one key (cell offsets from the start of
// the hive bins; kNoCell for none).
struct THiveValueCells {
  std::uint32_t fRecord = 0xFFFFFFFFu;
  std::uint32_t fData = 0xFFFFFFFFu;      // the data cell or the db record
  std::uint32_t fSegments = 0xFFFFFFFFu;  // the segment list of a db record
};
struct THiveKeyCells {
  std::uint32_t fNode = 0xFFFFFFFFu;
  std::uint32_t fSubkeyList = 0xFFFFFFFFu;  // the list the key node points at (ri: the index)
  std::vector<std::uint32_t> fLeafLists;    // the leaf lists below an index root
  std::uint32_t fValueList = 0xFFFFFFFFu;
  std::vector<THiveValueCells> fValues;     // in value order
};

struct THiveImage {
  std::vector<std::uint8_t> fBytes;
  // By key path below the root ("" for the root itself), names as written.
  std::map<TText, THiveKeyCells> fKeys;

  const THiveKeyCells& Key(TTextView vPath) const;
  // Little-endian reads and writes at a byte offset inside cell vCell's data.
  std::uint32_t Get32(std::uint32_t vCell, std::uint32_t vAt) const;
  // Bytes of data cell vCell has room for.
  std::uint32_t CellDataSize(std::uint32_t vCell) const;
  void Put16(std::uint32_t vCell, std::uint32_t vAt, std::uint16_t vValue);
  void Put32(std::uint32_t vCell, std::uint32_t vAt, std::uint32_t vValue);
  // Recomputes the checksum of the base block after a change to it.
  void FixChecksum();
};

// Writes the hive whose root key is vRoot (its name becomes the root key's name).
THiveImage WriteHive(const TMemKey& vRoot, const THiveWriterOptions& vOptions = {});

// One entry of a transaction log (new format): the pages it writes, each at a byte offset
// from the start of the hive bins.
struct THiveLogPage {
  std::uint32_t fOffset = 0;
  std::vector<std::uint8_t> fBytes;
};
struct THiveLogEntry {
  std::uint32_t fSequence = 0;
  std::uint32_t fBinsSize = 0;
  std::vector<THiveLogPage> fPages;
};

// The entries that turn the hive vFrom into vTo: the pages (of vPageSize bytes, a multiple
// of 512 that divides 4096) of vTo's bins that differ from vFrom's (or lie beyond them),
// vPagesPerEntry to an entry, in file order, with sequence numbers from vFirst on, each with
// the bins size of vTo.
std::vector<THiveLogEntry> LogEntries(const THiveImage& vFrom, const THiveImage& vTo,
                                      std::uint32_t vFirst, std::size_t vPagesPerEntry = 1,
                                      std::uint32_t vPageSize = 4096);

struct THiveLogImage {
  std::vector<std::uint8_t> fBytes;
  std::vector<std::uint32_t> fEntries;  // the byte offset of each entry

  // Little-endian writes at byte vAt of entry vEntry; the hashes are kept as they were.
  void Put32(std::size_t vEntry, std::uint32_t vAt, std::uint32_t vValue);
  // Recomputes both hashes of entry vEntry after a change to it (of the entry as its size
  // gives it, up to the end of the log).
  void FixHashes(std::size_t vEntry);
};

// A transaction log of the new format beside the hive vHive: its base block (file type 6,
// both sequence numbers vSequence), then vEntries, each with its hashes.
THiveLogImage WriteHiveLog(const THiveImage& vHive, std::uint32_t vSequence,
                           const std::vector<THiveLogEntry>& vEntries);

// Damage, one kind each, to a hive the writer made.
namespace damage {
// The stored checksum no longer matches the base block.
void BreakChecksum(THiveImage& vImage);
// Entry vIndex of the subkey list of key vPath (of its first leaf list below an index root)
// points at cell vTarget.
void PointSubkeyEntry(THiveImage& vImage, TTextView vPath, std::uint32_t vIndex,
                      std::uint32_t vTarget);
// The first entry of the index root of key vPath points at the index root itself.
void IndexRootLoop(THiveImage& vImage, TTextView vPath);
// The db record of value vIndex of key vPath gives vCount segments.
void SegmentCount(THiveImage& vImage, TTextView vPath, std::uint32_t vIndex, std::uint16_t vCount);
// The name length of key vPath's node is vLength bytes.
void KeyNameLength(THiveImage& vImage, TTextView vPath, std::uint16_t vLength);
// The name length of value vIndex of key vPath is vLength bytes.
void ValueNameLength(THiveImage& vImage, TTextView vPath, std::uint32_t vIndex,
                     std::uint16_t vLength);
// The count in the header of the subkey list of key vPath is vCount.
void ListCount(THiveImage& vImage, TTextView vPath, std::uint16_t vCount);
// The value count of key vPath's node is vCount.
void ValueCount(THiveImage& vImage, TTextView vPath, std::uint32_t vCount);
// The subkey list offset of key vPath's node is vCell.
void SubkeyListCell(THiveImage& vImage, TTextView vPath, std::uint32_t vCell);
// The cell size field of cell vCell is vSize (negative: allocated).
void CellSize(THiveImage& vImage, std::uint32_t vCell, std::int32_t vSize);
// The two sequence numbers differ (the checksum is kept right).
void Dirty(THiveImage& vImage);
}  // namespace damage

}  // namespace corvane::test
