// The quiz executable is the player template with the quiz added as
// resources: "PATCH" 104 (the quiz text) and 105 (the score codes), both
// block-coded; "IMG" 400 + q for question pictures (JPEG, GIF, BMP) or clips;
// "IMG" 10400 + q for answer pictures with the two halves of every byte
// exchanged, as the picture loader expects above id 10000; and PNG pictures
// as raw-data resources under the same ids, stored plain, since the player's
// PNG branch reads them as they are. The link and the footer go into the
// 70-byte stored block in the player's data, found by the marker before it.
#include "tool/quiz_build.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "content/quiz_loader.h"
#include "content/text_1252.h"
#include "media/clip_format.h"
#include "media/picture_rules.h"
#include "resources/resource_ids.h"
#include "tool/pe_image.h"
#include "tool/picture_check.h"
#include "tool/picture_fit.h"

namespace {

const ResourceName kPatchType = ResourceName::Text(QUIZ_RESOURCE_TYPE);
const ResourceName kPictureType = ResourceName::Text(PICTURE_RESOURCE_TYPE);
const ResourceName kRcDataType = ResourceName::Id(kResourceTypeRcData);
constexpr int kMaxQuestionId = 96;
constexpr uint8_t kPictureQuizByte = 2;  // the quiz text's media byte: 1 text, 2 pictures, 3 audio, 4 video

bool IsQuizMediaId(uint16_t id) {
  return (id > QUESTION_MEDIA_BASE && id <= QUESTION_MEDIA_BASE + kMaxQuestionId) ||
         (id > ANSWER_PICTURE_BASE && id <= ANSWER_PICTURE_BASE + kMaxQuestionId);
}

// A player template or quiz executable, opened for building or unpacking.
struct OpenedPlayer {
  PeImage image;
  std::vector<ResourceEntry> resources;
  size_t storedOffset = 0;  // of the stored block, after its marker
};

// Parses the headers, reads the resources and finds the stored block. False
// with the PE error when the image or its resources are unusable, false with
// PeError::None when the stored block is missing or not alone.
bool OpenPlayer(const std::vector<uint8_t>& bytes, OpenedPlayer* player, PeError* error) {
  *error = ParsePeImage(bytes, &player->image);
  if (*error == PeError::None) {
    *error = ReadResources(player->image, &player->resources);
  }
  return *error == PeError::None && FindStoredBlock(player->image, &player->storedOffset);
}

const char* const kKinds[] = {"text", "picture", "audio", "video"};
const char* const kReveals[] = {"none", "picture", "comment", "comment-and-picture", "all-comments"};

// The quiz's three block-coded texts, encoded before anything is changed.
struct EncodedTexts {
  std::vector<uint8_t> stored;  // padded to the stored block's size
  std::vector<uint8_t> quiz;
  std::vector<uint8_t> codes;
};

bool OpenTemplate(const std::vector<uint8_t>& playerTemplate, OpenedPlayer* player, std::string* message) {
  PeError error = PeError::None;
  if (OpenPlayer(playerTemplate, player, &error)) {
    return true;
  }
  *message = error != PeError::None ? std::string("the player template is unusable: ") + ToString(error)
                                    : "the player template carries no stored block (or more than one)";
  return false;
}

bool EncodeQuizTexts(const CompiledQuiz& quiz, EncodedTexts* texts, std::string* message) {
  if (!EncodeText(FormatStoredBlock(quiz.storedBlock), &texts->stored) ||
      texts->stored.size() > kStoredBlockSize || !EncodeText(FormatQuizText(quiz.quiz), &texts->quiz) ||
      !EncodeText(FormatScoreCodes(quiz.scoreCodes), &texts->codes)) {
    *message = "the quiz texts cannot be encoded";
    return false;
  }
  texts->stored.resize(kStoredBlockSize, 0);
  return true;
}

// A template that already carries a quiz loses it first.
void RemoveQuizResources(std::vector<ResourceEntry>* resources) {
  resources->erase(
      std::remove_if(resources->begin(), resources->end(),
                     [](const ResourceEntry& entry) {
                       return entry.type == kPatchType || entry.type == kPictureType ||
                              (entry.type == kRcDataType && entry.name.isId && IsQuizMediaId(entry.name.id));
                     }),
      resources->end());
}

// Question media first, answer pictures after them: the player reads only
// the first at start-up, so those pages lie together.
std::vector<const MediaResource*> MediaInStoringOrder(const std::vector<MediaResource>& media) {
  std::vector<const MediaResource*> ordered;
  for (bool answers : {false, true}) {
    for (const MediaResource& item : media) {
      if ((item.id > ANSWER_PICTURE_BASE) == answers) {
        ordered.push_back(&item);
      }
    }
  }
  return ordered;
}

// The resource's bytes: a picture as the player shows it unless
// `keepPictures` (fitted while compiling, else now; as given when it cannot
// be fitted), a clip as given; nibbles exchanged where the loader expects it.
std::vector<uint8_t> StoredMediaBytes(const MediaResource& media, const QuizText& quiz, bool keepPictures) {
  const bool picture = media.id > ANSWER_PICTURE_BASE || quiz.mediaByte == kPictureQuizByte;
  std::vector<uint8_t> bytes;
  if (!picture || keepPictures) {
    bytes = media.bytes;
  } else if (media.prepared) {
    bytes = media.fitted.empty() ? media.bytes : media.fitted;
  } else if (FitPictureForPlayer(media.bytes, quiz.red, quiz.green, quiz.blue, &bytes) !=
             PictureFitResult::Fitted) {
    bytes = media.bytes;
  }
  if (media.swapNibbles) {
    SwapNibbles(bytes.data(), bytes.size());
  }
  return bytes;
}

void PutQuizResources(const CompiledQuiz& quiz, EncodedTexts texts, std::vector<ResourceEntry>* resources,
                      const BuildProgress& progress, bool keepPictures) {
  PutResourceEntry(resources, kPatchType, ResourceName::Id(IDR_QUIZ_TEXT), std::move(texts.quiz));
  PutResourceEntry(resources, kPatchType, ResourceName::Id(IDR_SCORE_CODES), std::move(texts.codes));
  size_t index = 0;
  for (const MediaResource* media : MediaInStoringOrder(quiz.media)) {
    ++index;
    if (progress) {
      progress(index, quiz.media.size(), media->path);
    }
    PutResourceEntry(resources, media->rcData ? kRcDataType : kPictureType, ResourceName::Id(media->id),
                     StoredMediaBytes(*media, quiz.quiz, keepPictures));
  }
}

// Writes the resources into the image, and never hands out an executable
// that the loader would refuse.
bool WriteCheckedExecutable(PeImage* image, const std::vector<ResourceEntry>& resources,
                            std::vector<uint8_t>* executable, std::string* message) {
  const PeError error = WriteResources(image, resources);
  if (error != PeError::None) {
    *message = std::string("the quiz executable cannot be written: ") + ToString(error);
    return false;
  }
  const std::vector<std::string> problems = CheckPeStructure(image->bytes);
  if (!problems.empty()) {
    *message = "the quiz executable came out inconsistent: " + problems.front();
    return false;
  }
  *executable = std::move(image->bytes);
  return true;
}

const uint8_t* Bytes(const std::string& text) {
  return reinterpret_cast<const uint8_t*>(text.data());
}

bool OpenQuizExecutable(const std::vector<uint8_t>& executable, OpenedPlayer* player, std::string* message) {
  PeError error = PeError::None;
  if (OpenPlayer(executable, player, &error)) {
    return true;
  }
  *message = error != PeError::None ? ToString(error) : "no stored block: not a quiz player";
  return false;
}

bool DecodeStoredBlock(const OpenedPlayer& player, StoredBlockText* storedBlock, std::string* message) {
  std::string plain;
  if (!DecodeText(player.image.bytes.data() + player.storedOffset, kStoredBlockSize, &plain) ||
      ParseStoredBlock(Bytes(plain), plain.size(), storedBlock) != GrammarResult::Ok) {
    *message = "the stored block (link and footer) does not decode";
    return false;
  }
  return true;
}

bool DecodeQuizResource(const std::vector<ResourceEntry>& resources, QuizText* quiz, std::string* message) {
  const ResourceEntry* entry = FindResourceEntry(resources, kPatchType, ResourceName::Id(IDR_QUIZ_TEXT));
  if (!entry) {
    *message = "no quiz inside: the executable has no \"PATCH\" 104 resource";
    return false;
  }
  std::string plain;
  if (!DecodeText(entry->data.data(), entry->data.size(), &plain) ||
      ParseQuizText(Bytes(plain), plain.size(), quiz) != GrammarResult::Ok) {
    *message = "the quiz resource (\"PATCH\" 104) does not decode";
    return false;
  }
  return true;
}

bool DecodeScoreCodesResource(const std::vector<ResourceEntry>& resources, int questionCount,
                              std::vector<std::string>* codes, std::string* message) {
  const ResourceEntry* entry = FindResourceEntry(resources, kPatchType, ResourceName::Id(IDR_SCORE_CODES));
  std::string plain;
  if (!entry || !DecodeText(entry->data.data(), entry->data.size(), &plain) ||
      ParseScoreCodes(Bytes(plain), plain.size(), questionCount, codes) != GrammarResult::Ok) {
    *message = "the score codes (\"PATCH\" 105) do not decode";
    return false;
  }
  return true;
}

// The file name extension of a picture or clip, lower case; "bin" when it is
// neither.
std::string MediaExtension(const std::vector<uint8_t>& bytes) {
  const PictureFormat format = DetectPictureFormat(bytes);
  if (format != PictureFormat::Unknown) {
    return PictureExtension(format);
  }
  const std::string clip = ClipFormatName(bytes.data(), bytes.size());
  return clip == "xxx" ? "bin" : clip;
}

// The question's picture or clip (or its answer picture), as the author gave
// it; false when the executable carries none.
bool ReadQuizMedia(const std::vector<ResourceEntry>& resources, int question, bool answerPicture,
                   UnpackedMedia* media) {
  media->id = static_cast<uint16_t>((answerPicture ? ANSWER_PICTURE_BASE : QUESTION_MEDIA_BASE) + question);
  media->question = question;
  media->answerPicture = answerPicture;
  if (const ResourceEntry* entry = FindResourceEntry(resources, kPictureType, ResourceName::Id(media->id))) {
    media->bytes = entry->data;
    if (answerPicture) {
      SwapNibbles(media->bytes.data(), media->bytes.size());
    }
  } else if (const ResourceEntry* png =
                 FindResourceEntry(resources, kRcDataType, ResourceName::Id(media->id))) {
    media->bytes = png->data;
  } else {
    return false;
  }
  media->extension = MediaExtension(media->bytes);
  return true;
}

std::vector<UnpackedMedia> ReadAllQuizMedia(const std::vector<ResourceEntry>& resources, int questionCount) {
  std::vector<UnpackedMedia> found;
  for (int q = 1; q <= questionCount && q <= kMaxQuestionId; ++q) {
    for (bool answerPicture : {false, true}) {
      UnpackedMedia media;
      if (ReadQuizMedia(resources, q, answerPicture, &media)) {
        found.push_back(std::move(media));
      }
    }
  }
  return found;
}

}  // namespace

