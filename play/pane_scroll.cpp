// Scrolling of the question pane and the "Cacher" relayout.
//
// The content (paneContentWidth x paneContentHeight pixels, one scroll unit
// per pixel) is placed once; scrolling moves the whole client area with its
// child controls by the change of position. Each bar's maximum is content - 2
// and its page visible - 1, so the largest position is content - visible and
// content that fits leaves the bar visible but disabled.
//
// The relayout folds answered questions of a picture quiz (one answer per
// question): their picture and comment are hidden and their answer controls
// move up into the picture's place. hideState[q] records 1 for a folded
// question and 2 for a row's third question once the whole row has collapsed,
// which also moved every later question up. Turning the box off walks the
// same states backwards, so every control returns exactly to its place.
#include "play/pane_scroll.h"

#include <cstring>
#include <vector>

#include "play/answer_judge.h"
#include "play/play_state.h"
#include "play/question_pane.h"
#include "play/verdict_rules.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kLineStepVertical = 310;
constexpr int kLineStepHorizontal = 1;
constexpr int kWheelStep = 50;
constexpr int kWheelNotch = 120;
constexpr int kWheelNotchBack = 65416;  // -120 as an unsigned 16-bit value

SCROLLINFO ReadBar(HWND pane, int bar) {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
  GetScrollInfo(pane, bar, &info);
  return info;
}

int BarPosition(HWND pane, int bar) {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_POS;
  GetScrollInfo(pane, bar, &info);
  return info.nPos;
}

void ScrollContent(HWND pane, int dx, int dy) {
  if (dx != 0 || dy != 0) {
    ScrollWindow(pane, dx, dy, nullptr, nullptr);
  }
}

// Sets the bar to p (clamped to its range) and returns the position the bar
// kept.
int MoveBar(HWND pane, int bar, const SCROLLINFO& info, int p) {
  if (p < info.nMin) {
    p = info.nMin;
  }
  if (p > info.nMax) {
    p = info.nMax;
  }
  SCROLLINFO set = {};
  set.cbSize = sizeof(set);
  set.fMask = SIF_POS;
  set.nPos = p;
  SetScrollInfo(pane, bar, &set, TRUE);
  return BarPosition(pane, bar);
}

void SetBar(HWND pane, int bar, int content, int visible) {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = content - 2;
  info.nPage = static_cast<UINT>(visible - 1 > 0 ? visible - 1 : 0);
  SetScrollInfo(pane, bar, &info, TRUE);
}

// Re-derives the bars and scrolls back whatever they no longer allow.
void RefreshBars(QuizDocument* doc, HWND pane) {
  int oldX = BarPosition(pane, SB_HORZ);
  int oldY = BarPosition(pane, SB_VERT);
  SetPaneScrollRanges(doc, pane);
  ScrollContent(pane, oldX - BarPosition(pane, SB_HORZ), oldY - BarPosition(pane, SB_VERT));
}

bool HideBoxChecked(const QuizDocument* doc) {
  if (doc->headerBar == nullptr) {
    return false;
  }
  HWND box = GetDlgItem(doc->headerBar, ID_HEADER_HIDE);
  return box != nullptr && SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Shows the steps of the relayout that the play rules planned.
void ApplyHideSteps(HWND pane, const std::vector<HideStep>& steps) {
  for (const HideStep& step : steps) {
    switch (step.kind) {
      case HideStepKind::Fold:
        ShiftQuestion(ShiftToggle, SW_HIDE, pane, step.amount, step.sign, step.question);
        break;
      case HideStepKind::Unfold:
        ShiftQuestion(ShiftToggle, SW_SHOWNORMAL, pane, step.amount, step.sign, step.question);
        if (!step.commentDue) {
          HWND comment = GetDlgItem(pane, ID_COMMENT_BASE + step.question);
          if (comment != nullptr) {
            ShowWindow(comment, SW_HIDE);
          }
        }
        break;
      case HideStepKind::Move:
        ShiftQuestion(ShiftMove, 0, pane, step.amount, step.sign, step.question);
        break;
    }
  }
}

}  // namespace

void SetPaneScrollRanges(QuizDocument* doc, HWND pane) {
  if (doc == nullptr || pane == nullptr) {
    return;
  }
  RECT client = {};
  GetClientRect(pane, &client);
  int visibleWidth = client.right - client.left;
  int visibleHeight = client.bottom - client.top;
  if (doc->paneContentWidth <= visibleWidth) {
    SetScrollPos(pane, SB_HORZ, 0, FALSE);
    visibleWidth = doc->paneContentWidth;
  }
  if (doc->paneContentHeight <= visibleHeight) {
    SetScrollPos(pane, SB_VERT, 0, FALSE);
    visibleHeight = doc->paneContentHeight;
  }
  SetBar(pane, SB_HORZ, doc->paneContentWidth, visibleWidth);
  SetBar(pane, SB_VERT, doc->paneContentHeight, visibleHeight);
}

