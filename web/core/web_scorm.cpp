// The core's calls for a page inside a learning platform. The platform keeps
// a right field as one bit of its suspend data; at the next launch the page
// types the field's expected answer back, which earns the same verdict.
#include "content/quiz_document.h"
#include "play/play_state.h"
#include "tool/scorm_package.h"
#include "tool/text_1252.h"
#include "web/core/web_core.h"
#include "web/core/web_result.h"

extern "C" {

// Field `field`'s (from 1) expected answer as UTF-8; empty with 0 when no
// quiz is open or there is no such field.
int WebExpectedAnswer(int field) {
  const QuizDocument* doc = WebOpenDocument();
  if (doc == nullptr || field < 1 || field > AnswerFieldCount(doc)) {
    return FinishCall("", 0);
  }
  const char* expected = ExpectedAnswer(doc->questionAt(FieldQuestion(doc, field)), FieldSlot(doc, field));
  return FinishCall(Cp1252ToUtf8(expected), 1);
}

// The open quiz as a SCORM package (version 12 or 2004) around its one-file
// page `page`, for the authoring page's download; the zip's bytes, or an
// error text with 0.
int WebScormPackage(int version, int passScore, const uint8_t* page, size_t size) {
  const QuizDocument* doc = WebOpenDocument();
  if (doc == nullptr || (version != 12 && version != 2004) || passScore < 0 || passScore > 100) {
    return FinishCall("no quiz is open, or the SCORM version or pass mark is wrong", 0);
  }
  const ScormQuiz quiz = {doc->title, doc->questionCount, passScore};
  std::vector<uint8_t> zip;
  const ZipError error = MakeScormPackage(
      version == 12 ? ScormVersion::Scorm12 : ScormVersion::Scorm2004, quiz,
      page != nullptr ? std::string(reinterpret_cast<const char*>(page), size) : std::string(), &zip);
  if (error != ZipError::None) {
    return FinishCall(ToString(error), 0);
  }
  return FinishCall(std::string(zip.begin(), zip.end()), 1);
}
}
