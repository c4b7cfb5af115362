#include "ui/main/regeditcmd.h"

namespace corvane {

TRegeditTarget RegeditTarget(const TText& vDetailKey, const TText& vDetailValue,
                             const std::vector<TResult>& vResults, std::int32_t vPageBeg,
                             std::int32_t vRow, THitsFrom vFrom) {
  if (!vDetailKey.empty()) return {vDetailKey, vDetailValue};
  if (vRow < 0 || vPageBeg < 0) return {};
  const std::size_t at = std::size_t(vPageBeg) + std::size_t(vRow);
  if (at >= vResults.size()) return {};
  const TResult& hit = vResults[at];
  // A key hit names no value: its value place holds a placeholder, not a name.
  if (IsKeyHit(hit, vFrom)) return {hit.fKeyStr, TText(), true};
  return {hit.fKeyStr, hit.fValStr};
}

}  // namespace corvane
