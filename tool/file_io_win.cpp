// The file layer on Windows: wide names throughout, and the system's own
// messages as reasons.
#include <windows.h>

#include <algorithm>

#include "tool/file_io.h"

namespace {

constexpr DWORD kWriteChunk = 1u << 30;

// The temporary being written, for the console handler (which runs on a
// thread of its own).
wchar_t pendingPath[32768];
volatile LONG pendingSet = 0;

BOOL WINAPI OnConsoleEvent(DWORD) {
  // The file was opened with FILE_SHARE_DELETE: it goes once the process's
  // handle closes, which the default handler's exit does next.
  if (pendingSet) {
    DeleteFileW(pendingPath);
  }
  return FALSE;
}

std::string Reason(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring wide = length > 0 && text ? std::wstring(text, length) : std::wstring();
  if (text != nullptr) {
    LocalFree(text);
  }
  while (!wide.empty() &&
         (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L'.' || wide.back() == L' ')) {
    wide.pop_back();
  }
  if (wide.empty()) {
    return "system error " + std::to_string(error);
  }
  return PathText(std::filesystem::path(wide));
}

HANDLE HandleOf(SystemFile file) {
  return reinterpret_cast<HANDLE>(file.handle);
}

}  // namespace

void RemoveTemporaryOnInterrupt() {
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void SetPendingTemporary(const std::filesystem::path* path) {
  InterlockedExchange(&pendingSet, 0);
  if (path != nullptr && path->native().size() < sizeof pendingPath / sizeof pendingPath[0]) {
    std::copy(path->native().begin(), path->native().end(), pendingPath);
    pendingPath[path->native().size()] = L'\0';
    InterlockedExchange(&pendingSet, 1);
  }
}

bool CreateNewFile(const std::filesystem::path& path, SystemFile* file, bool* exists, std::string* reason) {
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    *exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    *reason = Reason(error);
    return false;
  }
  *exists = false;
  file->handle = reinterpret_cast<intptr_t>(handle);
  return true;
}

bool WriteToFile(SystemFile file, const uint8_t* data, size_t size, std::string* reason) {
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, kWriteChunk));
    DWORD written = 0;
    if (!WriteFile(HandleOf(file), data, chunk, &written, nullptr) || written == 0) {
      *reason = Reason(GetLastError());
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

bool SyncAndCloseFile(SystemFile* file, std::string* reason) {
  const HANDLE handle = HandleOf(*file);
  file->handle = -1;
  if (!FlushFileBuffers(handle)) {
    *reason = Reason(GetLastError());
    CloseHandle(handle);
    return false;
  }
  if (!CloseHandle(handle)) {
    *reason = Reason(GetLastError());
    return false;
  }
  return true;
}

void CloseFile(SystemFile* file) {
  if (file->handle != -1) {
    CloseHandle(HandleOf(*file));
    file->handle = -1;
  }
}

bool MoveOver(const std::filesystem::path& from, const std::filesystem::path& to, std::string* reason) {
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    *reason = Reason(GetLastError());
    return false;
  }
  return true;
}

void RemoveFileQuietly(const std::filesystem::path& path) {
  DeleteFileW(path.c_str());
}

uint64_t CurrentProcessId() {
  return GetCurrentProcessId();
}
