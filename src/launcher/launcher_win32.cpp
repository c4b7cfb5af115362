#include "launcher/launcher_win32.h"

// after windows.h
#include <shellapi.h>

#include <cstdint>
#include <utility>

#include "text/wide.h"

namespace corvane {
namespace {

// What the exchange needs of the editor's process, and no more.
constexpr DWORD kEditorAccess =
    PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION;

HTREEITEM ToItem(TEditorItem v) {
  return reinterpret_cast<HTREEITEM>(static_cast<std::uintptr_t>(v));
}
TEditorItem FromItem(LRESULT v) {
  return static_cast<TEditorItem>(static_cast<std::uintptr_t>(v));
}

// The first window of class vClass among all descendants of vParent, depth first.
HWND FirstDescendant(HWND vParent, const wchar_t* vClass) {
  struct TFind {
    const wchar_t* fClass;
    HWND fFound;
  } find{vClass, nullptr};
  EnumChildWindows(
      vParent,
      [](HWND w, LPARAM l) -> BOOL {
        auto* f = reinterpret_cast<TFind*>(l);
        wchar_t cls[32] = {};
        GetClassNameW(w, cls, 32);
        if (lstrcmpiW(cls, f->fClass) != 0) return TRUE;
        f->fFound = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.fFound;
}

// The folder of a file path, with its trailing backslash; empty when it has none.
TText FolderOf(const TText& vPath) {
  wchar_t full[MAX_PATH] = {};
  wchar_t* name = nullptr;
  const DWORD n = GetFullPathNameW(W(vPath), MAX_PATH, full, &name);
  if (n == 0 || n >= MAX_PATH || !name) return {};
  return FromW(full, std::size_t(name - full));
}

}  // namespace

TWin32EditorChannel::TWin32EditorChannel(HWND vOwner, TText vRegEditExe)
    : fOwner(vOwner), fRegEditExe(std::move(vRegEditExe)) {}

TWin32EditorChannel::~TWin32EditorChannel() {
  Release();
}

HANDLE TWin32EditorChannel::OpenEditorProcess() const {
  DWORD pid = 0;
  GetWindowThreadProcessId(fEditor, &pid);
  return pid ? OpenProcess(kEditorAccess, FALSE, pid) : nullptr;
}

bool TWin32EditorChannel::CloseAllEditors() {
  for (int request = 0; request < kCloseRequests; ++request) {
    HWND editor = FindWindowW(kEditorClass, nullptr);
    if (!editor) return true;
    DWORD_PTR answer = 0;
    // A hung editor, or one that does not take our messages, will not go.
    if (!SendMessageTimeoutW(editor, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kEditorTimeoutMs, &answer))
      return false;
  }
  return FindWindowW(kEditorClass, nullptr) == nullptr;
}

void TWin32EditorChannel::StartEditor() {
  const TText folder = FolderOf(fRegEditExe);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = fOwner;
  info.lpFile = W(fRegEditExe);
  info.lpDirectory = folder.empty() ? nullptr : W(folder);
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info)) return;
  fProcess.Reset(info.hProcess);
  if (fProcess) {
    WaitForInputIdle(fProcess.Get(), kStartIdleMs);
    // A slow start (a loaded machine, a cold disk) outlasts the idle wait: look on while the
    // new editor runs, until its window stands with its tree and list.
    const ULONGLONG until = GetTickCount64() + kStartWindowMs;
    for (;;) {
      HWND editor = FindWindowW(kEditorClass, nullptr);
      if (editor && FirstDescendant(editor, WC_TREEVIEWW) && FirstDescendant(editor, WC_LISTVIEWW))
        break;
      if (GetTickCount64() >= until || WaitForSingleObject(fProcess.Get(), 50) != WAIT_TIMEOUT) break;
    }
  }
  fEditor = FindWindowW(kEditorClass, nullptr);
}

bool TWin32EditorChannel::FindOrStart() {
  // On the 9x family the alternative editor would be made to run here first; this program
  // runs on the NT family only, where that editor is never found.
  fEditor = FindWindowW(kEditorClass, nullptr);
  if (fEditor) fProcess.Reset(OpenEditorProcess());
  if (!fProcess) {
    fEditor = nullptr;
    if (!CloseAllEditors()) return false;
    if (!fRegEditExe.empty()) StartEditor();
  }
  if (!fEditor) return false;
  fTree = FirstDescendant(fEditor, WC_TREEVIEWW);
  fList = FirstDescendant(fEditor, WC_LISTVIEWW);
  SetForegroundWindow(fEditor);
  return true;
}

bool TWin32EditorChannel::ObtainBuffers() {
  // The NT family's buffers: memory in the editor's process. (The 9x family would use a
  // shared block instead; it has no VirtualAllocEx.)
  if (!fProcess) return false;
  auto alloc = [&](std::size_t vSize) {
    return VirtualAllocEx(fProcess.Get(), nullptr, vSize, MEM_COMMIT, PAGE_READWRITE);
  };
  return (fTextBuffer = alloc(sizeof fLocalText)) != nullptr &&
         (fTreeItemBuffer = alloc(sizeof fLocalTreeItem)) != nullptr &&
         (fListItemBuffer = alloc(sizeof fLocalListItem)) != nullptr;
}

void TWin32EditorChannel::Release() noexcept {
  for (void** buffer : {&fTextBuffer, &fTreeItemBuffer, &fListItemBuffer}) {
    if (*buffer) VirtualFreeEx(fProcess.Get(), *buffer, 0, MEM_RELEASE);
    *buffer = nullptr;
  }
  fProcess.Reset();
}

LRESULT TWin32EditorChannel::Send(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam,
                                  LRESULT vNone) {
  if (fLost || !vWnd) return vNone;
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(vWnd, vMsg, wParam, lParam, SMTO_ABORTIFHUNG, kEditorTimeoutMs,
                           &answer)) {
    fLost = true;
    return vNone;
  }
  return static_cast<LRESULT>(answer);
}

