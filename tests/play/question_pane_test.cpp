// Building the question pane and painting its fields, with real windows.
#include <cstring>
#include <string>

#include "media/media_host.h"
#include "play/question_pane.h"
#include "resources/resource_ids.h"
#include "tests/play/pane_test_support.h"

namespace {

struct Box {
  int id, x, y, width, height;
};

class QuestionPane : public PaneTest {
 protected:
  void ExpectBox(const Box& box) {
    RECT r = Rect(box.id);
    EXPECT_EQ(r.left, box.x) << "control " << box.id;
    EXPECT_EQ(r.top, box.y) << "control " << box.id;
    EXPECT_EQ(r.right - r.left, box.width) << "control " << box.id;
    EXPECT_EQ(r.bottom - r.top, box.height) << "control " << box.id;
  }
  LONG Style(int id) { return GetWindowLongA(Control(id), GWL_STYLE); }
  HFONT Font(int id) { return reinterpret_cast<HFONT>(SendMessageA(Control(id), WM_GETFONT, 0, 0)); }

  // Asks the pane's procedure (not the dialog manager's defaults) for the colours of control id; returns the
  // brush and leaves the device context's colours in textColour / backColour.
  HBRUSH Colours(int id, COLORREF* textColour = nullptr, int* backMode = nullptr) {
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkMode(dc, OPAQUE);
    auto brush = reinterpret_cast<HBRUSH>(QuestionPaneProc(
        pane, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Control(id))));
    if (textColour)
      *textColour = GetTextColor(dc);
    if (backMode)
      *backMode = GetBkMode(dc);
    DeleteDC(dc);
    return brush;
  }
};

TEST_F(QuestionPane, TextQuizLinesUpOneQuestionPerRow) {
  MakeQuiz({MediaText, 2, 1, RevealNone});
  BuildPane();
  // Shared identifiers: the first control of each id is question 1's.
  ExpectBox({ID_NUMBER_LABEL_BASE, 26, 7, 19, 17});
  ExpectBox({ID_QUESTION_TEXT, 50, 5, 550, 20});
  ExpectBox({4001, 610, 5, 170, 20});
  ExpectBox({5001, 790, 5, 100, 20});
  ExpectBox({4002, 610, 30, 170, 20});
  ExpectBox({5002, 790, 30, 100, 20});
  EXPECT_EQ(Text(ID_NUMBER_LABEL_BASE), "1.");
  EXPECT_EQ(Text(ID_QUESTION_TEXT), "question 1");
  EXPECT_EQ(Text(5001), "?");
  EXPECT_EQ(Control(2001), nullptr);
  // The edit control trades WS_BORDER for its own client edge when created.
  EXPECT_EQ(Style(4001) | WS_BORDER, 0x50810081);
  EXPECT_EQ(Style(ID_QUESTION_TEXT) & 0xFFFFFFF, 0x0800201);
  EXPECT_EQ(Font(4001), doc->paneFont);
  EXPECT_EQ(Font(ID_QUESTION_TEXT), doc->paneFont);
  EXPECT_EQ(Font(5001), reinterpret_cast<HFONT>(SendMessageA(pane, WM_GETFONT, 0, 0)));
  EXPECT_EQ(doc->paneContentWidth, 900);
  EXPECT_EQ(doc->paneContentHeight, 55);
  EXPECT_EQ(GetWindowLongPtrA(Control(4001), GWLP_WNDPROC), GetWindowLongPtrA(Control(4002), GWLP_WNDPROC));
}

TEST_F(QuestionPane, TextQuizWithTwoAnswersStillHasOneFieldPerQuestion) {
  MakeQuiz({MediaText, 2, 2, RevealNone});
  BuildPane();
  EXPECT_EQ(doc->paneContentWidth, 960);
  EXPECT_NE(Control(4002), nullptr);
  EXPECT_EQ(Control(4003), nullptr);
  // Field 4002 belongs to question 2 and is judged against its answer.
  Answer(4002, "answer2");
  EXPECT_EQ(Text(5002), "BRAVO");
  EXPECT_EQ(HeaderText(ID_HEADER_SCORE), " 1 / 2");
}

