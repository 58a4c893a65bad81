// Judges one answer field of the pane, writes its verdict into its status
// field (id + 1000), reveals what a right question reveals, and has the score
// recounted.
#pragma once

#include <windows.h>

#include "content/quiz_document.h"

void AnswerJudge(QuizDocument* doc, HWND pane, int fieldId);
