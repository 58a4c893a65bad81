// The grammar of the decoded quiz texts.
//
// Fields are runs of bytes ended by '|' (a field may be empty); numbers are
// single raw bytes. A quiz with two questions, one answer each and reveal
// mode 2 (comments) reads, with numbers shown as <n>:
//
//   <0><1><2><1>Capitals|Ann|Name the capital|Answer|Second|
//   Paris|France?|Rome|Italy?|<2>Seine|Tiber|<255><255><255>
//
// The stored block is two passed-over bytes, the link and the footer; the
// codes block is one CR LF ended line per question.
//
// Every byte is read through QuizCursor. A read past the end returns 0 or an
// empty field and sets a sticky flag; a text that ends before everything it
// announces is refused as a whole (GrammarResult::Truncated), so the caller
// never applies half a quiz.
#include "content/quiz_grammar.h"

#include <algorithm>

#include "content/quiz_document.h"

namespace {

constexpr uint8_t kFieldEnd = '|';
constexpr uint8_t kLineEnd = '\r';
constexpr int kSecondAnswerCount = 2;  // answersPerQuestion that carries answer2

// Reveal modes whose questions carry comment fields.
bool CarriesComment(uint8_t mode) {
  return mode == RevealComment || mode == RevealCommentAndPicture || mode == RevealAllComments;
}
bool CarriesSecondComment(uint8_t mode) {
  return mode == RevealCommentAndPicture;
}

struct QuizCursor {
  const uint8_t* text;
  size_t size;
  size_t position = 0;
  bool truncated = false;

  uint8_t readByte() {
    if (position >= size) {
      truncated = true;
      return 0;
    }
    return text[position++];
  }

  // The bytes up to `end`; the end byte is consumed and belongs to no field.
  std::string readUntil(uint8_t end) {
    if (position >= size) {
      truncated = true;
      return {};
    }
    const uint8_t* start = text + position;
    const uint8_t* stop = std::find(start, text + size, end);
    if (stop == text + size) {
      truncated = true;
      position = size;
      return {};
    }
    position += static_cast<size_t>(stop - start) + 1;
    return std::string(reinterpret_cast<const char*>(start), static_cast<size_t>(stop - start));
  }

  std::string readField() { return readUntil(kFieldEnd); }

  GrammarResult result() const { return truncated ? GrammarResult::Truncated : GrammarResult::Ok; }
};

void PutField(std::string& out, const std::string& field) {
  out += field;
  out += static_cast<char>(kFieldEnd);
}

void PutByte(std::string& out, uint8_t value) {
  out += static_cast<char>(value);
}

}  // namespace

GrammarResult ParseStoredBlock(const uint8_t* text, size_t size, StoredBlockText* out) {
  QuizCursor cursor{text, text != nullptr ? size : 0};
  StoredBlockText block;
  cursor.readByte();
  cursor.readByte();
  block.linkText = cursor.readField();
  block.footerText = cursor.readField();
  if (cursor.truncated) {
    return GrammarResult::Truncated;
  }
  *out = std::move(block);
  return GrammarResult::Ok;
}

GrammarResult ParseQuizText(const uint8_t* text, size_t size, QuizText* out) {
  QuizCursor cursor{text, text != nullptr ? size : 0};
  QuizText quiz;
  quiz.leadByte = cursor.readByte();
  quiz.mediaByte = cursor.readByte();
  uint8_t count = cursor.readByte();
  quiz.answersPerQuestion = cursor.readByte();
  quiz.title = cursor.readField();
  quiz.creator = cursor.readField();
  quiz.explanation = cursor.readField();
  quiz.answerLabel1 = cursor.readField();
  quiz.answerLabel2 = cursor.readField();
  // Each question holds at least two bytes, so a count the text cannot hold
  // stops at the first missing field instead of reserving for it.
  for (int i = 0; i < count && !cursor.truncated; ++i) {
    QuestionText question;
    question.answer1 = cursor.readField();
    if (quiz.answersPerQuestion == kSecondAnswerCount) {
      question.answer2 = cursor.readField();
    }
    question.questionText = cursor.readField();
    quiz.questions.push_back(std::move(question));
  }
  quiz.revealMode = cursor.readByte();
  if (CarriesComment(quiz.revealMode)) {
    for (QuestionText& question : quiz.questions) {
      question.comment = cursor.readField();
      if (CarriesSecondComment(quiz.revealMode)) {
        question.secondComment = cursor.readField();
      }
    }
  }
  quiz.red = cursor.readByte();
  quiz.green = cursor.readByte();
  quiz.blue = cursor.readByte();
  if (cursor.truncated) {
    return GrammarResult::Truncated;
  }
  *out = std::move(quiz);
  return GrammarResult::Ok;
}

GrammarResult ParseScoreCodes(const uint8_t* text, size_t size, int count, std::vector<std::string>* out) {
  QuizCursor cursor{text, text != nullptr ? size : 0};
  std::vector<std::string> codes;
  for (int i = 0; i < count && !cursor.truncated; ++i) {
    codes.push_back(cursor.readUntil(kLineEnd));
    cursor.readByte();  // the LF: passed over unread, but it must be there
  }
  if (cursor.truncated) {
    return GrammarResult::Truncated;
  }
  *out = std::move(codes);
  return GrammarResult::Ok;
}

std::string FormatStoredBlock(const StoredBlockText& block) {
  std::string out(2, '\0');
  PutField(out, block.linkText);
  PutField(out, block.footerText);
  return out;
}