TEST_F(QuestionPane, EmptyQuizCreatesNothing) {
  for (int answers : {1, 2}) {
    MakeQuiz({MediaPicture, 0, answers, RevealNone});
    BuildPane();
    EXPECT_EQ(Control(4001), nullptr);
    EXPECT_EQ(Control(9901), nullptr);
    EXPECT_EQ(doc->paneContentWidth, answers == 2 ? 80 : 20);
    EXPECT_EQ(doc->paneContentHeight, 0);
    DestroyPane();
  }
}

TEST_F(QuestionPane, PictureQuizStandsInRowsOfThree) {
  MakeQuiz({MediaPicture, 4, 1, RevealNone});
  BuildPane();
  // Row 1 is as high as its tallest picture (403, 260); row 2 takes 405's
  // height although there is no question 5.
  EXPECT_EQ(doc->rowHeights[0], 260);
  EXPECT_EQ(doc->rowHeights[1], 260);
  ExpectBox({9901, 46, 5 + 65, 260, 130});
  ExpectBox({9902, 336 + 65, 5, 130, 260});
  ExpectBox({9903, 626, 5, 260, 260});
  ExpectBox({2001, 18, 277, 27, 17});
  ExpectBox({4001, 46, 275, 260, 20});
  ExpectBox({5001, 46, 294, 260, 20});
  ExpectBox({4003, 626, 275, 260, 20});
  // Row 2 starts at 5 + 260 + 10 + 60.
  ExpectBox({9904, 46, 335 + 32, 260, 195});
  ExpectBox({4004, 46, 605, 260, 20});
  EXPECT_EQ(Style(9901), 0x5080020E);
  EXPECT_EQ(doc->paneContentWidth, 910);
  EXPECT_EQ(doc->paneContentHeight, 665);
  EXPECT_EQ(Control(8001), nullptr);  // no comments below reveal mode 2
  // The pictures the pane shows are its own: destroying it deletes them.
  auto shown = reinterpret_cast<HBITMAP>(SendMessageA(Control(9904), STM_GETIMAGE, IMAGE_BITMAP, 0));
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(GetObjectType(shown), static_cast<DWORD>(OBJ_BITMAP));
  DestroyPane();
  EXPECT_EQ(GetObjectType(shown), 0u);
}

TEST_F(QuestionPane, PictureQuizWithTwoAnswersAndComments) {
  MakeQuiz({MediaPicture, 2, 2, RevealComment});
  WriteAnswers("a\r\nb\r\nthird\r\nfourth\r\n");
  BuildPane();
  const int ya = 5 + 260 + 10;
  ExpectBox({4001, 106, ya, 201, 20});
  ExpectBox({5001, 106 + 200, ya, 60, 20});
  ExpectBox({4002, 106, ya + 19, 201, 20});
  ExpectBox({4004, 396, ya + 19, 201, 20});
  ExpectBox({2002, 396 - 28, ya + 2, 27, 17});
  ExpectBox({ID_ANSWER_LABEL, 4, ya + 2, 95, 20});
  ExpectBox({8002, 396, ya + 46, 260, 65});
  EXPECT_FALSE(IsWindowVisible(Control(8002)));
  EXPECT_EQ(Text(4003), "third");
  EXPECT_EQ(Text(4004), "fourth");
  EXPECT_EQ(doc->paneContentWidth, 970);
  EXPECT_EQ(doc->paneContentHeight, ya + 140);
}

TEST_F(QuestionPane, AudioQuizBuildsItsFirstCellOrStopsWithoutAPlayer) {
  MakeQuiz({MediaAudio, 2, 1, RevealNone});
  BuildPane();  // no media host started: no player can be made
  ExpectBox({9901, 46, 5, 0, 0});
  EXPECT_EQ(Control(4001), nullptr);
  EXPECT_EQ(Control(9902), nullptr);
  EXPECT_EQ(doc->paneContentWidth, 0);  // building stopped before the widening
  DestroyPane();

  MediaHostStart();
  BuildPane();
  if (Control(4001) != nullptr) {
    ExpectBox({2001, 18, 7, 27, 17});
    ExpectBox({4001, 66, 5, 240, 20});
    ExpectBox({5001, 66, 24, 240, 20});
    ExpectBox({6001, 46, 5, 20, 20});
    ExpectBox({7001, 46, 25, 20, 19});
    EXPECT_EQ(Style(6001), 0x50010041);
    EXPECT_NE(SendMessageA(Control(6001), BM_GETIMAGE, IMAGE_ICON, 0), 0);
    EXPECT_EQ(doc->paneContentHeight, 65);
    ExpectBox({9902, 336, 5, 0, 0});
  }
  DestroyPane();
  MediaHostStop(nullptr);
}

