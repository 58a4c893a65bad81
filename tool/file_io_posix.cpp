// The file layer on Linux and other POSIX systems.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "tool/file_io.h"

namespace {

constexpr size_t kWriteChunk = size_t{1} << 30;

// The temporary being written, as the signal handler needs it: a fixed
// buffer and a flag, both set only outside the handler.
char pendingPath[4096];
volatile sig_atomic_t pendingSet = 0;

void OnInterrupt(int signal) {
  if (pendingSet) {
    unlink(pendingPath);
  }
  ::signal(signal, SIG_DFL);
  raise(signal);
}

std::string Reason() {
  return std::strerror(errno);
}

}  // namespace

void RemoveTemporaryOnInterrupt() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    sigaction(signal, &action, nullptr);
  }
  // A file size limit then fails the write (EFBIG) instead of killing the
  // tool with its temporary left behind.
  ::signal(SIGXFSZ, SIG_IGN);
}

void SetPendingTemporary(const std::filesystem::path* path) {
  pendingSet = 0;
  if (path != nullptr && path->native().size() < sizeof pendingPath) {
    std::memcpy(pendingPath, path->c_str(), path->native().size() + 1);
    pendingSet = 1;
  }
}

bool CreateNewFile(const std::filesystem::path& path, SystemFile* file, bool* exists, std::string* reason) {
  const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  *exists = descriptor < 0 && errno == EEXIST;
  if (descriptor < 0) {
    *reason = Reason();
    return false;
  }
  file->handle = descriptor;
  return true;
}

bool WriteToFile(SystemFile file, const uint8_t* data, size_t size, std::string* reason) {
  while (size > 0) {
    const ssize_t written = write(static_cast<int>(file.handle), data, std::min(size, kWriteChunk));
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      *reason = written < 0 ? Reason() : "nothing could be written";
      return false;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool SyncAndCloseFile(SystemFile* file, std::string* reason) {
  const int descriptor = static_cast<int>(file->handle);
  file->handle = -1;
  if (fsync(descriptor) != 0) {
    *reason = Reason();
    close(descriptor);
    return false;
  }
  if (close(descriptor) != 0) {
    *reason = Reason();
    return false;
  }
  return true;
}

void CloseFile(SystemFile* file) {
  if (file->handle >= 0) {
    close(static_cast<int>(file->handle));
    file->handle = -1;
  }
}

bool MoveOver(const std::filesystem::path& from, const std::filesystem::path& to, std::string* reason) {
  if (rename(from.c_str(), to.c_str()) != 0) {
    *reason = Reason();
    return false;
  }
  // The rename itself reaches the disk with its folder.
  const std::filesystem::path parent = to.parent_path().empty() ? "." : to.parent_path();
  const int folder = open(parent.c_str(), O_RDONLY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return true;
}

void RemoveFileQuietly(const std::filesystem::path& path) {
  unlink(path.c_str());
}

uint64_t CurrentProcessId() {
  return static_cast<uint64_t>(getpid());
}
