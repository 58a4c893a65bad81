// Saving the answers file from the pane's fields, and keeping the old file
// when a save cannot finish.
#include "play/answers_file.h"

#include "tests/play/pane_test_support.h"

namespace {

using SaveAnswersTest = PaneTest;

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
