// The answers file's text: one line per answer field, each the field's text
// as typed (single-byte Windows-1252) followed by CR LF. Nothing else is in
// the file: no header, no count, nothing after the last line end.
//
// Reading is forgiving, because the file may have been edited by hand: a
// line runs up to its carriage return (or the end of the data), anything
// between that carriage return and the next line feed is skipped, a line
// longer than 259 characters is cut at 259, and a reader past the end keeps
// giving empty lines.
#include "play/answers_file.h"

#include <cstring>

namespace {

constexpr size_t kMaxLineLength = kTextCapacity - 1;  // 259 characters
constexpr char kAnswersExtension[] = "txt";

}  // namespace

std::string AnswersFileName(const char* exeFileName) {
  std::string name = exeFileName ? exeFileName : "";
  // The file lives in the working directory: drop any folder part.
  size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) {
    name.erase(0, slash + 1);
  }
  // The last three characters become "txt"; a shorter name takes as many
  // letters of "txt" as it has characters.
  size_t replaced = name.size() < 3 ? name.size() : 3;
  name.replace(name.size() - replaced, replaced, kAnswersExtension, replaced);
  return name;
}

void ReadSavedAnswer(SavedAnswerReader& reader, char* out) {
  if (out == nullptr) {
    return;
  }
  out[0] = '\0';
  if (reader.data == nullptr || reader.position >= reader.size) {
    return;
  }
  const char* start = reader.data + reader.position;
  size_t left = reader.size - reader.position;
  const void* cr = std::memchr(start, '\r', left);
  size_t lineLength = cr ? static_cast<size_t>(static_cast<const char*>(cr) - start) : left;
  size_t kept = lineLength < kMaxLineLength ? lineLength : kMaxLineLength;
  std::memcpy(out, start, kept);
  out[kept] = '\0';

  // Skip to the line feed that ends this line, then past it.
  size_t afterText = reader.position + lineLength;
  const void* lf = std::memchr(reader.data + afterText, '\n', reader.size - afterText);
  reader.position = lf ? static_cast<size_t>(static_cast<const char*>(lf) - reader.data) + 1 : reader.size;
}

std::string FormatAnswersFile(const std::vector<std::string>& fields) {
  std::string bytes;
  for (const std::string& field : fields) {
    bytes.append(field, 0, kMaxLineLength);
    bytes.append("\r\n");
  }
  return bytes;
}
