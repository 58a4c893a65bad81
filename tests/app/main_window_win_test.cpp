// The main window with its two dialogs and footer, opened as the player
// opens them. The test program carries the player's dialogs, cursor and
// icons but no quiz, so a full start-up shows the built-in test quiz.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "app/main_window.h"
#include "content/quiz_document.h"
#include "play/answers_file.h"
#include "play/pane_scroll.h"
#include "resources/resource_ids.h"
#include "tests/app/app_test_support.h"

namespace {

constexpr COLORREF kFooterColour = 0x00C8D0D4;

HINSTANCE Instance() {
  return GetModuleHandleA(nullptr);
}

void EnsureClassRegistered() {
  static const bool registered = RegisterMainWindowClass(Instance());
  ASSERT_TRUE(registered);
}

std::string AnswersPath() {
  char exe[MAX_PATH] = {};
  ExeFileName(exe, sizeof exe);
  return AnswersFileName(exe);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ExpectRect(const RECT& actual, int left, int top, int right, int bottom) {
  EXPECT_EQ(actual.left, left);
  EXPECT_EQ(actual.top, top);
  EXPECT_EQ(actual.right, right);
  EXPECT_EQ(actual.bottom, bottom);
}

// The places of the two dialogs and the footer for the current client size.
void ExpectLayout(HWND mainWindow) {
  RECT client;
  GetClientRect(mainWindow, &client);
  const int w = client.right;
  const int h = client.bottom;
  SCOPED_TRACE(testing::Message() << "client " << w << " x " << h);
  ExpectRect(RectInParent(headerBarWindow), 5, 2, w - 6, 51);
  ExpectRect(RectInParent(questionPaneWindow), 5, 50, w - 6, h - 18);
  ExpectRect(RectInParent(GetDlgItem(mainWindow, ID_FOOTER)), w - 145, h - 16, w + 5, h - 1);
}

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureClassRegistered();
    DeleteFileA(AnswersPath().c_str());
  }
  void TearDown() override {
    if (mainWindow_)
      ClosePlayer(mainWindow_);
    PumpMessages();
    DeleteFileA(AnswersPath().c_str());
  }

  // Start-up over a document filled by the test rather than by the loader.
  HWND OpenWithDocument() {
    footerBrush = CreateSolidBrush(kFooterColour);
    currentDocument = new QuizDocument();
    std::strcpy(currentDocument->footerText, "pied de page");
    mainWindow_ = CreateMainWindow(Instance(), currentDocument->title);
    if (mainWindow_)
      CreatePlayerDialogs(Instance(), mainWindow_, currentDocument);
    return mainWindow_;
  }

  MessageRecorder recorder_;
  HWND mainWindow_ = nullptr;
};

