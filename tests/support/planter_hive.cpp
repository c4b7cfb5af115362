#include <memory>

#include "search/hiveregistry.h"
#include "search/memregistry.h"
#include "support/forwardcursor.h"
#include "support/hivewriter.h"
#include "support/planter.h"

namespace corvane::test {
namespace {

// Test keys in a hive file: planted in an in-memory registry, whose HKEY_CURRENT_USER is
// written as a hive (the hive's root) whenever a cursor starts over after something was
// planted. Hives are read-only: only the read-only contract runs on them.
class THivePlanter final : public TPlanter {
 public:
  THivePlanter() {
    fBase = u"Software\\CorvaneTest";
    fReg.Key(kHKCU, fBase);
  }
  void Key(TTextView vPath) override {
    fReg.Key(kHKCU, Full(vPath));
    ++fGeneration;
  }
  void Value(TTextView vPath, TTextView vName, std::uint32_t vType,
             const std::vector<std::uint8_t>& vData) override {
    fReg.SetValue(kHKCU, Full(vPath), vName, vType, vData);
    ++fGeneration;
  }
  void RemoveKey(TTextView vPath) override {
    fReg.RemoveTree(kHKCU, Full(vPath));
    ++fGeneration;
  }
  TCursorFactory Cursors() override;
  const char* Name() const override { return "hive"; }

  // The hive of what is planted now.
  std::shared_ptr<const THiveRegistry> Snapshot() {
    if (!fHive || fHiveGeneration != fGeneration) {
      TText error;
      std::shared_ptr<THiveRegistry> hive = THiveRegistry::FromBytes(
          WriteHive(*fReg.Root(kHKCU)).fBytes, u"NTUSER.DAT", error);
      if (!hive) ADD_FAILURE() << ToUtf8(error);
      fHive = std::move(hive);
      fHiveGeneration = fGeneration;
    }
    return fHive;
  }
  std::uint64_t Generation() const { return fGeneration; }

 private:
  TText Full(TTextView vPath) const { return vPath.empty() ? fBase : fBase + u"\\" + TText(vPath); }

  TMemRegistry fReg;
  std::uint64_t fGeneration = 0;
  std::shared_ptr<const THiveRegistry> fHive;
  std::uint64_t fHiveGeneration = 0;
};

// A cursor on the planter's latest hive: each operation that starts from a root takes a new
// hive when something was planted since the last one (the keys held before are given up).
class TSnapshotCursor final : public TForwardCursor {
 public:
  explicit TSnapshotCursor(THivePlanter& vPlanter)
      : TForwardCursor(nullptr), fPlanter(vPlanter) {
    Renew();
  }

  void SelectRoot(TKeyHandle vRoot) override {
    fRoot = vRoot;
    Renew();
  }
  bool OpenRead(TTextView vPath) override {
    Renew();
    return fIn->OpenRead(vPath);
  }
  bool OpenReadAccess(TTextView vPath) override {
    Renew();
    return fIn->OpenReadAccess(vPath);
  }
  bool KeyExists(TTextView vPath) override {
    Renew();
    return fIn->KeyExists(vPath);
  }
  bool RootKeyInfo(TKeyHandle vRoot, TKeyInfo& vInfo) override {
    Renew();
    return fIn->RootKeyInfo(vRoot, vInfo);
  }

 private:
  void Renew() {
    if (fIn && fSeen == fPlanter.Generation()) return;
    fHive = fPlanter.Snapshot();
    fIn = fHive->NewCursor();
    fIn->SelectRoot(fRoot);
    fSeen = fPlanter.Generation();
  }

  THivePlanter& fPlanter;
  std::shared_ptr<const THiveRegistry> fHive;  // outlives the cursor on it
  std::uint64_t fSeen = 0;
  TKeyHandle fRoot = kHKCU;
};

TCursorFactory THivePlanter::Cursors() {
  return [this]() -> std::unique_ptr<TRegCursor> { return std::make_unique<TSnapshotCursor>(*this); };
}

}  // namespace

std::unique_ptr<TPlanter> NewHivePlanter() { return std::make_unique<THivePlanter>(); }

}  // namespace corvane::test
