// The web player's core: one quiz session over the portable play rules, and
// the tool's reading paths (PE reader, unpack, PNG decoding, judging) for
// the page and its tests. Every function that returns text gives UTF-8 JSON
// or bytes through the result buffer (WebResultData / WebResultSize), valid
// until the next call.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

// Scratch memory the page copies its input into.
uint8_t* WebAlloc(size_t size);
void WebFree(uint8_t* bytes);

const uint8_t* WebResultData();
size_t WebResultSize();

// The size caps the pages check before reading a file:
// {"quizBytes", "sourceBytes", "archiveBytes", "mediaBytes"}.
int WebLimits();

// Opens a quiz executable as the player would load it: {"ok", "error",
// "messages", "quiz", "state"}; "quiz" carries the rules the page draws
// from (hash, hideBox, labelColour, textLimit, tabOffset, box) and each
// question's picture, answer picture or clip as its header describes it. A
// file that is not a quiz player gives ok false and a French message.
int WebOpenQuiz(const uint8_t* bytes, size_t size);
// The media of question q (answer = 1: its answer picture) as the player
// shows it. The result is a JSON head, a line feed, then the bytes: head
// {"format", "mime"} for stored pictures (the nibble exchange undone) and
// clips, {"format": "rgba", "width", "height"} for a PNG decoded by the
// player's decoder and fitted, {"format": "error", "message"} when refused.
// Returns 0 (result "null") when the question has none.
int WebMedia(int q, int answer);
// Sets field f's text (UTF-8, converted as the player holds it) and judges
// it: {"field", "verdict", "steps", "score", "code", "hide"}.
int WebTypeField(int field, const char* utf8);
// F1 from field f with its text.
int WebFillFrom(int field, const char* utf8);
// "Cacher" turned on or off.
int WebSetHide(int checked);
// The whole play state as JSON (fields, statuses, folded questions...).
int WebState();
// The answers file bytes as the Windows player writes them.
int WebAnswersFile();
// Loads an answers file: every field takes its line and is judged.
int WebLoadAnswers(const uint8_t* bytes, size_t size);
// The answers file name for an executable name ("quiz.exe" -> "quiz.txt").
int WebAnswersFileName(const char* exeName);
// The key a browser once kept a quiz's answers under (FNV-1a 64 of the
// executable, in hex), asked only when such keys are still there to carry
// over.
int WebLegacyKey(const uint8_t* bytes, size_t size);

// The data of resource `id` of the named type ("PATCH", "IMG") of the open
// quiz, as stored.
int WebResource(const char* type, int id);
}

// The quiz of the open session, or null (for the calls in web_scorm.cpp).
struct QuizDocument;
const QuizDocument* WebOpenDocument();
