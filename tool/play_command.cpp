// Playing a quiz under Wine. The prefix lives in the user's cache folder,
// is made once (wineboot, then wineserver -w so the first run does not open
// the quiz under Wine's "configuration is being updated" window) and is
// marked ready only when that has finished. Windows stay managed by the
// desktop's window manager: nothing in the prefix is changed beyond what
// wineboot makes. Mono and Gecko are not offered, a quiz needs neither.
#include "tool/play_command.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

// Always a Unix path: the prefix is a Linux folder.
std::string PlayWinePrefix(const char* xdgCacheHome, const char* home) {
  // The XDG rule: a relative XDG_CACHE_HOME is to be ignored.
  if (xdgCacheHome && xdgCacheHome[0] == '/') {
    return std::string(xdgCacheHome) + "/trivo/wine";
  }
  if (home && home[0] != '\0') {
    return std::string(home) + "/.cache/trivo/wine";
  }
  return std::string();
}

std::string WineMissingMessage() {
  return "trivo play needs Wine, which is not installed (no 'wine' on the PATH). Install it, then run "
         "trivo play again:\n"
         "  Debian, Ubuntu:  sudo apt-get install wine wine64\n"
         "  Fedora:          sudo dnf install wine\n"
         "  Arch:            sudo pacman -S wine\n"
         "or copy the quiz executable to a Windows computer and open it there.";
}

#ifndef _WIN32

namespace {

constexpr char kReadyMark[] = ".trivo-ready";

bool FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "";
  size_t start = 0;
  while (start <= folders.size()) {
    const size_t end = folders.find(':', start);
    const std::string folder =
        folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const fs::path candidate = fs::path(folder.empty() ? "." : folder) / program;
    if (access(candidate.c_str(), X_OK) == 0) {
      return true;
    }
    if (end == std::string::npos) {
      break;
    }
    start = end + 1;
  }
  return false;
}

// Runs the program with the prefix's environment and waits; the exit code,
// or -1 when it could not be started or was killed.
int RunWine(const std::string& prefix, const std::vector<std::string>& arguments) {
  const pid_t child = fork();
  if (child < 0) {
    return -1;
  }
  if (child == 0) {
    setenv("WINEPREFIX", prefix.c_str(), 1);
    setenv("WINEDEBUG", "-all", 0);
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=;winemenubuilder.exe=d", 0);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  if (waitpid(child, &status, 0) < 0 || !WIFEXITED(status)) {
    return -1;
  }
  return WEXITSTATUS(status);
}

bool PreparePrefix(const std::string& prefix, std::ostream& out, std::ostream& err) {
  if (fs::exists(fs::path(prefix) / kReadyMark)) {
    return true;
  }
  std::error_code error;
  fs::create_directories(prefix, error);
  if (error) {
    err << prefix << ": cannot create the Wine folder (" << error.message() << ")\n";
    return false;
  }
  out << "Setting up Wine in " << prefix << " (only this once; it takes a minute)...\n" << std::flush;
  if (RunWine(prefix, {"wine", "wineboot", "-i"}) != 0) {
    err << prefix << ": wineboot could not set up Wine there\n";
    return false;
  }
  // wineboot returns before the prefix is fully written.
  RunWine(prefix, {"wineserver", "-w"});
  std::ofstream mark(fs::path(prefix) / kReadyMark);
  return true;
}

}  // namespace

int PlayQuizExecutable(const std::string& exePath, std::ostream& out, std::ostream& err) {
  std::error_code error;
  const fs::path exe = fs::absolute(fs::u8path(exePath), error);
  if (error || !fs::is_regular_file(exe, error)) {
    err << exePath << ": no such quiz executable\n";
    return 1;
  }
  if (!FindOnPath("wine")) {
    err << WineMissingMessage() << "\n";
    return 1;
  }
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!display || !*display) && (!wayland || !*wayland)) {
    err << "trivo play: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); run it from a desktop "
           "session\n";
    return 1;
  }
  const std::string prefix = PlayWinePrefix(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME"));
  if (prefix.empty()) {
    err << "trivo play: neither XDG_CACHE_HOME nor HOME is set, so there is no folder for Wine\n";
    return 1;
  }
  if (!PreparePrefix(prefix, out, err)) {
    return 1;
  }
  const int code = RunWine(prefix, {"wine", exe.string()});
  if (code < 0) {
    err << exePath << ": Wine could not run it\n";
    return 1;
  }
  if (code != 0) {
    err << exePath << ": ended with exit code " << code << " under Wine\n";
    return 1;
  }
  return 0;
}

#endif
