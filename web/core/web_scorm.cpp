// The core's call for a page inside a learning platform. The platform keeps
// a right field as one bit of its suspend data; at the next launch the page
// types the field's expected answer back, which earns the same verdict. The
// play-only core links it, so nothing here reaches the tool's packaging.
#include "content/quiz_document.h"
#include "content/text_1252.h"
#include "play/play_state.h"
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
}