void OnPaneVScroll(HWND pane, int code) {
  SCROLLINFO info = ReadBar(pane, SB_VERT);
  int p = info.nPos;
  switch (code) {
    case SB_LINEUP:
      p -= kLineStepVertical;
      break;
    case SB_LINEDOWN:
      p += kLineStepVertical;
      break;
    case SB_PAGEUP:
      p -= static_cast<int>(info.nPage);
      break;
    case SB_PAGEDOWN:
      p += static_cast<int>(info.nPage);
      break;
    case SB_THUMBTRACK:
      p = info.nTrackPos;
      break;
    case SB_TOP:
      p = 0;
      break;
    case SB_BOTTOM:
      p = info.nMax;
      break;
    case kScrollWheelDown:
      p += kWheelStep;
      break;
    case kScrollWheelUp:
      p -= kWheelStep;
      break;
    case kScrollToTarget:
      p = paneScrollTarget;
      break;
    default:
      break;
  }
  int now = MoveBar(pane, SB_VERT, info, p);
  ScrollContent(pane, 0, info.nPos - now);
}

void OnPaneHScroll(HWND pane, int code) {
  SCROLLINFO info = ReadBar(pane, SB_HORZ);
  int p = info.nPos;
  switch (code) {
    case SB_LINELEFT:
      p -= kLineStepHorizontal;
      break;
    case SB_LINERIGHT:
      p += kLineStepHorizontal;
      break;
    case SB_PAGELEFT:
      p -= static_cast<int>(info.nPage);
      break;
    case SB_PAGERIGHT:
      p += static_cast<int>(info.nPage);
      break;
    case SB_THUMBTRACK:
      p = info.nTrackPos;
      break;
    default:
      break;
  }
  int now = MoveBar(pane, SB_HORZ, info, p);
  ScrollContent(pane, info.nPos - now, 0);
}

void OnPaneSize(QuizDocument* doc, HWND pane) {
  RefreshBars(doc, pane);
}

void OnPaneMouseWheel(HWND pane, WPARAM wParam) {
  int delta = HIWORD(wParam);
  if (delta == kWheelNotch) {
    PostMessageA(pane, WM_VSCROLL, MAKEWPARAM(kScrollWheelUp, 0), 0);
  } else if (delta == kWheelNotchBack) {
    PostMessageA(pane, WM_VSCROLL, MAKEWPARAM(kScrollWheelDown, 0), 0);
  }
}

void ApplyHideAnswered(QuizDocument* doc) {
  if (doc == nullptr || doc->questionPane == nullptr) {
    return;  // the pane is still being built: nothing can be folded yet
  }
  HWND pane = doc->questionPane;
  int32_t statesBefore[kMaxQuestions + 1];
  std::memcpy(statesBefore, doc->hideState, sizeof(statesBefore));
  ApplyHideSteps(pane, PlanHideAnswered(doc, ReadPlayFields(doc, pane), HideBoxChecked(doc)));
  RefreshBars(doc, pane);
  // Moved controls are not painted at their new places by themselves. Only a
  // pass that moved something repaints, so typing and judging, which run
  // this pass after every verdict, never make the pane flicker.
  if (std::memcmp(statesBefore, doc->hideState, sizeof(statesBefore)) != 0) {
    RedrawWindow(pane, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
}

void ShiftQuestion(ShiftMode mode, int showCommand, HWND pane, int amount, int sign, int q) {
  if (mode == ShiftToggle) {
    HWND picture = GetDlgItem(pane, ID_PICTURE_BASE + q);
    HWND comment = GetDlgItem(pane, ID_COMMENT_BASE + q);
    if (picture != nullptr) {
      ShowWindow(picture, showCommand);
    }
    if (comment != nullptr) {
      ShowWindow(comment, showCommand);
    }
  } else {
    HWND picture = GetDlgItem(pane, ID_PICTURE_BASE + q);
    if (picture != nullptr) {
      MoveControlBy(picture, amount, sign);
    }
  }
  const int followers[] = {ID_ANSWER_FIELD_BASE + q, ID_STATUS_FIELD_BASE + q, ID_NUMBER_LABEL_BASE + q};
  for (int id : followers) {
    HWND control = GetDlgItem(pane, id);
    if (control != nullptr) {
      MoveControlBy(control, amount, sign);
    }
  }
}

void MoveControlBy(HWND control, int amount, int sign) {
  RECT rect;
  if (control == nullptr || !GetWindowRect(control, &rect)) {
    return;
  }
  POINT topLeft = {rect.left, rect.top + amount * sign};
  HWND parent = GetParent(control);
  if (parent != nullptr && parent != GetDesktopWindow()) {
    ScreenToClient(parent, &topLeft);
  }
  SetWindowPos(control, nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
