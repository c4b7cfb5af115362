// A reader of registry hive files ("regf"): the base block, the hive bins and their cells,
// key nodes, subkey lists (li, lf, lh and ri index roots), value lists, value records and
// their data, big data ("db") included. It reads in place over the file's bytes (mapped
// where the system can) and allocates only what a caller asks it to fill.
//
// Damaged bytes never lead outside the file: every cell is checked against the hive bins
// before it is read. What cannot be read is left out (a key node that is not one, a list
// entry beyond its cell, data whose cells are missing), as the live registry walk leaves
// out a key it cannot open. Only a file that is no hive at all, or whose base block or root
// key cannot be read, fails to open, with a text that names the file and the byte offset.
//
// The key graph read from a file is a tree: a subkey counts only when its key node names the
// listing key as its parent, and a list entry repeated in one list counts once. So a list
// that points back at an ancestor or at the key itself leads nowhere, and a walk visits each
// key node at most once.
//
// A THive never changes after it was opened; any number of threads may read it at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "files/mappedfile.h"
#include "text/text.h"

namespace corvane {

// A cell offset (from the start of the hive bins) that refers to no cell.
inline constexpr std::uint32_t kNoCell = 0xFFFFFFFFu;
// The file offset of the first hive bin: the size of the base block.
inline constexpr std::uint32_t kHiveBinsStart = 4096;
// Bytes of data one big data segment holds; larger data use segments from format 1.4 on.
inline constexpr std::uint32_t kHiveSegmentBytes = 16344;

// The checksum of a base block (of a hive or a transaction log): the one its 508 first bytes
// call for, as stored in the 4 bytes that follow them.
std::uint32_t BaseBlockChecksum(const std::uint8_t* vBase);

// Key node flags.
inline constexpr std::uint16_t kKeyHiveEntry = 0x0004;
inline constexpr std::uint16_t kKeyCompName = 0x0020;
// Value record flags.
inline constexpr std::uint16_t kValueCompName = 0x0001;

// A name as it is stored: one byte a character (Latin-1, "compressed") or UTF-16LE.
struct THiveName {
  const std::uint8_t* fBytes = nullptr;
  std::uint16_t fLength = 0;  // in bytes
  bool fCompressed = false;

  std::size_t Size() const { return fCompressed ? fLength : fLength / 2u; }
  char16_t At(std::size_t vIndex) const {
    return fCompressed ? char16_t(fBytes[vIndex])
                       : char16_t(fBytes[2 * vIndex] | (fBytes[2 * vIndex + 1] << 8));
  }
  TText Text() const;
  void AssignTo(TText& vText) const;
  bool Equals(TTextView vName) const;
  // <0, 0, >0 as CompareFoldWide would compare the text with vName.
  int CompareFold(TTextView vName) const;
};

struct THiveKey {
  std::uint32_t fCell = kNoCell;
  std::uint16_t fFlags = 0;
  std::uint64_t fWriteTime = 0;  // FILETIME as one number
  std::uint32_t fParent = kNoCell;
  std::uint32_t fSubkeyCount = 0;
  std::uint32_t fSubkeyList = kNoCell;
  std::uint32_t fValueCount = 0;
  std::uint32_t fValueList = kNoCell;
  std::uint32_t fSecurity = kNoCell;
  std::uint32_t fClass = kNoCell;
  std::uint16_t fClassLength = 0;  // in bytes
  THiveName fName;
};

struct THiveValue {
  std::uint32_t fCell = kNoCell;
  THiveName fName;
  std::uint32_t fType = 0;  // any number, as stored
  std::uint32_t fSize = 0;  // bytes of data
  bool fInline = false;     // the data are the first fSize bytes of fInlineData
  bool fSizeValid = true;   // false: an inline size beyond 4 bytes
  std::uint32_t fDataCell = kNoCell;
  std::uint8_t fInlineData[4] = {};
};

class THive {
 public:
  // Opens the hive file at vPath; nullptr with vError set when it cannot be read at all.
  static std::unique_ptr<THive> Open(const TText& vPath, TText& vError);
  // A hive over bytes in memory; vPath is the name messages give it.
  static std::unique_ptr<THive> FromBytes(std::vector<std::uint8_t> vBytes, const TText& vPath,
                                          TText& vError);

