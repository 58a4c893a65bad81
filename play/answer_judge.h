// Judges one answer field of the pane, writes its verdict into its status
// field (id + 1000), reveals what a right question reveals, and has the score
// recounted.
#pragma once

#include <windows.h>

#include "content/quiz_document.h"
#include "play/play_state.h"

void AnswerJudge(QuizDocument* doc, HWND pane, int fieldId);

// The pane's answer fields and status fields as the play rules see them; a
// control that does not exist (yet) reads as empty.
PlayFields ReadPlayFields(const QuizDocument* doc, HWND pane);
