// The registry cursor: the registry operations the search and the alias builder use, owned
// by the portable side. Backends: Win32 (advapi32) and an in-memory registry.
//
// A cursor holds a selected root and at most one open key; opening another key closes the
// one held before. A path that begins with a backslash counts from the root; any other path
// counts from the open key (or from the root when none is open). The empty path is the key
// itself. Operations never throw for a missing key or value: they report failure. The text
// and number reads and the text write throw TRegError, as the alias builder expects.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

#include "text/text.h"
#include "search/types.h"

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

class TRegCursor {
 public:
  virtual ~TRegCursor() = default;

  // Closes any open key; later paths count from this root.
  virtual void SelectRoot(TKeyHandle vRoot) = 0;
  // Closes the open key, if any.
  virtual void CloseKey() = 0;

  // Opens read-only, trying kAccessRead, kAccessQueryEnum, kAccessQuery in turn.
  [[nodiscard]] virtual bool OpenRead(TTextView vPath) = 0;
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
};

using TCursorFactory = std::function<std::unique_ptr<TRegCursor>()>;

}  // namespace corvane
