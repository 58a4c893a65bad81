// Judges one answer field of the pane, writes its verdict into its status
// field (id + 1000), reveals what a right question reveals, and has the score
// recounted.
#pragma once

#include <windows.h>

#include "content/quiz_document.h"

void AnswerJudge(QuizDocument* doc, HWND pane, int fieldId);

// Answer fields per question as the pane builds them: a text quiz always has
// one, the other kinds `answersPerQuestion`.
int AnswerFieldsPerQuestion(const QuizDocument* doc);
// Questions the pane holds controls for (at most 96).
int PaneQuestionCount(const QuizDocument* doc);
// True when status field `statusId` of the pane reads "BRAVO".
bool StatusIsRight(HWND pane, int statusId);
