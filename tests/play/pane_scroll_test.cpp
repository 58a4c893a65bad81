// Scroll bars, scroll requests and the "Cacher" relayout of the pane.
#include "play/pane_scroll.h"

#include "play/question_pane.h"
#include "resources/resource_ids.h"
#include "tests/play/pane_test_support.h"

namespace {

class PaneScroll : public PaneTest {
 protected:
  SCROLLINFO Bar(int bar) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(pane, bar, &info);
    return info;
  }
  void Scroll(int code) { SendMessageA(pane, WM_VSCROLL, MAKEWPARAM(code, 0), 0); }
  // A text quiz whose content is `height` high in a 700 x 400 client area.
  void TallContent(int height) {
    MakeQuiz({MediaText, 90, 1, RevealNone});
    BuildPane();
    SetClientSize(700, 400);
    doc->paneContentHeight = height;
    SetPaneScrollRanges(doc.get(), pane);
  }
};

TEST_F(PaneScroll, RangesFollowContentAndClient) {
  MakeQuiz({MediaText, 10, 1, RevealNone});
  BuildPane();
  SetClientSize(700, 400);
  EXPECT_EQ(doc->paneContentWidth, 900);
  EXPECT_EQ(doc->paneContentHeight, 255);
  SCROLLINFO h = Bar(SB_HORZ);
  EXPECT_EQ(h.nMax, 898);
  EXPECT_EQ(h.nPage, 699u);
  SendMessageA(pane, WM_HSCROLL, SB_PAGERIGHT, 0);
  EXPECT_EQ(HorizontalPosition(), 200);
  SCROLLINFO v = Bar(SB_VERT);
  EXPECT_EQ(v.nMax, 253);
  EXPECT_EQ(v.nPage, 254u);
  EXPECT_EQ(v.nPos, 0);
  Scroll(SB_LINEDOWN);
  EXPECT_EQ(VerticalPosition(), 0);
}

TEST_F(PaneScroll, VerticalRequestsMoveTheContent) {
  TallContent(2000);
  const int top = Rect(4001).top;
  const struct {
    int code;
    int expected;
  } steps[] = {
      {SB_LINEDOWN, 310},  {SB_LINEDOWN, 620}, {kScrollWheelDown, 670}, {kScrollWheelUp, 620},
      {SB_PAGEDOWN, 1019}, {SB_LINEUP, 709},   {SB_ENDSCROLL, 709},     {SB_THUMBPOSITION, 709},
      {SB_PAGEUP, 310},    {SB_BOTTOM, 1600},  {SB_LINEDOWN, 1600},     {SB_TOP, 0},
      {SB_LINEUP, 0},
  };
  for (const auto& step : steps) {
    Scroll(step.code);
    EXPECT_EQ(VerticalPosition(), step.expected) << "code " << step.code;
    EXPECT_EQ(Rect(4001).top, top - step.expected) << "code " << step.code;
  }
  paneScrollTarget = 777;
  Scroll(kScrollToTarget);
  EXPECT_EQ(VerticalPosition(), 777);
  paneScrollTarget = -50;
  Scroll(kScrollToTarget);
  EXPECT_EQ(VerticalPosition(), 0);
}

TEST_F(PaneScroll, HorizontalStepsArePixels) {
  TallContent(2000);
  const int left = Rect(4001).left;
  const struct {
    int code;
    int expected;
  } steps[] = {{SB_LINERIGHT, 1},   {SB_LINERIGHT, 2}, {SB_LINELEFT, 1}, {SB_PAGERIGHT, 200},
               {SB_LINERIGHT, 200}, {SB_PAGELEFT, 0},  {SB_LINELEFT, 0}};
  for (const auto& step : steps) {
    SendMessageA(pane, WM_HSCROLL, MAKEWPARAM(step.code, 0), 0);
    EXPECT_EQ(HorizontalPosition(), step.expected) << "code " << step.code;
    EXPECT_EQ(Rect(4001).left, left - step.expected);
  }
}

