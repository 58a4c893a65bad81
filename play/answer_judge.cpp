#include "play/answer_judge.h"

void AnswerJudge(QuizDocument*, HWND, int) {}
