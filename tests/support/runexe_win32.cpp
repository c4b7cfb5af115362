#include "support/runexe.h"

namespace corvane::test {

std::string RunCapture(std::wstring vCommandLine, DWORD& vExit, std::string* vErr) {
  SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr, errRead = nullptr, errWrite = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return {};
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  if (vErr) {
    if (!CreatePipe(&errRead, &errWrite, &sa, 0)) {
      CloseHandle(readEnd);
      CloseHandle(writeEnd);
      return {};
    }
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  }
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd;
  si.hStdError = vErr ? errWrite : writeEnd;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  std::string out;
  const bool started = CreateProcessW(nullptr, vCommandLine.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &si, &pi);
  CloseHandle(writeEnd);
  if (errWrite) CloseHandle(errWrite);
  if (started) {
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buf, sizeof(buf), &got, nullptr) && got > 0) out.append(buf, got);
    // What goes to stderr here is short enough for the pipe's buffer.
    while (errRead && ReadFile(errRead, buf, sizeof(buf), &got, nullptr) && got > 0)
      vErr->append(buf, got);
    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &vExit);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  CloseHandle(readEnd);
  if (errRead) CloseHandle(errRead);
  return out;
}

TStartedProcess::TStartedProcess(std::wstring vCommandLine, const wchar_t* vDir) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(nullptr, vCommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, vDir, &si,
                     &pi)) {
    fProcess.Reset(pi.hProcess);
    fThread.Reset(pi.hThread);
  }
}

bool TStartedProcess::Ended(DWORD vMs) {
  return fProcess && WaitForSingleObject(fProcess.Get(), vMs) == WAIT_OBJECT_0;
}

DWORD TStartedProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (fProcess) GetExitCodeProcess(fProcess.Get(), &code);
  return code;
}

}  // namespace corvane::test