int wheelsReachingParent = 0;
LRESULT CALLBACK CountWheels(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEWHEEL) {
    ++wheelsReachingParent;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(PaneScroll, OnlyWholeWheelNotchesArePostedAsRequests) {
  TallContent(2000);
  // The pane keeps the wheel: the main window would forward it back.
  SetWindowLongPtrA(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountWheels));
  const struct {
    int delta;
    int expected;
  } cases[] = {{-120, 50}, {-120, 100}, {120, 50}, {240, 50}, {-240, 50}, {60, 50}};
  for (const auto& c : cases) {
    SendMessageA(pane, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(c.delta)), 0);
    PumpMessages();
    EXPECT_EQ(VerticalPosition(), c.expected) << "delta " << c.delta;
  }
  EXPECT_EQ(wheelsReachingParent, 0);
}

TEST_F(PaneScroll, GrowingThePaneBringsTheContentBack) {
  TallContent(2000);
  const RECT built = Rect(4001);
  Scroll(SB_BOTTOM);
  SendMessageA(pane, WM_HSCROLL, SB_PAGERIGHT, 0);
  SetClientSize(1000, 2100);
  EXPECT_EQ(VerticalPosition(), 0);
  EXPECT_EQ(HorizontalPosition(), 0);
  EXPECT_EQ(Rect(4001).top, built.top);
  EXPECT_EQ(Rect(4001).left, built.left);
}

class HideAnswered : public PaneScroll {
 protected:
  void Check(bool on) {
    SendDlgItemMessageA(header, ID_HEADER_HIDE, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    ApplyHideAnswered(doc.get());
  }
  std::vector<RECT> Layout(int questions) {
    std::vector<RECT> rects;
    for (int q = 1; q <= questions; ++q) {
      for (int id : {9900 + q, 4000 + q, 5000 + q, 2000 + q})
        rects.push_back(Rect(id));
    }
    return rects;
  }
  bool Visible(int id) { return (GetWindowLongA(Control(id), GWL_STYLE) & WS_VISIBLE) != 0; }
};

bool SameRects(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (!EqualRect(&a[i], &b[i]))
      return false;
  }
  return true;
}

TEST_F(HideAnswered, AFullRowFoldsCollapsesAndComesBackExactly) {
  for (RevealMode mode : {RevealNone, RevealComment}) {
    MakeQuiz({MediaPicture, 6, 1, mode});
    BuildPane();
    const std::vector<RECT> built = Layout(6);
    const int height = doc->paneContentHeight;
    const int d = doc->rowHeights[0] + (mode == RevealComment ? 65 : 0);
    for (int q = 1; q <= 3; ++q)
      Answer(4000 + q, "answer" + std::to_string(q));
    Check(true);
    for (int q = 1; q <= 3; ++q) {
      EXPECT_FALSE(Visible(9900 + q));
      EXPECT_EQ(Rect(4000 + q).top, built[4 * (q - 1) + 1].top - doc->rowHeights[0]);
      EXPECT_EQ(Rect(2000 + q).top, built[4 * (q - 1) + 3].top - doc->rowHeights[0]);
    }
    if (mode == RevealComment) {
      EXPECT_FALSE(Visible(8001));
    }
    EXPECT_EQ(Rect(9904).top, built[12].top - d);
    EXPECT_EQ(Rect(5006).top, built[22].top - d);
    EXPECT_EQ(doc->paneContentHeight, height - d);
    EXPECT_EQ(doc->hideState[3], 2);
    Check(true);  // a second pass changes nothing
    EXPECT_EQ(doc->paneContentHeight, height - d);
    Check(false);
    EXPECT_TRUE(SameRects(Layout(6), built));
    EXPECT_TRUE(Visible(9901));
    if (mode == RevealComment) {
      EXPECT_TRUE(Visible(8001));
    }
    EXPECT_EQ(doc->paneContentHeight, height);
    DestroyPane();
  }
}