// Between and around the dialogs the window shows the system's scroll-bar
// colour, its class's background.
TEST_F(PlayerTest, ClientAreaIsErasedInTheScrollBarColour) {
  ASSERT_NE(OpenWithDocument(), nullptr);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
  HGDIOBJ old = SelectObject(dc, bitmap);
  EXPECT_NE(SendMessageA(mainWindow_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 0);
  EXPECT_EQ(GetPixel(dc, 4, 4), GetNearestColor(dc, GetSysColor(COLOR_SCROLLBAR)));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

TEST_F(PlayerTest, StartUpWithoutQuizShowsTheBuiltInQuizCentred) {
  mainWindow_ = OpenPlayer(Instance());
  ASSERT_NE(mainWindow_, nullptr);
  ASSERT_NE(currentDocument, nullptr);

  bool told = false;
  for (const RecordedMessage& m : recorder_.messages()) {
    told = told || (m.text ==
                        "Reponses non trouv\xE9"
                        "es" &&
                    m.caption == "Trivo");
  }
  EXPECT_TRUE(told);

  EXPECT_EQ(WindowText(mainWindow_), currentDocument->title);
  EXPECT_EQ(ClassNameOf(mainWindow_), "Trivo");
  EXPECT_TRUE(IsWindowVisible(mainWindow_));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(mainWindow_, GWL_STYLE)) & WS_OVERLAPPEDWINDOW,
            static_cast<DWORD>(WS_OVERLAPPEDWINDOW));

  RECT frame;
  RECT desktop;
  GetWindowRect(mainWindow_, &frame);
  GetWindowRect(GetDesktopWindow(), &desktop);
  EXPECT_EQ(frame.right - frame.left, 544);
  EXPECT_EQ(frame.bottom - frame.top, 375);
  EXPECT_EQ(frame.left, desktop.left + (desktop.right - desktop.left - 544) / 2);
  EXPECT_EQ(frame.top, desktop.top + (desktop.bottom - desktop.top - 375) / 2);

  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(mainWindow_, WM_GETICON, ICON_BIG, 0)),
            LoadIconA(nullptr, IDI_QUESTION));

  ASSERT_NE(headerBarWindow, nullptr);
  ASSERT_NE(questionPaneWindow, nullptr);
  EXPECT_EQ(currentDocument->headerBar, headerBarWindow);
  EXPECT_EQ(currentDocument->questionPane, questionPaneWindow);
  EXPECT_EQ(GetParent(headerBarWindow), mainWindow_);
  EXPECT_EQ(GetParent(questionPaneWindow), mainWindow_);
  EXPECT_TRUE(IsWindowVisible(headerBarWindow));
  EXPECT_TRUE(IsWindowVisible(questionPaneWindow));
  ExpectLayout(mainWindow_);
}

TEST_F(PlayerTest, FooterShowsItsTextOnItsBrush) {
  ASSERT_NE(OpenWithDocument(), nullptr);
  HWND footer = GetDlgItem(mainWindow_, ID_FOOTER);
  ASSERT_NE(footer, nullptr);
  EXPECT_EQ(WindowText(footer), "pied de page");
  EXPECT_STRCASEEQ(ClassNameOf(footer).c_str(), "Static");
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(footer, GWL_STYLE)) & (WS_CHILD | WS_VISIBLE),
            static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(footer, WM_GETFONT, 0, 0)),
            GetStockObject(DEFAULT_GUI_FONT));

  HDC dc = CreateCompatibleDC(nullptr);
  const auto reply = reinterpret_cast<HBRUSH>(SendMessageA(
      mainWindow_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(footer)));
  EXPECT_EQ(reply, footerBrush);
  LOGBRUSH brush = {};
  ASSERT_EQ(GetObjectA(reply, sizeof brush, &brush), static_cast<int>(sizeof brush));
  EXPECT_EQ(brush.lbColor, kFooterColour);
  // The text is drawn on the same grey, not on a white box.
  EXPECT_EQ(GetBkColor(dc), kFooterColour);
  // Any other static gets the system's colours.
  HWND other = CreateStaticText(mainWindow_, "x", 0, 0, 10, 10, 77);
  EXPECT_EQ(SendMessageA(mainWindow_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(other)),
            0);
  DeleteDC(dc);
}

TEST_F(PlayerTest, FailedLoadStillOpensWithTheDefaultTitle) {
  ASSERT_NE(OpenWithDocument(), nullptr);
  EXPECT_EQ(WindowText(mainWindow_), "nom du trivo");
  EXPECT_TRUE(IsWindowVisible(mainWindow_));
}

