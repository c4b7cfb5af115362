#include "search/regexmatch.h"

#include <pcre2.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <new>

namespace corvane {
namespace {

// Unicode rules for \w, \d, \b and case; a text with a lone surrogate is matched, not refused.
constexpr std::uint32_t kCompileOptions = PCRE2_UTF | PCRE2_UCP | PCRE2_MATCH_INVALID_UTF;

// The limits of one match. PCRE2 counts its match limit afresh at each start position, so a
// pattern that costs a little less than the limit at every position of a long text would
// still run for minutes; the time limit, checked by a callout at each start position,
// bounds the whole text.
constexpr std::uint32_t kMatchLimit = 1'000'000;
constexpr std::uint32_t kDepthLimit = 100'000;
constexpr auto kTimeLimit = std::chrono::milliseconds(1000);
constexpr std::uint32_t kStartCallout = 255;
constexpr std::size_t kJitStackMax = 4 * 1024 * 1024;
// No pattern needs more to compile. PCRE2 10.42 asks for 2^64 - 4 bytes on a start option
// cut off at the pattern's end, as in "(*LIMIT_MATCH=0": refused, it reports the pattern.
constexpr PCRE2_SIZE kMaxCompileMemory = 256 * 1024 * 1024;

void* BoundedAlloc(PCRE2_SIZE vSize, void*) {
  return vSize > kMaxCompileMemory ? nullptr : std::malloc(vSize);
}
void BoundedFree(void* vBlock, void*) {
  std::free(vBlock);
}

// Shared by every compile; PCRE2 only reads it.
pcre2_compile_context_16* CompileContext() {
  static pcre2_general_context_16* const general =
      pcre2_general_context_create_16(BoundedAlloc, BoundedFree, nullptr);
  static pcre2_compile_context_16* const context = pcre2_compile_context_create_16(general);
  return context;
}

PCRE2_SPTR16 Units(TTextView vText) {
  static const char16_t kEmpty = 0;
  return reinterpret_cast<PCRE2_SPTR16>(vText.empty() ? &kEmpty : vText.data());
}

pcre2_code_16* Compile(TTextView vPattern, std::uint32_t vOptions, int& vError,
                       PCRE2_SIZE& vOffset) {
  return pcre2_compile_16(Units(vPattern), vPattern.size(), vOptions, &vError, &vOffset,
                          CompileContext());
}

// The start-of-pattern options, as in (*UCP) or (*LIMIT_MATCH=100), that lead vPattern: they
// stay in front of the callout. The backtracking verbs (*ACCEPT) and so on are no options.
std::size_t LeadingOptions(TTextView vPattern) {
  static constexpr std::array<TTextView, 7> kVerbs = {u"ACCEPT", u"FAIL", u"F",   u"COMMIT",
                                                      u"PRUNE",  u"SKIP", u"THEN"};
  std::size_t at = 0;
  while (vPattern.substr(at, 2) == u"(*") {
    std::size_t end = at + 2;
    while (end < vPattern.size() &&
           ((vPattern[end] >= u'A' && vPattern[end] <= u'Z') || vPattern[end] == u'_'))
      ++end;
    const TTextView name = vPattern.substr(at + 2, end - at - 2);
    if (end < vPattern.size() && vPattern[end] == u'=') {
      ++end;
      while (end < vPattern.size() && vPattern[end] >= u'0' && vPattern[end] <= u'9') ++end;
    }
    if (name.empty() || end >= vPattern.size() || vPattern[end] != u')') break;
    bool verb = false;
    for (TTextView v : kVerbs) verb = verb || name == v;
    if (verb) break;
    at = end + 1;
  }
  return at;
}

// The clock is read every 64 start positions only, the first time at the 64th: most texts
// end before that, and cost no reading of the clock at all.
struct TTimeBudget {
  std::chrono::steady_clock::time_point fEnd;
  std::uint32_t fStarts = 0;
};

// Runs at every start position the matcher tries; gives the text up once its time is spent.
int OnStart(pcre2_callout_block_16* vBlock, void* vBudget) {
  if (vBlock->callout_number != kStartCallout) return 0;
  auto& budget = *static_cast<TTimeBudget*>(vBudget);
  if ((++budget.fStarts & 63) != 0) return 0;
  const auto now = std::chrono::steady_clock::now();
  if (budget.fStarts == 64) budget.fEnd = now + kTimeLimit;
  return now > budget.fEnd ? PCRE2_ERROR_CALLOUT : 0;
}

}  // namespace

TRegex::TRegex(TTextView vPattern, bool vCaseless) {
  const std::uint32_t options = kCompileOptions | (vCaseless ? PCRE2_CASELESS : 0u);
  int error = 0;
  PCRE2_SIZE offset = 0;
  // The pattern as given decides whether it compiles and where an error is.
  pcre2_code_16* plain = Compile(vPattern, options, error, offset);
  if (!plain) {
    std::array<PCRE2_UCHAR16, 256> message{};
    const int n = pcre2_get_error_message_16(error, message.data(), message.size());
    fError.assign(reinterpret_cast<const char16_t*>(message.data()), n > 0 ? std::size_t(n) : 0);
    fError += u" at offset " + DecimalText(static_cast<std::uint64_t>(offset));
    return;
  }
  // The same inside a group that a callout leads, so that the time limit is checked at every
  // start position. \E ends a \Q that runs to the end. Should the wrapped form not compile
  // (a # comment of extended mode running to the end), the pattern runs with PCRE2's limits
  // alone.
  const std::size_t lead = LeadingOptions(vPattern);
  TText wrapped(vPattern.substr(0, lead));
  wrapped += u"(?C255)(?:";
  wrapped += vPattern.substr(lead);
  wrapped += u"\\E)";
  pcre2_code_16* timed = Compile(wrapped, options, error, offset);
  pcre2_code_16* code = plain;
  if (timed) {
    pcre2_code_free_16(plain);
    code = timed;
    fTimed = true;
  }
  fCode.reset(code, [](pcre2_code_16* c) { pcre2_code_free_16(c); });
  // Without JIT (a platform it does not support, or no memory for it) the interpreter runs.
  (void)pcre2_jit_compile_16(code, PCRE2_JIT_COMPLETE);
}

TText RegexError(TTextView vPattern) {
  return TRegex(vPattern, true).Error();
}

TRegexMatcher::TRegexMatcher() {
  fData = pcre2_match_data_create_16(1, nullptr);
  fContext = pcre2_match_context_create_16(nullptr);
  fJitStack = pcre2_jit_stack_create_16(32 * 1024, kJitStackMax, nullptr);
  if (!fData || !fContext) {
    pcre2_jit_stack_free_16(fJitStack);
    pcre2_match_context_free_16(fContext);
    pcre2_match_data_free_16(fData);
    throw std::bad_alloc();
  }
  pcre2_set_match_limit_16(fContext, kMatchLimit);
  pcre2_set_depth_limit_16(fContext, kDepthLimit);
  // No stack of its own (no JIT here): JIT matching uses its small default stack.
  if (fJitStack) pcre2_jit_stack_assign_16(fContext, nullptr, fJitStack);
}

TRegexMatcher::~TRegexMatcher() {
  pcre2_jit_stack_free_16(fJitStack);
  pcre2_match_context_free_16(fContext);
  pcre2_match_data_free_16(fData);
}

TRegexResult TRegexMatcher::Find(const TRegex& vRegex, TTextView vText, std::int32_t& vStart,
                                 std::int32_t& vLen) {
  vStart = 0;
  vLen = 0;
  TTimeBudget budget;
  pcre2_set_callout_16(fContext, vRegex.fTimed ? &OnStart : nullptr, &budget);
  const int rc =
      pcre2_match_16(vRegex.fCode.get(), Units(vText), vText.size(), 0, 0, fData, fContext);
  if (rc == PCRE2_ERROR_NOMATCH) return rrNoMatch;
  // 0: a match whose groups did not fit the match data; only the whole match is wanted.
  if (rc < 0) return rrTooCostly;
  const PCRE2_SIZE* span = pcre2_get_ovector_pointer_16(fData);
  vStart = static_cast<std::int32_t>(span[0] + 1);
  // A match that ends before its start (\K where allowed) gets no emphasis.
  vLen = span[1] > span[0] ? static_cast<std::int32_t>(span[1] - span[0]) : 0;
  return rrMatch;
}

}  // namespace corvane
