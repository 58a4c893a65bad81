// The answers file's text: one line per answer field, each the field's text
// as typed (single-byte Windows-1252) followed by CR LF. Nothing else is in
// the file: no header, no count, nothing after the last line end.
//
// Reading is forgiving, because the file may have been edited by hand: a
// line ends at CR LF, at a lone LF or at a lone CR (or the end of the data),
// so a file saved by another editor keeps one answer per line. A NUL byte
// ends the line's text, and the rest of that line is skipped; a line longer
// than 259 characters is cut at 259; a reader past the end keeps giving
// empty lines.
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
  const size_t left = reader.size - reader.position;
  size_t lineLength = 0;
  while (lineLength < left && start[lineLength] != '\r' && start[lineLength] != '\n') {
    ++lineLength;
  }
  const void* nul = std::memchr(start, '\0', lineLength);
  size_t textLength = nul ? static_cast<size_t>(static_cast<const char*>(nul) - start) : lineLength;
  size_t kept = textLength < kMaxLineLength ? textLength : kMaxLineLength;
  std::memcpy(out, start, kept);
  out[kept] = '\0';

  // Past the line end: CR LF counts as one line end, as does a lone CR or LF.
  size_t next = reader.position + lineLength;
  if (next < reader.size) {
    const bool carriageReturn = reader.data[next] == '\r';
    ++next;
    if (carriageReturn && next < reader.size && reader.data[next] == '\n') {
      ++next;
    }
  }
  reader.position = next;
}

std::string FormatAnswersFile(const std::vector<std::string>& fields) {
  std::string bytes;
  for (const std::string& field : fields) {
    // A line break (or NUL) inside a field would split it into two lines
    // and shift every later answer: the field's line ends there.
    const size_t length = field.find_first_of(std::string("\r\n\0", 3));
    bytes.append(field, 0, length < kMaxLineLength ? length : kMaxLineLength);
    bytes.append("\r\n");
  }
  return bytes;
}
