// The registry editor launcher: finds or starts the system registry editor, walks its key
// tree down to a key and selects a value's row in its value list.
//
// The portable part here does the path splitting, the tree walk, the value selection with its
// attempts and waits, and the result codes. It steers the editor through TEditorChannel (the
// editor's tree and list; launcher_win32.h has the cross-process one) and waits through
// TLaunchClock.
//
// Contract:
// - LaunchRegedit runs on the GUI thread and blocks it until its end: a started editor may
//   take the channel up to a second to become idle, and a value that is not in the list costs
//   25 attempts 200 ms apart.
// - Every end of a launch, an exception from the channel included, calls the channel's
//   Release exactly once; an exception then travels on to the caller.
// - No failure shows a message: the result code says how far the launch got, and the editor
//   stays as far as it got (the key's ancestors selected, no value row selected).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "text/compare.h"
#include "text/text.h"

namespace corvane {

// Result codes of a launch.
enum TLaunchResult : int {
  lrDone = 0,       // the editor is in front with the key and value selected (if given)
  lrNoEditor = 1,   // no editor window could be found or started
  lrNoBuffers = 2,  // the exchange buffers in the editor's process were not obtained
  lrNoKey = 3,      // a component of the key path is not in the editor's tree
  lrNoValue = 4,    // the value's row was not found in any attempt
};

// A tree item of the editor's key tree; 0 is none.
using TEditorItem = std::uint64_t;

inline constexpr int kValueAttempts = 25;
inline constexpr int kAttemptPauseMs = 200;  // after every failed attempt
inline constexpr int kSelectPauseMs = 100;   // before the found row is selected

// The editor's key tree and value list, as the launch steers them.
class TEditorChannel {
 public:
  virtual ~TEditorChannel() = default;

  // Finds a running editor or starts one and brings it to the front; false when no editor
  // window is known afterwards.
  [[nodiscard]] virtual bool FindOrStart() = 0;
  // Obtains what the record-carrying messages need in the editor's process; false on failure.
  [[nodiscard]] virtual bool ObtainBuffers() = 0;
  // Lets go of everything the launch holds (buffers, process handle). Called once at every
  // end of a launch; must not throw.
  virtual void Release() noexcept = 0;

  // The tree. Each returns 0 when there is no such item.
  virtual TEditorItem Root() = 0;
  virtual TEditorItem FirstChild(TEditorItem vParent) = 0;
  virtual TEditorItem NextSibling(TEditorItem vItem) = 0;
  virtual TText ItemText(TEditorItem vItem) = 0;
  // Makes the item the caret (selected) item.
  virtual void SelectItem(TEditorItem vItem) = 0;
  virtual void ExpandItem(TEditorItem vItem) = 0;

  // The list. Rows count from 0; -1 is none.
  virtual int SelectedCount() = 0;
  virtual int RowCount() = 0;
  // The next row after vRow (-1: from the start); with vSelected only selected rows.
  virtual int NextRow(int vRow, bool vSelected) = 0;
  virtual TText RowText(int vRow) = 0;
  // Sets (true) or clears (false) the row's selected and focused states together.
  virtual void SetRowSelected(int vRow, bool vSelected) = 0;
  // Scrolls the whole row into view.
  virtual void EnsureVisible(int vRow) = 0;
  // Gives the list the keyboard focus.
  virtual void FocusList() = 0;
};

// The launch's waits.
class TLaunchClock {
 public:
  virtual ~TLaunchClock() = default;
  virtual void Sleep(int vMs) = 0;
};

// The clock of the running system (std::this_thread::sleep_for).
TLaunchClock& SystemClock();

// The components of a key path: split at every backslash, each component trimmed of the
// characters up to U+0020 at both ends; leading "My Computer" components (by vCompare) are
// dropped; empty components elsewhere are kept (they match no item); a trailing backslash
// adds none.
std::vector<TText> SplitKeyPath(TTextView vKeyPath, const TLocaleCompare& vCompare);

// The child of vParent whose text equals vName by vCompare, the first in the tree's order;
// 0 when there is none.
TEditorItem FindChild(TEditorChannel& vChannel, TEditorItem vParent, TTextView vName,
                      const TLocaleCompare& vCompare);

// Selects and expands the root item, then each component's item in turn (the last one is
// selected, not expanded). False when a component is not found; the items down to the last
// one found stay selected and expanded.
[[nodiscard]] bool WalkKeyPath(TEditorChannel& vChannel, const std::vector<TText>& vComponents,
                               const TLocaleCompare& vCompare);

// One attempt: clears the selected rows, finds the value's row (row 0 for the empty name,
// and only for it), selects it, makes it visible and focuses the list.
[[nodiscard]] bool SelectValueOnce(TEditorChannel& vChannel, TTextView vValueName,
                                   const TLocaleCompare& vCompare, TLaunchClock& vClock);

// Up to kValueAttempts attempts, kAttemptPauseMs after each failed one.
[[nodiscard]] bool SelectValue(TEditorChannel& vChannel, TTextView vValueName,
                               const TLocaleCompare& vCompare, TLaunchClock& vClock);

// One launch through vChannel. An empty key path only finds or starts the editor; no value
// name (std::nullopt) selects the key alone, with no value row.
[[nodiscard]] TLaunchResult LaunchRegedit(TEditorChannel& vChannel, TTextView vKeyPath,
                                          std::optional<TTextView> vValueName,
                                          const TLocaleCompare& vCompare, TLaunchClock& vClock);

}  // namespace corvane
