// The rules of play shared by both players. A question is answered once the
// typed texts of all its fields equal its expected answers (spaces trimmed,
// a-z upper-cased); what it then reveals follows the quiz's reveal mode.
#include "play/play_state.h"

#include <cstdio>
#include <cstring>

#include "play/pane_layout.h"
#include "play/play_rules.h"
#include "play/verdict_rules.h"

namespace {

constexpr char kNoCode[] = "      ";  // the code field for a score of 0

const std::string& At(const std::vector<std::string>& texts, int field) {
  static const std::string empty;
  return field >= 1 && field <= static_cast<int>(texts.size()) ? texts[field - 1] : empty;
}

bool WholeQuestionRight(const QuizDocument* doc, const PlayFields& fields, int q) {
  const int n = AnswerFieldsPerQuestion(doc);
  const QuestionEntry* entry = doc->questionAt(q);
  for (int j = 1; j <= n; ++j) {
    char expected[kTextCapacity];
    CopyText(expected, sizeof(expected), ExpectedAnswer(entry, j));
    UpperAscii(expected);
    char typed[kTextCapacity];
    CopyText(typed, sizeof(typed), At(fields.typed, (q - 1) * n + j).c_str());
    TrimSpaces(typed);
    UpperAscii(typed);
    if (std::strcmp(expected, typed) != 0) {
      return false;
    }
  }
  return true;
}

bool AllFieldsRight(const QuizDocument* doc, const PlayFields& fields) {
  const int count = AnswerFieldCount(doc);
  for (int k = 1; k <= count; ++k) {
    if (!FieldIsRight(fields, k)) {
      return false;
    }
  }
  return true;
}

int RowHeight(const QuizDocument* doc, int row) {
  return row < kMaxRows ? doc->rowHeights[row] : 0;
}

int CollapseHeight(const QuizDocument* doc, int row) {
  int d = RowHeight(doc, row);
  return doc->revealMode > RevealPicture ? d + kCellComment.height : d;
}

void FoldAnswered(QuizDocument* doc, int questions, std::vector<HideStep>& steps) {
  int row = 0;
  int hiddenInRow = 0;
  for (int q = 1; q <= questions; ++q) {
    int state = doc->hideState[q];
    if (state == 1) {
      ++hiddenInRow;
    }
    const QuestionEntry* entry = doc->questionAt(q);
    if (entry != nullptr && entry->answered && state == 0) {
      steps.push_back({HideStepKind::Fold, q, RowHeight(doc, row), -1});
      ++hiddenInRow;
      doc->hideState[q] = 1;
    }
    if (q % 3 == 0) {
      if (hiddenInRow == 3) {
        int d = CollapseHeight(doc, row);
        for (int m = q + 1; m <= questions; ++m) {
          steps.push_back({HideStepKind::Move, m, d, -1});
        }
        doc->paneContentHeight -= d;
        doc->hideState[q] = 2;
      }
      ++row;
      hiddenInRow = 0;
    }
  }
}

void UnfoldAll(QuizDocument* doc, const PlayFields& fields, int questions, std::vector<HideStep>& steps) {
  int row = 0;
  for (int q = 1; q <= questions; ++q) {
    int state = doc->hideState[q];
    if (state == 1 || state == 2) {
      steps.push_back({HideStepKind::Unfold, q, RowHeight(doc, row), +1, CommentDue(doc, fields, q)});
    }
    if (state == 2) {
      int d = CollapseHeight(doc, row);
      doc->paneContentHeight += d;
      for (int m = q + 1; m <= questions; ++m) {
        steps.push_back({HideStepKind::Move, m, d, +1});
      }
    }
    doc->hideState[q] = 0;
    if (q % 3 == 0) {
      ++row;
    }
  }
}

}  // namespace

int AnswerFieldsPerQuestion(const QuizDocument* doc) {
  if (doc == nullptr) {
    return 0;
  }
  if (doc->mediaKind == MediaText) {
    return 1;
  }
  return doc->answersPerQuestion == 1 || doc->answersPerQuestion == 2 ? doc->answersPerQuestion : 0;
}

int PaneQuestionCount(const QuizDocument* doc) {
  if (doc == nullptr || doc->questionCount < 0) {
    return 0;
  }
  return doc->questionCount < kMaxQuestions ? doc->questionCount : kMaxQuestions;
}

int AnswerFieldCount(const QuizDocument* doc) {
  return AnswerFieldsPerQuestion(doc) * PaneQuestionCount(doc);
}

int FieldQuestion(const QuizDocument* doc, int field) {
  return AnswerFieldsPerQuestion(doc) == 2 ? (field + 1) / 2 : field;
}

int FieldSlot(const QuizDocument* doc, int field) {
  return AnswerFieldsPerQuestion(doc) == 2 && field % 2 == 0 ? 2 : 1;
}