TEST_F(HideAnswered, ARowCollapsesOnlyWhenItsLastQuestionFolds) {
  MakeQuiz({MediaPicture, 6, 1, RevealNone});
  BuildPane();
  const std::vector<RECT> built = Layout(6);
  Check(true);
  Answer(4001, "answer1");
  Answer(4002, "answer2");
  EXPECT_EQ(doc->hideState[1], 1);
  EXPECT_EQ(doc->hideState[2], 1);
  EXPECT_TRUE(Visible(9903));
  EXPECT_EQ(Rect(4004).top, built[13].top);
  Answer(4003, "answer3");  // the recount folds it and collapses the row
  EXPECT_EQ(doc->hideState[3], 2);
  EXPECT_EQ(Rect(4004).top, built[13].top - doc->rowHeights[0]);
  Check(false);
  EXPECT_TRUE(SameRects(Layout(6), built));
}

// A fold repaints what it moved (seen on screen by the end-to-end run); a
// pass that moves nothing, which every verdict runs, must not repaint, or
// typing with the box on would make the pane flicker.
TEST_F(HideAnswered, AVerdictThatFoldsNothingRepaintsNothing) {
  MakeQuiz({MediaPicture, 6, 1, RevealNone});
  BuildPane();
  for (int q = 1; q <= 3; ++q)
    Answer(4000 + q, "answer" + std::to_string(q));
  PumpMessages();
  Check(true);
  EXPECT_TRUE(GetUpdateRect(Control(5001), nullptr, FALSE));
  EXPECT_TRUE(GetUpdateRect(Control(4004), nullptr, FALSE));
  EXPECT_TRUE(GetUpdateRect(pane, nullptr, FALSE));
  PumpMessages();
  Answer(4005, "wrong");  // a verdict with the box on that folds nothing
  EXPECT_FALSE(GetUpdateRect(pane, nullptr, FALSE));
  EXPECT_FALSE(GetUpdateRect(Control(5001), nullptr, FALSE));
  EXPECT_FALSE(GetUpdateRect(Control(4004), nullptr, FALSE));
  Check(false);
  EXPECT_TRUE(GetUpdateRect(Control(5001), nullptr, FALSE));
}

TEST_F(HideAnswered, FoldedQuestionsShowTheirCommentsOnlyWhenDue) {
  // Every comment at once: folded questions keep theirs hidden until the
  // box is turned off.
  MakeQuiz({MediaPicture, 3, 1, RevealAllComments});
  BuildPane();
  Check(true);
  for (int q = 1; q <= 3; ++q)
    Answer(4000 + q, "answer" + std::to_string(q));
  EXPECT_EQ(doc->allCommentsShown, 1);
  for (int q = 1; q <= 3; ++q)
    EXPECT_FALSE(Visible(8000 + q)) << q;
  Check(false);
  for (int q = 1; q <= 3; ++q)
    EXPECT_TRUE(Visible(8000 + q)) << q;
  DestroyPane();

  // One comment per right question: a question made wrong again while
  // folded does not get its comment back.
  MakeQuiz({MediaPicture, 3, 1, RevealComment});
  BuildPane();
  Answer(4001, "answer1");
  Answer(4002, "answer2");
  Check(true);
  Answer(4001, "wrong");
  Check(false);
  EXPECT_FALSE(Visible(8001));
  EXPECT_TRUE(Visible(8002));
  EXPECT_TRUE(Visible(9901));
}

TEST_F(HideAnswered, TheLastIncompleteRowNeverCollapses) {
  MakeQuiz({MediaPicture, 7, 1, RevealNone});
  BuildPane();
  const std::vector<RECT> built = Layout(7);
  const int height = doc->paneContentHeight;
  for (int q = 1; q <= 7; ++q)
    Answer(4000 + q, "answer" + std::to_string(q));
  Check(true);
  EXPECT_EQ(doc->hideState[3], 2);
  EXPECT_EQ(doc->hideState[6], 2);
  EXPECT_EQ(doc->hideState[7], 1);
  EXPECT_FALSE(Visible(9907));
  EXPECT_EQ(doc->paneContentHeight, height - doc->rowHeights[0] - doc->rowHeights[1]);
  Check(false);
  EXPECT_TRUE(SameRects(Layout(7), built));
  EXPECT_EQ(doc->paneContentHeight, height);
}

}  // namespace
