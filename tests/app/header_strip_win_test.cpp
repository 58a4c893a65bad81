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
};

const DWORD kChild = WS_CHILD | WS_VISIBLE;

TEST_F(HeaderStripTest, CreatesEveryControlInOrderWithItsTextAndStyle) {
  ASSERT_NE(OpenStrip(), nullptr);
  const ExpectedControl expected[] = {
      {ID_HEADER_LINK, "Static", "http://example.org/", kChild | SS_NOTIFY},
      {ID_HEADER_BY, "Static", "Par :", kChild},
      {ID_HEADER_CREATOR, "Static", "Claire", kChild},
      {ID_HEADER_HIDE, "Button", "Cacher", kChild | BS_AUTOCHECKBOX},
      {ID_HEADER_SAVE, "Button", "Sauver", kChild},
      {ID_HEADER_EXPLANATION, "Static", "Une capitale par pays.", kChild},
      {ID_HEADER_TITLE, "Static", "Capitales", kChild},
      {ID_HEADER_CODE_LABEL, "Static", " Code :", kChild},
      {ID_HEADER_SCORE, "Static", " 0 / 12", kChild | SS_CENTER},
      {ID_HEADER_CODE, "Edit", "", kChild | ES_READONLY},
      {ID_HEADER_RULE_SCORE, "Static", "", kChild | WS_BORDER},
      {ID_HEADER_RULE_LEFT, "Static", "", kChild | WS_BORDER},
      {ID_HEADER_RULE_RIGHT, "Static", "", kChild | WS_BORDER},
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

// The places of the controls at one strip width.
struct StripPlaces {
  int width = 0;
  RECT title, explanation, hide, save, ruleRight, link, by, creator, score, codeLabel, code, ruleScore,
      ruleLeft;
};

StripPlaces PlacesAt(HWND strip, int windowWidth) {
  SetWindowPos(strip, nullptr, 0, 0, windowWidth, 51, SWP_NOZORDER);
  StripPlaces p;
  RECT client;
  GetClientRect(strip, &client);
  p.width = client.right;
  auto at = [strip](int id) { return RectInParent(GetDlgItem(strip, id)); };
  p.title = at(ID_HEADER_TITLE);
  p.explanation = at(ID_HEADER_EXPLANATION);
  p.hide = at(ID_HEADER_HIDE);
  p.save = at(ID_HEADER_SAVE);
  p.ruleRight = at(ID_HEADER_RULE_RIGHT);
  p.link = at(ID_HEADER_LINK);
  p.by = at(ID_HEADER_BY);
  p.creator = at(ID_HEADER_CREATOR);
  p.score = at(ID_HEADER_SCORE);
  p.codeLabel = at(ID_HEADER_CODE_LABEL);
  p.code = at(ID_HEADER_CODE);
  p.ruleScore = at(ID_HEADER_RULE_SCORE);
  p.ruleLeft = at(ID_HEADER_RULE_LEFT);
  return p;
}

// The strip reads left to right: score and code, the left rule, title and
// explanation, "Cacher" and "Sauver", the right rule, link and creator.
void ExpectReadingOrder(const StripPlaces& p) {
  SCOPED_TRACE(testing::Message() << "client width " << p.width);
  EXPECT_LE(p.score.right, p.ruleLeft.left);
  EXPECT_LE(p.code.right, p.ruleLeft.left);
  EXPECT_LE(p.codeLabel.right, p.code.left);
  EXPECT_LE(p.score.bottom, p.ruleScore.bottom);
  EXPECT_LE(p.ruleScore.top, p.codeLabel.top);
  EXPECT_LE(p.ruleLeft.right, p.title.left);
  EXPECT_EQ(p.title.left, p.explanation.left);
  EXPECT_LE(p.title.right, p.hide.left);
  EXPECT_LE(p.explanation.right, p.save.left);
  EXPECT_LE(p.hide.bottom, p.save.top);
  EXPECT_LE(p.save.right, p.ruleRight.left);
  EXPECT_LE(p.hide.right, p.ruleRight.left);
  EXPECT_LE(p.ruleRight.right, p.link.left);
  EXPECT_EQ(p.link.left, p.by.left);
  EXPECT_LE(p.by.right, p.creator.left);
  EXPECT_LE(p.link.bottom, p.by.top);
  EXPECT_LE(p.creator.right, p.width);
  EXPECT_LE(p.link.right, p.width);
}

// Moved by `dx` and the same size.
void ExpectMoved(const RECT& before, const RECT& after, int dx) {
  EXPECT_EQ(after.left, before.left + dx);
  EXPECT_EQ(after.right, before.right + dx);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(after.bottom, before.bottom);
}

TEST_F(HeaderStripTest, RelayoutKeepsTheRightColumnOnTheRightAndStretchesTheTexts) {
  ASSERT_NE(OpenStrip(), nullptr);
  const StripPlaces narrow = PlacesAt(strip_, 872);
  const StripPlaces wide = PlacesAt(strip_, 1272);
  ExpectReadingOrder(narrow);
  ExpectReadingOrder(wide);
  const int dx = wide.width - narrow.width;
  ASSERT_EQ(dx, 400);
  for (auto part : {&StripPlaces::hide, &StripPlaces::save, &StripPlaces::ruleRight, &StripPlaces::link,
                    &StripPlaces::by, &StripPlaces::creator}) {
    ExpectMoved(narrow.*part, wide.*part, dx);
  }
  for (auto part : {&StripPlaces::score, &StripPlaces::codeLabel, &StripPlaces::code, &StripPlaces::ruleScore,
                    &StripPlaces::ruleLeft}) {
    ExpectMoved(narrow.*part, wide.*part, 0);
  }
  for (auto part : {&StripPlaces::title, &StripPlaces::explanation}) {
    EXPECT_EQ((wide.*part).left, (narrow.*part).left);
    EXPECT_EQ((wide.*part).right, (narrow.*part).right + dx);
  }

  // Narrower than its fixed parts, the stretching controls shrink to nothing.
  const StripPlaces tiny = PlacesAt(strip_, 202);
  EXPECT_EQ(tiny.title.right - tiny.title.left, 0);
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
