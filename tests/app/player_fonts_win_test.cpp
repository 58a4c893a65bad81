// The tool's picture of the player's texts (tool/player_preview.h and the
// font table tool/player_font_widths.cpp) against the player's real
// controls at the default window size: their sizes, their fonts' widths and
// line heights, and what a cut text really shows, compared pixel for pixel
// with the part the tool says shows.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "content/quiz_document.h"
#include "resources/resource_ids.h"
#include "tests/app/app_test_support.h"
#include "tool/player_fonts.h"
#include "tool/player_preview.h"

namespace {

HINSTANCE Instance() {
  return GetModuleHandleA(nullptr);
}

// A control's painting as pixels.
std::vector<uint32_t> Pixels(HWND control) {
  RECT client;
  GetClientRect(control, &client);
  HDC screen = GetDC(control);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
  std::vector<uint32_t> pixels;
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) {
      pixels.push_back(GetPixel(memory, x, y));
    }
  }
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(control, screen);
  return pixels;
}

std::string Joined(const std::vector<std::string>& lines, size_t count) {
  std::string text;
  for (size_t i = 0; i < lines.size() && i < count; ++i) {
    text += (i > 0 ? " " : "") + lines[i];
  }
  return text;
}

class PlayerFontsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The main window's tests may have registered the class already.
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    if (!GetClassInfoExA(Instance(), "Trivo", &info)) {
      ASSERT_TRUE(RegisterMainWindowClass(Instance()));
    }
    footerBrush = CreateSolidBrush(0x00C8D0D4);
    currentDocument = new QuizDocument();
    currentDocument->questionCount = 1;
    currentDocument->addQuestion("Paris", "", "Capitale ?");
    std::strcpy(currentDocument->footerText, "pied de page");
    mainWindow_ = CreateMainWindow(Instance(), currentDocument->title);
    ASSERT_NE(mainWindow_, nullptr);
    CreatePlayerDialogs(Instance(), mainWindow_, currentDocument);
    PumpMessages();
  }
  void TearDown() override {
    if (mainWindow_)
      ClosePlayer(mainWindow_);
    PumpMessages();
  }

  struct Control {
    const char* name;
    HWND window;
    PlayerTextBox box;
  };

  std::vector<Control> Controls() const {
    return {
        {"link", GetDlgItem(headerBarWindow, ID_HEADER_LINK), kLinkBox},
        {"footer", GetDlgItem(mainWindow_, ID_FOOTER), kFooterBox},
        {"title", GetDlgItem(headerBarWindow, ID_HEADER_TITLE), kTitleBox},
        {"explanation", GetDlgItem(headerBarWindow, ID_HEADER_EXPLANATION), kExplanationBox},
        {"creator", GetDlgItem(headerBarWindow, ID_HEADER_CREATOR), kCreatorBox},
        {"question box", GetDlgItem(questionPaneWindow, ID_QUESTION_TEXT), kQuestionBox},
    };
  }

  HWND mainWindow_ = nullptr;
};

TEST_F(PlayerFontsTest, ControlsHaveTheSizesTheToolMeasuresWith) {
  RECT strip;
  GetClientRect(headerBarWindow, &strip);
  EXPECT_EQ(strip.right, kDefaultStripClientWidth);
  for (const Control& control : Controls()) {
    SCOPED_TRACE(control.name);
    ASSERT_NE(control.window, nullptr);
    RECT client;
    GetClientRect(control.window, &client);
    if (std::string(control.name) == "footer") {
      // Only the part inside the main window shows.
      RECT main;
      GetClientRect(mainWindow_, &main);
      EXPECT_EQ(main.right - RectInParent(control.window).left, control.box.width);
    } else {
      EXPECT_EQ(client.right, control.box.width);
    }
    EXPECT_EQ(client.bottom, control.box.height);
  }
}

TEST_F(PlayerFontsTest, TheWidthTableIsTheControlsFonts) {
  const std::string samples[] = {"https://quiz.example/", "Formes et figures",
                                 "\xC9t\xE9 \xAB l\x92\x9C"
                                 "uvre \xBB",
                                 "WWW iii ---", "Quel est le nom de chaque figure ?"};
  for (const Control& control : Controls()) {
    SCOPED_TRACE(control.name);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control.window, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    HDC dc = GetDC(control.window);
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    EXPECT_EQ(metrics.tmHeight, kPlayerFontMetrics[control.box.font].lineHeight);
    for (int code = 0x20; code <= 0xFF; ++code) {
      const char byte = static_cast<char>(code);
      WCHAR wide = 0;
      MultiByteToWideChar(1252, 0, &byte, 1, &wide, 1);
      INT width = 0;
      GetCharWidth32W(dc, wide, wide, &width);
      EXPECT_EQ(width, kPlayerFontMetrics[control.box.font].widths[code - 0x20])
          << "character 0x" << std::hex << code;
    }
    for (const std::string& sample : samples) {
      SIZE size = {};
      GetTextExtentPoint32A(dc, sample.c_str(), static_cast<int>(sample.size()), &size);
      EXPECT_EQ(size.cx, TextWidth(control.box.font, sample)) << sample;
    }
    SelectObject(dc, previous);
    ReleaseDC(control.window, dc);
  }
}

// A cut text paints its whole lines exactly as the part the tool says
// shows (below them the top of the next line may peek out).
TEST_F(PlayerFontsTest, ACutTextShowsWhatTheToolSays) {
  struct Case {
    int id;
    PlayerTextBox box;
    std::string text;
  } cases[] = {
      {ID_HEADER_LINK, kLinkBox, "https://quiz.example/"},
      {ID_HEADER_LINK, kLinkBox, "https://www.exemple-de-quiz.fr"},
      {ID_HEADER_LINK, kLinkBox, "https://quiz.example/mai-2026"},
      {ID_HEADER_TITLE, kTitleBox, "Drapeaux d'Europe et d'ailleurs"},
      {ID_HEADER_EXPLANATION, kExplanationBox,
       "Une ligne pour dire le but, une autre pour le reste. Une ligne pour dire le but, une autre pour le "
       "reste."},
      {ID_HEADER_CREATOR, kCreatorBox, "Marie-Christine Dupont-Lefebvre"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    HWND control = GetDlgItem(headerBarWindow, c.id);
    const std::vector<std::string> lines = WrapLines(c.box.font, c.text, c.box.width);
    const size_t shown = static_cast<size_t>(c.box.height / kPlayerFontMetrics[c.box.font].lineHeight);
    EXPECT_GT(lines.size(), shown);  // each case is cut
    SetWindowTextA(control, c.text.c_str());
    const std::vector<uint32_t> full = Pixels(control);
    SetWindowTextA(control, Joined(lines, shown).c_str());
    const std::vector<uint32_t> predicted = Pixels(control);
    RECT client;
    GetClientRect(control, &client);
    const size_t rows = std::min<size_t>(shown * kPlayerFontMetrics[c.box.font].lineHeight, client.bottom);
    const size_t compared = rows * static_cast<size_t>(client.right);
    ASSERT_EQ(full.size(), predicted.size());
    EXPECT_TRUE(std::equal(full.begin(), full.begin() + compared, predicted.begin()))
        << "shows other than '" << Joined(lines, shown) << "'";
  }
}

}  // namespace
