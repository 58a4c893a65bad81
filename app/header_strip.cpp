// The header strip: score and code at the left, title and explanation in
// the middle, "Sauver", "Cacher", the link and the author at the right. The
// strip owns no quiz logic; the score recount writes into its score label
// and code field, and its buttons call saving and the hide relayout.
#include "app/header_strip.h"

#include <shellapi.h>

#include <cstdio>
#include <new>

#include "app/main_window.h"
#include "content/quiz_document.h"
#include "play/answers_file.h"
#include "play/pane_scroll.h"
#include "play/play_rules.h"
#include "resources/resource_ids.h"

namespace {

constexpr COLORREF kStripColour = 0x00FF8080;
constexpr COLORREF kLinkColour = 0x00FF3232;
// Labels, the check box and the code field draw on the strip's colour.
constexpr int kTransparentIdFirst = 20;
constexpr int kTransparentIdLast = 33;

// What the strip owns, attached to the dialog while it lives.
struct HeaderStripState {
  HBRUSH background;
  HFONT linkFont;
};

HeaderStripState* StateOf(HWND strip) {
  return reinterpret_cast<HeaderStripState*>(GetWindowLongPtrA(strip, DWLP_USER));
}

HWND CreateControl(HWND strip, const char* className, const char* text, DWORD style, int x, int y, int width,
                   int height, int id) {
  return CreateWindowExA(0, className, text, style, x, y, width, height, strip,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                         nullptr);
}

void SetFont(HWND control, HFONT font, bool redraw) {
  if (control)
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
}

HFONT GuiFont() {
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

INT_PTR OnHeaderInitDialog(HWND strip) {
  const QuizDocument* doc = currentDocument;
  auto* state = new (std::nothrow) HeaderStripState{nullptr, nullptr};
  if (!state)
    return TRUE;
  SetWindowLongPtrA(strip, DWLP_USER, reinterpret_cast<LONG_PTR>(state));

  const DWORD label = WS_CHILD | WS_VISIBLE;
  HWND link = CreateControl(strip, "Static", doc ? doc->linkText : "", label | SS_NOTIFY, 736, 5, 115, 18,
                            ID_HEADER_LINK);
  if (link)
    state->linkFont = MakeLinkLabel(link);
  SetFont(CreateControl(strip, "Static", "Par :", label, 736, 25, 27, 18, ID_HEADER_BY), GuiFont(), true);
  SetFont(CreateControl(strip, "Static", doc ? doc->creator : "", label, 763, 25, 85, 18, ID_HEADER_CREATOR),
          GuiFont(), true);
  if (OffersHideBox(doc)) {
    SetFont(CreateControl(strip, "button", "Cacher", label | BS_AUTOCHECKBOX, 666, 5, 65, 18, ID_HEADER_HIDE),
            GuiFont(), true);
  }
  SetFont(CreateControl(strip, "button", "Sauver", label, 666, 25, 55, 18, ID_HEADER_SAVE), GuiFont(), true);
  SetFont(CreateControl(strip, "Static", doc ? doc->explanation : "", label, 110, 19, 490, 27,
                        ID_HEADER_EXPLANATION),
          GuiFont(), true);
  SetFont(CreateControl(strip, "Static", doc ? doc->title : "", label, 110, 3, 190, 18, ID_HEADER_TITLE),
          doc ? doc->titleFont : nullptr, false);
  SetFont(CreateControl(strip, "Static", " Code :", label, 7, 29, 36, 15, ID_HEADER_CODE_LABEL), GuiFont(),
          true);
  char score[32];
  std::snprintf(score, sizeof score, " 0 / %d", doc ? static_cast<int>(doc->questionCount) : 0);
  SetFont(CreateControl(strip, "Static", score, label | SS_CENTER, 10, 1, 80, 20, ID_HEADER_SCORE),
          doc ? doc->scoreFont : nullptr, false);
  SetFont(CreateControl(strip, "edit", "", label | ES_READONLY, 44, 29, 53, 16, ID_HEADER_CODE), GuiFont(),
          true);
  CreateControl(strip, "Static", "", label | WS_BORDER, 0, 26, 100, 1, ID_HEADER_RULE_SCORE);
  CreateControl(strip, "Static", "", label | WS_BORDER, 100, 0, 1, 50, ID_HEADER_RULE_LEFT);
  CreateControl(strip, "Static", "", label | WS_BORDER, 730, 0, 1, 50, ID_HEADER_RULE_RIGHT);

  state->background = CreateSolidBrush(kStripColour);
  return TRUE;
}

void PlaceControl(HWND strip, int id, int x, int y, int width, int height, bool repaint) {
  HWND control = GetDlgItem(strip, id);
  if (!control)
    return;
  // A strip narrower than its fixed parts gives the stretching controls no width
  // rather than a negative one.
  SetWindowPos(control, HWND_TOP, x, y, width < 0 ? 0 : width, height, SWP_NOACTIVATE);
  if (repaint)
    InvalidateRect(control, nullptr, FALSE);
}

INT_PTR OnHeaderSize(HWND strip) {
  RECT client;
  GetClientRect(strip, &client);
  const int w = client.right - client.left;
  PlaceControl(strip, ID_HEADER_TITLE, 110, 3, w - 350, 18, false);
  PlaceControl(strip, ID_HEADER_LINK, w - 134, 0, 115, 18, false);
  PlaceControl(strip, ID_HEADER_BY, w - 134, 25, 26, 18, false);
  PlaceControl(strip, ID_HEADER_CREATOR, w - 107, 25, 105, 18, true);
  PlaceControl(strip, ID_HEADER_SAVE, w - 204, 25, 55, 18, true);
  PlaceControl(strip, ID_HEADER_EXPLANATION, 110, 19, w - 324, 28, true);
  PlaceControl(strip, ID_HEADER_RULE_RIGHT, w - 145, 0, 1, 50, true);
  if (OffersHideBox(currentDocument))
    PlaceControl(strip, ID_HEADER_HIDE, w - 234, 0, 85, 18, true);
  // Controls moved far from where they were (the link and "Par :" when the
  // window is maximised) would otherwise stay unpainted at their new place.
  RedrawWindow(strip, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  return 0;
}

INT_PTR OnHeaderCommand(WPARAM wParam) {
  if (HIWORD(wParam) != 0)
    return 0;
  switch (LOWORD(wParam)) {
    case ID_HEADER_LINK:
      if (currentDocument && currentDocument->linkText[0] != '\0') {
        ShellExecuteA(nullptr, "open", currentDocument->linkText, nullptr, nullptr, SW_SHOWNORMAL);
      }
      break;
    case ID_HEADER_SAVE:
      if (currentDocument)
        SaveAnswersOrTell(currentDocument);
      break;
    case ID_HEADER_HIDE:
      if (currentDocument)
        ApplyHideAnswered(currentDocument);
      break;
    default:
      break;
  }
  return 0;
}

INT_PTR OnHeaderCtlColorStatic(HWND strip, HDC dc, HWND control) {
  const HeaderStripState* state = StateOf(strip);
  if (!state)
    return 0;
  const int id = GetDlgCtrlID(control);
  if (id == ID_HEADER_LINK)
    SetTextColor(dc, kLinkColour);
  if (id >= kTransparentIdFirst && id <= kTransparentIdLast) {
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(state->background);
  }
  return 0;
}

INT_PTR OnHeaderCtlColorDlg(HWND strip) {
  const HeaderStripState* state = StateOf(strip);
  return state ? reinterpret_cast<INT_PTR>(state->background) : 0;
}

INT_PTR OnHeaderDestroy(HWND strip) {
  HeaderStripState* state = StateOf(strip);
  if (!state)
    return 0;
  SetWindowLongPtrA(strip, DWLP_USER, 0);
  // The link label is destroyed after its parent's WM_DESTROY: give it the
  // stock font back before its own font goes.
  if (state->linkFont) {
    SetFont(GetDlgItem(strip, ID_HEADER_LINK), GuiFont(), false);
    DeleteObject(state->linkFont);
  }
  if (state->background)
    DeleteObject(state->background);
  delete state;
  return 0;
}

}  // namespace

INT_PTR CALLBACK HeaderBarProc(HWND strip, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnHeaderInitDialog(strip);
    case WM_SIZE:
      return OnHeaderSize(strip);
    case WM_COMMAND:
      return OnHeaderCommand(wParam);
    case WM_CTLCOLORSTATIC:
      return OnHeaderCtlColorStatic(strip, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CTLCOLORDLG:
      return OnHeaderCtlColorDlg(strip);
    case WM_DESTROY:
      return OnHeaderDestroy(strip);
    default:
      return 0;
  }
}
