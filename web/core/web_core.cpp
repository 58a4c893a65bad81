// One quiz session of the web player. The quiz is read from the executable
// with the PE reader, loaded through the same outcome table as the Windows
// player, and played by the portable play session (play/play_session); this
// file only turns calls and state into JSON. Every export answers with JSON
// (or bytes) even when the call fails or memory runs out: {"ok":false,
// "error"}; nothing is written through a pointer the page did not give.
#include "web/core/web_core.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "content/input_limits.h"
#include "content/pe_reader.h"
#include "content/quiz_colours.h"
#include "content/quiz_loader.h"
#include "content/quiz_outcome.h"
#include "content/quiz_pack.h"
#include "content/sha256.h"
#include "content/text_1252.h"
#include "media/picture_rules.h"
#include "play/answers_file.h"
#include "play/play_rules.h"
#include "play/play_session.h"
#include "resources/resource_ids.h"
#include "web/core/web_media.h"
#include "web/core/web_pack.h"
#include "web/core/web_result.h"

namespace {

struct Session {
  std::unique_ptr<QuizDocument> doc;
  std::vector<ResourceEntry> resources;
  std::vector<uint8_t> stored;  // the stored block the document starts from
  PlaySession play;
  std::vector<std::string> messages;  // UTF-8
  std::string hash;                   // SHA-256
  std::vector<MediaInfo> pictures;    // by question - 1: picture or clip
  std::vector<MediaInfo> answerPictures;
};

Session session;

constexpr char kOutOfMemory[] = "M\u00e9moire insuffisante pour cette op\u00e9ration.";

// --- JSON ---------------------------------------------------------------

// A Windows-1252 text of the player as a JSON string.
std::string Text(const char* cp1252) {
  return JsonString(Cp1252ToUtf8(cp1252 != nullptr ? cp1252 : ""));
}

std::string Text(const std::string& cp1252) {
  return Text(cp1252.c_str());
}

std::string Utf8(const std::string& utf8) {
  return JsonString(utf8);
}

std::string Bool(bool value) {
  return JsonBool(value);
}

int Finish(std::string text, int code) {
  return FinishCall(std::move(text), code);
}

int Failed(const std::string& utf8) {
  return Finish("{\"ok\":false,\"error\":" + Utf8(utf8) + "}", 0);
}

// Runs one call; running out of memory (or any other escape) ends it with
// {"ok":false} instead of ending the module.
template <typename Call>
int Guarded(Call call) {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    ResultBuffer().clear();
    ResultBuffer().shrink_to_fit();
    return FinishCall("{\"ok\":false,\"error\":\"" + std::string(kOutOfMemory) + "\"}", 0);
  } catch (...) {
    return Failed("Erreur interne du lecteur.");
  }
}

// --- the quiz -------------------------------------------------------------

CodedBlock PatchBlock(const std::vector<ResourceEntry>& resources, int id) {
  const ResourceEntry* entry = FindResourceEntry(resources, ResourceName::Text(QUIZ_RESOURCE_TYPE),
                                                 ResourceName::Id(static_cast<uint16_t>(id)));
  if (entry == nullptr || entry->data.empty()) {
    return {};
  }
  return {entry->data.data(), entry->data.size(), true};
}

void ReadMedia(Session& fresh) {
  const QuizDocument& doc = *fresh.doc;
  const bool pictures = doc.mediaKind == MediaPicture;
  const bool clips = doc.mediaKind == MediaAudio || doc.mediaKind == MediaVideo;
  PictureBudget budget = FreshPictureBudget();
  const int questions = PaneQuestionCount(&doc);
  fresh.pictures.assign(static_cast<size_t>(questions), MediaInfo());
  fresh.answerPictures.assign(static_cast<size_t>(questions), MediaInfo());
  for (int q = 1; q <= questions && (pictures || clips); ++q) {
    fresh.pictures[static_cast<size_t>(q - 1)] = ReadMediaInfo(fresh.resources, q, false, clips, &budget);
    if (pictures) {
      fresh.answerPictures[static_cast<size_t>(q - 1)] =
          ReadMediaInfo(fresh.resources, q, true, false, &budget);
    }
  }
}

