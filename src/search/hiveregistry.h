// A registry hive file as a read-only registry backend. Whichever root a cursor selects, it
// sees the hive's root key: the caller decides under which root the hive appears. Subkeys
// enumerate in the order of their list in the file (kept sorted there), values in the order
// of the value list, names as stored; names compare case-insensitively. The write operations
// fail as they fail on a key opened read-only.
//
// Cursors read the file's bytes in place; each cursor belongs to one thread, and any number
// of cursors may read the same registry at once. The registry outlives its cursors.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "hive/hive.h"
#include "hive/hivelog.h"
#include "search/registry.h"

namespace corvane {

class THiveRegistry {
 public:
  // Opens the hive file at vPath; nullptr with vError set (a text naming the file) when it
  // cannot be read. A file that was not closed cleanly is read with the entries of its
  // transaction logs vPath.LOG1 and vPath.LOG2 applied to a copy in memory, when they hold
  // any that continue it (see hive/hivelog.h); then it is no longer Dirty().
  static std::unique_ptr<THiveRegistry> Open(const TText& vPath, TText& vError);
  // A hive from bytes in memory; vPath is the name its messages give it.
  static std::unique_ptr<THiveRegistry> FromBytes(std::vector<std::uint8_t> vBytes,
                                                  const TText& vPath, TText& vError);

  std::unique_ptr<TRegCursor> NewCursor() const;
  TCursorFactory Factory() const;

  // Keys and values a whole walk from the root visits (kMaxKeyDepth levels deep), counted
  // by a walk on first use.
  std::uint64_t KeyCount() const;
  std::uint64_t ValueCount() const;

  // Entries of the transaction logs applied when the hive was opened.
  const THiveReplay& Replayed() const { return fReplayed; }
  // The file was not closed cleanly and no log entry continued it; DirtyNotice() is the text
  // that says so.
  bool Dirty() const { return fHive->Dirty(); }
  TText DirtyNotice() const { return fHive->DirtyNotice(); }
  const TText& Path() const { return fHive->Path(); }
  const THive& Hive() const { return *fHive; }

 private:
  explicit THiveRegistry(std::unique_ptr<THive> vHive) : fHive(std::move(vHive)) {}
  void Count() const;

  std::unique_ptr<THive> fHive;
  THiveReplay fReplayed;
  mutable std::once_flag fCounted;
  mutable std::uint64_t fKeys = 0;
  mutable std::uint64_t fValues = 0;
};

}  // namespace corvane
