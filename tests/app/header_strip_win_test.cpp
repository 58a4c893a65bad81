// The header strip as a real dialog from template 1002 inside a plain
// parent window, over a document filled by hand.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "app/header_strip.h"
#include "content/quiz_document.h"
#include "resources/resource_ids.h"
#include "tests/app/app_test_support.h"

namespace {

constexpr COLORREF kStripColour = 0x00FF8080;
constexpr COLORREF kLinkColour = 0x00FF3232;

HWND CreateParentWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "HeaderStripTestParent";
    registered = RegisterClassA(&windowClass) != 0;
  }
  return CreateWindowExA(0, "HeaderStripTestParent", "", WS_OVERLAPPEDWINDOW, 0, 0, 1000, 200, nullptr,
                         nullptr, GetModuleHandleA(nullptr), nullptr);
}

class HeaderStripTest : public ::testing::Test {
 protected:
  void SetUp() override {
    currentDocument = &doc_;
    std::strcpy(doc_.title, "Capitales");
    std::strcpy(doc_.creator, "Claire");
    std::strcpy(doc_.explanation, "Une capitale par pays.");
    std::strcpy(doc_.linkText, "http://example.org/");
    doc_.questionCount = 12;
    doc_.mediaKind = MediaPicture;
    doc_.answersPerQuestion = 1;
    parent_ = CreateParentWindow();
    ASSERT_NE(parent_, nullptr);
  }
  void TearDown() override {
    if (strip_)
      DestroyWindow(strip_);
    DestroyWindow(parent_);
    PumpMessages();
    currentDocument = nullptr;
  }