// False with a message for the page when the file is not a quiz player.
// What the session reads of a quiz executable, or of the quiz pack a
// one-file page carries in its place.
bool ReadQuiz(const std::vector<uint8_t>& exe, PackedQuiz* quiz, std::string* error) {
  if (LooksLikeQuizPack(exe.data(), exe.size())) {
    return ReadPackedQuiz(exe, quiz, error);
  }
  PeImage image;
  if (ParsePeImage(exe, &image) != PeError::None) {
    *error = "Ce fichier n'est pas un quiz Trivo : ce n'est pas un programme Windows lisible.";
    return false;
  }
  size_t offset = 0;
  if (ReadResources(image, &quiz->resources) != PeError::None || !FindStoredBlock(image, &offset) ||
      offset + kStoredBlockSize > image.bytes.size()) {
    *error = "Ce fichier n'est pas un quiz Trivo : ce programme ne porte pas de quiz.";
    return false;
  }
  quiz->stored.assign(image.bytes.begin() + offset, image.bytes.begin() + offset + kStoredBlockSize);
  quiz->hash = Sha256Hex(exe.data(), exe.size());
  return true;
}

// A fresh document and play session from the quiz's resources, as at the
// player's start: the document keeps play state of its own ("Cacher").
void StartPlay(Session& quiz) {
  QuizSources sources;
  sources.stored = {quiz.stored.data(), kStoredBlockSize, true};
  sources.quiz = PatchBlock(quiz.resources, IDR_QUIZ_TEXT);
  sources.codes = PatchBlock(quiz.resources, IDR_SCORE_CODES);
  auto doc = std::make_unique<QuizDocument>();
  std::vector<const char*> messages;
  ApplyQuizSources(sources, *doc, &messages);
  quiz.messages.clear();
  for (const char* text : messages) {
    quiz.messages.push_back(Cp1252ToUtf8(text));
  }
  quiz.play = StartPlaySession(doc.get());
  quiz.doc = std::move(doc);
}

bool Load(const std::vector<uint8_t>& exe, std::string* error) {
  PackedQuiz read;
  if (!ReadQuiz(exe, &read, error)) {
    return false;
  }
  auto fresh = std::make_unique<Session>();
  fresh->resources = std::move(read.resources);
  fresh->stored = std::move(read.stored);
  StartPlay(*fresh);
  ReadMedia(*fresh);
  fresh->hash = std::move(read.hash);
  session = std::move(*fresh);
  return true;
}

std::string Typed1252(const char* utf8) {
  const Utf8To1252Result typed = TypedTextTo1252(utf8 != nullptr ? utf8 : "");
  return typed.ok ? typed.bytes : std::string();
}

std::string BackgroundJson(const QuizDocument& doc) {
  return "[" + std::to_string(doc.backRed) + "," + std::to_string(doc.backGreen) + "," +
         std::to_string(doc.backBlue) + "]";
}

std::string QuestionsJson(const QuizDocument& doc) {
  const bool clips = doc.mediaKind == MediaAudio || doc.mediaKind == MediaVideo;
  std::string out = "[";
  for (int q = 1; q <= PaneQuestionCount(&doc); ++q) {
    const QuestionEntry* entry = doc.questionAt(q);
    const size_t i = static_cast<size_t>(q - 1);
    out += (q > 1 ? "," : "");
    out += "{\"text\":" + Text(entry != nullptr ? entry->questionText : "") +
           ",\"comment\":" + Text(entry != nullptr ? entry->comment : "");
    if (clips) {
      out += ",\"clip\":" + ClipInfoJson(session.pictures[i]);
    } else {
      out += ",\"picture\":" + PictureInfoJson(session.pictures[i]) +
             ",\"answerPicture\":" + PictureInfoJson(session.answerPictures[i]);
    }
    out += "}";
  }
  return out + "]";
}

