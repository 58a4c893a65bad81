// Saving the answers file. The bytes go to a temporary file beside it, are
// flushed, and only then replace the answers file in one rename, so a save
// cut short (a crash, a full disk) never leaves the user without the
// previous answers. Saving reports nothing to the user.
#include <windows.h>

#include "app/main_window.h"
#include "play/answers_file.h"

namespace {

constexpr char kTemporarySuffix[] = ".tmp";

// The whole current answers file, or "" when there is none.
std::string ReadExisting(const std::string& name) {
  std::string bytes;
  HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return bytes;
  }
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
    bytes.append(chunk, got);
  }
  CloseHandle(file);
  return bytes;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(bytes.size() - done > 0x10000000 ? 0x10000000 : bytes.size() - done);
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

}  // namespace

bool WriteFileReplacing(const std::string& name, const std::string& bytes) {
  if (name.empty()) {
    return false;
  }
  std::string temporary = name + kTemporarySuffix;
  HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  bool ok = WriteAll(file, bytes) && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  if (ok) {
    ok = MoveFileExA(temporary.c_str(), name.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  }
  if (!ok) {
    DeleteFileA(temporary.c_str());
  }
  return ok;
}

void SaveAnswers(QuizDocument* doc) {
  if (doc == nullptr || doc->questionPane == nullptr || !IsWindow(doc->questionPane)) {
    // Without the pane every line would be empty: keep the saved answers.
    return;
  }
  char exeName[MAX_PATH] = {};
  ExeFileName(exeName, sizeof(exeName));
  exeName[sizeof(exeName) - 1] = '\0';

  const std::string name = AnswersFileName(exeName);
  if (name.empty()) {
    return;
  }
  // A field the pane could not build (building stops at a clip player that
  // cannot be made) keeps the line it had, instead of losing it.
  const std::string previous = ReadExisting(name);
  SavedAnswerReader reader;
  reader.data = previous.data();
  reader.size = previous.size();

  int questions = doc->questionCount < kMaxQuestions ? doc->questionCount : kMaxQuestions;
  const int perQuestion = doc->answersPerQuestion < kMaxQuestions ? doc->answersPerQuestion : kMaxQuestions;
  int fieldCount = questions > 0 && perQuestion > 0 ? perQuestion * questions : 0;
  std::vector<std::string> fields;
  fields.reserve(static_cast<size_t>(fieldCount));
  for (int k = 1; k <= fieldCount; ++k) {
    char text[kTextCapacity] = {};
    char kept[kTextCapacity];
    ReadSavedAnswer(reader, kept);
    HWND field = GetDlgItem(doc->questionPane, 4000 + k);
    if (field != nullptr) {
      GetWindowTextA(field, text, sizeof(text));
      fields.emplace_back(text);
    } else {
      fields.emplace_back(kept);
    }
  }
  WriteFileReplacing(name, FormatAnswersFile(fields));
}
