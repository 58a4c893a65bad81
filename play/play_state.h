// The rules of play, apart from any window: which answer fields are right,
// when a question is answered, what each reveal mode shows, the score and
// its code, the F1 fill order and the "Cacher" relayout's arithmetic. The
// Windows player reads its controls into PlayFields and applies the steps
// these functions return; the web player keeps PlayFields as its state.
#pragma once

#include <string>
#include <vector>

#include "content/quiz_document.h"

// Answer fields per question as the pane builds them: a text quiz always has
// one, the other kinds `answersPerQuestion`.
int AnswerFieldsPerQuestion(const QuizDocument* doc);
// Questions the pane holds controls for (at most 96).
int PaneQuestionCount(const QuizDocument* doc);
int AnswerFieldCount(const QuizDocument* doc);
// The question (from 1) of answer field `field` (from 1), and which of its
// answers (1 or 2) the field holds.
int FieldQuestion(const QuizDocument* doc, int field);
int FieldSlot(const QuizDocument* doc, int field);
const char* ExpectedAnswer(const QuestionEntry* entry, int slot);

// The answer fields as shown, by field number - 1: the typed text
// (Windows-1252) and the status word ("?" until judged).
struct PlayFields {
  std::vector<std::string> typed;
  std::vector<std::string> status;
};

PlayFields EmptyPlayFields(const QuizDocument* doc);
bool FieldIsRight(const PlayFields& fields, int field);

// What judging one field changed; the player shows it.
struct JudgeStep {
  bool changed = false;  // a new verdict, in `verdict`
  const char* verdict = nullptr;
  int question = 0;
  bool hideComment = false;        // a field that is not right hides its question's comment
  bool answered = false;           // every field of the question just turned right
  bool showComment = false;        // the question's comment comes out
  bool showAnswerPicture = false;  // its picture is swapped for the answer picture
  bool showAllComments = false;    // every comment of a question not folded comes out
};

// The verdict field `field` (from 1) earns with `typed`. JudgeField changes nothing when this equals the
// field's status, which lets a caller skip reading every other field.
const char* FieldVerdict(const QuizDocument* doc, int field, const char* typed);

// Judges field `field` on its typed text, writes the verdict into `fields`
// and updates the document (answered, allCommentsShown).
JudgeStep JudgeField(QuizDocument* doc, PlayFields& fields, int field);

// Questions whose fields all read "BRAVO".
int CountScore(const QuizDocument* doc, const PlayFields& fields);
// " %d / %d" as the header shows it.
std::string ScoreText(int score, int questionCount);
// The code of a score; six spaces for 0.
const char* ScoreCode(const QuizDocument* doc, int score);

// F1 from field `from`: the fields that take its text, in order, each
// judged as it is filled (`from` itself is judged first and is not listed).
std::vector<int> FillOrder(const QuizDocument* doc, const PlayFields& fields, int from);

// Whether question q's comment belongs on screen when its question unfolds.
bool CommentDue(const QuizDocument* doc, const PlayFields& fields, int q);

// The "Cacher" relayout. Folding hides a question's picture and comment and
// moves its answer controls up by its row's picture height; once a row's
// three questions are folded the row collapses and every later question
// moves up as well. Turning the box off walks the same steps backwards.
enum class HideStepKind { Fold, Unfold, Move };
struct HideStep {
  HideStepKind kind;
  int question;
  int amount;               // pixels, always positive
  int sign;                 // -1 up, +1 down
  bool commentDue = false;  // Unfold: the comment stays visible
};

// Updates hideState and paneContentHeight and returns the steps in order.
std::vector<HideStep> PlanHideAnswered(QuizDocument* doc, const PlayFields& fields, bool boxChecked);

// Tab: the scroll position that brings a field to 360 pixels below the
// pane's top (less when the pane is shorter), from the current position and
// the field's top and height in the visible client area of `clientHeight`.
int TabScrollTarget(int position, int fieldTop, int fieldHeight, int clientHeight);
