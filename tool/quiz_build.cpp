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

}  // namespace

bool BuildQuizExecutable(const std::vector<uint8_t>& playerTemplate, const CompiledQuiz& quiz,
                         std::vector<uint8_t>* executable, std::string* message,
                         const BuildProgress& progress, bool keepPictures) {
  OpenedPlayer player;
  PeError error = PeError::None;
  if (!OpenPlayer(playerTemplate, &player, &error)) {
    *message = error != PeError::None ? std::string("the player template is unusable: ") + ToString(error)
                                      : "the player template carries no stored block (or more than one)";
    return false;
  }
  PeImage& image = player.image;
  std::vector<ResourceEntry>& resources = player.resources;

  std::vector<uint8_t> stored;
  std::vector<uint8_t> quizBlock;
  std::vector<uint8_t> codesBlock;
  if (!EncodeText(FormatStoredBlock(quiz.storedBlock), &stored) || stored.size() > kStoredBlockSize ||
      !EncodeText(FormatQuizText(quiz.quiz), &quizBlock) ||
      !EncodeText(FormatScoreCodes(quiz.scoreCodes), &codesBlock)) {
    *message = "the quiz texts cannot be encoded";
    return false;
  }
  stored.resize(kStoredBlockSize, 0);
  std::memcpy(image.bytes.data() + player.storedOffset, stored.data(), kStoredBlockSize);

  // A template that already carries a quiz loses it first.
  resources.erase(
      std::remove_if(resources.begin(), resources.end(),
                     [](const ResourceEntry& entry) {
                       return entry.type == kPatchType || entry.type == kPictureType ||
                              (entry.type == kRcDataType && entry.name.isId && IsQuizMediaId(entry.name.id));
                     }),
      resources.end());
  PutResourceEntry(&resources, kPatchType, ResourceName::Id(IDR_QUIZ_TEXT), quizBlock);
  PutResourceEntry(&resources, kPatchType, ResourceName::Id(IDR_SCORE_CODES), codesBlock);
  // Question media first, answer pictures after them: the player reads only
  // the first at start-up, so those pages lie together.
  std::vector<const MediaResource*> ordered;
  for (bool answers : {false, true}) {
    for (const MediaResource& media : quiz.media) {
      if ((media.id > ANSWER_PICTURE_BASE) == answers) {
        ordered.push_back(&media);
      }
    }
  }
  size_t index = 0;
  for (const MediaResource* item : ordered) {
    const MediaResource& media = *item;
    ++index;
    if (progress) {
      progress(index, quiz.media.size(), media.path);
    }
    const bool picture = media.id > ANSWER_PICTURE_BASE || quiz.quiz.mediaByte == kPictureQuizByte;
    std::vector<uint8_t> fitted;
    const std::vector<uint8_t>* chosen = &media.bytes;
    if (picture && !keepPictures) {
      if (media.prepared) {
        chosen = media.fitted.empty() ? &media.bytes : &media.fitted;
      } else if (FitPictureForPlayer(media.bytes, quiz.quiz.red, quiz.quiz.green, quiz.quiz.blue, &fitted) ==
                 PictureFitResult::Fitted) {
        chosen = &fitted;
      }
    }
    std::vector<uint8_t> bytes = chosen == &fitted ? std::move(fitted) : *chosen;
    if (media.swapNibbles) {
      SwapNibbles(bytes.data(), bytes.size());
    }
    PutResourceEntry(&resources, media.rcData ? kRcDataType : kPictureType, ResourceName::Id(media.id),
                     std::move(bytes));
  }

  error = WriteResources(&image, resources);
  if (error != PeError::None) {
    *message = std::string("the quiz executable cannot be written: ") + ToString(error);
    return false;
  }
  // Never hand out an executable that the loader would refuse.
  const std::vector<std::string> problems = CheckPeStructure(image.bytes);
  if (!problems.empty()) {
    *message = "the quiz executable came out inconsistent: " + problems.front();
    return false;
  }
  *executable = std::move(image.bytes);
  return true;
}

bool UnpackQuizExecutable(const std::vector<uint8_t>& executable, UnpackedQuiz* unpacked,
                          std::string* message) {
  *unpacked = UnpackedQuiz();
  OpenedPlayer player;
  PeError error = PeError::None;
  if (!OpenPlayer(executable, &player, &error)) {
    *message = error != PeError::None ? ToString(error) : "no stored block: not a quiz player";
    return false;
  }
  const std::vector<ResourceEntry>& resources = player.resources;
  std::string plain;
  if (!DecodeText(player.image.bytes.data() + player.storedOffset, kStoredBlockSize, &plain) ||
      ParseStoredBlock(reinterpret_cast<const uint8_t*>(plain.data()), plain.size(),
                       &unpacked->quiz.storedBlock) != GrammarResult::Ok) {
    *message = "the stored block (link and footer) does not decode";
    return false;
  }
  const ResourceEntry* quizEntry = FindResourceEntry(resources, kPatchType, ResourceName::Id(IDR_QUIZ_TEXT));
  if (!quizEntry) {
    *message = "no quiz inside: the executable has no \"PATCH\" 104 resource";
    return false;
  }
  if (!DecodeText(quizEntry->data.data(), quizEntry->data.size(), &plain) ||
      ParseQuizText(reinterpret_cast<const uint8_t*>(plain.data()), plain.size(), &unpacked->quiz.quiz) !=
          GrammarResult::Ok) {
    *message = "the quiz resource (\"PATCH\" 104) does not decode";
    return false;
  }
  const int count = static_cast<int>(unpacked->quiz.quiz.questions.size());
  const ResourceEntry* codesEntry =
      FindResourceEntry(resources, kPatchType, ResourceName::Id(IDR_SCORE_CODES));
  if (!codesEntry || !DecodeText(codesEntry->data.data(), codesEntry->data.size(), &plain) ||
      ParseScoreCodes(reinterpret_cast<const uint8_t*>(plain.data()), plain.size(), count,
                      &unpacked->quiz.scoreCodes) != GrammarResult::Ok) {
    *message = "the score codes (\"PATCH\" 105) do not decode";
    return false;
  }
  for (int q = 1; q <= count && q <= kMaxQuestionId; ++q) {
    for (int answer = 0; answer < 2; ++answer) {
      const uint16_t id = static_cast<uint16_t>((answer ? ANSWER_PICTURE_BASE : QUESTION_MEDIA_BASE) + q);
      UnpackedMedia media;
      media.id = id;
      media.question = q;
      media.answerPicture = answer == 1;
      if (const ResourceEntry* entry = FindResourceEntry(resources, kPictureType, ResourceName::Id(id))) {
        media.bytes = entry->data;
        if (media.answerPicture) {
          SwapNibbles(media.bytes.data(), media.bytes.size());
        }
      } else if (const ResourceEntry* png = FindResourceEntry(resources, kRcDataType, ResourceName::Id(id))) {
        media.bytes = png->data;
      } else {
        continue;
      }
      const PictureFormat format = DetectPictureFormat(media.bytes);
      if (format != PictureFormat::Unknown) {
        media.extension = PictureExtension(format);
      } else {
        std::string clip = ClipExtension(media.bytes.data(), media.bytes.size());
        for (char& c : clip) {
          c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
        media.extension = clip == "xxx" ? "bin" : clip;
      }
      unpacked->media.push_back(std::move(media));
    }
  }
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
