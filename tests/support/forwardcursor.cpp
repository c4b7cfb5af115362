#include "support/forwardcursor.h"

namespace corvane::test {
namespace {

class TByNameCursor final : public TForwardCursor {
 public:
  using TForwardCursor::TForwardCursor;
  bool ListValues(TValueList& l, bool d) override { return TRegCursor::ListValues(l, d); }
};

class TUnreadableCursor final : public TForwardCursor {
 public:
  TUnreadableCursor(std::unique_ptr<TRegCursor> vInner, const TText& vName)
      : TForwardCursor(std::move(vInner)), fName(vName) {}
  bool ListValues(TValueList& l, bool d) override {
    const bool ok = fIn->ListValues(l, d);
    for (auto& e : l.fValues)
      if (e.fName == fName) {
        e.fReadable = false;
        e.fSize = 0;
      }
    return ok;
  }

 private:
  TText fName;
};

}  // namespace

TCursorFactory ByNameCursors(TCursorFactory vInner) {
  return [vInner] { return std::make_unique<TByNameCursor>(vInner()); };
}

TCursorFactory UnreadableCursors(TCursorFactory vInner, const TText& vName) {
  return [vInner, vName] { return std::make_unique<TUnreadableCursor>(vInner(), vName); };
}

}  // namespace corvane::test
