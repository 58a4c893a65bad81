// The play session keeps as plain flags what the Windows player shows by
// hiding, showing and moving controls, and runs the same judging and
// "Cacher" steps in the same order.
#include "play/play_session.h"

#include "play/answers_file.h"

namespace {

void SetShown(std::vector<bool>& flags, int q, bool value) {
  if (q >= 1 && q <= static_cast<int>(flags.size())) {
    flags[static_cast<size_t>(q - 1)] = value;
  }
}

// The "Cacher" relayout after every recount, as the Windows player runs it.
void Relayout(PlaySession& session) {
  for (const HideStep& step : PlanHideAnswered(session.doc, session.fields, session.hide)) {
    if (step.kind == HideStepKind::Fold) {
      SetShown(session.commentShown, step.question, false);
    } else if (step.kind == HideStepKind::Unfold) {
      SetShown(session.commentShown, step.question, step.commentDue);
    }
  }
}

void Judge(PlaySession& session, int field) {
  QuizDocument* doc = session.doc;
  const JudgeStep step = JudgeField(doc, session.fields, field);
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
  Relayout(session);
}

bool IsField(const PlaySession& session, int field) {
  return field >= 1 && field <= static_cast<int>(session.fields.typed.size());
}

void SetTyped(PlaySession& session, int field, const std::string& cp1252) {
  session.fields.typed[static_cast<size_t>(field - 1)] = cp1252.substr(0, kMaxTextLength);
}

}  // namespace

PlaySession StartPlaySession(QuizDocument* doc) {
  PlaySession session;
  session.doc = doc;
  session.fields = EmptyPlayFields(doc);
  const size_t questions = static_cast<size_t>(PaneQuestionCount(doc));
  session.commentShown.assign(questions, false);
  session.answerPicture.assign(questions, false);
  return session;
}

void TypeField(PlaySession& session, int field, const std::string& cp1252) {
  if (IsField(session, field)) {
    SetTyped(session, field, cp1252);
    Judge(session, field);
  }
}

void FillFrom(PlaySession& session, int field, const std::string& cp1252) {
  if (!IsField(session, field)) {
    return;
  }
  SetTyped(session, field, cp1252);
  const std::string text = session.fields.typed[static_cast<size_t>(field - 1)];
  const std::vector<int> order = FillOrder(session.doc, session.fields, field);
  Judge(session, field);  // the focus leaves the field first
  for (int k : order) {
    SetTyped(session, k, text);
    Judge(session, k);
  }
}

void SetHide(PlaySession& session, bool checked) {
  session.hide = checked;
  Relayout(session);
}

void ReplayAnswers(PlaySession& session, const char* data, size_t size) {
  SavedAnswerReader reader;
  reader.data = data;
  reader.size = data != nullptr ? size : 0;
  for (int k = 1; k <= static_cast<int>(session.fields.typed.size()); ++k) {
    char line[kTextCapacity];
    ReadSavedAnswer(reader, line);
    SetTyped(session, k, line);
    Judge(session, k);
  }
}
