// Saving the answers file. The bytes go to a temporary file beside it, are
// flushed, and only then replace the answers file in one rename, so a save
// cut short (a crash, a full disk) never leaves the user without the
// previous answers. A save that fails is told to the user ("Sauver", F2) or
// asked about (closing), so typed answers are never lost unknowingly.
#include <windows.h>

#include <cstdio>

#include "app/main_window.h"
#include "content/user_message.h"
#include "play/answers_file.h"

namespace {

constexpr char kTemporarySuffix[] = ".tmp";
constexpr char kCaption[] = "Trivo";
constexpr char kSaveFailed[] = "Impossible d'enregistrer les r\xE9ponses dans le fichier";
constexpr char kCloseAnyway[] =
    "Fermer quand m\xEAme ? Les r\xE9ponses non enregistr\xE9"
    "es seront perdues.";

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

// The code of the call that just failed; a failure that left none still
// counts as one.
unsigned long FailureCode() {
  const DWORD code = GetLastError();
  return code != ERROR_SUCCESS ? code : ERROR_WRITE_FAULT;
}

bool IsReadOnlyFile(const std::string& name) {
  const DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The system's own words for an error code, in the system's language,
// without the line end it ends with.
std::string SystemReason(unsigned long code) {
  char text[512] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                static_cast<DWORD>(code), 0, text, sizeof(text), nullptr);
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' ')) {
    --length;
  }
  if (length == 0) {
    std::snprintf(text, sizeof(text), "Erreur %lu", code);
    return text;
  }
  return std::string(text, length);
}

// The file as the user can find it: its full path when there is one.
std::string FullPath(const std::string& name) {
  char path[MAX_PATH] = {};
  DWORD length = GetFullPathNameA(name.c_str(), sizeof(path), path, nullptr);
  return length > 0 && length < sizeof(path) ? std::string(path, length) : name;
}

// "Impossible d'enregistrer ... « PATH » :" and the reason on the next line.
std::string FailureText(const SaveOutcome& outcome) {
  return std::string(kSaveFailed) + "\n\xAB " + FullPath(outcome.fileName) + " \xBB :\n" +
         SystemReason(outcome.systemError);
}

}  // namespace

bool WriteFileReplacing(const std::string& name, const std::string& bytes, unsigned long* systemError) {
  unsigned long error = ERROR_SUCCESS;
  const std::string temporary = name + kTemporarySuffix;
  if (name.empty()) {
    error = ERROR_INVALID_NAME;
  } else if (IsReadOnlyFile(name)) {
    // The user protected the file; the rename below would replace it anyway
    // where the system allows that.
    error = ERROR_ACCESS_DENIED;
  } else {
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      error = FailureCode();
    } else {
      if (!WriteAll(file, bytes) || !FlushFileBuffers(file)) {
        error = FailureCode();
      }
      if (!CloseHandle(file) && error == ERROR_SUCCESS) {
        error = FailureCode();
      }
      if (error == ERROR_SUCCESS &&
          !MoveFileExA(temporary.c_str(), name.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = FailureCode();
      }
      if (error != ERROR_SUCCESS) {
        DeleteFileA(temporary.c_str());
      }
    }
  }
  if (error != ERROR_SUCCESS && systemError != nullptr) {
    *systemError = error;
  }
  return error == ERROR_SUCCESS;
}

SaveOutcome SaveAnswers(QuizDocument* doc) {
  SaveOutcome outcome;
  if (doc == nullptr || doc->questionPane == nullptr || !IsWindow(doc->questionPane)) {
    // Without the pane every line would be empty: keep the saved answers.
    return outcome;
  }
  char exeName[MAX_PATH] = {};
  ExeFileName(exeName, sizeof(exeName));
  exeName[sizeof(exeName) - 1] = '\0';

  const std::string name = AnswersFileName(exeName);
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
  outcome.fileName = name;
  outcome.saved = WriteFileReplacing(name, FormatAnswersFile(fields), &outcome.systemError);
  return outcome;
}

bool SaveAnswersOrTell(QuizDocument* doc) {
  const SaveOutcome outcome = SaveAnswers(doc);
  if (!outcome.saved) {
    ShowUserMessage(FailureText(outcome).c_str(), kCaption, kMessageOk | kMessageIconError);
  }
  return outcome.saved;
}

bool SaveAnswersBeforeClosing(QuizDocument* doc) {
  const SaveOutcome outcome = SaveAnswers(doc);
  if (outcome.saved) {
    return true;
  }
  const std::string question = FailureText(outcome) + "\n\n" + kCloseAnyway;
  return ShowUserMessage(question.c_str(), kCaption,
                         kMessageYesNo | kMessageIconWarning | kMessageDefaultSecond) == kMessageAnsweredYes;
}
