// Regular expressions over registry text: PCRE2 with 16-bit code units, so names and data
// are matched as the UTF-16 they are, without conversion. A pattern is compiled once per
// search (with PCRE2's JIT where the platform has it) and shared read-only; each thread that
// matches owns a TRegexMatcher with its match data, limits and JIT stack.
#pragma once

#include <cstdint>
#include <memory>

#include "text/text.h"

struct pcre2_real_code_16;
struct pcre2_real_match_data_16;
struct pcre2_real_match_context_16;
struct pcre2_real_jit_stack_16;

namespace corvane {

// A compiled pattern. A match anywhere in the text counts; ^ and $ anchor. Text that is not
// valid UTF-16 (a lone surrogate) is matched all the same: such a unit matches nothing.
class TRegex {
 public:
  // Compiles vPattern, without regard to case when vCaseless. Valid() tells whether it did.
  TRegex(TTextView vPattern, bool vCaseless);

  bool Valid() const { return fCode != nullptr; }
  // Why the pattern does not compile: PCRE2's message and where it stopped, as in "missing
  // closing parenthesis at offset 4" (code units from 0). Empty when valid.
  const TText& Error() const { return fError; }

 private:
  friend class TRegexMatcher;
  std::shared_ptr<pcre2_real_code_16> fCode;
  bool fTimed = false;  // compiled with the callout that watches the time per text
  TText fError;
};

// The compile error of vPattern as RegexError gives it; empty when the pattern compiles.
TText RegexError(TTextView vPattern);

enum TRegexResult : std::uint8_t {
  rrNoMatch,
  rrMatch,
  rrTooCostly,  // stopped by the match, depth or time limit: neither a match nor a non-match
};

// What one thread matches with, made once per thread: match data, a match context with the
// match and depth limits, a JIT stack. Not shared between threads.
class TRegexMatcher {
 public:
  TRegexMatcher();
  ~TRegexMatcher();
  TRegexMatcher(const TRegexMatcher&) = delete;
  TRegexMatcher& operator=(const TRegexMatcher&) = delete;

  // Looks for the first match of vRegex (which must be valid) in vText. On rrMatch, vStart
  // (from 1) and vLen give its span in UTF-16 code units; a match may be empty (vLen 0).
  TRegexResult Find(const TRegex& vRegex, TTextView vText, std::int32_t& vStart,
                    std::int32_t& vLen);

 private:
  pcre2_real_match_data_16* fData = nullptr;
  pcre2_real_match_context_16* fContext = nullptr;
  pcre2_real_jit_stack_16* fJitStack = nullptr;
};

}  // namespace corvane
