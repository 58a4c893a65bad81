// The score: questions whose status fields all read "BRAVO", shown in the
// header strip with the code the quiz attaches to it.
#pragma once

#include <windows.h>

#include "content/quiz_document.h"

void RecountScore(QuizDocument* doc, HWND pane);
// F1: copies the field's text into every answer field not yet right.
void FillAllAnswers(HWND answerField);
