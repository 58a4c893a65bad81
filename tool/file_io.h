// The tool's files. Inputs are read whole, in one go, and only when they are
// regular files under a size limit, so a folder, a pipe or a huge file gets a
// clear refusal instead of a hang or an exhausted memory. Outputs are written
// to a temporary file of their own beside the target, synced, and renamed
// over it; a failure or an interruption removes the temporary and leaves the
// old file as it was.
//
// Paths are std::filesystem paths: texts from the command line or a quiz
// source (UTF-8) become paths through std::filesystem::u8path, so Windows
// opens them by their wide names, and PathText gives them back as UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Far beyond any picture, clip or player, and still well within memory.
constexpr uint64_t kMaxInputFileBytes = 256ull << 20;

// Reads the whole file. False, with the reason ("it is a folder", "it is 300
// MB; ...", or the system's), when it does not exist, is not a regular file,
// is larger than `limit` or cannot be read.
bool ReadInputFile(const std::filesystem::path& path, std::vector<uint8_t>* bytes, std::string* reason,
                   uint64_t limit = kMaxInputFileBytes);

// Why `path` cannot be an output, found before anything is written: it is a
// folder or a device, or its folder is missing. Empty when none of these.
std::string OutputProblem(const std::filesystem::path& path);
// The same without the folder: only what is at `path` itself.
std::string TargetProblem(const std::filesystem::path& path);

// Writes the bytes to `path` through a uniquely named temporary beside it,
// never one that already exists. Every write, the sync and the close are
// checked before the rename. False with the reason when anything failed; the
// temporary is gone and an old `path` is untouched.
bool WriteOutputFile(const std::filesystem::path& path, const void* data, size_t size, std::string* reason);

// True when both paths name one existing file (by file identity, so other
// spellings, links and letter case on Windows count as the same).
bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// A path as UTF-8 text for messages.
std::string PathText(const std::filesystem::path& path);

// Removes the temporary being written when the tool is stopped (Ctrl-C,
// SIGTERM or SIGHUP; the console's close on Windows), then lets it stop.
void RemoveTemporaryOnInterrupt();

// The system's side, in file_io_posix.cpp and file_io_win.cpp. On failure
// `reason` gets the system's message.
struct SystemFile {
  intptr_t handle = -1;
};
// Creates the file, failing when it exists (then `exists` is set).
bool CreateNewFile(const std::filesystem::path& path, SystemFile* file, bool* exists, std::string* reason);
bool WriteToFile(SystemFile file, const uint8_t* data, size_t size, std::string* reason);
// Syncs the file to disk and closes it; the handle is closed even on failure.
bool SyncAndCloseFile(SystemFile* file, std::string* reason);
void CloseFile(SystemFile* file);
// Renames `from` over `to`, replacing it.
bool MoveOver(const std::filesystem::path& from, const std::filesystem::path& to, std::string* reason);
void RemoveFileQuietly(const std::filesystem::path& path);
// The temporary an interruption removes; null when none is being written.
void SetPendingTemporary(const std::filesystem::path* path);
uint64_t CurrentProcessId();
