// One quiz session of the web player. The quiz is read from the executable
// with the tool's PE reader, loaded through the same outcome table as the
// Windows player, and played with the same rules; what the Windows player
// shows by hiding, showing and moving controls is kept here as plain flags
// the page draws from.
#include "web/core/web_core.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "content/quiz_loader.h"
#include "content/quiz_outcome.h"
#include "media/clip_format.h"
#include "play/answers_file.h"
#include "play/play_state.h"
#include "resources/resource_ids.h"
#include "tool/judge_text.h"
#include "tool/pe_image.h"
#include "tool/picture_check.h"
#include "tool/quiz_build.h"
#include "tool/quiz_source.h"
#include "tool/text_1252.h"
#include "web/core/web_result.h"

namespace {

struct Session {
  std::vector<uint8_t> exe;
  std::unique_ptr<QuizDocument> doc;
  std::vector<ResourceEntry> resources;
  PlayFields fields;
  std::vector<bool> commentShown;   // by question - 1
  std::vector<bool> answerPicture;  // the answer picture replaced the question's
  bool hide = false;
  std::vector<std::string> messages;  // UTF-8
  std::string hash;
};

Session session;

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

// --- the quiz -------------------------------------------------------------

std::string HashHex(const std::vector<uint8_t>& bytes) {
  uint64_t h = 14695981039346656037ull;  // FNV-1a, 64 bits
  for (uint8_t b : bytes) {
    h = (h ^ b) * 1099511628211ull;
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
  return hex;
}

CodedBlock PatchBlock(const std::vector<ResourceEntry>& resources, int id) {
  const ResourceEntry* entry = FindResourceEntry(resources, ResourceName::Text(QUIZ_RESOURCE_TYPE),
                                                 ResourceName::Id(static_cast<uint16_t>(id)));
  if (entry == nullptr || entry->data.empty()) {
    return {};
  }
  return {entry->data.data(), entry->data.size(), true};
}

// False with a message for the page when the file is not a quiz player.
bool Load(std::vector<uint8_t> exe, std::string* error) {
  Session fresh;
  PeImage image;
  if (ParsePeImage(exe, &image) != PeError::None) {
    *error = "Ce fichier n'est pas un quiz Trivo : ce n'est pas un programme Windows lisible.";
    return false;
  }
  size_t offset = 0;
  if (ReadResources(image, &fresh.resources) != PeError::None || !FindStoredBlock(image, &offset) ||
      offset + kStoredBlockSize > image.bytes.size()) {
    *error = "Ce fichier n'est pas un quiz Trivo : ce programme ne porte pas de quiz.";
    return false;
  }
  QuizSources sources;
  sources.stored = {image.bytes.data() + offset, kStoredBlockSize, true};
  sources.quiz = PatchBlock(fresh.resources, IDR_QUIZ_TEXT);
  sources.codes = PatchBlock(fresh.resources, IDR_SCORE_CODES);
  fresh.doc = std::make_unique<QuizDocument>();
  std::vector<const char*> messages;
  ApplyQuizSources(sources, *fresh.doc, &messages);
  for (const char* text : messages) {
    fresh.messages.push_back(Cp1252ToUtf8(text));
  }
  fresh.fields = EmptyPlayFields(fresh.doc.get());
  const size_t questions = static_cast<size_t>(PaneQuestionCount(fresh.doc.get()));
  fresh.commentShown.assign(questions, false);
  fresh.answerPicture.assign(questions, false);
  fresh.hash = HashHex(exe);
  fresh.exe = std::move(exe);
  session = std::move(fresh);
  return true;
}

void SetShown(std::vector<bool>& flags, int q, bool value) {
  if (q >= 1 && q <= static_cast<int>(flags.size())) {
    flags[q - 1] = value;
  }
}

// The "Cacher" relayout after every recount, as the Windows player runs it.
void Relayout() {
  for (const HideStep& step : PlanHideAnswered(session.doc.get(), session.fields, session.hide)) {
    if (step.kind == HideStepKind::Fold) {
      SetShown(session.commentShown, step.question, false);
    } else if (step.kind == HideStepKind::Unfold) {
      SetShown(session.commentShown, step.question, step.commentDue);
    }
  }
}

void Judge(int field) {
  QuizDocument* doc = session.doc.get();
  JudgeStep step = JudgeField(doc, session.fields, field);
  if (!step.changed) {
    return;
  }
  if (step.hideComment) {
    SetShown(session.commentShown, step.question, false);
  }
  if (step.showComment) {
    SetShown(session.commentShown, step.question, true);
  }
  if (step.showAnswerPicture && doc->mediaKind == MediaPicture) {
    SetShown(session.answerPicture, step.question, true);
  }
  if (step.showAllComments) {
    for (int q = 1; q <= PaneQuestionCount(doc); ++q) {
      if (doc->hideState[q] == 0) {
        SetShown(session.commentShown, q, true);
      }
    }
  }
  Relayout();
}

void SetTyped(int field, const char* utf8) {
  if (field < 1 || field > static_cast<int>(session.fields.typed.size())) {
    return;
  }
  Utf8To1252Result typed = TypedTextTo1252(utf8 != nullptr ? utf8 : "");
  session.fields.typed[field - 1] = typed.ok ? typed.bytes.substr(0, kMaxTextLength) : std::string();
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
  out += ",\"background\":[" + std::to_string(doc.backRed) + "," + std::to_string(doc.backGreen) + "," +
         std::to_string(doc.backBlue) + "]";
  out += ",\"hideBox\":" + Bool(doc.mediaKind == MediaPicture && doc.answersPerQuestion == 1);
  out += ",\"hash\":" + Utf8(session.hash) + ",\"questions\":[";
  for (int q = 1; q <= PaneQuestionCount(&doc); ++q) {
    const QuestionEntry* entry = doc.questionAt(q);
    out += (q > 1 ? "," : "");
    out += "{\"text\":" + Text(entry != nullptr ? entry->questionText : "") +
           ",\"comment\":" + Text(entry != nullptr ? entry->comment : "") + "}";
  }
  return out + "]}";
}

std::string StateJson() {
  const QuizDocument* doc = session.doc.get();
  const int score = CountScore(doc, session.fields);
  std::string out =
      "{\"score\":" + std::to_string(score) + ",\"scoreText\":" + Text(ScoreText(score, doc->questionCount)) +
      ",\"code\":" + Text(ScoreCode(doc, score)) + ",\"hide\":" + Bool(session.hide) + ",\"fields\":[";
  for (size_t k = 0; k < session.fields.typed.size(); ++k) {
    out += (k > 0 ? "," : "");
    out +=
        "{\"typed\":" + Text(session.fields.typed[k]) + ",\"status\":" + Text(session.fields.status[k]) + "}";
  }
  out += "],\"questions\":[";
  for (int q = 1; q <= PaneQuestionCount(doc); ++q) {
    const QuestionEntry* entry = doc->questionAt(q);
    out += (q > 1 ? "," : "");
    out += "{\"answered\":" + Bool(entry != nullptr && entry->answered) +
           ",\"comment\":" + Bool(session.commentShown[q - 1]) +
           ",\"answerPicture\":" + Bool(session.answerPicture[q - 1]) +
           ",\"folded\":" + std::to_string(doc->hideState[q]) + "}";
  }
  return out + "]}";
}

bool Open() {
  return session.doc != nullptr;
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

int WebOpenQuiz(const uint8_t* bytes, size_t size) {
  std::string error;
  if (!Load(Bytes(bytes, size), &error)) {
    return Finish("{\"ok\":false,\"error\":" + Utf8(error) + "}", 0);
  }
  std::string out = "{\"ok\":true,\"messages\":[";
  for (size_t i = 0; i < session.messages.size(); ++i) {
    out += (i > 0 ? "," : "") + Utf8(session.messages[i]);
  }
  return Finish(out + "],\"quiz\":" + QuizJson() + ",\"state\":" + StateJson() + "}", 1);
}

const char* WebMedia(int q, int answer) {
  std::string& result = ResultBuffer();
  result.clear();
  if (!Open() || q < 1 || q > kMaxQuestions) {
    return nullptr;
  }
  const uint16_t id = static_cast<uint16_t>((answer != 0 ? ANSWER_PICTURE_BASE : QUESTION_MEDIA_BASE) + q);
  if (const ResourceEntry* entry = FindResourceEntry(
          session.resources, ResourceName::Text(PICTURE_RESOURCE_TYPE), ResourceName::Id(id))) {
    std::vector<uint8_t> bytes = entry->data;
    if (answer != 0) {
      for (uint8_t& byte : bytes) {
        byte = static_cast<uint8_t>((byte << 4) | (byte >> 4));
      }
    }
    const PictureFormat format = DetectPictureFormat(bytes);
    result.assign(bytes.begin(), bytes.end());
    return format != PictureFormat::Unknown ? PictureExtension(format)
                                            : ClipExtension(bytes.data(), bytes.size());
  }
  if (const ResourceEntry* png =
          FindResourceEntry(session.resources, ResourceName::Id(kResourceTypeRcData), ResourceName::Id(id))) {
    std::vector<uint8_t> bmp;
    uint32_t errorCode = 0;
    if (!DecodePngToBmp(png->data, &bmp, &errorCode)) {
      return "error";
    }
    result.assign(bmp.begin(), bmp.end());
    return "bmp";
  }
  return nullptr;
}

int WebTypeField(int field, const char* utf8) {
  if (!Open()) {
    return Finish("{}", 0);
  }
  SetTyped(field, utf8);
  Judge(field);
  return Finish(StateJson(), 1);
}

int WebFillFrom(int field, const char* utf8) {
  if (!Open()) {
    return Finish("{}", 0);
  }
  SetTyped(field, utf8);
  const std::string text = field >= 1 && field <= static_cast<int>(session.fields.typed.size())
                               ? session.fields.typed[field - 1]
                               : std::string();
  const std::vector<int> order = FillOrder(session.doc.get(), session.fields, field);
  Judge(field);  // the focus leaves the field first
  for (int k : order) {
    session.fields.typed[k - 1] = text;
    Judge(k);
  }
  return Finish(StateJson(), 1);
}

int WebSetHide(int checked) {
  if (!Open()) {
    return Finish("{}", 0);
  }
  session.hide = checked != 0;
  Relayout();
  return Finish(StateJson(), 1);
}

int WebState() {
  return Open() ? Finish(StateJson(), 1) : Finish("{}", 0);
}

int WebAnswersFile() {
  return Open() ? Finish(FormatAnswersFile(session.fields.typed), 1) : Finish("", 0);
}

int WebLoadAnswers(const uint8_t* bytes, size_t size) {
  if (!Open()) {
    return Finish("{}", 0);
  }
  // As at the player's start: a fresh quiz whose fields take the lines in
  // order, each judged as it is filled.
  std::string error;
  const bool hide = session.hide;
  Load(session.exe, &error);
  SavedAnswerReader reader;
  reader.data = reinterpret_cast<const char*>(bytes);
  reader.size = bytes != nullptr ? size : 0;
  for (int k = 1; k <= static_cast<int>(session.fields.typed.size()); ++k) {
    char line[kTextCapacity];
    ReadSavedAnswer(reader, line);
    session.fields.typed[k - 1] = line;
    Judge(k);
  }
  if (hide) {
    session.hide = true;
    Relayout();
  }
  return Finish(StateJson(), 1);
}

int WebAnswersFileName(const char* exeName) {
  return Finish(AnswersFileName(exeName != nullptr ? exeName : ""), 1);
}

int WebResource(const char* type, int id) {
  const ResourceEntry* entry = Open() && type != nullptr && id > 0 && id <= 0xFFFF
                                   ? FindResourceEntry(session.resources, ResourceName::Text(type),
                                                       ResourceName::Id(static_cast<uint16_t>(id)))
                                   : nullptr;
  if (entry == nullptr) {
    return Finish("", 0);
  }
  return Finish(std::string(entry->data.begin(), entry->data.end()), 1);
}

int WebJudge(const char* expectedUtf8, const char* typedUtf8) {
  std::string verdict;
  std::string error;
  if (!JudgeUtf8(expectedUtf8 != nullptr ? expectedUtf8 : "", typedUtf8 != nullptr ? typedUtf8 : "", &verdict,
                 &error)) {
    return Finish(error, 0);
  }
  return Finish(verdict, 1);
}

int WebDecodePng(const uint8_t* bytes, size_t size) {
  std::vector<uint8_t> bmp;
  uint32_t errorCode = 0;
  if (!DecodePngToBmp(Bytes(bytes, size), &bmp, &errorCode)) {
    return Finish(std::to_string(errorCode), 0);
  }
  return Finish(std::string(bmp.begin(), bmp.end()), 1);
}

int WebUnpack(const uint8_t* bytes, size_t size) {
  UnpackedQuiz unpacked;
  std::string message;
  if (!UnpackQuizExecutable(Bytes(bytes, size), &unpacked, &message)) {
    return Finish("{\"ok\":false,\"error\":" + Utf8(message) + "}", 0);
  }
  std::string out = "{\"ok\":true,\"toml\":" + Utf8(FormatQuizSource(unpacked)) + ",\"media\":[";
  for (size_t i = 0; i < unpacked.media.size(); ++i) {
    std::vector<uint8_t>& media = unpacked.media[i].bytes;
    out += (i > 0 ? "," : "");
    out += "{\"name\":" + Utf8(MediaFileName(unpacked.media[i])) +
           ",\"size\":" + std::to_string(media.size()) + ",\"hash\":" + Utf8(HashHex(media)) + "}";
  }
  return Finish(out + "]}", 1);
}
}

const QuizDocument* WebOpenDocument() {
  return session.doc.get();
}
