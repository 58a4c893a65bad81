// The scrolling child dialog (template 1001) that shows every question with
// its answer and status fields.
#pragma once

#include <windows.h>

// Pane state outside the document; one pane per process.
extern HBRUSH rightBrush;
extern WNDPROC answerFieldBaseProc;
extern int paneScrollTarget;

struct QuizDocument;

// Starts decoding the question pictures of a picture quiz ahead, before the
// pane exists, so that they are ready when it builds; the pane takes them
// (or starts the decoding itself when this was not called).
void PrefetchQuestionPictures(const QuizDocument* doc);
// Drops what PrefetchQuestionPictures started when no pane is going to take it.
void DropPrefetchedQuestionPictures();

INT_PTR CALLBACK QuestionPaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam);
