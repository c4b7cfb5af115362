// The launcher's Win32 side (Windows only): the channel that finds or starts the system
// registry editor and steers its tree view and list view across processes.
//
// The editor is the top-level window of class "RegEdit_RegEdit"; its tree and list are the
// first descendants of the classes SysTreeView32 and SysListView32 (direct children on
// Windows, one level lower under Wine). Records that a message carries, and their text,
// live in three buffers allocated in the editor's process; the channel copies its local
// records in before such a message and back after it.
//
// Every message to the editor is sent with a timeout and SMTO_ABORTIFHUNG. Once one fails
// (the editor hangs, is gone, or refuses our messages) the channel sends nothing more in this
// launch: what it would have answered reads as "none".
#pragma once

#include <windows.h>
// after windows.h
#include <commctrl.h>

#include "launcher/launcher.h"
#include "win32/handles.h"

namespace corvane {

inline constexpr wchar_t kEditorClass[] = L"RegEdit_RegEdit";
// Close requests to old editors before a new one is started; an editor that is still there
// after them ends the launch.
inline constexpr int kCloseRequests = 8;
// Longest wait for one message to the editor.
inline constexpr UINT kEditorTimeoutMs = 5000;
// Longest wait for a started editor to take input, and for its window to appear.
inline constexpr DWORD kStartIdleMs = 1000;
inline constexpr ULONGLONG kStartWindowMs = 10000;

class TWin32EditorChannel final : public TEditorChannel {
 public:
  // vOwner becomes the parent of whatever the shell shows while it starts vRegEditExe.
  TWin32EditorChannel(HWND vOwner, TText vRegEditExe);
  ~TWin32EditorChannel() override;
  TWin32EditorChannel(const TWin32EditorChannel&) = delete;
  TWin32EditorChannel& operator=(const TWin32EditorChannel&) = delete;

  bool FindOrStart() override;
  bool ObtainBuffers() override;
  void Release() noexcept override;

  TEditorItem Root() override;
  TEditorItem FirstChild(TEditorItem vParent) override;
  TEditorItem NextSibling(TEditorItem vItem) override;
  TText ItemText(TEditorItem vItem) override;
  void SelectItem(TEditorItem vItem) override;
  void ExpandItem(TEditorItem vItem) override;

  int SelectedCount() override;
  int RowCount() override;
  int NextRow(int vRow, bool vSelected) override;
  TText RowText(int vRow) override;
  void SetRowSelected(int vRow, bool vSelected) override;
  void EnsureVisible(int vRow) override;
  void FocusList() override;

  HWND EditorWindow() const { return fEditor; }
  HWND TreeWindow() const { return fTree; }
  HWND ListWindow() const { return fList; }

  // Asks every editor window to close, with at most kCloseRequests requests; false when one
  // is still there afterwards or a request went unanswered (the editor hangs or does not take
  // our messages).
  [[nodiscard]] static bool CloseAllEditors();

 private:
  static constexpr int kTextChars = 260;

  // Opens the process of fEditor with the access the exchange needs; null when it cannot.
  HANDLE OpenEditorProcess() const;
  // Starts the editor and waits for it to take input; fProcess is its process.
  void StartEditor();
  // The message's answer, or vNone when it could not be sent or went unanswered.
  LRESULT Send(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam, LRESULT vNone = 0);
  bool Put(void* vRemote, const void* vLocal, std::size_t vSize);
  bool Get(const void* vRemote, void* vLocal, std::size_t vSize);
  TText TextBack();

  HWND fOwner;
  TText fRegEditExe;
  HWND fEditor = nullptr, fTree = nullptr, fList = nullptr;
  TOwnedHandle fProcess;
  void* fTextBuffer = nullptr;
  void* fTreeItemBuffer = nullptr;
  void* fListItemBuffer = nullptr;
  bool fLost = false;
  wchar_t fLocalText[kTextChars + 1] = {};
  TVITEMW fLocalTreeItem{};
  LVITEMW fLocalListItem{};
};

// One launch with the cross-process channel, the platform's locale comparison and the
// system clock. vRegEditExe is the editor's full path (empty: only a running editor helps);
// no value name: the key alone.
[[nodiscard]] TLaunchResult LaunchRegedit(HWND vOwner, const TText& vRegEditExe, TTextView vKeyPath,
                                          std::optional<TTextView> vValueName);

}  // namespace corvane