std::string FormatQuizText(const QuizText& quiz) {
  size_t count = std::min<size_t>(quiz.questions.size(), 255);
  std::string out;
  PutByte(out, quiz.leadByte);
  PutByte(out, quiz.mediaByte);
  PutByte(out, static_cast<uint8_t>(count));
  PutByte(out, quiz.answersPerQuestion);
  PutField(out, quiz.title);
  PutField(out, quiz.creator);
  PutField(out, quiz.explanation);
  PutField(out, quiz.answerLabel1);
  PutField(out, quiz.answerLabel2);
  for (size_t i = 0; i < count; ++i) {
    PutField(out, quiz.questions[i].answer1);
    if (quiz.answersPerQuestion == kSecondAnswerCount) {
      PutField(out, quiz.questions[i].answer2);
    }
    PutField(out, quiz.questions[i].questionText);
  }
  PutByte(out, quiz.revealMode);
  if (CarriesComment(quiz.revealMode)) {
    for (size_t i = 0; i < count; ++i) {
      PutField(out, quiz.questions[i].comment);
      if (CarriesSecondComment(quiz.revealMode)) {
        PutField(out, quiz.questions[i].secondComment);
      }
    }
  }
  PutByte(out, quiz.red);
  PutByte(out, quiz.green);
  PutByte(out, quiz.blue);
  return out;
}

std::string FormatScoreCodes(const std::vector<std::string>& codes) {
  std::string out;
  for (const std::string& code : codes) {
    out += code;
    out += "\r\n";
  }
  return out;
}

void ApplyStoredBlock(const StoredBlockText& block, QuizDocument& doc) {
  CopyText(doc.linkText, sizeof(doc.linkText), block.linkText.data(), block.linkText.size());
  CopyText(doc.footerText, sizeof(doc.footerText), block.footerText.data(), block.footerText.size());
}

void ApplyQuizText(const QuizText& quiz, QuizDocument& doc) {
  // A media byte outside 1..4 would name no media kind; the quiz is then
  // shown as a text quiz rather than handing an unknown kind to the pane.
  doc.mediaKind = quiz.mediaByte >= 1 && quiz.mediaByte <= 4 ? quiz.mediaByte - 1 : MediaText;
  // Likewise only 2 means two answer fields; the grammar read one otherwise.
  doc.answersPerQuestion = quiz.answersPerQuestion == kSecondAnswerCount ? 2 : 1;
  int kept = static_cast<int>(std::min<size_t>(quiz.questions.size(), kMaxQuestions));
  doc.questionCount = kept;
  CopyText(doc.title, sizeof(doc.title), quiz.title.data(), quiz.title.size());
  CopyText(doc.creator, sizeof(doc.creator), quiz.creator.data(), quiz.creator.size());
  CopyText(doc.explanation, sizeof(doc.explanation), quiz.explanation.data(), quiz.explanation.size());
  CopyText(doc.answerLabel1, sizeof(doc.answerLabel1), quiz.answerLabel1.data(), quiz.answerLabel1.size());
  CopyText(doc.answerLabel2, sizeof(doc.answerLabel2), quiz.answerLabel2.data(), quiz.answerLabel2.size());

  // addQuestion takes zero-terminated texts: cut each to its buffer first.
  char answer1[kTextCapacity];
  char answer2[kTextCapacity];
  char questionText[kTextCapacity];
  for (int i = 0; i < kept; ++i) {
    const QuestionText& question = quiz.questions[static_cast<size_t>(i)];
    CopyText(answer1, sizeof(answer1), question.answer1.data(), question.answer1.size());
    if (doc.answersPerQuestion == kSecondAnswerCount) {
      CopyText(answer2, sizeof(answer2), question.answer2.data(), question.answer2.size());
    } else {
      answer2[0] = '\0';
    }
    CopyText(questionText, sizeof(questionText), question.questionText.data(), question.questionText.size());
    doc.addQuestion(answer1, answer2, questionText);
  }

  doc.revealMode = quiz.revealMode;
  if (CarriesComment(quiz.revealMode)) {
    for (int i = 0; i < kept; ++i) {
      QuestionEntry* entry = doc.questionAt(i + 1);
      if (entry != nullptr) {
        const std::string& comment = quiz.questions[static_cast<size_t>(i)].comment;
        CopyText(entry->comment, sizeof(entry->comment), comment.data(), comment.size());
      }
    }
  }
  doc.backRed = quiz.red;
  doc.backGreen = quiz.green;
  doc.backBlue = quiz.blue;
}

void ApplyScoreCodes(const std::vector<std::string>& codes, QuizDocument& doc) {
  size_t kept = std::min<size_t>(codes.size(), kMaxQuestions);
  for (size_t i = 0; i < kept; ++i) {
    CopyText(doc.scoreCodes[i], sizeof(doc.scoreCodes[i]), codes[i].data(), codes[i].size());
  }
}

void ApplyBuiltInTestQuiz(QuizDocument& doc) {
  CopyText(doc.title, sizeof(doc.title), "Nom du trivo");
  CopyText(doc.creator, sizeof(doc.creator), "Createur trivo");
  CopyText(doc.explanation, sizeof(doc.explanation), "Explications du trivo");
  CopyText(doc.answerLabel1, sizeof(doc.answerLabel1), "TEST");
  CopyText(doc.answerLabel2, sizeof(doc.answerLabel2), "TEST");
  doc.revealMode = RevealCommentAndPicture;
  doc.answersPerQuestion = 1;
  // Seven questions announced over a list of two: questionAt gives the
  // second entry for the numbers 2 to 7.
  doc.questionCount = 7;
  doc.mediaKind = MediaPicture;
  doc.backRed = 0x33;
  doc.backGreen = 0x66;
  doc.backBlue = 0xFF;
  doc.addQuestion("test", "test", "emplacement");
  doc.addQuestion("test", "test", "emplacement");
}
