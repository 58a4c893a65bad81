// Saving the answers file from the pane's fields, and keeping the old file
// when a save cannot finish.
#include "play/answers_file.h"

#include "resources/resource_ids.h"
#include "tests/play/pane_test_support.h"
#include "tests/support/message_capture.h"

namespace {

using SaveAnswersTest = PaneTest;

std::string SystemText(DWORD code) {
  char text[512] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                text, sizeof(text), nullptr);
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' '))
    --length;
  return std::string(text, length);
}

std::string FullPath(const std::string& name) {
  char path[MAX_PATH] = {};
  GetFullPathNameA(name.c_str(), sizeof(path), path, nullptr);
  return path;
}

constexpr char kFailureStart[] = "Impossible d'enregistrer les r\xE9ponses dans le fichier\n\xAB ";

TEST_F(SaveAnswersTest, ReadsBackEveryAnswerWhateverTheLineEnds) {
  for (const char* end : {"\r\n", "\n", "\r"}) {
    SCOPED_TRACE(testing::Message() << "line end of " << std::string(end).size() << " byte(s), first "
                                    << static_cast<int>(end[0]));
    MakeQuiz({MediaText, 3, 1, RevealNone});
    WriteAnswers(std::string("ANSWER1") + end + "wrong" + end + "answer3" + end);
    BuildPane();
    EXPECT_EQ(Text(4001), "ANSWER1");
    EXPECT_EQ(Text(4002), "wrong");
    EXPECT_EQ(Text(4003), "answer3");
    EXPECT_EQ(Text(5001), "BRAVO");
    EXPECT_EQ(Text(5002), "FAUX");
    EXPECT_EQ(Text(5003), "BRAVO");
    // The player writes its own line ends, whatever it read.
    SaveAnswers(doc.get());
    EXPECT_EQ(ReadAnswers(), "ANSWER1\r\nwrong\r\nanswer3\r\n");
    DestroyPane();
  }
}

TEST_F(SaveAnswersTest, ANulByteEndsOnlyItsLine) {
  MakeQuiz({MediaPicture, 3, 1, RevealNone});
  const char raw[] = "ANSWER1\0junk\nANSWER2\n\0\nANSWER3";
  WriteAnswers(std::string(raw, sizeof(raw) - 1));
  BuildPane();
  EXPECT_EQ(Text(4001), "ANSWER1");
  EXPECT_EQ(Text(4002), "ANSWER2");
  EXPECT_EQ(Text(4003), "");
  EXPECT_EQ(Text(5002), "BRAVO");
}

// Each way a save can fail is told once, with the file's full path and the
// system's reason, and leaves what was on disk as it was.
TEST_F(SaveAnswersTest, AFailedSaveIsToldWithTheFileAndTheReason) {
  MakeQuiz({MediaText, 1, 1, RevealNone});
  BuildPane();
  SetDlgItemTextA(pane, 4001, "new");
  const std::string path = AnswersPath();
  const std::string temporary = path + ".tmp";
  const std::string start = kFailureStart + FullPath(path) + " \xBB :\n";
  MessageRecorder recorder;

  // The answers file replaced by a folder.
  ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
  EXPECT_FALSE(SaveAnswersOrTell(doc.get()));
  RemoveDirectoryA(path.c_str());
  ASSERT_EQ(recorder.messages().size(), 1u);
  EXPECT_EQ(recorder.messages()[0].caption, "Trivo");
  EXPECT_EQ(recorder.messages()[0].style, static_cast<uint32_t>(MB_OK | MB_ICONERROR));
  EXPECT_EQ(recorder.messages()[0].text, start + SystemText(ERROR_ACCESS_DENIED));
  EXPECT_EQ(GetFileAttributesA(temporary.c_str()), INVALID_FILE_ATTRIBUTES);

  // A read-only answers file is neither written nor replaced.
  WriteAnswers("kept\r\n");
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(SaveAnswersOrTell(doc.get()));
  EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY,
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadAnswers(), "kept\r\n");
  ASSERT_EQ(recorder.messages().size(), 2u);
  EXPECT_EQ(recorder.messages()[1].text, start + SystemText(ERROR_ACCESS_DENIED));

  // The folder takes no new file (here: the temporary's name is taken by a
  // folder), as in a folder the user may not write to.
  ASSERT_TRUE(CreateDirectoryA(temporary.c_str(), nullptr));
  EXPECT_FALSE(SaveAnswersOrTell(doc.get()));
  RemoveDirectoryA(temporary.c_str());
  EXPECT_EQ(ReadAnswers(), "kept\r\n");
  ASSERT_EQ(recorder.messages().size(), 3u);
  EXPECT_EQ(recorder.messages()[2].text.substr(0, start.size()), start);
  EXPECT_GT(recorder.messages()[2].text.size(), start.size());

  // Once the file can be written again, saving says nothing.
  EXPECT_TRUE(SaveAnswersOrTell(doc.get()));
  EXPECT_EQ(ReadAnswers(), "new\r\n");
  EXPECT_EQ(recorder.messages().size(), 3u);
}

