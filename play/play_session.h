// One game over a loaded quiz, apart from any window: the typed texts and
// their verdicts, which comments and answer pictures are shown, the "Cacher"
// state, and through play_state the score and its code. The web player keeps
// its whole state here; the Windows player keeps the same state in its
// controls and applies the same steps.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "content/quiz_document.h"
#include "play/play_state.h"

struct PlaySession {
  QuizDocument* doc = nullptr;  // not owned; outlives the session
  PlayFields fields;
  std::vector<bool> commentShown;   // by question - 1
  std::vector<bool> answerPicture;  // the answer picture replaced the question's
  bool hide = false;                // "Cacher" checked
};

// A fresh game: every field empty and unjudged, nothing revealed.
PlaySession StartPlaySession(QuizDocument* doc);

// Field `field` (from 1) takes `cp1252`, cut to the field's 259 characters,
// and is judged as when the user releases Enter. Other numbers are ignored.
void TypeField(PlaySession& session, int field, const std::string& cp1252);
// F1 from field `field` with its text: the field is judged, then every field
// of FillOrder takes the text and is judged in turn.
void FillFrom(PlaySession& session, int field, const std::string& cp1252);
// "Cacher" turned on or off, and the relayout it runs.
void SetHide(PlaySession& session, bool checked);
// A saved answers file read at start-up: field after field takes its line
// and is judged; a short file leaves the rest empty.
void ReplayAnswers(PlaySession& session, const char* data, size_t size);