  HWND OpenStrip() {
    strip_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_HEADER_STRIP), parent_,
                                HeaderBarProc, 0);
    return strip_;
  }

  // The reply to a colour request, with the text colour and background mode
  // it leaves in the device context.
  struct ColourReply {
    HBRUSH brush;
    COLORREF text;
    int backgroundMode;
  };
  ColourReply AskColour(UINT message, HWND control) {
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkMode(dc, OPAQUE);
    ColourReply reply;
    reply.brush = reinterpret_cast<HBRUSH>(
        SendMessageA(strip_, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    reply.text = GetTextColor(dc);
    reply.backgroundMode = GetBkMode(dc);
    DeleteDC(dc);
    return reply;
  }

  QuizDocument doc_;
  HWND parent_ = nullptr;
  HWND strip_ = nullptr;
};

struct ExpectedControl {
  int id;
  const char* className;
  const char* text;
  DWORD style;
  RECT place;  // left, top, right, bottom in the strip's client area
};

const DWORD kChild = WS_CHILD | WS_VISIBLE;

TEST_F(HeaderStripTest, CreatesEveryControlInOrderWithItsTextStyleAndPlace) {
  ASSERT_NE(OpenStrip(), nullptr);
  const ExpectedControl expected[] = {
      {ID_HEADER_LINK, "Static", "http://example.org/", kChild | SS_NOTIFY, {736, 5, 851, 23}},
      {ID_HEADER_BY, "Static", "Par :", kChild, {736, 25, 763, 43}},
      {ID_HEADER_CREATOR, "Static", "Claire", kChild, {763, 25, 848, 43}},
      {ID_HEADER_HIDE, "Button", "Cacher", kChild | BS_AUTOCHECKBOX, {666, 5, 731, 23}},
      {ID_HEADER_SAVE, "Button", "Sauver", kChild, {666, 25, 721, 43}},
      {ID_HEADER_EXPLANATION, "Static", "Une capitale par pays.", kChild, {110, 19, 600, 46}},
      {ID_HEADER_TITLE, "Static", "Capitales", kChild, {110, 3, 300, 21}},
      {ID_HEADER_CODE_LABEL, "Static", " Code :", kChild, {7, 29, 43, 44}},
      {ID_HEADER_SCORE, "Static", " 0 / 12", kChild | SS_CENTER, {10, 1, 90, 21}},
      {ID_HEADER_CODE, "Edit", "", kChild | ES_READONLY, {44, 29, 97, 45}},
      {ID_HEADER_RULE_SCORE, "Static", "", kChild | WS_BORDER, {0, 26, 100, 27}},
      {ID_HEADER_RULE_LEFT, "Static", "", kChild | WS_BORDER, {100, 0, 101, 50}},
      {ID_HEADER_RULE_RIGHT, "Static", "", kChild | WS_BORDER, {730, 0, 731, 50}},
  };
  // Before any resize the children's Z order is their creation order.
  HWND control = GetWindow(strip_, GW_CHILD);
  for (const ExpectedControl& e : expected) {
    SCOPED_TRACE(e.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetDlgCtrlID(control), e.id);
    EXPECT_STRCASEEQ(ClassNameOf(control).c_str(), e.className);
    EXPECT_EQ(WindowText(control), e.text);
    // The system may add bits of its own (the edit field's ES_AUTOHSCROLL
    // and the like); the ones asked for must all be there, and no border
    // where none was asked for.
    const DWORD style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
    EXPECT_EQ(style & e.style, e.style);
    EXPECT_EQ(style & WS_BORDER, e.style & WS_BORDER);
    EXPECT_EQ(GetWindowLongA(control, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY, 0);
    const RECT place = RectInParent(control);
    EXPECT_EQ(place.left, e.place.left);
    EXPECT_EQ(place.top, e.place.top);
    EXPECT_EQ(place.right, e.place.right);
    EXPECT_EQ(place.bottom, e.place.bottom);
    control = GetWindow(control, GW_HWNDNEXT);
  }
  EXPECT_EQ(control, nullptr);
}

TEST_F(HeaderStripTest, GivesEachControlItsFont) {
  ASSERT_NE(OpenStrip(), nullptr);
  auto fontOf = [&](int id) {
    return reinterpret_cast<HFONT>(SendDlgItemMessageA(strip_, id, WM_GETFONT, 0, 0));
  };
  const HFONT gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (int id : {ID_HEADER_BY, ID_HEADER_CREATOR, ID_HEADER_HIDE, ID_HEADER_SAVE, ID_HEADER_EXPLANATION,
                 ID_HEADER_CODE_LABEL, ID_HEADER_CODE}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(fontOf(id), gui);
  }
  EXPECT_EQ(fontOf(ID_HEADER_TITLE), doc_.titleFont);
  EXPECT_EQ(fontOf(ID_HEADER_SCORE), doc_.scoreFont);

  // The link's own font: underlined, normal weight, 3/4 of the 18-pixel label.
  LOGFONTA link = {};
  ASSERT_EQ(GetObjectA(fontOf(ID_HEADER_LINK), sizeof link, &link), static_cast<int>(sizeof link));
  EXPECT_EQ(link.lfHeight, -13);
  EXPECT_EQ(link.lfWeight, 400);
  EXPECT_TRUE(link.lfUnderline);
  EXPECT_FALSE(link.lfItalic);
  EXPECT_STREQ(link.lfFaceName, "");
}

TEST_F(HeaderStripTest, HideBoxOnlyInAPictureQuizWithOneAnswer) {
  struct Case {
    MediaKind kind;
    int answers;
    bool hideBox;
  };
  const Case cases[] = {
      {MediaText, 1, false},  {MediaPicture, 2, false}, {MediaAudio, 1, false},
      {MediaVideo, 1, false}, {MediaPicture, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << ", answers " << c.answers);
    doc_.mediaKind = c.kind;
    doc_.answersPerQuestion = c.answers;
    ASSERT_NE(OpenStrip(), nullptr);
    EXPECT_EQ(GetDlgItem(strip_, ID_HEADER_HIDE) != nullptr, c.hideBox);
    SetWindowPos(strip_, nullptr, 0, 0, 872, 51, SWP_NOZORDER);
    EXPECT_EQ(GetDlgItem(strip_, ID_HEADER_HIDE) != nullptr, c.hideBox);
    DestroyWindow(strip_);
    strip_ = nullptr;
  }
}

TEST_F(HeaderStripTest, RelayoutFollowsTheStripWidth) {
  ASSERT_NE(OpenStrip(), nullptr);
  // The strip's border takes one pixel on each side: 872 gives a client 870 wide.
  SetWindowPos(strip_, nullptr, 0, 0, 872, 51, SWP_NOZORDER);
  RECT client;
  GetClientRect(strip_, &client);
  ASSERT_EQ(client.right, 870);

  struct Place {
    int id;
    RECT place;
  };
  const Place expected[] = {
      {ID_HEADER_TITLE, {110, 3, 630, 21}},      {ID_HEADER_LINK, {736, 0, 851, 18}},
      {ID_HEADER_BY, {736, 25, 762, 43}},        {ID_HEADER_CREATOR, {763, 25, 868, 43}},
      {ID_HEADER_SAVE, {666, 25, 721, 43}},      {ID_HEADER_EXPLANATION, {110, 19, 656, 47}},
      {ID_HEADER_RULE_RIGHT, {725, 0, 726, 50}}, {ID_HEADER_HIDE, {636, 0, 721, 18}},
      {ID_HEADER_CODE, {44, 29, 97, 45}},        {ID_HEADER_CODE_LABEL, {7, 29, 43, 44}},
      {ID_HEADER_SCORE, {10, 1, 90, 21}},        {ID_HEADER_RULE_SCORE, {0, 26, 100, 27}},
      {ID_HEADER_RULE_LEFT, {100, 0, 101, 50}},
  };
  for (const Place& p : expected) {
    SCOPED_TRACE(p.id);
    const RECT place = RectInParent(GetDlgItem(strip_, p.id));
    EXPECT_EQ(place.left, p.place.left);
    EXPECT_EQ(place.top, p.place.top);
    EXPECT_EQ(place.right, p.place.right);
    EXPECT_EQ(place.bottom, p.place.bottom);
  }

  // Narrower than its fixed parts, the stretching controls shrink to nothing.
  SetWindowPos(strip_, nullptr, 0, 0, 202, 51, SWP_NOZORDER);
  const RECT title = RectInParent(GetDlgItem(strip_, ID_HEADER_TITLE));
  EXPECT_EQ(title.right - title.left, 0);
}

TEST_F(HeaderStripTest, ColourRepliesPaintLabelsOnTheStripColour) {
  ASSERT_NE(OpenStrip(), nullptr);
  const ColourReply dialog = AskColour(WM_CTLCOLORDLG, strip_);
  LOGBRUSH brush = {};
  ASSERT_EQ(GetObjectA(dialog.brush, sizeof brush, &brush), static_cast<int>(sizeof brush));
  EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_SOLID));
  EXPECT_EQ(brush.lbColor, kStripColour);

  const ColourReply link = AskColour(WM_CTLCOLORSTATIC, GetDlgItem(strip_, ID_HEADER_LINK));
  EXPECT_EQ(link.brush, dialog.brush);
  EXPECT_EQ(link.text, kLinkColour);
  EXPECT_EQ(link.backgroundMode, TRANSPARENT);

  for (int id : {ID_HEADER_BY, ID_HEADER_CREATOR, ID_HEADER_HIDE, ID_HEADER_EXPLANATION, ID_HEADER_TITLE,
                 ID_HEADER_CODE_LABEL, ID_HEADER_SCORE, ID_HEADER_CODE}) {
    SCOPED_TRACE(id);
    const ColourReply label = AskColour(WM_CTLCOLORSTATIC, GetDlgItem(strip_, id));
    EXPECT_EQ(label.brush, dialog.brush);
    EXPECT_EQ(label.text, RGB(1, 2, 3));
    EXPECT_EQ(label.backgroundMode, TRANSPARENT);
  }
  // The rules keep the system's colours.
  for (int id : {ID_HEADER_RULE_SCORE, ID_HEADER_RULE_LEFT, ID_HEADER_RULE_RIGHT}) {
    SCOPED_TRACE(id);
    const ColourReply rule = AskColour(WM_CTLCOLORSTATIC, GetDlgItem(strip_, id));
    EXPECT_NE(rule.brush, dialog.brush);
    EXPECT_EQ(rule.backgroundMode, OPAQUE);
  }
}

TEST_F(HeaderStripTest, DestroyingTheStripDeletesItsBrushAndLinkFont) {
  ASSERT_NE(OpenStrip(), nullptr);
  HBRUSH brush = reinterpret_cast<HBRUSH>(AskColour(WM_CTLCOLORDLG, strip_).brush);
  HFONT linkFont = reinterpret_cast<HFONT>(SendDlgItemMessageA(strip_, ID_HEADER_LINK, WM_GETFONT, 0, 0));
  ASSERT_NE(GetObjectType(brush), 0u);
  ASSERT_NE(GetObjectType(linkFont), 0u);
  DestroyWindow(strip_);
  strip_ = nullptr;
  EXPECT_EQ(GetObjectType(brush), 0u);
  EXPECT_EQ(GetObjectType(linkFont), 0u);
  // The document's fonts are not the strip's to delete.
  EXPECT_NE(GetObjectType(doc_.titleFont), 0u);
  EXPECT_NE(GetObjectType(doc_.scoreFont), 0u);
}

}  // namespace
