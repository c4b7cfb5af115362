// Runs a program under test and collects what it writes (Windows only).
#pragma once

#include <windows.h>

#include <string>

namespace corvane::test {

// Runs vCommandLine (program and arguments as one command line), waits for it to end and
// returns what it wrote to standard output and standard error; vExit receives its exit code.
std::string RunCapture(std::wstring vCommandLine, DWORD& vExit);

}  // namespace corvane::test
