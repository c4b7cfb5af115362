// The search engine's shared vocabulary: root keys, search status, one hit, the callbacks.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "text/text.h"

namespace corvane {

// A registry key handle as the portable code sees it: the 32-bit predefined value of a root
// key (0x80000000 ...). The Win32 side widens it to HKEY.
using TKeyHandle = std::uint32_t;

enum TRootKey : std::uint8_t { rHKCR, rHKCU, rHKLM, rHKU, rHKCC };

// A set over TRootKey, bit n for the n-th member; 31 selects all five.
class TRootKeySet {
 public:
  constexpr TRootKeySet() = default;
  constexpr explicit TRootKeySet(std::uint8_t vBits) : fBits(vBits & 31) {}
  static constexpr TRootKeySet All() { return TRootKeySet(31); }
  constexpr bool Has(TRootKey r) const { return (fBits >> r) & 1; }
  constexpr void Include(TRootKey r) { fBits = std::uint8_t(fBits | (1u << r)); }
  constexpr void Exclude(TRootKey r) { fBits = std::uint8_t(fBits & ~(1u << r)); }
  constexpr std::uint8_t Bits() const { return fBits; }
  constexpr bool operator==(const TRootKeySet&) const = default;

 private:
  std::uint8_t fBits = 0;
};

struct TRootInfo {
  TRootKey fMember;
  TKeyHandle fHandle;
  const char16_t* fName;
  const char16_t* fShortName;  // "HKCU" and so on
};

inline constexpr TKeyHandle kHKCR = 0x80000000u;
inline constexpr TKeyHandle kHKCU = 0x80000001u;
inline constexpr TKeyHandle kHKLM = 0x80000002u;
inline constexpr TKeyHandle kHKU = 0x80000003u;
inline constexpr TKeyHandle kHKCC = 0x80000005u;

// The five roots in the order both searches visit them.
inline constexpr std::array<TRootInfo, 5> kSearchOrder{{
    {rHKCU, kHKCU, u"HKEY_CURRENT_USER", u"HKCU"},
    {rHKLM, kHKLM, u"HKEY_LOCAL_MACHINE", u"HKLM"},
    {rHKU, kHKU, u"HKEY_USERS", u"HKU"},
    {rHKCC, kHKCC, u"HKEY_CURRENT_CONFIG", u"HKCC"},
    {rHKCR, kHKCR, u"HKEY_CLASSES_ROOT", u"HKCR"},
}};

// The name text of a root handle; nullptr for a handle that is not one of the five.
const char16_t* RootName(TKeyHandle vRoot);
// The root whose name text or short name equals vName (letters a-z folded); nullptr when
// none.
const TRootInfo* RootByName(TTextView vName);

enum TStatus : std::uint8_t { stReady, stWorking, stStopped, stOverflow, stFinished };

// Value type numbers.
enum : std::uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegDwordBigEndian = 5,
  kRegLink = 6,
  kRegMultiSz = 7,
  kRegResourceList = 8,
  kRegFullResourceDescriptor = 9,
  kRegResourceRequirementsList = 10,
  kRegQword = 11,
};

// One hit. Emphasis spans count from 1 and are shown only when start and length are both > 0.
class TResult {
 public:
  TResult(TText vKeyStr, TText vValStr, TText vDatStr, std::int32_t vKeyStart,
          std::int32_t vValStart, std::int32_t vDatStart, std::int32_t vKeyLen,
          std::int32_t vValLen, std::int32_t vDatLen, TKeyHandle vRoot)
      : froot(vRoot),
        fKeyStr(std::move(vKeyStr)),
        fValStr(std::move(vValStr)),
        fDatStr(std::move(vDatStr)),
        fKeyStart(vKeyStart),
        fValStart(vValStart),
        fDatStart(vDatStart),
        fKeyLen(vKeyLen),
        fValLen(vValLen),
        fDatLen(vDatLen) {}

  TKeyHandle froot;
  TText fKeyStr;
  TText fValStr;
  TText fDatStr;
  std::int32_t fKeyStart;
  std::int32_t fValStart;
  std::int32_t fDatStart;
  std::int32_t fKeyLen;
  std::int32_t fValLen;
  std::int32_t fDatLen;
  std::uint64_t fModified = 0;  // the key's last-write time (a FILETIME number); 0: unknown
};

// The placeholder of the simple search for a value name or data that took no part: two
// EM DASH characters.
inline constexpr char16_t kNoPart[] = u"\u2014\u2014";

// The search the hits come from; it decides which hits stand for their key alone.
enum THitsFrom {
  hfSimple,       // a key hit: key emphasis, the placeholder as value name and data
  hfCriteria,     // with value or data criteria: every hit is a value
  hfKeyCriteria,  // key criteria only: every hit is a key
};

// True when vHit stands for its key alone (no value) in a search of kind vFrom.
bool IsKeyHit(const TResult& vHit, THitsFrom vFrom);

// Found callback: one hit, the callee's to keep. Runs on the GUI thread while the search
// thread waits for it to return.
using TFoundProc = std::function<void(TResult vHit)>;

// Progress callback: keys entered so far, hits reported so far. Runs on the GUI thread while
// the search thread waits.
using TProgProc = std::function<void(std::int32_t total, std::int32_t count)>;

}  // namespace corvane
