#include "support/runexe.h"

namespace corvane::test {

std::string RunCapture(std::wstring vCommandLine, DWORD& vExit) {
  SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return {};
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  std::string out;
  if (CreateProcessW(nullptr, vCommandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                     &pi)) {
    CloseHandle(writeEnd);
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buf, sizeof(buf), &got, nullptr) && got > 0) out.append(buf, got);
    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &vExit);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  } else {
    CloseHandle(writeEnd);
  }
  CloseHandle(readEnd);
  return out;
}

}  // namespace corvane::test
