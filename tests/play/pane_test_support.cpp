#include "tests/play/pane_test_support.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/header_strip.h"
#include "content/user_message.h"
#include "play/answer_judge.h"
#include "play/answers_file.h"
#include "play/question_pane.h"
#include "resources/resource_ids.h"

namespace {

constexpr char kParentClass[] = "TrivoPlayTestParent";

int RecordMessage(const char*, const char*, uint32_t) {
  return IDOK;
}

void RegisterParentClass() {
  static bool registered = false;
  if (registered) {
    return;
  }
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kParentClass;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  RegisterClassA(&windowClass);
  registered = true;
}

// The header strip's score label, code field and "Cacher" box, made here
// when the strip in use does not create them itself.
void EnsureHeaderControls(HWND header) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (GetDlgItem(header, ID_HEADER_SCORE) == nullptr) {
    CreateWindowExA(0, "Static", " 0 / 0", WS_CHILD | WS_VISIBLE, 5, 5, 80, 20, header,
                    reinterpret_cast<HMENU>(ID_HEADER_SCORE), instance, nullptr);
  }
  if (GetDlgItem(header, ID_HEADER_CODE) == nullptr) {
    CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_READONLY, 90, 5, 80, 20, header,
                    reinterpret_cast<HMENU>(ID_HEADER_CODE), instance, nullptr);
  }
  if (GetDlgItem(header, ID_HEADER_HIDE) == nullptr) {
    CreateWindowExA(0, "Button", "Cacher", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 180, 5, 80, 20, header,
                    reinterpret_cast<HMENU>(ID_HEADER_HIDE), instance, nullptr);
  }
}

}  // namespace

void PaneTest::SetUp() {
  SetUserMessageSink(&RecordMessage);
  RegisterParentClass();
  parent = CreateWindowExA(0, kParentClass, "play test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 1100,
                           760, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  ShowWindow(parent, SW_SHOWNORMAL);
  DeleteFileA(AnswersPath().c_str());
}

void PaneTest::TearDown() {
  DestroyPane();
  if (header != nullptr) {
    DestroyWindow(header);
  }
  if (parent != nullptr) {
    DestroyWindow(parent);
  }
  PumpMessages();
  currentDocument = nullptr;
  doc.reset();
  DeleteFileA(AnswersPath().c_str());
  SetUserMessageSink(nullptr);
}

QuizDocument& PaneTest::MakeQuiz(const QuizOutline& outline) {
  doc = std::make_unique<QuizDocument>();
  doc->mediaKind = outline.kind;
  doc->answersPerQuestion = outline.answers;
  doc->revealMode = outline.reveal;
  doc->questionCount = outline.questions;
  for (int q = 1; q <= outline.questions; ++q) {
    std::string first = "ANSWER" + std::to_string(q);
    std::string second = "SECOND" + std::to_string(q);
    std::string text = "question " + std::to_string(q);
    doc->addQuestion(first.c_str(), second.c_str(), text.c_str());
    std::string comment = "comment " + std::to_string(q);
    CopyText(doc->questionAt(q)->comment, kTextCapacity, comment.c_str());
    std::string code = "code " + std::to_string(q);
    CopyText(doc->scoreCodes[q - 1], kTextCapacity, code.c_str());
  }
  currentDocument = doc.get();
  return *doc;
}

void PaneTest::BuildPane(int width, int height) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (header == nullptr) {
    header = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_HEADER_STRIP), parent, HeaderBarProc, 0);
    ASSERT_NE(header, nullptr);
    EnsureHeaderControls(header);
    SetWindowPos(header, nullptr, 5, 2, 1000, 49, SWP_NOZORDER);
    ShowWindow(header, SW_SHOWNORMAL);
  }
  doc->headerBar = header;
  pane = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_QUESTION_PANE), parent, QuestionPaneProc, 0);
  ASSERT_NE(pane, nullptr);
  doc->questionPane = pane;
  SetWindowPos(pane, nullptr, 5, 55, width, height, SWP_NOZORDER);
  ShowWindow(pane, SW_SHOWNORMAL);
  SendMessageA(pane, WM_VSCROLL, SB_TOP, 0);
  PumpMessages();
}

void PaneTest::DestroyPane() {
  if (pane != nullptr) {
    DestroyWindow(pane);
    pane = nullptr;
    if (doc) {
      doc->questionPane = nullptr;
    }
  }
}

void PaneTest::SetClientSize(int width, int height) {
  RECT window;
  RECT client;
  GetWindowRect(pane, &window);
  GetClientRect(pane, &client);
  int extraWidth = (window.right - window.left) - client.right;
  int extraHeight = (window.bottom - window.top) - client.bottom;
  SetWindowPos(pane, nullptr, 0, 0, width + extraWidth, height + extraHeight, SWP_NOMOVE | SWP_NOZORDER);
  PumpMessages();
}

RECT PaneTest::Rect(int id) const {
  RECT rect = {-1, -1, -1, -1};
  HWND control = Control(id);
  if (control != nullptr) {
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, pane, reinterpret_cast<POINT*>(&rect), 2);
  }
  return rect;
}

std::string PaneTest::Text(int id) const {
  char text[300] = {};
  GetDlgItemTextA(pane, id, text, sizeof(text));
  return text;
}

std::string PaneTest::HeaderText(int id) const {
  char text[300] = {};
  GetDlgItemTextA(header, id, text, sizeof(text));
  return text;
}

void PaneTest::Answer(int id, const std::string& text) {
  SetDlgItemTextA(pane, id, text.c_str());
  AnswerJudge(doc.get(), pane, id);
}

void PaneTest::PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

int PaneTest::VerticalPosition() const {
  return GetScrollPos(pane, SB_VERT);
}
int PaneTest::HorizontalPosition() const {
  return GetScrollPos(pane, SB_HORZ);
}

std::string PaneTest::AnswersPath() const {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof(path));
  return AnswersFileName(path);
}

void PaneTest::WriteAnswers(const std::string& bytes) const {
  std::ofstream out(AnswersPath(), std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string PaneTest::ReadAnswers() const {
  return ReadWholeFile(AnswersPath());
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}
