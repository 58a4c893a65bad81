// The largest files the players and the authoring page take in, checked
// before a file is read: a quiz executable, a quiz source, an archive of a
// quiz folder, one picture or clip.
#pragma once

#include <cstdint>

constexpr uint64_t kQuizBytesLimit = uint64_t{64} << 20;
constexpr uint64_t kSourceBytesLimit = uint64_t{1} << 20;
constexpr uint64_t kArchiveBytesLimit = uint64_t{128} << 20;
constexpr uint64_t kMediaBytesLimit = uint64_t{32} << 20;