std::string QuizJson() {
  const QuizDocument& doc = *session.doc;
  std::string out = "{\"title\":" + Text(doc.title) + ",\"creator\":" + Text(doc.creator) +
                    ",\"explanation\":" + Text(doc.explanation) + ",\"link\":" + Text(doc.linkText) +
                    ",\"footer\":" + Text(doc.footerText) + ",\"label1\":" + Text(doc.answerLabel1) +
                    ",\"label2\":" + Text(doc.answerLabel2);
  out += ",\"mediaKind\":" + std::to_string(doc.mediaKind) +
         ",\"answersPerQuestion\":" + std::to_string(doc.answersPerQuestion) +
         ",\"fieldsPerQuestion\":" + std::to_string(AnswerFieldsPerQuestion(&doc)) +
         ",\"questionCount\":" + std::to_string(doc.questionCount) +
         ",\"revealMode\":" + std::to_string(doc.revealMode);
  out += ",\"background\":" + BackgroundJson(doc) +
         ",\"labelColour\":" + Utf8(CssColour(LabelTextColour({doc.backRed, doc.backGreen, doc.backBlue})));
  out += ",\"hideBox\":" + Bool(OffersHideBox(&doc)) + ",\"textLimit\":" + std::to_string(kMaxTextLength) +
         ",\"tabOffset\":" + std::to_string(kTabViewOffset) + ",\"box\":" + std::to_string(kPictureBox);
  out += ",\"hash\":" + Utf8(session.hash);
  return out + ",\"questions\":" + QuestionsJson(doc) + "}";
}

std::string FieldJson(size_t k) {
  const PlayFields& fields = session.play.fields;
  const VerdictKind kind = VerdictKindOf(fields.status[k].c_str());
  uint32_t colour = 0;
  const bool coloured = VerdictColour(kind, &colour);
  return "{\"typed\":" + Text(fields.typed[k]) + ",\"status\":" + Text(fields.status[k]) +
         ",\"kind\":" + Utf8(VerdictKindName(kind)) +
         ",\"colour\":" + (coloured ? Utf8(CssColour(colour)) : "null") + "}";
}

std::string StateJson() {
  const QuizDocument* doc = session.doc.get();
  const PlaySession& play = session.play;
  const int score = CountScore(doc, play.fields);
  std::string out = "{\"ok\":true,\"score\":" + std::to_string(score) +
                    ",\"scoreText\":" + Text(ScoreText(score, doc->questionCount)) +
                    ",\"code\":" + Text(ScoreCode(doc, score)) + ",\"hide\":" + Bool(play.hide) +
                    ",\"fields\":[";
  for (size_t k = 0; k < play.fields.typed.size(); ++k) {
    out += (k > 0 ? "," : "") + FieldJson(k);
  }
  out += "],\"questions\":[";
  for (int q = 1; q <= PaneQuestionCount(doc); ++q) {
    const QuestionEntry* entry = doc->questionAt(q);
    const size_t i = static_cast<size_t>(q - 1);
    out += (q > 1 ? "," : "");
    out += "{\"answered\":" + Bool(entry != nullptr && entry->answered) +
           ",\"comment\":" + Bool(play.commentShown[i]) +
           ",\"answerPicture\":" + Bool(play.answerPicture[i]) +
           ",\"folded\":" + std::to_string(doc->hideState[q]) + "}";
  }
  return out + "]}";
}

bool Open() {
  return session.doc != nullptr;
}

int NoQuiz() {
  return Failed("Aucun quiz n'est ouvert.");
}

std::vector<uint8_t> Bytes(const uint8_t* bytes, size_t size) {
  return bytes != nullptr ? std::vector<uint8_t>(bytes, bytes + size) : std::vector<uint8_t>();
}

}  // namespace