TEST_F(PlayerTest, ResizingLaysTheDialogsAndFooterOut) {
  ASSERT_NE(OpenWithDocument(), nullptr);
  const SIZE sizes[] = {{544, 375}, {900, 700}, {300, 200}, {1200, 400}};
  for (const SIZE& size : sizes) {
    SetWindowPos(mainWindow_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    ExpectLayout(mainWindow_);
  }
}

TEST_F(PlayerTest, MinimisingLeavesTheDialogsAndRestoringLaysThemOut) {
  ASSERT_NE(OpenWithDocument(), nullptr);
  SetWindowPos(mainWindow_, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
  const RECT header = RectInParent(headerBarWindow);
  const RECT pane = RectInParent(questionPaneWindow);
  ShowWindow(mainWindow_, SW_MINIMIZE);
  PumpMessages();
  ASSERT_TRUE(IsIconic(mainWindow_));
  const RECT headerNow = RectInParent(headerBarWindow);
  const RECT paneNow = RectInParent(questionPaneWindow);
  EXPECT_TRUE(EqualRect(&header, &headerNow));
  EXPECT_TRUE(EqualRect(&pane, &paneNow));
  ShowWindow(mainWindow_, SW_RESTORE);
  PumpMessages();
  ExpectLayout(mainWindow_);
}

TEST_F(PlayerTest, WheelNotchesBecomePaneScrollRequests) {
  ASSERT_NE(OpenWithDocument(), nullptr);
  PumpMessages();
  struct Case {
    int delta;
    int request;  // 0: nothing
  };
  const Case cases[] = {{120, kScrollWheelUp}, {-120, kScrollWheelDown}, {240, 0}, {-60, 0}, {0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.delta);
    SendMessageA(mainWindow_, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(c.delta))),
                 0);
    MSG posted;
    const bool got = PeekMessageA(&posted, questionPaneWindow, WM_VSCROLL, WM_VSCROLL, PM_REMOVE) != 0;
    EXPECT_EQ(got, c.request != 0);
    if (got) {
      EXPECT_EQ(LOWORD(posted.wParam), c.request);
      EXPECT_EQ(posted.lParam, 0);
    }
  }
}

TEST_F(PlayerTest, ClosingSavesTheAnswersThenEndsTheLoop) {
  ASSERT_NE(OpenWithDocument(), nullptr);
  currentDocument->addQuestion("Paris", "", "Capitale de la France ?");
  // Re-create the pane over the question just added.
  currentDocument->questionCount = 1;
  DestroyWindow(questionPaneWindow);
  DestroyWindow(headerBarWindow);
  CreatePlayerDialogs(Instance(), mainWindow_, currentDocument);
  HWND pane = questionPaneWindow;
  HWND field = GetDlgItem(pane, ID_ANSWER_FIELD_BASE + 1);
  ASSERT_NE(field, nullptr);
  SetWindowTextA(field, "Lyon");
  ASSERT_FALSE(FileExists(AnswersPath()));

  SendMessageA(mainWindow_, WM_CLOSE, 0, 0);
  EXPECT_EQ(ReadFile(AnswersPath()).substr(0, 6), "Lyon\r\n");
  EXPECT_TRUE(recorder_.messages().empty());
  EXPECT_FALSE(IsWindow(pane));
  EXPECT_EQ(questionPaneWindow, nullptr);
  // The main window itself stays until shutdown; the loop gets its quit.
  EXPECT_TRUE(IsWindow(mainWindow_));
  MSG quit;
  ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 0u);
}

TEST_F(PlayerTest, SaveButtonWritesTheAnswers) {
  ASSERT_NE(OpenWithDocument(), nullptr);
  ASSERT_FALSE(FileExists(AnswersPath()));
  SendDlgItemMessageA(headerBarWindow, ID_HEADER_SAVE, BM_CLICK, 0, 0);
  EXPECT_TRUE(FileExists(AnswersPath()));
}

TEST_F(PlayerTest, SaveButtonTellsAFailedSave) {
  ASSERT_NE(OpenWithDocument(), nullptr);
  ASSERT_TRUE(CreateDirectoryA(AnswersPath().c_str(), nullptr));
  SendDlgItemMessageA(headerBarWindow, ID_HEADER_SAVE, BM_CLICK, 0, 0);
  RemoveDirectoryA(AnswersPath().c_str());
  ASSERT_EQ(recorder_.messages().size(), 1u);
  EXPECT_EQ(recorder_.messages()[0].caption, "Trivo");
  EXPECT_NE(recorder_.messages()[0].text.find(AnswersPath() + " \xBB"), std::string::npos);
}

