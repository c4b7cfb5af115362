// Criteria of the Advanced search as the window hands them to the search thread: three lists,
// one entry per criterion row, each box combined with "any" or "all".
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "search/regexmatch.h"
#include "search/types.h"
#include "text/text.h"

namespace corvane {

// Match types: a criterion's match type is its index here. Every box offers all of them
// except "data type is", which only data rows offer.
enum TMatchType : std::int32_t {
  mtContains = 0,
  mtEquals = 1,
  mtNotContains = 2,
  mtNotEquals = 3,
  mtDataType = 4,
  mtRegex = 5,     // the text is a regular expression that matches somewhere in the text
  mtNotRegex = 6,  // ... that matches nowhere in it
};
inline constexpr std::array<const char16_t*, 7> kMatchTypeTexts = {
    u"contains",     u"equals",          u"does not contain",      u"does not equal",
    u"data type is", u"matches (regex)", u"does not match (regex)"};

inline bool IsRegexMatch(std::int32_t vMatch) { return vMatch == mtRegex || vMatch == mtNotRegex; }

// Data types of "data type is", by index; the test compares index - 3 with the value's type
// number and with its type class (-3 text, -2 number, -1 everything else).
inline constexpr std::array<const char16_t*, 14> kDataTypeTexts = {
    u"Text data",     u"Number data",      u"Binary data",
    u"REG_NONE",      u"REG_SZ",           u"REG_EXPAND_SZ",
    u"REG_BINARY",    u"REG_DWORD",        u"REG_DWORD_BIG_ENDIAN",
    u"REG_LINK",      u"REG_MULTI_SZ",     u"REG_RESOURCE_LIST",
    u"REG_FULL_RESOURCE_DESCRIPTOR", u"REG_RESOURCE_REQUIREMENTS_LIST"};

// -3 for REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ; -2 for the two DWORD types; -1 otherwise.
std::int32_t TypeClass(std::uint32_t vType);

// One parsed data criterion.
class TDatCrit {
 public:
  TDatCrit(const TText& S, std::int32_t vType, std::int32_t vDataType);

  std::int32_t fType;   // match type index 0 to 6
  std::int32_t fInt;    // the text's number (types 0-3), or the data type index (type 4)
  bool fHasInt;         // the text reads as a number (types 0-3); false for the others
  // The compiled pattern of a regex row (types 5 and 6), with the data case rule; the search
  // thread compiles it when it takes the criteria.
  std::shared_ptr<const TRegex> fRegex;
};

// A key-name or value-name criterion: the row's text with a-z upper-cased (a regex row's
// pattern as typed), and its match type.
struct TNameCrit {
  TText fText;
  std::int32_t fMatch;
  std::shared_ptr<const TRegex> fRegex = nullptr;  // a regex row's pattern, compiled by the search thread
};
using TNameCritList = std::vector<TNameCrit>;

// A value-data criterion: the row's text as typed, and its parsed form, owned by the list.
struct TDatCritEntry {
  TText fText;
  std::unique_ptr<TDatCrit> fCrit;
};
using TDatCritList = std::vector<TDatCritEntry>;

// The row kinds of the three boxes.
enum TCritKind : std::int32_t { ckKey = 1, ckValue = 2, ckData = 3 };

// The criteria of one Advanced search as the search takes them: a list per box (an empty
// list places no condition), each box combined with "any" (false) or "all", the case rule of
// the data rows and the roots to walk.
struct TComplexCriteria {
  TNameCritList fKeyCrit;
  TNameCritList fValCrit;
  TDatCritList fDatCrit;
  bool fKeyAll = false;
  bool fValAll = false;
  bool fDatAll = false;
  bool fDatCase = false;
  TRootKeySet fRoots = TRootKeySet::All();
  // The result rows show value lines when there are value-name rows, data lines when there
  // are value-data rows.
  bool RsltVal() const { return !fValCrit.empty(); }
  bool RsltDat() const { return !fDatCrit.empty(); }
};

// Whether a criterion row is complete enough to search with. vMatch < 0: none selected. A
// regex row needs a pattern that compiles.
bool CritRowValid(TCritKind vKind, std::int32_t vMatch, const TText& vText);
// Why a regex row's pattern does not compile (PCRE2's message and offset); empty for a
// pattern that compiles, an empty pattern and every other match type.
TText CritRowError(std::int32_t vMatch, const TText& vText);

// The encoding of one row for the thread.
TNameCrit EncodeNameCrit(const TText& vText, std::int32_t vMatch);
TDatCritEntry EncodeDatCrit(const TText& vText, std::int32_t vMatch, std::int32_t vDataType);

}  // namespace corvane
