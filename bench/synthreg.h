// A large, deterministic in-memory registry for benchmarks: a tree of keys with values of
// mixed types and sizes, shaped roughly like a real machine's registry.
#pragma once

#include <cstdint>

#include "search/memregistry.h"

namespace corvane::bench {

struct TSynthShape {
  std::uint32_t fKeys = 200000;
  std::uint32_t fValues = 1050000;  // a few land on an existing default value
  std::uint32_t fSeed = 12345;
};

void FillSynthetic(TMemRegistry& vReg, const TSynthShape& vShape);

}  // namespace corvane::bench