TEST_F(QuestionPane, VideoQuizCellsHoldAFrameAboveTheAnswers) {
  MakeQuiz({MediaVideo, 4, 1, RevealComment});
  MediaHostStart();
  BuildPane();
  if (Control(4002) != nullptr) {
    ExpectBox({9902, 336, 5, 260, 200});
    ExpectBox({2002, 308, 217, 27, 17});
    ExpectBox({8002, 336, 261, 260, 65});
    EXPECT_FALSE(IsWindowVisible(Control(8002)));
    ExpectBox({4002, 356, 215, 240, 20});
    ExpectBox({5002, 356, 234, 240, 20});
    ExpectBox({6002, 336, 215, 20, 20});
    ExpectBox({7002, 336, 235, 20, 19});
    ExpectBox({9904, 46, 355, 260, 200});  // the second row
  } else {
    ADD_FAILURE() << "no media player could be made";
  }
  DestroyPane();
  MediaHostStop(nullptr);
}

TEST_F(QuestionPane, OnlyClicksOfClipButtonsReachTheMediaHost) {
  MakeQuiz({MediaAudio, 2, 1, RevealNone});
  MediaHostStart();
  BuildPane();
  ASSERT_NE(Control(4002), nullptr) << "no media player could be made";
  SendMessageA(pane, WM_COMMAND, MAKEWPARAM(6002, BN_SETFOCUS), 0);
  EXPECT_NE(CurrentClip(), 2);
  SendMessageA(pane, WM_COMMAND, MAKEWPARAM(6002, BN_CLICKED), 0);
  EXPECT_EQ(CurrentClip(), 2);
  EXPECT_EQ(ClipPlayerOf(2)->state, ClipPlaying);
  SendMessageA(pane, WM_COMMAND, MAKEWPARAM(7001, 1), 0);
  EXPECT_EQ(ClipPlayerOf(2)->state, ClipPlaying);
  SendMessageA(pane, WM_COMMAND, MAKEWPARAM(7001, BN_CLICKED), 0);  // any stop button stops the current clip
  EXPECT_EQ(ClipPlayerOf(2)->state, ClipStopped);
  SendMessageA(pane, WM_COMMAND, MAKEWPARAM(6097, BN_CLICKED), 0);
  EXPECT_EQ(CurrentClip(), 2);
  DestroyPane();
  MediaHostStop(nullptr);
}

TEST_F(QuestionPane, StatusFieldsArePaintedInTheirVerdictColour) {
  MakeQuiz({MediaText, 2, 1, RevealNone});
  BuildPane();
  const struct {
    const char* status;
    HBRUSH brush;
  } cases[] = {
      {"BRAVO", rightBrush},         {"FAUX", doc->wrongBrush},   {"Anagramme", doc->anagramBrush},
      {"Trop long", doc->hintBrush}, {"Presque", doc->hintBrush}, {"", doc->hintBrush},
      {"bravo", doc->hintBrush},
  };
  for (const auto& c : cases) {
    SetDlgItemTextA(pane, 5002, c.status);
    COLORREF text = 0;
    EXPECT_EQ(Colours(5002, &text), c.brush) << c.status;
    EXPECT_EQ(text, RGB(0, 0, 0)) << c.status;
  }
  SetDlgItemTextA(pane, 5002, "?");
  EXPECT_EQ(Colours(5002), nullptr);
  EXPECT_EQ(Colours(ID_QUESTION_TEXT), doc->questionBrush);
  EXPECT_EQ(SendMessageA(pane, WM_CTLCOLORDLG, 0, 0), reinterpret_cast<LRESULT>(doc->backgroundBrush));
  LOGBRUSH right = {};
  GetObjectA(rightBrush, sizeof(right), &right);
  EXPECT_EQ(right.lbColor, RGB(0, 255, 0));
}

