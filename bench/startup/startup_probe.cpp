// startup_probe ROUNDS PROGRAM.exe...
// Starts each program in turn, ROUNDS times over (interleaved, so a change
// in the machine's load touches every program alike, after one round that
// is not counted), and prints one line per run:
//   RUN PROGRAM MILLISECONDS PEAK_KB
// MILLISECONDS runs from CreateProcess until the program has a visible
// top-level window and has gone idle; PEAK_KB is the process's peak working
// set at that moment (under Wine, the VmHWM of its Linux process). The
// program is then ended.
#include <windows.h>

// After windows.h, which it needs.
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr DWORD kStartTimeoutMs = 60000;

struct WindowSearch {
  DWORD processId;
  bool found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window) && GetParent(window) == nullptr) {
    search->found = true;
    return FALSE;
  }
  return TRUE;
}

bool HasVisibleWindow(DWORD processId) {
  WindowSearch search = {processId, false};
  EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// One start of `program`; false when it did not show a window in time.
bool MeasureOnce(const char* program, double* milliseconds, SIZE_T* peakBytes) {
  std::string commandLine = std::string("\"") + program + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::fprintf(stderr, "cannot start %s (error %lu)\n", program, GetLastError());
    return false;
  }
  bool shown = false;
  for (;;) {
    if (HasVisibleWindow(process.dwProcessId) && WaitForInputIdle(process.hProcess, 0) == 0) {
      shown = true;
      break;
    }
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (Milliseconds(start, now) > kStartTimeoutMs ||
        WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
      break;
    }
    Sleep(1);
  }
  LARGE_INTEGER end;
  QueryPerformanceCounter(&end);
  *milliseconds = Milliseconds(start, end);
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  *peakBytes =
      GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return shown;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: startup_probe ROUNDS PROGRAM.exe...\n");
    return 2;
  }
  const int rounds = std::atoi(argv[1]);
  for (int round = 0; round <= rounds; ++round) {
    for (int i = 2; i < argc; ++i) {
      double milliseconds = 0;
      SIZE_T peak = 0;
      if (!MeasureOnce(argv[i], &milliseconds, &peak)) {
        std::fprintf(stderr, "%s showed no window\n", argv[i]);
        return 1;
      }
      if (round > 0) {
        std::printf("%d %s %.1f %lu\n", round, argv[i], milliseconds,
                    static_cast<unsigned long>(peak / 1024));
        std::fflush(stdout);
      }
    }
  }
  return 0;
}
