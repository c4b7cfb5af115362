#include "export/reghits.h"

#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "search/regexport.h"

namespace corvane {
namespace {

bool HasLineBreak(TTextView vText) {
  return vText.find_first_of(u"\r\n") != TTextView::npos;
}

// Registry spellings of lowered key paths below one root, from the parents' subkey lists
// (each parent is listed once).
class TSpellings {
 public:
  explicit TSpellings(TRegCursor& vCursor) : fCursor(vCursor) {}

  // The path below the root as the registry spells it, or false when a key on it is gone.
  bool Spell(TKeyHandle vRoot, TTextView vLowered, TText& vReal) {
    vReal.clear();
    TText lowered;
    std::size_t at = 0;
    while (at < vLowered.size()) {
      std::size_t end = vLowered.find(u'\\', at);
      if (end == TTextView::npos) end = vLowered.size();
      const TText parentLowered = lowered;
      if (!lowered.empty()) lowered += u'\\';
      lowered += vLowered.substr(at, end - at);
      auto& known = fKnown[vRoot];
      auto it = known.find(lowered);
      if (it == known.end() && fListed[vRoot].insert(parentLowered).second) {
        fCursor.SelectRoot(vRoot);
        if (fCursor.OpenRead(u"\\" + vReal)) {
          for (const TText& name : fCursor.SubkeyNames()) {
            const TText child =
                parentLowered.empty() ? LowerAZ(name) : parentLowered + u'\\' + LowerAZ(name);
            known.emplace(child, vReal.empty() ? name : vReal + u'\\' + name);
          }
        }
        it = known.find(lowered);
      }
      if (it == known.end()) return false;
      vReal = it->second;
      at = end + 1;
    }
    return true;
  }

 private:
  TRegCursor& fCursor;
  std::unordered_map<TKeyHandle, std::unordered_map<TText, TText>> fKnown;
  std::unordered_map<TKeyHandle, std::unordered_set<TText>> fListed;
};

// The value's type and data, read afresh; a value that grows between the size query and the
// read is queried again.
bool ReadFresh(TRegCursor& vCursor, const TText& vName, TMemValue& vValue) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::uint32_t type = 0, size = 0;
    if (!vCursor.QueryValue(vName, type, size)) return false;
    vValue.fData.assign(size, 0);
    if (vCursor.ReadValue(vName, vValue.fData.data(), type, size)) {
      vValue.fName = vName;
      vValue.fType = type;
      vValue.fData.resize(size);
      return true;
    }
  }
  return false;
}

struct TKeyHits {
  TKeyHandle fRoot;
  TText fBelow;                // the lowered path below the root
  std::vector<TText> fValues;  // hit value names, each once
  std::unordered_set<TText> fSeen;
};

}  // namespace

TRegHitsExport RegExportOfHits(const std::vector<TResult>& vHits, THitsFrom vFrom,
                               const TCursorFactory& vCursors, const TText& vSingleRoot) {
  TRegHitsExport out;
  // The hit keys in the order the hits first name them.
  std::vector<TKeyHits> keys;
  std::unordered_map<TText, std::size_t> index;  // full lowered path -> position in keys
  for (const TResult& hit : vHits) {
    const char16_t* rootName = vSingleRoot.empty() ? RootName(hit.froot) : vSingleRoot.c_str();
    const TTextView full = hit.fKeyStr;
    const TTextView name = rootName ? TTextView(rootName) : TTextView();
    if (!rootName || !full.starts_with(name) ||
        (full.size() > name.size() && full[name.size()] != u'\\')) {
      ++out.fGone;  // not a path of its root: nothing to read it by
      continue;
    }
    auto [at, fresh] = index.try_emplace(hit.fKeyStr, keys.size());
    if (fresh) {
      const TTextView below =
          full.size() > name.size() ? full.substr(name.size() + 1) : TTextView();
      keys.push_back(TKeyHits{hit.froot, TText(below), {}, {}});
    }
    TKeyHits& key = keys[at->second];
    if (!IsKeyHit(hit, vFrom) && key.fSeen.insert(hit.fValStr).second)
      key.fValues.push_back(hit.fValStr);
  }

  std::unique_ptr<TRegCursor> cursor = vCursors();
  TSpellings spellings(*cursor);
  std::vector<TRegExportKey> written;
  for (const TKeyHits& key : keys) {
    TText real;
    if (!spellings.Spell(key.fRoot, key.fBelow, real)) {
      out.fGone += key.fValues.empty() ? 1 : key.fValues.size();
      continue;
    }
    TRegExportKey line;
    line.fPath = vSingleRoot.empty() ? TText(RootName(key.fRoot)) : vSingleRoot;
    if (!real.empty()) line.fPath += u'\\' + real;
    if (HasLineBreak(line.fPath)) {
      out.fUnwritable += key.fValues.empty() ? 1 : key.fValues.size();
      continue;
    }
    cursor->SelectRoot(key.fRoot);
    if (!cursor->OpenRead(u"\\" + real)) {
      out.fGone += key.fValues.empty() ? 1 : key.fValues.size();
      continue;
    }
    for (const TText& name : key.fValues) {
      TMemValue value;
      if (HasLineBreak(name)) {
        ++out.fUnwritable;
      } else if (ReadFresh(*cursor, name, value)) {
        line.fValues.push_back(std::move(value));
      } else {
        ++out.fGone;
      }
    }
    out.fValues += line.fValues.size();
    written.push_back(std::move(line));
  }
  out.fKeys = written.size();
  out.fBytes = SaveRegExportKeys(written);
  return out;
}

}  // namespace corvane