TEST_F(PlayerTest, ClosingWhenTheSaveFailsAsksWhetherToCloseAnyway) {
  ASSERT_NE(OpenWithDocument(), nullptr);
  HWND pane = questionPaneWindow;
  ASSERT_TRUE(CreateDirectoryA(AnswersPath().c_str(), nullptr));

  // "Non": the window and its answers stay.
  recorder_.AnswerWith(IDNO);
  SendMessageA(mainWindow_, WM_CLOSE, 0, 0);
  ASSERT_EQ(recorder_.messages().size(), 1u);
  const RecordedMessage asked = recorder_.messages()[0];
  EXPECT_EQ(asked.caption, "Trivo");
  EXPECT_EQ(asked.style, static_cast<uint32_t>(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2));
  EXPECT_NE(asked.text.find(AnswersPath() + " \xBB"), std::string::npos);
  EXPECT_NE(asked.text.find("Fermer quand m\xEAme ?"), std::string::npos);
  EXPECT_TRUE(IsWindow(pane));
  EXPECT_EQ(questionPaneWindow, pane);
  MSG quit;
  EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));

  // "Oui": it closes as usual.
  recorder_.AnswerWith(IDYES);
  SendMessageA(mainWindow_, WM_CLOSE, 0, 0);
  RemoveDirectoryA(AnswersPath().c_str());
  EXPECT_EQ(recorder_.messages().size(), 2u);
  EXPECT_FALSE(IsWindow(pane));
  EXPECT_EQ(questionPaneWindow, nullptr);
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(PlayerTest, ShutdownReleasesEverything) {
  ASSERT_NE(OpenWithDocument(), nullptr);
  HBRUSH brush = footerBrush;
  HWND header = headerBarWindow;
  HWND pane = questionPaneWindow;
  ClosePlayer(mainWindow_);
  EXPECT_FALSE(IsWindow(mainWindow_));
  EXPECT_FALSE(IsWindow(header));
  EXPECT_FALSE(IsWindow(pane));
  EXPECT_EQ(GetObjectType(brush), 0u);
  EXPECT_EQ(footerBrush, nullptr);
  EXPECT_EQ(currentDocument, nullptr);
  EXPECT_EQ(headerBarWindow, nullptr);
  EXPECT_EQ(questionPaneWindow, nullptr);
  MSG quit;
  EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  mainWindow_ = nullptr;
}

TEST_F(PlayerTest, ClassThatCannotBeRegisteredIsReportedAndNothingOpens) {
  // The class exists already, so registering it again fails.
  EXPECT_EQ(RunPlayer(Instance()), 0);
  ASSERT_EQ(recorder_.messages().size(), 1u);
  EXPECT_EQ(recorder_.messages()[0].text,
            "Erreur dans la cr\xE9"
            "ation de la fen\xEAtre principale");
  EXPECT_EQ(recorder_.messages()[0].caption, "Trivo");
  EXPECT_EQ(recorder_.messages()[0].style, static_cast<uint32_t>(MB_ICONINFORMATION));
  EXPECT_EQ(currentDocument, nullptr);
  EXPECT_EQ(footerBrush, nullptr);
}

TEST_F(PlayerTest, MainWindowThatCannotBeCreatedIsReportedAndReleased) {
  ASSERT_TRUE(UnregisterClassA("Trivo", Instance()));
  EXPECT_EQ(OpenPlayer(Instance()), nullptr);
  EXPECT_TRUE(RegisterMainWindowClass(Instance()));
  ASSERT_FALSE(recorder_.messages().empty());
  EXPECT_EQ(recorder_.messages().back().text,
            "Erreur dans la cr\xE9"
            "ation de la fen\xEAtre principale");
  EXPECT_EQ(currentDocument, nullptr);
  EXPECT_EQ(footerBrush, nullptr);
  EXPECT_EQ(headerBarWindow, nullptr);
  EXPECT_EQ(questionPaneWindow, nullptr);
}

TEST(ShellHelpersTest, ExeFileNameDropsTheFolder) {
  char name[MAX_PATH];
  ExeFileName(name, sizeof name);
  EXPECT_STRCASEEQ(name, "trivo_app_win_tests.exe");

  // A buffer too small for the path stays terminated and inside its bounds.
  char small[12];
  std::memset(small, '#', sizeof small);
  ExeFileName(small, 8);
  EXPECT_LT(std::strlen(small), 8u);
  for (size_t i = 8; i < sizeof small; ++i)
    EXPECT_EQ(small[i], '#');
  ExeFileName(nullptr, 10);
  ExeFileName(small, 0);
}