TEST_F(QuestionPane, LabelsAreWhiteOnlyOnDarkBackgrounds) {
  MakeQuiz({MediaPicture, 1, 2, RevealComment});
  BuildPane();
  const struct {
    int red, green;
    COLORREF expected;
  } cases[] = {
      {69, 69, RGB(255, 255, 255)}, {70, 0, RGB(0, 0, 0)}, {0, 70, RGB(0, 0, 0)}, {0, 0, RGB(255, 255, 255)}};
  for (const auto& c : cases) {
    doc->backRed = static_cast<uint8_t>(c.red);
    doc->backGreen = static_cast<uint8_t>(c.green);
    doc->backBlue = 255;
    for (int id : {2001, ID_ANSWER_LABEL, 8001}) {
      COLORREF text = 0;
      int mode = 0;
      EXPECT_EQ(Colours(id, &text, &mode), doc->backgroundBrush) << id;
      EXPECT_EQ(text, c.expected) << id << " red " << c.red << " green " << c.green;
      EXPECT_EQ(mode, TRANSPARENT);
    }
  }
  EXPECT_EQ(Colours(9901), nullptr);  // pictures keep the system's colours
}

TEST_F(QuestionPane, CloseKeepsTheVerdictBrushAndDestroyDeletesItOnce) {
  MakeQuiz({MediaText, 1, 1, RevealNone});
  BuildPane();
  HBRUSH brush = rightBrush;
  SendMessageA(pane, WM_CLOSE, 0, 0);
  EXPECT_EQ(rightBrush, brush);
  EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
  DestroyPane();
  EXPECT_EQ(rightBrush, nullptr);
  EXPECT_EQ(GetObjectType(brush), 0u);
}

TEST_F(QuestionPane, CloseRemovesTheClipFileOfTheCurrentClip) {
  MakeQuiz({MediaAudio, 2, 1, RevealNone});
  MediaHostStart();
  BuildPane();
  // The clip file of question 2, as its play button writes it, without a
  // player holding it open.
  ASSERT_EQ(WriteClipFile(QUESTION_MEDIA_BASE + 2, 1), 1);
  const std::string clipFile = CurrentClipFile();
  ASSERT_FALSE(clipFile.empty());
  ASSERT_NE(GetFileAttributesA(clipFile.c_str()), INVALID_FILE_ATTRIBUTES);
  HBRUSH brush = rightBrush;
  SendMessageA(pane, WM_CLOSE, 0, 0);
  EXPECT_EQ(GetFileAttributesA(clipFile.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(rightBrush, brush);
  DestroyPane();
  MediaHostStop(nullptr);
}

TEST_F(QuestionPane, RestartRestoresSavedAnswersVerdictsAndScore) {
  MakeQuiz({MediaText, 3, 1, RevealNone});
  BuildPane();
  Answer(4001, "answer1");
  Answer(4002, "wrong");
  SendMessageA(Control(4001), WM_KEYUP, VK_F2, 0);
  DestroyPane();
  SetDlgItemTextA(header, ID_HEADER_SCORE, "");
  BuildPane();
  EXPECT_EQ(Text(4001), "answer1");
  EXPECT_EQ(Text(5001), "BRAVO");
  EXPECT_EQ(Text(5002), "FAUX");
  EXPECT_EQ(Text(5003), "?");
  EXPECT_EQ(HeaderText(ID_HEADER_SCORE), " 1 / 3");
  EXPECT_EQ(HeaderText(ID_HEADER_CODE), "code 1");
}

TEST_F(QuestionPane, SavedLinesFillTheFieldsAsFarAsTheyGo) {
  MakeQuiz({MediaText, 4, 1, RevealNone});
  const std::string full(259, 'k');
  WriteAnswers(full + "\r\n" + std::string(300, 'm') + "\r\nlast without end");
  BuildPane();
  EXPECT_EQ(Text(4001), full);
  EXPECT_EQ(Text(4002), std::string(259, 'm'));
  EXPECT_EQ(Text(4003), "last without end");
  EXPECT_EQ(Text(4004), "");
  EXPECT_EQ(Text(5004), "?");
}

}  // namespace