bool TWin32EditorChannel::Put(void* vRemote, const void* vLocal, std::size_t vSize) {
  SIZE_T done = 0;
  return vRemote && WriteProcessMemory(fProcess.Get(), vRemote, vLocal, vSize, &done) && done == vSize;
}

bool TWin32EditorChannel::Get(const void* vRemote, void* vLocal, std::size_t vSize) {
  SIZE_T done = 0;
  return vRemote && ReadProcessMemory(fProcess.Get(), vRemote, vLocal, vSize, &done) && done == vSize;
}

TText TWin32EditorChannel::TextBack() {
  if (!Get(fTextBuffer, fLocalText, sizeof fLocalText)) return {};
  fLocalText[kTextChars] = L'\0';
  return FromW(fLocalText);
}

TEditorItem TWin32EditorChannel::Root() {
  return FromItem(Send(fTree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
}

TEditorItem TWin32EditorChannel::FirstChild(TEditorItem vParent) {
  return FromItem(
      Send(fTree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(ToItem(vParent))));
}

TEditorItem TWin32EditorChannel::NextSibling(TEditorItem vItem) {
  return FromItem(Send(fTree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(ToItem(vItem))));
}

TText TWin32EditorChannel::ItemText(TEditorItem vItem) {
  fLocalTreeItem = TVITEMW{};
  fLocalTreeItem.mask = TVIF_TEXT | TVIF_HANDLE | TVIF_CHILDREN;
  fLocalTreeItem.hItem = ToItem(vItem);
  fLocalTreeItem.pszText = static_cast<LPWSTR>(fTextBuffer);
  fLocalTreeItem.cchTextMax = kTextChars;
  if (!Put(fTreeItemBuffer, &fLocalTreeItem, sizeof fLocalTreeItem)) return {};
  if (!Send(fTree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(fTreeItemBuffer))) return {};
  const TText text = TextBack();
  (void)Get(fTreeItemBuffer, &fLocalTreeItem, sizeof fLocalTreeItem);
  return text;
}

void TWin32EditorChannel::SelectItem(TEditorItem vItem) {
  Send(fTree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(ToItem(vItem)));
}

void TWin32EditorChannel::ExpandItem(TEditorItem vItem) {
  Send(fTree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(ToItem(vItem)));
}

int TWin32EditorChannel::SelectedCount() {
  return int(Send(fList, LVM_GETSELECTEDCOUNT, 0, 0));
}

int TWin32EditorChannel::RowCount() {
  return int(Send(fList, LVM_GETITEMCOUNT, 0, 0));
}

int TWin32EditorChannel::NextRow(int vRow, bool vSelected) {
  return int(Send(fList, LVM_GETNEXTITEM, WPARAM(vRow),
                  MAKELPARAM(vSelected ? LVNI_SELECTED : LVNI_ALL, 0), -1));
}

TText TWin32EditorChannel::RowText(int vRow) {
  fLocalListItem = LVITEMW{};
  fLocalListItem.mask = LVIF_TEXT;
  fLocalListItem.iItem = vRow;
  fLocalListItem.iSubItem = 0;
  fLocalListItem.pszText = static_cast<LPWSTR>(fTextBuffer);
  fLocalListItem.cchTextMax = kTextChars;
  if (!Put(fListItemBuffer, &fLocalListItem, sizeof fLocalListItem)) return {};
  if (!Send(fList, LVM_GETITEMW, WPARAM(vRow), reinterpret_cast<LPARAM>(fListItemBuffer)))
    return {};
  const TText text = TextBack();
  (void)Get(fListItemBuffer, &fLocalListItem, sizeof fLocalListItem);
  return text;
}

void TWin32EditorChannel::SetRowSelected(int vRow, bool vSelected) {
  constexpr UINT kBoth = LVIS_FOCUSED | LVIS_SELECTED;
  fLocalListItem = LVITEMW{};
  fLocalListItem.mask = LVIF_STATE;
  fLocalListItem.iItem = vRow;
  fLocalListItem.state = vSelected ? kBoth : 0;
  fLocalListItem.stateMask = kBoth;
  if (!Put(fListItemBuffer, &fLocalListItem, sizeof fLocalListItem)) return;
  Send(fList, LVM_SETITEMSTATE, WPARAM(vRow), reinterpret_cast<LPARAM>(fListItemBuffer));
}

void TWin32EditorChannel::EnsureVisible(int vRow) {
  Send(fList, LVM_ENSUREVISIBLE, WPARAM(vRow), FALSE);
}

void TWin32EditorChannel::FocusList() {
  if (fLost || !fList) return;
  // SetFocus works only on windows of threads whose input is attached to ours.
  const DWORD editorThread = GetWindowThreadProcessId(fEditor, nullptr);
  const DWORD ourThread = GetCurrentThreadId();
  const bool attached =
      editorThread && editorThread != ourThread && AttachThreadInput(ourThread, editorThread, TRUE);
  SetFocus(fList);
  if (attached) AttachThreadInput(ourThread, editorThread, FALSE);
}

TLaunchResult LaunchRegedit(HWND vOwner, const TText& vRegEditExe, TTextView vKeyPath,
                            std::optional<TTextView> vValueName) {
  TWin32EditorChannel channel(vOwner, vRegEditExe);
  return LaunchRegedit(channel, vKeyPath, vValueName, PlatformCompare(), SystemClock());
}

}  // namespace corvane
