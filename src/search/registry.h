// The registry cursor: the registry operations the search and the alias builder use, owned
// by the portable side. Backends: Win32 (advapi32) and an in-memory registry.
//
// A cursor holds a selected root and an open key; opening another key by path closes the
// keys held before. OpenSubkeyRead instead keeps the open key below the subkey it opens, so
// a walk holds one handle per level and CloseSubkey returns to the parent. A path that
// begins with a backslash counts from the root; any other path counts from the open key (or
// from the root when none is open). The empty path is the key itself. Operations never throw for a
// missing key or value: they report failure. The text and number reads and the text write throw
// TRegError, as the alias builder expects.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

#include "search/types.h"
#include "text/text.h"

namespace corvane {

class TRegError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The registry allows 512 levels of keys below a root; the walk goes no deeper.
inline constexpr int kMaxKeyDepth = 512;

// Access masks of the open operations.
inline constexpr std::uint32_t kAccessRead = 0x20019;
inline constexpr std::uint32_t kAccessQueryEnum = 0x20009;
inline constexpr std::uint32_t kAccessQuery = 0x0001;
inline constexpr std::uint32_t kAccessFull = 0xF003F;

struct TKeyInfo {
  TText fClass;
  std::uint32_t fSubKeys = 0;
  std::uint32_t fMaxSubKeyLen = 0;
  std::uint32_t fMaxClassLen = 0;
  std::uint32_t fValues = 0;
  std::uint32_t fMaxValueNameLen = 0;
  std::uint32_t fMaxValueLen = 0;
  std::uint32_t fSecurityDescriptor = 0;
  std::uint64_t fLastWriteTime = 0;  // FILETIME as one number
};

// The values of one key with their types and data, listed in one pass. The data of all
// values lie in one buffer, so a listing reused from key to key allocates little.
struct TValueEntry {
  TText fName;
  std::uint32_t fType = 0;
  std::uint32_t fSize = 0;  // bytes of data
  std::size_t fOffset = 0;  // where the data begin in TValueList::fData
  bool fReadable = true;    // false: type and data could not be read
  // Set by ScanValues only: the data lie here, in the cursor's source, not in fData.
  const std::uint8_t* fBytes = nullptr;
};

struct TValueList {
  std::vector<TValueEntry> fValues;
  std::vector<std::uint8_t> fData;

  const std::uint8_t* Data(const TValueEntry& vEntry) const {
    return vEntry.fBytes ? vEntry.fBytes : fData.data() + vEntry.fOffset;
  }
  void Clear() {
    fValues.clear();
    fData.clear();
  }
  // Appends an entry whose data are vSize bytes at vData (none when vData is null).
  void Add(TText vName, std::uint32_t vType, const std::uint8_t* vData, std::uint32_t vSize,
           bool vReadable = true);
};

class TRegCursor {
 public:
  virtual ~TRegCursor() = default;

  // Closes any open key; later paths count from this root.
  virtual void SelectRoot(TKeyHandle vRoot) = 0;
  // Closes the open key, if any.
  virtual void CloseKey() = 0;

  // Opens read-only, trying kAccessRead, kAccessQueryEnum, kAccessQuery in turn.
  [[nodiscard]] virtual bool OpenRead(TTextView vPath) = 0;
  // Opens the subkey vName of the open key (of the root when none is open) read-only with
  // the masks of OpenRead; the open key stays open below it. On failure nothing changes.
  [[nodiscard]] virtual bool OpenSubkeyRead(TTextView vName) = 0;
  // Closes the open key; the key it was opened below with OpenSubkeyRead is open again.
  virtual void CloseSubkey() = 0;
  // Subkey names of the open key in the registry's order; empty when it cannot be queried.
  virtual std::vector<TText> SubkeyNames() = 0;
  // Value names of the open key in the registry's order; the default value is the empty name.
  virtual std::vector<TText> ValueNames() = 0;
  // Type and size in bytes of a value of the open key.
  [[nodiscard]] virtual bool QueryValue(TTextView vName, std::uint32_t& vType,
                                        std::uint32_t& vSize) = 0;
  // Reads into vBuff of vSize bytes; fails when the data no longer fits. vSize becomes the
  // size read.
  [[nodiscard]] virtual bool ReadValue(TTextView vName, std::uint8_t* vBuff, std::uint32_t& vType,
                                       std::uint32_t& vSize) = 0;
  // Every value of the open key in the registry's order, as ValueNames lists them, with type
  // and data (names only, unreadable, when vWithData is false). A value whose data cannot be
  // read is listed unreadable. False, with an empty list, when the key cannot be queried.
  // This default asks for each value's size and data by name; backends do it in one pass.
  [[nodiscard]] virtual bool ListValues(TValueList& vList, bool vWithData);
  // ListValues for a walk that is done with the list before its next call on this cursor:
  // data may be left where the cursor's source holds them (TValueEntry::fBytes, valid until
  // then), and the list's entries may keep their storage from key to key.
  [[nodiscard]] virtual bool ScanValues(TValueList& vList, bool vWithData) {
    return ListValues(vList, vWithData);
  }
  // SubkeyNames into vNames, whose texts may keep their storage from call to call.
  virtual void ListSubkeyNames(std::vector<TText>& vNames) { vNames = SubkeyNames(); }

  // Used by the alias builder.
  [[nodiscard]] virtual bool OpenFull(TTextView vPath) = 0;
  [[nodiscard]] virtual bool OpenReadAccess(TTextView vPath) = 0;
  // Creates (or opens) a non-volatile subkey of the open key with full access; it becomes
  // the open key.
  [[nodiscard]] virtual bool CreateSubkey(TTextView vName) = 0;
  // Stores vText as REG_SZ with its closing zero; throws TRegError when refused.
  virtual void WriteText(TTextView vName, TTextView vText) = 0;
  // The text up to its first zero; empty when missing; throws for a type other than
  // REG_SZ/REG_EXPAND_SZ.
  virtual TText ReadText(TTextView vName) = 0;
  // The REG_DWORD value; throws when missing or of another type.
  virtual std::uint32_t ReadNumber(TTextView vName) = 0;
  // Whether the key can be opened for query and enumeration. Leaves the open key alone.
  [[nodiscard]] virtual bool KeyExists(TTextView vPath) = 0;
  // Deletes a key without subkeys, by absolute path.
  [[nodiscard]] virtual bool DeleteKey(TTextView vPath) = 0;
  [[nodiscard]] virtual bool RootKeyInfo(TKeyHandle vRoot, TKeyInfo& vInfo) = 0;
  [[nodiscard]] virtual bool OpenKeyInfo(TKeyInfo& vInfo) = 0;
  // The open key's last-write time (a FILETIME number); false when the backend does not know
  // it. This default reads it through OpenKeyInfo.
  [[nodiscard]] virtual bool KeyWriteTime(std::uint64_t& vTime);
};

using TCursorFactory = std::function<std::unique_ptr<TRegCursor>()>;

}  // namespace corvane