TEST_F(SaveAnswersTest, F2TellsAFailedSave) {
  MakeQuiz({MediaText, 1, 1, RevealNone});
  BuildPane();
  MessageRecorder recorder;
  ASSERT_TRUE(CreateDirectoryA(AnswersPath().c_str(), nullptr));
  SendMessageA(Control(4001), WM_KEYUP, VK_F2, 0);
  RemoveDirectoryA(AnswersPath().c_str());
  ASSERT_EQ(recorder.messages().size(), 1u);
  EXPECT_EQ(recorder.messages()[0].caption, "Trivo");
  EXPECT_EQ(recorder.messages()[0].text.substr(0, sizeof(kFailureStart) - 1), kFailureStart);
}

TEST_F(SaveAnswersTest, WritesOneLinePerFieldAsTyped) {
  MakeQuiz({MediaText, 2, 1, RevealNone});
  BuildPane();
  SetDlgItemTextA(pane, 4001, "Paris");
  SaveAnswers(doc.get());
  EXPECT_EQ(ReadAnswers(), std::string("Paris\r\n\r\n"));
  SetDlgItemTextA(pane, 4002, " lyon ");
  SaveAnswers(doc.get());
  const std::string once = ReadAnswers();
  SaveAnswers(doc.get());
  EXPECT_EQ(ReadAnswers(), once);
  EXPECT_EQ(once, "Paris\r\n lyon \r\n");
  EXPECT_EQ(GetFileAttributesA((AnswersPath() + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SaveAnswersTest, TwoAnswersPerQuestionGiveTwoLinesEach) {
  MakeQuiz({MediaPicture, 2, 2, RevealNone});
  BuildPane();
  for (int k = 1; k <= 4; ++k)
    SetDlgItemTextA(pane, 4000 + k, std::to_string(k).c_str());
  SaveAnswers(doc.get());
  EXPECT_EQ(ReadAnswers(), "1\r\n2\r\n3\r\n4\r\n");
}

TEST_F(SaveAnswersTest, ASaveThatCannotFinishKeepsThePreviousFile) {
  MakeQuiz({MediaText, 1, 1, RevealNone});
  WriteAnswers("kept\r\n");
  BuildPane();
  SetDlgItemTextA(pane, 4001, "new");

  // The temporary file cannot be made.
  const std::string temporary = AnswersPath() + ".tmp";
  ASSERT_TRUE(CreateDirectoryA(temporary.c_str(), nullptr));
  SaveAnswers(doc.get());
  RemoveDirectoryA(temporary.c_str());
  EXPECT_EQ(ReadAnswers(), "kept\r\n");

  // The answers file is held open by another program: it cannot be replaced.
  HANDLE held = CreateFileA(AnswersPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(WriteFileReplacing(AnswersPath(), "new\r\n"));
  CloseHandle(held);
  EXPECT_EQ(ReadAnswers(), "kept\r\n");
  EXPECT_EQ(GetFileAttributesA(temporary.c_str()), INVALID_FILE_ATTRIBUTES);

  SaveAnswers(doc.get());
  EXPECT_EQ(ReadAnswers(), "new\r\n");
}

TEST_F(SaveAnswersTest, FieldsThePaneCouldNotBuildKeepTheirLines) {
  MakeQuiz({MediaAudio, 2, 1, RevealNone});  // no media host: building stops at question 1
  WriteAnswers("first\r\nsecond\r\n");
  BuildPane();
  ASSERT_EQ(Control(4001), nullptr);
  SaveAnswers(doc.get());
  EXPECT_EQ(ReadAnswers(), "first\r\nsecond\r\n");
}

TEST_F(SaveAnswersTest, NoPaneNoSave) {
  MakeQuiz({MediaText, 1, 1, RevealNone});
  WriteAnswers("kept\r\n");
  SaveAnswers(doc.get());
  EXPECT_EQ(ReadAnswers(), "kept\r\n");
}

}  // namespace