bool BuildQuizExecutable(const std::vector<uint8_t>& playerTemplate, const CompiledQuiz& quiz,
                         std::vector<uint8_t>* executable, std::string* message,
                         const BuildProgress& progress, bool keepPictures) {
  OpenedPlayer player;
  EncodedTexts texts;
  if (!OpenTemplate(playerTemplate, &player, message) || !EncodeQuizTexts(quiz, &texts, message)) {
    return false;
  }
  std::memcpy(player.image.bytes.data() + player.storedOffset, texts.stored.data(), kStoredBlockSize);
  RemoveQuizResources(&player.resources);
  PutQuizResources(quiz, std::move(texts), &player.resources, progress, keepPictures);
  return WriteCheckedExecutable(&player.image, player.resources, executable, message);
}

bool UnpackQuizExecutable(const std::vector<uint8_t>& executable, UnpackedQuiz* unpacked,
                          std::string* message) {
  *unpacked = UnpackedQuiz();
  CompiledQuiz& quiz = unpacked->quiz;
  OpenedPlayer player;
  if (!OpenQuizExecutable(executable, &player, message) ||
      !DecodeStoredBlock(player, &quiz.storedBlock, message) ||
      !DecodeQuizResource(player.resources, &quiz.quiz, message)) {
    return false;
  }
  const int count = static_cast<int>(quiz.quiz.questions.size());
  if (!DecodeScoreCodesResource(player.resources, count, &quiz.scoreCodes, message)) {
    return false;
  }
  unpacked->media = ReadAllQuizMedia(player.resources, count);
  return true;
}