const char* ExpectedAnswer(const QuestionEntry* entry, int slot) {
  if (entry == nullptr) {
    return "";
  }
  return slot == 1 ? entry->answer1 : entry->answer2;
}

PlayFields EmptyPlayFields(const QuizDocument* doc) {
  PlayFields fields;
  const size_t count = static_cast<size_t>(AnswerFieldCount(doc));
  fields.typed.assign(count, std::string());
  fields.status.assign(count, std::string(kVerdictEmpty));
  return fields;
}

bool FieldIsRight(const PlayFields& fields, int field) {
  return At(fields.status, field) == kVerdictRight;
}

const char* FieldVerdict(const QuizDocument* doc, int field, const char* typed) {
  if (doc == nullptr || field < 1) {
    return nullptr;
  }
  char expected[kTextCapacity];
  CopyText(expected, sizeof(expected),
           ExpectedAnswer(doc->questionAt(FieldQuestion(doc, field)), FieldSlot(doc, field)));
  char bounded[kTextCapacity];
  CopyText(bounded, sizeof(bounded), typed);
  return ChooseVerdict(expected, bounded);
}

JudgeStep JudgeField(QuizDocument* doc, PlayFields& fields, int field) {
  JudgeStep step;
  const int n = AnswerFieldsPerQuestion(doc);
  if (doc == nullptr || n == 0 || field < 1 || field > static_cast<int>(fields.status.size()) ||
      field > static_cast<int>(fields.typed.size())) {
    return step;
  }
  const int q = FieldQuestion(doc, field);
  step.question = q;
  QuestionEntry* entry = doc->questionAt(q);
  const char* verdict = FieldVerdict(doc, field, fields.typed[field - 1].c_str());
  if (verdict == nullptr || fields.status[field - 1] == verdict) {
    return step;
  }
  fields.status[field - 1] = verdict;
  step.changed = true;
  step.verdict = verdict;

  if (std::strcmp(verdict, kVerdictRight) != 0) {
    step.hideComment = true;
    doc->allCommentsShown = 0;
  } else if (WholeQuestionRight(doc, fields, q)) {
    if (entry != nullptr) {
      entry->answered = 1;
    }
    step.answered = true;
    const int mode = doc->revealMode;
    step.showComment = mode == RevealComment || mode == RevealCommentAndPicture;
    step.showAnswerPicture = mode == RevealPicture || mode == RevealCommentAndPicture;
  }
  if (doc->revealMode == RevealAllComments && doc->allCommentsShown == 0 && AllFieldsRight(doc, fields)) {
    doc->allCommentsShown = 1;
    step.showAllComments = true;
  }
  return step;
}

int CountScore(const QuizDocument* doc, const PlayFields& fields) {
  const int n = AnswerFieldsPerQuestion(doc);
  const int questions = PaneQuestionCount(doc);
  int score = 0;
  for (int q = 1; q <= questions && n > 0; ++q) {
    int right = 0;
    for (int j = 1; j <= n; ++j) {
      if (FieldIsRight(fields, (q - 1) * n + j)) {
        ++right;
      }
    }
    if (right == n) {
      ++score;
    }
  }
  return score;
}

std::string ScoreText(int score, int questionCount) {
  char text[48];
  std::snprintf(text, sizeof(text), " %d / %d", score, questionCount);
  return text;
}

const char* ScoreCode(const QuizDocument* doc, int score) {
  if (doc == nullptr || score <= 0 || score > kMaxQuestions) {
    return kNoCode;
  }
  return doc->scoreCodes[score - 1];
}

std::vector<int> FillOrder(const QuizDocument* doc, const PlayFields& fields, int from) {
  std::vector<int> order;
  const int count = AnswerFieldCount(doc);
  for (int k = 1; k <= count; ++k) {
    if (k != from && !FieldIsRight(fields, k)) {
      order.push_back(k);
    }
  }
  return order;
}

bool CommentDue(const QuizDocument* doc, const PlayFields& fields, int q) {
  if (doc->revealMode == RevealAllComments) {
    return doc->allCommentsShown != 0;
  }
  if (doc->revealMode != RevealComment && doc->revealMode != RevealCommentAndPicture) {
    return false;
  }
  return FieldIsRight(fields, q);
}

std::vector<HideStep> PlanHideAnswered(QuizDocument* doc, const PlayFields& fields, bool boxChecked) {
  std::vector<HideStep> steps;
  if (doc == nullptr) {
    return steps;
  }
  const int questions = PaneQuestionCount(doc);
  if (boxChecked) {
    FoldAnswered(doc, questions, steps);
  } else {
    UnfoldAll(doc, fields, questions, steps);
  }
  return steps;
}

int TabScrollTarget(int position, int fieldTop, int fieldHeight, int clientHeight) {
  int offset = kTabViewOffset;
  int room = clientHeight - fieldHeight;
  if (offset > room) {
    offset = room > 0 ? room : 0;
  }
  return position + fieldTop - offset;
}
