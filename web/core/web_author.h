// The authoring page's calls: the tool's check and build paths over a draft
// kept in the module's in-memory file system (a source such as
// /draft/quiz.toml with its media beside it, named as the source names
// them), the source's TOML as JSON, unpacking a quiz into such a folder, and
// what the player will make of a picture, a typed answer or a background.
// Results go through the result buffer (WebResultData / WebResultSize), as
// UTF-8 JSON unless said otherwise.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

// As `trivo check`: {"ok", "questions", "media", "diagnostics": [{"line",
// "error", "message"}]}, the errors and warnings worded as the tool words
// them. The source is read from its own folder, so media are named as the
// source names them; line 0 is a problem with no line (an unreadable file).
// Returns 1 when the source has no error.
int WebCheckSource(const char* path);

// As `trivo build PATH`: the quiz executable's bytes, byte for byte what the
// tool writes, and 1; or 0 with {"ok": false, "diagnostics"} when the source
// has errors, {"ok": false, "error"} when the executable cannot be made
// (no player template in this module, or the template is no player).
int WebBuildSource(const char* path);

// The source's TOML document: {"ok": true, "value": {...}} or {"ok": false,
// "line", "message"}, read with the tool's checks (byte order mark, UTF-16,
// control characters, nesting).
int WebTomlToJson(const uint8_t* bytes, size_t size);

// As `trivo unpack --force -o FOLDER`: quiz.toml and the media written into
// the folder (created when missing, files of those names replaced):
// {"ok": true, "files": ["quiz.toml", "q1.jpg", ...]} or {"ok": false, "error"}.
int WebUnpackToFolder(const uint8_t* bytes, size_t size, const char* folder);

// {"format", "width", "height", "fittedWidth", "fittedHeight", "playerTakes",
// "transparent", "error"?}: the picture's size and the size the player shows
// it at in its 260 x 260 frame; playerTakes is false (with the tool's reason)
// for what a quiz cannot carry.
int WebPictureInfo(const uint8_t* bytes, size_t size);

// The verdict the player shows for a typed answer: {"ok": true, "verdict",
// "kind": "right" | "wrong" | "anagram" | "hint" | "empty", "colour":
// "#RRGGBB" | null} (null: the field keeps its default colour), or
// {"ok": false, "error"} worded as `trivo judge` words it.
int WebVerdict(const char* expectedUtf8, const char* typedUtf8);

// A text as the tool writes it in a quiz source (a TOML string), as text.
int WebTomlQuote(const char* utf8);

// The colour of the player's labels on a background, "#000000" or "#FFFFFF".
int WebLabelColour(int red, int green, int blue);

// The tool's reading paths (web_tool_paths.cpp), for the tests and the page.
int WebJudge(const char* expectedUtf8, const char* typedUtf8);  // as `trivo judge`
int WebDecodePng(const uint8_t* bytes, size_t size);            // as `trivo decode`: BMP or error JSON
int WebUnpack(const uint8_t* bytes, size_t size);               // as `trivo unpack`: quiz.toml or error
}