  const TText& Path() const { return fPath; }
  // The last component of the path ("SOFTWARE").
  TText FileName() const;
  std::uint32_t MinorVersion() const { return fMinor; }
  // The two sequence numbers of the base block differ: the file was not closed cleanly and
  // is read as it stands.
  bool Dirty() const { return fDirty; }
  TText DirtyNotice() const;
  // The hive bins stop before the size the base block gives them (a truncated file or a
  // damaged bin header); what lies before is read.
  bool Truncated() const { return fTruncated; }
  TText TruncatedNotice() const;
  // The whole file's bytes, the base block first.
  std::span<const std::uint8_t> Bytes() const { return fData; }
  // Bytes of the hive bins that can be read.
  std::uint32_t BinsLength() const { return fLength; }

  std::uint32_t RootCell() const { return fRoot; }
  // The key node at vCell; false when there is none that can be read.
  [[nodiscard]] bool Key(std::uint32_t vCell, THiveKey& vKey) const;
  // The key node at vCell when it is a subkey of vParent (it names vParent as its parent and
  // is not vParent itself).
  [[nodiscard]] bool Child(const THiveKey& vParent, std::uint32_t vCell, THiveKey& vKey) const;
  // The cells the subkey list of vKey refers to, in list order, each once; vScratch is a
  // buffer of the caller's, kept to save allocations. Entries need not be key nodes.
  void SubkeyCells(const THiveKey& vKey, std::vector<std::uint32_t>& vCells,
                   std::vector<std::uint64_t>& vScratch) const;
  // The cells of the value list of vKey, in list order (as many as the list's cell holds;
  // a damaged list may name one twice, which costs no more than a longer list).
  void ValueCells(const THiveKey& vKey, std::vector<std::uint32_t>& vCells) const;
  // The value record at vCell; false when there is none that can be read.
  [[nodiscard]] bool Value(std::uint32_t vCell, THiveValue& vValue) const;
  // Copies the vValue.fSize bytes of data to vOut; false (vOut partly written) when they
  // cannot be read.
  [[nodiscard]] bool ReadData(const THiveValue& vValue, std::uint8_t* vOut) const;
  // Where the vValue.fSize bytes of data lie in one piece in the hive's bytes (in the value
  // record or one cell); nullptr when they lie in big data segments or cannot be read.
  const std::uint8_t* DataInPlace(const THiveValue& vValue) const;
  // The class name of vKey; empty when it has none or it cannot be read.
  TText ClassName(const THiveKey& vKey) const;
  // Characters of the class name of vKey that can be read.
  std::uint32_t ClassLength(const THiveKey& vKey) const;
  // Bytes of the security descriptor of vKey; 0 when it cannot be read.
  std::uint32_t SecuritySize(const THiveKey& vKey) const;

  // The data of cell vCell and their size; nullptr when vCell is no allocated cell inside
  // the hive bins.
  const std::uint8_t* Cell(std::uint32_t vCell, std::uint32_t& vSize) const;
  // Asks the processor to fetch cell vCell ahead of its use; no effect on what is read.
  void Prefetch(std::uint32_t vCell) const {
#if defined(__GNUC__) || defined(__clang__)
    if (vCell < fLength) __builtin_prefetch(fBins + vCell);
#endif
  }
  // The file offset of cell vCell, as messages give it.
  static std::uint64_t FileOffset(std::uint32_t vCell) {
    return std::uint64_t(vCell) + kHiveBinsStart;
  }

 private:
  THive() = default;
  [[nodiscard]] bool Parse(const std::uint8_t* vData, std::size_t vSize, TText& vError);
  bool BigData(const THiveValue& vValue, const std::uint8_t* vCell, std::uint32_t vSize) const;
  void AddList(std::uint32_t vCell, std::uint32_t vLimit, bool vInIndex,
               std::vector<std::uint32_t>& vCells) const;

  TText fPath;
  TMappedFile fFile;
  std::vector<std::uint8_t> fBytes;  // the bytes of a hive made from memory
  std::span<const std::uint8_t> fData;
  const std::uint8_t* fBins = nullptr;
  std::uint32_t fLength = 0;
  std::uint32_t fRoot = kNoCell;
  std::uint32_t fMinor = 0;
  bool fDirty = false;
  bool fTruncated = false;
  std::uint32_t fDeclaredLength = 0;
};

}  // namespace corvane
