// Putting a compiled quiz into a copy of the player, and taking it out again.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tool/quiz_source.h"

// Reports each media file as it is stored (index from 1, count, path).
using BuildProgress = std::function<void(size_t, size_t, const std::string&)>;

// The player template plus the quiz: "PATCH" 104 and 105, the pictures or
// clips, and the stored block replaced in place. Pictures are stored as the
// player shows them (FitPictureForPlayer) unless `keepPictures`. False with
// a message when the template is not a player or the result would not be
// sound.
bool BuildQuizExecutable(const std::vector<uint8_t>& playerTemplate, const CompiledQuiz& quiz,
                         std::vector<uint8_t>* executable, std::string* message,
                         const BuildProgress& progress = nullptr, bool keepPictures = false);

struct UnpackedMedia {
  uint16_t id = 0;
  bool answerPicture = false;
  int question = 0;
  std::vector<uint8_t> bytes;  // as the author gave them (nibbles restored)
  std::string extension;
};

struct UnpackedQuiz {
  CompiledQuiz quiz;  // media left empty; see below
  std::vector<UnpackedMedia> media;
};

bool UnpackQuizExecutable(const std::vector<uint8_t>& executable, UnpackedQuiz* unpacked,
                          std::string* message);

// The TOML source of an unpacked quiz, naming the media files as
// `MediaFileName` does; building it gives the same resources back.
std::string FormatQuizSource(const UnpackedQuiz& unpacked);
std::string MediaFileName(const UnpackedMedia& media);
std::string TomlQuote(const std::string& utf8);