std::string MediaFileName(const UnpackedMedia& media) {
  char name[32];
  std::snprintf(name, sizeof name, "%s%02d.%s", media.answerPicture ? "answer" : "question", media.question,
                media.extension.c_str());
  return name;
}

std::string TomlQuote(const std::string& utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", byte);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string FormatQuizSource(const UnpackedQuiz& unpacked) {
  const QuizText& quiz = unpacked.quiz.quiz;
  const int kind = quiz.mediaByte >= 1 && quiz.mediaByte <= 4 ? quiz.mediaByte - 1 : 0;
  const int reveal = quiz.revealMode <= 4 ? quiz.revealMode : 0;
  auto text = [](const std::string& cp1252) { return TomlQuote(Cp1252ToUtf8(cp1252)); };
  std::ostringstream out;
  out << "# Unpacked from a quiz executable; `trivo build` makes it again.\n";
  out << "title = " << text(quiz.title) << "\n";
  out << "creator = " << text(quiz.creator) << "\n";
  out << "explanation = " << text(quiz.explanation) << "\n";
  out << "answer_label1 = " << text(quiz.answerLabel1) << "\n";
  out << "answer_label2 = " << text(quiz.answerLabel2) << "\n";
  out << "kind = \"" << kKinds[kind] << "\"\n";
  out << "answers_per_question = " << static_cast<int>(quiz.answersPerQuestion == 2 ? 2 : 1) << "\n";
  out << "reveal = \"" << kReveals[reveal] << "\"\n";
  char colour[8];
  std::snprintf(colour, sizeof colour, "#%02X%02X%02X", quiz.red, quiz.green, quiz.blue);
  out << "background = \"" << colour << "\"\n";
  out << "link = " << text(unpacked.quiz.storedBlock.linkText) << "\n";
  out << "footer = " << text(unpacked.quiz.storedBlock.footerText) << "\n";
  out << "codes = [\n";
  for (const std::string& code : unpacked.quiz.scoreCodes) {
    out << "  " << text(code) << ",\n";
  }
  out << "]\n";
  for (size_t i = 0; i < quiz.questions.size(); ++i) {
    const QuestionText& question = quiz.questions[i];
    out << "\n[[question]]\n";
    out << "text = " << text(question.questionText) << "\n";
    out << "answer = " << text(question.answer1) << "\n";
    if (quiz.answersPerQuestion == 2) {
      out << "answer2 = " << text(question.answer2) << "\n";
    }
    if (reveal >= 2) {
      out << "comment = " << text(question.comment) << "\n";
    }
    for (const UnpackedMedia& media : unpacked.media) {
      if (media.question != static_cast<int>(i + 1)) {
        continue;
      }
      const char* key = media.answerPicture ? "answer_picture" : (kind == 1 ? "picture" : "clip");
      out << key << " = " << TomlQuote(MediaFileName(media)) << "\n";
    }
  }
  return out.str();
}
