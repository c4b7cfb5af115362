// An in-memory registry with Win32's semantics where the search relies on them: subkeys
// enumerate in case-insensitive name order and values in insertion order, names compare
// case-insensitively, the default value is the empty name, opens check access masks. Faults
// can be injected per key and value for tests; roots can be linked so one key shows under
// two roots, as the classes root shows the local machine's classes.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "search/registry.h"

namespace corvane {

struct TMemValue {
  TText fName;
  std::uint32_t fType = 0;
  std::vector<std::uint8_t> fData;
  bool fFailQuery = false;  // the type and size query fails
  bool fFailRead = false;   // the data read fails (as when the value grew after the query)
};

struct TMemKey {
  TText fName;
  std::vector<std::shared_ptr<TMemKey>> fSubkeys;  // sorted, case-insensitive
  std::vector<TMemValue> fValues;                  // insertion order
  std::uint32_t fDenyMask = 0;  // an open asking for any of these rights fails
  bool fDeleted = false;
  TText fClass;
  std::uint32_t fSecurity = 20;
  std::uint64_t fWriteTime = 0;

  TMemKey* Subkey(TTextView vName) const;
  TMemValue* Value(TTextView vName);
};

class TMemRegistry {
 public:
  TMemRegistry();

  // The key at root\path (path without leading backslash, components split at "\"),
  // created with its parents as needed.
  TMemKey& Key(TKeyHandle vRoot, TTextView vPath);
  // The key at root\path, or nullptr.
  TMemKey* Find(TKeyHandle vRoot, TTextView vPath) const;
  // Replaces or adds a value (its position is kept when it exists).
  TMemValue& SetValue(TKeyHandle vRoot, TTextView vPath, TTextView vName, std::uint32_t vType,
                      std::vector<std::uint8_t> vData);
  TMemValue& SetText(TKeyHandle vRoot, TTextView vPath, TTextView vName, TTextView vText,
                     std::uint32_t vType = kRegSz);
  TMemValue& SetDword(TKeyHandle vRoot, TTextView vPath, TTextView vName, std::uint32_t vNumber);
  bool DeleteValue(TKeyHandle vRoot, TTextView vPath, TTextView vName);
  // Removes the key with its whole subtree; false when absent. The root itself stays.
  bool RemoveTree(TKeyHandle vRoot, TTextView vPath);
  // From now on vAlias shows the key vReal\vPath (created when absent).
  void LinkRoot(TKeyHandle vAlias, TKeyHandle vReal, TTextView vPath);

  std::unique_ptr<TRegCursor> NewCursor();
  TCursorFactory Factory();

  // Called with the root and absolute path before every open; may change the registry
  // (a key that vanishes or appears mid-search).
  std::function<void(TKeyHandle, TTextView)> fOnOpen;
  // Counters for tests.
  std::uint64_t fOpens = 0;
  // False for a registry loaded from an export file, which carries no times: its keys' times
  // are unknown.
  bool fKnowsTimes = true;
  std::uint32_t fLastGranted = 0;  // access mask of the last successful read-only open

  std::shared_ptr<TMemKey> Root(TKeyHandle vRoot) const;
  std::shared_ptr<TMemKey> Shared(TKeyHandle vRoot, TTextView vPath) const;
  std::uint64_t NextWriteTime() { return ++fClock; }

  std::uint64_t KeyCount() const;
  std::uint64_t ValueCount() const;

 private:
  std::map<TKeyHandle, std::shared_ptr<TMemKey>> fRoots;
  std::uint64_t fClock = 0;
};

// Text as REG_SZ bytes: UTF-16 little-endian with the closing zero.
std::vector<std::uint8_t> TextBytes(TTextView vText, bool vClosingZero = true);

}  // namespace corvane
