// corvane.exe: start-up values, alias list, the single-instance check, then the main window
// and its message loop.
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <exception>
#include <string>

#include "app/corvane/instancelayout.h"
#include "app/startup/startup_win32.h"
#include "regequiv/regequiv_win32.h"
#include "savedsearch/qmxfile.h"
#include "ui/main/mainform.h"
#include "win32/handles.h"

namespace {

using namespace corvane;

std::uint32_t HandleBits(HWND vWnd) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(vWnd));
}

// Window handles are 32-bit values, sign-extended on 64-bit Windows.
HWND HandleFrom(std::uint32_t vBits) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(static_cast<std::int32_t>(vBits)));
}

// The mapped size of a view, at most the block's size.
std::size_t ViewSize(const void* vView) {
  MEMORY_BASIC_INFORMATION info{};
  if (!vView || VirtualQuery(vView, &info, sizeof info) == 0) return 0;
  return info.RegionSize < kInstanceBlockSize ? info.RegionSize : kInstanceBlockSize;
}

// The first command-line argument, when there is one.
bool FirstArgument(TText& vArg) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return false;
  const bool has = argc >= 2;
  if (has) vArg = FromW(argv[1]);
  LocalFree(argv);
  return has;
}

// A second start: bring the running instance to the front, hand over the argument, end.
void HandOver(HANDLE vMapping, UINT vHandOffMsg) {
  const TMappedView view(MapViewOfFile(vMapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  if (!view) return;
  auto* block = static_cast<std::uint8_t*>(view.Get());
  const std::size_t size = ViewSize(block);
  std::uint32_t taskbar = 0, main = 0;
  if (!ReadHandles(block, size, taskbar, main)) return;
  if (taskbar && IsIconic(HandleFrom(taskbar))) ShowWindow(HandleFrom(taskbar), SW_RESTORE);
  if (main) SetForegroundWindow(HandleFrom(main));
  TText arg;
  if (FirstArgument(arg) && main) {
    // The running instance has a current folder of its own: hand over the full path.
    arg = PlatformQmxFiles().FullPath(arg);
    if (WritePath(block, size, arg)) SendMessageW(HandleFrom(main), vHandOffMsg, 0, 0);
  }
}

int Run() {
  try {
    (void)DeriveStartupValues();
  } catch (const std::exception& e) {
    ShowError(nullptr, FromUtf8(e.what()));
    return 1;
  }
  const TStartupValues& values = StartupValues();
  const TAliasList& aliases = BuildProcessAliasList();
  const UINT handOffMsg = RegisterWindowMessageW(W(kHandOffMsgName));

  // One call creates the block or opens the one a running instance made, so two starts at
  // the same moment cannot both take it for their own. Without the block the program runs
  // without the single-instance feature.
  TOwnedHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                          DWORD(kInstanceBlockSize), W(kInstanceBlockName)));
  const bool running = mapping && GetLastError() == ERROR_ALREADY_EXISTS;
  if (running) {
    HandOver(mapping.Get(), handOffMsg);
    return 0;
  }
  TMappedView view;
  if (mapping) view.Reset(MapViewOfFile(mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
  auto* block = static_cast<std::uint8_t*>(view.Get());
  const std::size_t size = ViewSize(block);

  TApplication app;
  TMainFormContext context;
  context.IniName = values.IniName;
  context.DataDir = values.DataDir;
  context.RegEditExe = values.RegEditExe;
  context.fAliases = &aliases;
  context.HandOffMsg = handOffMsg;
  context.fHandedPath = [block, size] { return ReadPath(block, size); };
  context.fHasArgument = FirstArgument(context.fArgument);
  TMainForm form(app, std::move(context));
  if (!form.Create()) {
    ShowError(nullptr, u"The main window could not be created");
    return 1;
  }
  if (block) (void)WriteHandles(block, size, HandleBits(form.Handle()), HandleBits(form.Handle()));
  form.Show();
  return app.Run(form.Handle(), form.Actions());
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    return Run();
  } catch (...) {
    MessageBoxW(nullptr, L"Unexpected error.", L"Corvane", MB_OK | MB_ICONERROR);
    return 1;
  }
}
