// The system registry editor seen from outside (Windows only): its windows, a reader of its
// tree and list that keeps its own buffer in the editor's process, and the end of every
// editor a test started.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace corvane::test {

// Every top-level window of class "RegEdit_RegEdit".
std::vector<HWND> EditorWindows();

// Ends every editor: asks each to close, and ends its process when it does not go.
void EndEditors();

// Reads the running editor's state back from its controls.
class TEditorProbe {
 public:
  TEditorProbe();
  ~TEditorProbe();
  TEditorProbe(const TEditorProbe&) = delete;
  TEditorProbe& operator=(const TEditorProbe&) = delete;

  bool Ready() const { return fTree && fList && fRemote; }
  HWND Editor() const { return fEditor; }
  HWND List() const { return fList; }

  // The caret item's path from the root item down, "\"-separated, in UTF-8.
  std::string CaretPath();
  // The texts of the rows with vFlag (LVNI_SELECTED, LVNI_FOCUSED); row 0 reads "<row 0>".
  std::vector<std::string> Rows(UINT vFlag);
  // The window with the keyboard focus in the editor's thread.
  HWND Focus() const;
  // Selects and focuses a row, as a user's click would.
  void SelectRow(int vRow);

 private:
  std::wstring RowText(int vRow);
  std::wstring Exchange(HWND vWnd, UINT vMsg, WPARAM wParam, const void* vRecord,
                        std::size_t vSize);

  HWND fEditor = nullptr, fTree = nullptr, fList = nullptr;
  DWORD fPid = 0, fThread = 0;
  HANDLE fProcess = nullptr;
  char* fRemote = nullptr;
};

}  // namespace corvane::test
