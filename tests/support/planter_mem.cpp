#include "search/memregistry.h"
#include "support/planter.h"

namespace corvane::test {
namespace {

class TMemPlanter final : public TPlanter {
 public:
  TMemPlanter() {
    fBase = u"Software\\CorvaneTest";
    fReg.Key(kHKCU, fBase);
  }
  void Key(TTextView vPath) override { fReg.Key(kHKCU, Full(vPath)); }
  void Value(TTextView vPath, TTextView vName, std::uint32_t vType,
             const std::vector<std::uint8_t>& vData) override {
    fReg.SetValue(kHKCU, Full(vPath), vName, vType, vData);
  }
  void RemoveKey(TTextView vPath) override { fReg.RemoveTree(kHKCU, Full(vPath)); }
  TCursorFactory Cursors() override { return fReg.Factory(); }
  const char* Name() const override { return "memory"; }

 private:
  TText Full(TTextView vPath) const { return vPath.empty() ? fBase : fBase + u"\\" + TText(vPath); }
  TMemRegistry fReg;
};

}  // namespace

std::unique_ptr<TPlanter> NewMemPlanter() { return std::make_unique<TMemPlanter>(); }

#ifndef _WIN32
std::unique_ptr<TPlanter> NewWin32Planter() { return nullptr; }
#endif

std::vector<std::string> BackendNames() {
#ifdef _WIN32
  return {"memory", "win32"};
#else
  return {"memory"};
#endif
}

std::vector<std::string> ReadableBackendNames() {
  std::vector<std::string> names = BackendNames();
  names.push_back("hive");
  return names;
}

std::unique_ptr<TPlanter> NewPlanter(const std::string& vBackend) {
  if (vBackend == "hive") return NewHivePlanter();
  return vBackend == "win32" ? NewWin32Planter() : NewMemPlanter();
}

}  // namespace corvane::test
