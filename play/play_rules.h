// Small rules of play that every player draws from: the kind (and so the
// colour) of a status field's verdict, whether "Cacher" is offered, and how
// far below the pane's top Tab brings a field.
#pragma once

#include <cstdint>

struct QuizDocument;

// What a status field's text says, for its colour: "?" is unjudged,
// "BRAVO" right, "FAUX" wrong, "Anagramme" its own colour, every other word a
// hint.
enum class VerdictKind { Unjudged, Right, Wrong, Anagram, Hint };

VerdictKind VerdictKindOf(const char* status);
// "unjudged", "right", "wrong", "anagram", "hint".
const char* VerdictKindName(VerdictKind kind);
// The field's colour (0x00BBGGRR) for its kind; false for an unjudged field,
// which keeps the control's default colours.
bool VerdictColour(VerdictKind kind, uint32_t* colour);

// "Cacher" is offered in picture quizzes with one answer per question only.
bool OffersHideBox(const QuizDocument* doc);

// Tab brings a field that is not wholly visible this many pixels below the
// pane's top, or as far as the pane's height lets it.
constexpr int kTabViewOffset = 360;
