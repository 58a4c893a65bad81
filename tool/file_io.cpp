#include "tool/file_io.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace fs = std::filesystem;

namespace {

constexpr int kTemporaryNameAttempts = 100;

std::string Megabytes(uint64_t bytes) {
  return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MB";
}

std::string SystemReason(int error, const char* fallback) {
  return error != 0 ? std::string(std::strerror(error)) : std::string(fallback);
}

fs::path FolderOf(const fs::path& path) {
  const fs::path parent = path.parent_path();
  return parent.empty() ? fs::path(".") : parent;
}

}  // namespace

std::string PathText(const fs::path& path) {
  return path.u8string();
}

bool ReadInputFile(const fs::path& path, std::vector<uint8_t>* bytes, std::string* reason, uint64_t limit) {
  bytes->clear();
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found) {
    *reason = "it does not exist";
    return false;
  }
  if (error) {
    *reason = error.message();
    return false;
  }
  if (status.type() == fs::file_type::directory) {
    *reason = "it is a folder, not a file";
    return false;
  }
  if (status.type() != fs::file_type::regular) {
    *reason = "it is not a regular file (a pipe, a device or a socket)";
    return false;
  }
  const uint64_t size = fs::file_size(path, error);
  if (error) {
    *reason = error.message();
    return false;
  }
  if (size > limit) {
    *reason = "it is " + Megabytes(size) + "; files over " + Megabytes(limit) + " are not read";
    return false;
  }
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *reason = SystemReason(errno, "it cannot be opened");
    return false;
  }
  bytes->resize(static_cast<size_t>(size));
  errno = 0;
  in.read(reinterpret_cast<char*>(bytes->data()), static_cast<std::streamsize>(size));
  if (in.bad()) {
    *reason = SystemReason(errno, "reading it failed");
    bytes->clear();
    return false;
  }
  // A file cut short meanwhile gives what it still holds.
  bytes->resize(static_cast<size_t>(in.gcount()));
  return true;
}

std::string TargetProblem(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::directory) {
    return "it is a folder";
  }
  // Renaming over a device or a pipe would replace it, not write into it.
  if (fs::exists(status) && status.type() != fs::file_type::regular) {
    return "it is not a regular file (a device, a pipe or a socket)";
  }
  return std::string();
}

std::string OutputProblem(const fs::path& path) {
  const std::string problem = TargetProblem(path);
  if (!problem.empty()) {
    return problem;
  }
  std::error_code error;
  const fs::path folder = FolderOf(path);
  const fs::file_status folderStatus = fs::status(folder, error);
  if (folderStatus.type() == fs::file_type::not_found) {
    return "the folder " + PathText(folder) + " does not exist";
  }
  if (fs::exists(folderStatus) && folderStatus.type() != fs::file_type::directory) {
    return PathText(folder) + " is not a folder";
  }
  return std::string();
}

bool WriteOutputFile(const fs::path& path, const void* data, size_t size, std::string* reason) {
  *reason = OutputProblem(path);
  if (!reason->empty()) {
    return false;
  }
  // Unique to this process and this write, so neither a stale temporary nor
  // another writer's is ever taken over.
  static unsigned counter = 0;
  fs::path temporary;
  SystemFile file;
  bool created = false;
  for (int attempt = 0; attempt < kTemporaryNameAttempts && !created; ++attempt) {
    temporary = path;
    temporary += "." + std::to_string(CurrentProcessId()) + "-" + std::to_string(++counter) + ".part";
    bool exists = false;
    std::string why;
    created = CreateNewFile(temporary, &file, &exists, &why);
    if (!created && !exists) {
      *reason = "cannot create a file in " + PathText(FolderOf(path)) + ": " + why;
      return false;
    }
  }
  if (!created) {
    *reason = "cannot find a free temporary name beside it";
    return false;
  }
  SetPendingTemporary(&temporary);
  std::string why;
  bool ok = WriteToFile(file, static_cast<const uint8_t*>(data), size, &why);
  if (!ok) {
    CloseFile(&file);
  } else {
    ok = SyncAndCloseFile(&file, &why);
  }
  if (!ok) {
    *reason = "writing failed: " + why;
  } else if (!MoveOver(temporary, path, &why)) {
    *reason = "cannot put it in place: " + why;
    ok = false;
  }
  if (!ok) {
    RemoveFileQuietly(temporary);
  }
  SetPendingTemporary(nullptr);
  return ok;
}

bool IsSameFile(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::equivalent(a, b, error) && !error;
}
