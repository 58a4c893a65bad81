// The answer fields' key handling.
#include "play/answer_field.h"

#include <vector>

#include "play/question_pane.h"
#include "resources/resource_ids.h"
#include "tests/play/pane_test_support.h"

namespace {

// Stands in for the edit control's own procedure and records what reaches it.
std::vector<UINT> passedOn;
WNDPROC editProc = nullptr;
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  passedOn.push_back(message);
  return CallWindowProcA(editProc, window, message, wParam, lParam);
}

using AnswerField = PaneTest;

TEST_F(AnswerField, ConsumesOnlyEnterAndTheCharactersThatWouldBeep) {
  MakeQuiz({MediaText, 2, 1, RevealNone});
  BuildPane();
  editProc = answerFieldBaseProc;
  answerFieldBaseProc = RecordingProc;
  const struct {
    UINT message;
    WPARAM wParam;
    bool passed;
  } cases[] = {
      {WM_CHAR, 0, false},     {WM_CHAR, '\t', false},       {WM_CHAR, '\r', false},
      {WM_CHAR, 'a', true},    {WM_KEYUP, VK_RETURN, false}, {WM_SYSKEYDOWN, VK_RETURN, false},
      {WM_KEYUP, VK_UP, true}, {WM_KEYUP, 'A', true},        {WM_SYSKEYUP, VK_RETURN, true},
  };
  for (const auto& c : cases) {
    passedOn.clear();
    SendMessageA(Control(4001), c.message, c.wParam, 0);
    bool reached = false;
    for (UINT m : passedOn)
      reached = reached || m == c.message;
    EXPECT_EQ(reached, c.passed) << "message " << c.message << " key " << c.wParam;
  }
  answerFieldBaseProc = editProc;
  EXPECT_EQ(Text(4001), "a");
}

TEST_F(AnswerField, EnterJudgesWithoutMovingTheFocus) {
  MakeQuiz({MediaText, 2, 1, RevealNone});
  BuildPane();
  SetFocus(Control(4001));
  SetDlgItemTextA(pane, 4001, "answer1");
  EXPECT_EQ(SendMessageA(Control(4001), WM_KEYUP, VK_RETURN, 0), 1);
  EXPECT_EQ(Text(5001), "BRAVO");
  EXPECT_EQ(GetFocus(), Control(4001));
  SetDlgItemTextA(pane, 4001, "zzz");
  SendMessageA(Control(4001), WM_SYSKEYDOWN, VK_RETURN, 0);  // Alt+Enter
  EXPECT_EQ(Text(5001), "FAUX");
}

TEST_F(AnswerField, FocusSelectsAllAndLeavingJudges) {
  MakeQuiz({MediaText, 2, 1, RevealNone});
  BuildPane();
  SetDlgItemTextA(pane, 4002, "answer2");
  SetFocus(Control(4002));
  DWORD start = 0, end = 0;
  SendMessageA(Control(4002), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 7u);
  SetFocus(Control(4001));
  EXPECT_EQ(Text(5002), "BRAVO");
  EXPECT_EQ(HeaderText(ID_HEADER_SCORE), " 1 / 2");
}

TEST_F(AnswerField, TabScrollsOnlyToAFieldOutOfView) {
  MakeQuiz({MediaText, 60, 1, RevealNone});
  BuildPane(980, 300);
  SetFocus(Control(4005));
  SendMessageA(Control(4005), WM_KEYUP, VK_TAB, 0);
  EXPECT_EQ(VerticalPosition(), 0);
  SetFocus(Control(4040));
  SendMessageA(Control(4040), WM_KEYUP, VK_TAB, 0);
  EXPECT_GT(VerticalPosition(), 0);
  RECT field;
  RECT client;
  GetClientRect(pane, &client);
  field = Rect(4040);
  EXPECT_GE(field.top, 0);
  EXPECT_LE(field.bottom, client.bottom);
  // Back up with Shift+Tab from a scrolled pane: the field comes into view.
  SetFocus(Control(4002));
  SendMessageA(Control(4002), WM_KEYUP, VK_TAB, 0);
  field = Rect(4002);
  EXPECT_GE(field.top, 0);
  EXPECT_LE(field.bottom, client.bottom);
}

TEST_F(AnswerField, F2WritesTheAnswersFile) {
  MakeQuiz({MediaText, 2, 1, RevealNone});
  BuildPane();
  SetDlgItemTextA(pane, 4001, "Paris");
  SendMessageA(Control(4002), WM_KEYUP, VK_F2, 0);
  EXPECT_EQ(ReadAnswers(), std::string("Paris\r\n\r\n"));
}

}  // namespace
