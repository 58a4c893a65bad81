#include "content/quiz_loader.h"

volatile StoredBlockRecord gStoredBlock = {
    {'T', 'R', 'I', 'V', 'O', ':', 'S', 'T', 'O', 'R', 'E', 'D', '-', 'B', 'L', 'O', 'C', 'K', ':'}, {}};

void LoadQuiz(QuizDocument&) {}