TEST(ShellHelpersTest, StaticTextAndLinkLabel) {
  HWND parent =
      CreateWindowExA(0, "Static", "", WS_OVERLAPPED, 0, 0, 300, 100, nullptr, nullptr, Instance(), nullptr);
  ASSERT_NE(parent, nullptr);
  HWND text = CreateStaticText(parent, "Bonjour", 12, 7, 140, 15, 8000);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(WindowText(text), "Bonjour");
  EXPECT_EQ(GetDlgCtrlID(text), 8000);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(text, GWL_STYLE)), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
  EXPECT_EQ(GetWindowLongA(text, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY, 0);
  ExpectRect(RectInParent(text), 12, 7, 152, 22);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(text, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));

  // Font height from the client height, rounded toward zero: 3/4 of 30 is 22.
  HWND label = CreateStaticText(parent, "lien", 0, 0, 100, 30, 24);
  HFONT font = MakeLinkLabel(label);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)), font);
  LOGFONTA info = {};
  GetObjectA(font, sizeof info, &info);
  EXPECT_EQ(info.lfHeight, -22);
  EXPECT_EQ(info.lfWeight, 400);
  EXPECT_TRUE(info.lfUnderline);

  // The hand is the cursor of the whole "Static" class from now on.
  HCURSOR hand = LoadCursorA(Instance(), MAKEINTRESOURCEA(IDC_LINK_CURSOR));
  ASSERT_NE(hand, nullptr);
  EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(text, GCLP_HCURSOR)), hand);
  DestroyWindow(parent);
  DeleteObject(font);
}

TEST(PlayerResourcesTest, LinkCursorIsAMonochromeHandWithItsHotSpotAtTheTip) {
  HCURSOR hand = LoadCursorA(Instance(), MAKEINTRESOURCEA(IDC_LINK_CURSOR));
  ASSERT_NE(hand, nullptr);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(hand, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 6u);
  EXPECT_EQ(info.yHotspot, 0u);
  EXPECT_EQ(info.hbmColor, nullptr);  // monochrome: one mask, twice as high
  BITMAP mask = {};
  GetObjectA(info.hbmMask, sizeof mask, &mask);
  EXPECT_EQ(mask.bmWidth, 32);
  EXPECT_EQ(mask.bmHeight, 64);
  if (info.hbmMask)
    DeleteObject(info.hbmMask);
  if (info.hbmColor)
    DeleteObject(info.hbmColor);
}

TEST(PlayerResourcesTest, ClipIconsLoad) {
  for (int id : {IDI_PLAY_CLIP, IDI_STOP_CLIP}) {
    SCOPED_TRACE(id);
    HICON icon = LoadIconA(Instance(), MAKEINTRESOURCEA(id));
    ASSERT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_TRUE(info.fIcon);
    BITMAP colour = {};
    GetObjectA(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, 32);
    EXPECT_EQ(colour.bmHeight, 32);
    if (info.hbmMask)
      DeleteObject(info.hbmMask);
    if (info.hbmColor)
      DeleteObject(info.hbmColor);
  }
}

// The dialogs as the player opens them from its templates: bordered
// children in the templates' font, the header strip without scroll bars.
TEST_F(PlayerTest, DialogsOpenFromTheirTemplates) {
  ASSERT_NE(OpenWithDocument(), nullptr);
  for (HWND dialog : {headerBarWindow, questionPaneWindow}) {
    SCOPED_TRACE(dialog == headerBarWindow ? "header strip" : "question pane");
    const DWORD style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
    EXPECT_EQ(style & (WS_CHILD | WS_BORDER), static_cast<DWORD>(WS_CHILD | WS_BORDER));
    LOGFONTA font = {};
    const auto handle = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(GetObjectA(handle, sizeof font, &font), static_cast<int>(sizeof font));
    EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
  }
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(headerBarWindow, GWL_STYLE)) & (WS_VSCROLL | WS_HSCROLL), 0u);
}

}  // namespace
