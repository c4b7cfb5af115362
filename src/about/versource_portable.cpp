#include "about/verres.h"

namespace corvane {
namespace {

// Off Windows no file carries a version resource that the platform could read.
class TNoVerSource final : public TVerSource {
 public:
  std::uint32_t InfoSize(const TText&) const override { return 0; }
  bool ReadInfo(const TText&, std::span<std::uint8_t>) const override { return false; }
};

}  // namespace

const TVerSource& PlatformVerSource() {
  static const TNoVerSource source;
  return source;
}

}  // namespace corvane
