// Hits in the live registry for the export benchmark (Windows only): values planted below a
// key of the benchmark's own under HKEY_CURRENT_USER, removed again when it ends.
#pragma once

#include <cstdint>
#include <vector>

#include "search/registry.h"
#include "search/types.h"

namespace corvane::bench {

class TLivePlant {
 public:
  // vCount values, 10 to a key, each reported as a value hit as the simple search would.
  explicit TLivePlant(std::uint32_t vCount);
  ~TLivePlant();
  TLivePlant(const TLivePlant&) = delete;
  TLivePlant& operator=(const TLivePlant&) = delete;

  const std::vector<TResult>& Hits() const { return fHits; }
  TCursorFactory Cursors() const;

 private:
  std::vector<TResult> fHits;
};

}  // namespace corvane::bench
