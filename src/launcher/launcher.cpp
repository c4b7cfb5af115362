#include "launcher/launcher.h"

#include <chrono>
#include <thread>

namespace corvane {
namespace {

// The editor's tree shows the root keys below an item of this name.
constexpr char16_t kMyComputer[] = u"My Computer";

TTextView Trim(TTextView vText) {
  while (!vText.empty() && vText.front() <= u' ') vText.remove_prefix(1);
  while (!vText.empty() && vText.back() <= u' ') vText.remove_suffix(1);
  return vText;
}

class TSystemClock final : public TLaunchClock {
 public:
  void Sleep(int vMs) override { std::this_thread::sleep_for(std::chrono::milliseconds(vMs)); }
};

// Calls the channel's Release when the launch ends, however it ends.
class TReleaseAtEnd {
 public:
  explicit TReleaseAtEnd(TEditorChannel& vChannel) : fChannel(vChannel) {}
  ~TReleaseAtEnd() { fChannel.Release(); }
  TReleaseAtEnd(const TReleaseAtEnd&) = delete;
  TReleaseAtEnd& operator=(const TReleaseAtEnd&) = delete;

 private:
  TEditorChannel& fChannel;
};

}  // namespace

TLaunchClock& SystemClock() {
  static TSystemClock clock;
  return clock;
}

std::vector<TText> SplitKeyPath(TTextView vKeyPath, const TLocaleCompare& vCompare) {
  std::vector<TText> components;
  TTextView rest = vKeyPath;
  do {
    const std::size_t cut = rest.find(u'\\');
    TTextView component = rest.substr(0, cut);
    rest = cut == TTextView::npos ? TTextView() : rest.substr(cut + 1);
    component = Trim(component);
    rest = Trim(rest);
    if (!components.empty() || !vCompare.Same(component, kMyComputer))
      components.emplace_back(component);
  } while (!rest.empty());
  return components;
}

TEditorItem FindChild(TEditorChannel& vChannel, TEditorItem vParent, TTextView vName,
                      const TLocaleCompare& vCompare) {
  for (TEditorItem item = vChannel.FirstChild(vParent); item != 0;
       item = vChannel.NextSibling(item))
    if (vCompare.Same(vChannel.ItemText(item), vName)) return item;
  return 0;
}

bool WalkKeyPath(TEditorChannel& vChannel, const std::vector<TText>& vComponents,
                 const TLocaleCompare& vCompare) {
  TEditorItem item = vChannel.Root();
  // An editor without a tree has no item to start from.
  if (item == 0) return vComponents.empty();
  vChannel.SelectItem(item);
  vChannel.ExpandItem(item);
  for (std::size_t i = 0; i < vComponents.size(); ++i) {
    item = FindChild(vChannel, item, vComponents[i], vCompare);
    if (item == 0) return false;
    vChannel.SelectItem(item);
    if (i + 1 < vComponents.size()) vChannel.ExpandItem(item);
  }
  return true;
}

bool SelectValueOnce(TEditorChannel& vChannel, TTextView vValueName, const TLocaleCompare& vCompare,
                     TLaunchClock& vClock) {
  if (vChannel.SelectedCount() > 0)
    for (int row = vChannel.NextRow(-1, true); row != -1; row = vChannel.NextRow(row, true))
      vChannel.SetRowSelected(row, false);
  if (vChannel.RowCount() < 1) return false;
  int target = -1;
  for (int row = vChannel.NextRow(-1, false); row != -1 && target == -1;
       row = vChannel.NextRow(row, false)) {
    // Row 0 is the key's default value, whatever text it shows; a named value is never there.
    if (row == 0) {
      if (vValueName.empty()) target = row;
    } else if (vCompare.Same(vChannel.RowText(row), vValueName)) {
      target = row;
    }
  }
  if (target == -1) return false;
  vClock.Sleep(kSelectPauseMs);
  vChannel.SetRowSelected(target, true);
  vChannel.EnsureVisible(target);
  vChannel.FocusList();
  return true;
}

bool SelectValue(TEditorChannel& vChannel, TTextView vValueName, const TLocaleCompare& vCompare,
                 TLaunchClock& vClock) {
  for (int attempt = 0; attempt < kValueAttempts; ++attempt) {
    if (SelectValueOnce(vChannel, vValueName, vCompare, vClock)) return true;
    vClock.Sleep(kAttemptPauseMs);
  }
  return false;
}

TLaunchResult LaunchRegedit(TEditorChannel& vChannel, TTextView vKeyPath,
                            std::optional<TTextView> vValueName, const TLocaleCompare& vCompare,
                            TLaunchClock& vClock) {
  const TReleaseAtEnd release(vChannel);
  if (!vChannel.FindOrStart()) return lrNoEditor;
  if (vKeyPath.empty()) return lrDone;
  if (!vChannel.ObtainBuffers()) return lrNoBuffers;
  if (!WalkKeyPath(vChannel, SplitKeyPath(vKeyPath, vCompare), vCompare)) return lrNoKey;
  if (vValueName && !SelectValue(vChannel, *vValueName, vCompare, vClock)) return lrNoValue;
  return lrDone;
}

}  // namespace corvane
