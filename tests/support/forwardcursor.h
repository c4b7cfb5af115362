// A cursor that passes every operation to another one; tests derive from it and change the
// few operations they need.
#pragma once

#include <memory>

#include "search/registry.h"

namespace corvane::test {

class TForwardCursor : public TRegCursor {
 public:
  explicit TForwardCursor(std::unique_ptr<TRegCursor> vInner) : fIn(std::move(vInner)) {}

  void SelectRoot(TKeyHandle r) override { fIn->SelectRoot(r); }
  void CloseKey() override { fIn->CloseKey(); }
  bool OpenRead(TTextView p) override { return fIn->OpenRead(p); }
  bool OpenSubkeyRead(TTextView n) override { return fIn->OpenSubkeyRead(n); }
  void CloseSubkey() override { fIn->CloseSubkey(); }
  std::vector<TText> SubkeyNames() override { return fIn->SubkeyNames(); }
  std::vector<TText> ValueNames() override { return fIn->ValueNames(); }
  bool QueryValue(TTextView n, std::uint32_t& t, std::uint32_t& s) override {
    return fIn->QueryValue(n, t, s);
  }
  bool ReadValue(TTextView n, std::uint8_t* b, std::uint32_t& t, std::uint32_t& s) override {
    return fIn->ReadValue(n, b, t, s);
  }
  bool ListValues(TValueList& l, bool d) override { return fIn->ListValues(l, d); }
  bool OpenFull(TTextView p) override { return fIn->OpenFull(p); }
  bool OpenReadAccess(TTextView p) override { return fIn->OpenReadAccess(p); }
  bool CreateSubkey(TTextView n) override { return fIn->CreateSubkey(n); }
  void WriteText(TTextView n, TTextView t) override { fIn->WriteText(n, t); }
  TText ReadText(TTextView n) override { return fIn->ReadText(n); }
  std::uint32_t ReadNumber(TTextView n) override { return fIn->ReadNumber(n); }
  bool KeyExists(TTextView p) override { return fIn->KeyExists(p); }
  bool DeleteKey(TTextView p) override { return fIn->DeleteKey(p); }
  bool RootKeyInfo(TKeyHandle r, TKeyInfo& i) override { return fIn->RootKeyInfo(r, i); }
  bool OpenKeyInfo(TKeyInfo& i) override { return fIn->OpenKeyInfo(i); }
  bool KeyWriteTime(std::uint64_t& t) override { return fIn->KeyWriteTime(t); }

 protected:
  std::unique_ptr<TRegCursor> fIn;
};

// Cursors that list the values by name, size query and read, one value after the other:
// the listing the one-pass backends must agree with.
TCursorFactory ByNameCursors(TCursorFactory vInner);
// Cursors whose value listing marks every value named vName (any key) unreadable, as when
// its data cannot be read.
TCursorFactory UnreadableCursors(TCursorFactory vInner, const TText& vName);

}  // namespace corvane::test
