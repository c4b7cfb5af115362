#include "support/editorprobe.h"

// after windows.h
#include <commctrl.h>

#include "text/wide.h"

namespace corvane::test {
namespace {

constexpr wchar_t kEditorClass[] = L"RegEdit_RegEdit";

std::string Narrow(const std::wstring& v) {
  return ToUtf8(FromW(v.c_str(), v.size()));
}

HWND Descendant(HWND vParent, const wchar_t* vClass) {
  struct TFind {
    const wchar_t* fClass;
    HWND fFound;
  } find{vClass, nullptr};
  EnumChildWindows(
      vParent,
      [](HWND w, LPARAM l) -> BOOL {
        auto* f = reinterpret_cast<TFind*>(l);
        wchar_t cls[64] = {};
        GetClassNameW(w, cls, 64);
        if (lstrcmpiW(cls, f->fClass) != 0) return TRUE;
        f->fFound = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.fFound;
}

// The remote page: a record at its start, its text from offset 1024.
constexpr std::size_t kTextAt = 1024;
constexpr int kTextChars = 256;

}  // namespace

std::vector<HWND> EditorWindows() {
  std::vector<HWND> found;
  EnumWindows(
      [](HWND w, LPARAM l) -> BOOL {
        wchar_t cls[64] = {};
        GetClassNameW(w, cls, 64);
        if (std::wstring(cls) == kEditorClass)
          reinterpret_cast<std::vector<HWND>*>(l)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

void EndEditors() {
  for (HWND w : EditorWindows()) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    PostMessageW(w, WM_CLOSE, 0, 0);
    if (process) {
      if (WaitForSingleObject(process, 10000) == WAIT_TIMEOUT) TerminateProcess(process, 1);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
  }
}

TEditorProbe::TEditorProbe() {
  fEditor = FindWindowW(kEditorClass, nullptr);
  if (!fEditor) return;
  fTree = Descendant(fEditor, WC_TREEVIEWW);
  fList = Descendant(fEditor, WC_LISTVIEWW);
  fThread = GetWindowThreadProcessId(fEditor, &fPid);
  fProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, fPid);
  if (fProcess)
    fRemote =
        static_cast<char*>(VirtualAllocEx(fProcess, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
}

TEditorProbe::~TEditorProbe() {
  if (fRemote) VirtualFreeEx(fProcess, fRemote, 0, MEM_RELEASE);
  if (fProcess) CloseHandle(fProcess);
}

std::string TEditorProbe::CaretPath() {
  std::wstring path;
  auto next = [&](WPARAM vFlag, HTREEITEM vItem) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(fTree, TVM_GETNEXTITEM, vFlag, reinterpret_cast<LPARAM>(vItem)));
  };
  for (HTREEITEM item = next(TVGN_CARET, nullptr); item; item = next(TVGN_PARENT, item)) {
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = reinterpret_cast<LPWSTR>(fRemote + kTextAt);
    tv.cchTextMax = kTextChars;
    path = Exchange(fTree, TVM_GETITEMW, 0, &tv, sizeof tv) + (path.empty() ? L"" : L"\\") + path;
  }
  return Narrow(path);
}

std::vector<std::string> TEditorProbe::Rows(UINT vFlag) {
  std::vector<std::string> rows;
  for (int r = int(SendMessageW(fList, LVM_GETNEXTITEM, WPARAM(-1), vFlag)); r != -1;
       r = int(SendMessageW(fList, LVM_GETNEXTITEM, WPARAM(r), vFlag)))
    rows.push_back(r == 0 ? "<row 0>" : Narrow(RowText(r)));
  return rows;
}

HWND TEditorProbe::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(fThread, &info) ? info.hwndFocus : nullptr;
}

void TEditorProbe::SelectRow(int vRow) {
  LVITEMW lv{};
  lv.mask = LVIF_STATE;
  lv.state = lv.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  Exchange(fList, LVM_SETITEMSTATE, WPARAM(vRow), &lv, sizeof lv);
}

std::wstring TEditorProbe::RowText(int vRow) {
  LVITEMW lv{};
  lv.mask = LVIF_TEXT;
  lv.iItem = vRow;
  lv.pszText = reinterpret_cast<LPWSTR>(fRemote + kTextAt);
  lv.cchTextMax = kTextChars;
  return Exchange(fList, LVM_GETITEMW, WPARAM(vRow), &lv, sizeof lv);
}

std::wstring TEditorProbe::Exchange(HWND vWnd, UINT vMsg, WPARAM wParam, const void* vRecord,
                                    std::size_t vSize) {
  wchar_t text[kTextChars + 1] = {};
  SIZE_T done = 0;
  WriteProcessMemory(fProcess, fRemote + kTextAt, text, sizeof text, &done);
  WriteProcessMemory(fProcess, fRemote, vRecord, vSize, &done);
  SendMessageW(vWnd, vMsg, wParam, reinterpret_cast<LPARAM>(fRemote));
  ReadProcessMemory(fProcess, fRemote + kTextAt, text, sizeof text - sizeof text[0], &done);
  return text;
}

}  // namespace corvane::test
