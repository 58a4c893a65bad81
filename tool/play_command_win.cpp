// On Windows a quiz is a program of its own: `trivo play` starts it and
// returns, as a double click would.
#include <windows.h>

#include <string>

#include "tool/play_command.h"

namespace {

std::wstring Wide(const std::string& utf8) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring text(size > 0 ? size - 1 : 0, L'\0');
  if (size > 1) {
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, text.data(), size);
  }
  return text;
}

}  // namespace

int PlayQuizExecutable(const std::string& exePath, std::ostream& out, std::ostream& err) {
  static_cast<void>(out);
  const std::wstring exe = Wide(exePath);
  const DWORD attributes = GetFileAttributesW(exe.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    err << exePath << ": no such quiz executable\n";
    return 1;
  }
  std::wstring commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    err << exePath << ": cannot start it (error " << GetLastError() << ")\n";
    return 1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}
