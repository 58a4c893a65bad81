// The result buffer every call of the web core fills (read by the page
// through WebResultData and WebResultSize, valid until the next call), and
// the JSON most results are written in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The buffer itself, for calls that fill it piece by piece.
std::string& ResultBuffer();

// Puts `text` in the result buffer and returns `code`.
int FinishCall(std::string text, int code);

// Appends a UTF-8 text as a JSON string.
void JsonQuote(std::string& out, const std::string& utf8);
std::string JsonString(const std::string& utf8);
std::string JsonBool(bool value);

// FNV-1a 64 of the bytes in 16 hex digits: a quick fingerprint, not a key
// anyone could not forge.
std::string Fnv1a64Hex(const uint8_t* bytes, size_t size);