extern "C" {

uint8_t* WebAlloc(size_t size) {
  return static_cast<uint8_t*>(std::malloc(size > 0 ? size : 1));
}

void WebFree(uint8_t* bytes) {
  std::free(bytes);
}

const uint8_t* WebResultData() {
  return reinterpret_cast<const uint8_t*>(ResultBuffer().data());
}

size_t WebResultSize() {
  return ResultBuffer().size();
}

int WebLimits() {
  return Finish("{\"quizBytes\":" + std::to_string(kQuizBytesLimit) +
                    ",\"sourceBytes\":" + std::to_string(kSourceBytesLimit) +
                    ",\"archiveBytes\":" + std::to_string(kArchiveBytesLimit) +
                    ",\"mediaBytes\":" + std::to_string(kMediaBytesLimit) + "}",
                1);
}

int WebOpenQuiz(const uint8_t* bytes, size_t size) {
  return Guarded([&] {
    std::string error;
    if (size > kQuizBytesLimit) {
      return Failed("Ce fichier est trop grand pour un quiz Trivo.");
    }
    if (!Load(Bytes(bytes, size), &error)) {
      return Failed(error);
    }
    std::string out = "{\"ok\":true,\"messages\":[";
    for (size_t i = 0; i < session.messages.size(); ++i) {
      out += (i > 0 ? "," : "") + Utf8(session.messages[i]);
    }
    return Finish(out + "],\"quiz\":" + QuizJson() + ",\"state\":" + StateJson() + "}", 1);
  });
}

int WebMedia(int q, int answer) {
  return Guarded([&] {
    ResultBuffer().clear();
    const int questions = Open() ? static_cast<int>(session.pictures.size()) : 0;
    MediaBody body;
    if (q < 1 || q > questions ||
        !ReadMediaBody(session.resources, q, answer != 0,
                       (answer != 0 ? session.answerPictures : session.pictures)[static_cast<size_t>(q - 1)],
                       &body)) {
      return Finish("null", 0);
    }
    // The head, a line break, then the bytes.
    std::string out = body.head + "\n";
    out.append(body.bytes.begin(), body.bytes.end());
    return Finish(std::move(out), 1);
  });
}

int WebTypeField(int field, const char* utf8) {
  return Guarded([&] {
    if (!Open()) {
      return NoQuiz();
    }
    TypeField(session.play, field, Typed1252(utf8));
    return Finish(StateJson(), 1);
  });
}

int WebFillFrom(int field, const char* utf8) {
  return Guarded([&] {
    if (!Open()) {
      return NoQuiz();
    }
    FillFrom(session.play, field, Typed1252(utf8));
    return Finish(StateJson(), 1);
  });
}

int WebSetHide(int checked) {
  return Guarded([&] {
    if (!Open()) {
      return NoQuiz();
    }
    SetHide(session.play, checked != 0);
    return Finish(StateJson(), 1);
  });
}

int WebState() {
  return Guarded([&] { return Open() ? Finish(StateJson(), 1) : NoQuiz(); });
}

int WebAnswersFile() {
  return Guarded(
      [&] { return Open() ? Finish(FormatAnswersFile(session.play.fields.typed), 1) : Finish("", 0); });
}

int WebLoadAnswers(const uint8_t* bytes, size_t size) {
  return Guarded([&] {
    if (!Open()) {
      return NoQuiz();
    }
    // As at the player's start: a fresh quiz whose fields take the lines in
    // order, each judged as it is filled.
    const bool hide = session.play.hide;
    StartPlay(session);
    ReplayAnswers(session.play, reinterpret_cast<const char*>(bytes), bytes != nullptr ? size : 0);
    if (hide) {
      SetHide(session.play, true);
    }
    return Finish(StateJson(), 1);
  });
}

int WebAnswersFileName(const char* exeName) {
  return Guarded([&] { return Finish(AnswersFileName(exeName != nullptr ? exeName : ""), 1); });
}

int WebLegacyKey(const uint8_t* bytes, size_t size) {
  return Guarded([&] { return Finish(Fnv1a64Hex(bytes, bytes != nullptr ? size : 0), 1); });
}

int WebResource(const char* type, int id) {
  return Guarded([&] {
    const ResourceEntry* entry = Open() && type != nullptr && id > 0 && id <= 0xFFFF
                                     ? FindResourceEntry(session.resources, ResourceName::Text(type),
                                                         ResourceName::Id(static_cast<uint16_t>(id)))
                                     : nullptr;
    if (entry == nullptr) {
      return Finish("", 0);
    }
    return Finish(std::string(entry->data.begin(), entry->data.end()), 1);
  });
}
}

const QuizDocument* WebOpenDocument() {
  return session.doc.get();
}
