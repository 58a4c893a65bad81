// The player's frame. Start-up registers the class, makes and loads the one
// document, starts the media host, opens the main window centred with the
// header strip above the question pane, and runs the loop; shutdown undoes
// it in reverse. The main window shows only the two dialogs and the footer.
#include "app/main_window.h"

#include <cstring>
#include <new>

#include "app/header_strip.h"
#include "content/quiz_loader.h"
#include "content/user_message.h"
#include "media/media_host.h"
#include "play/answers_file.h"
#include "play/pane_scroll.h"
#include "play/question_pane.h"
#include "resources/resource_ids.h"

HWND headerBarWindow = nullptr;
HWND questionPaneWindow = nullptr;
HBRUSH footerBrush = nullptr;

namespace {

constexpr char kMainClassName[] = "Trivo";
constexpr char kMainCaptionFallback[] = "";
constexpr char kWindowFailure[] =
    "Erreur dans la cr\xE9"
    "ation de la fen\xEAtre principale";
constexpr COLORREF kFooterColour = 0x00C8D0D4;
constexpr int kMainWidth = 544;
constexpr int kMainHeight = 375;
constexpr int kWheelNotch = 120;

void LayOutPlayer(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (questionPaneWindow) {
    SetWindowPos(questionPaneWindow, nullptr, 5, 50, width - 11, height - 68, SWP_NOZORDER);
  }
  if (headerBarWindow) {
    SetWindowPos(headerBarWindow, nullptr, 5, 2, width - 11, 49, SWP_NOZORDER);
  }
  HWND footer = GetDlgItem(window, ID_FOOTER);
  if (footer) {
    SetWindowPos(footer, nullptr, width - 145, height - 16, 150, 15, SWP_NOOWNERZORDER | SWP_NOACTIVATE);
    // The main window paints over its children (it has no WS_CLIPCHILDREN):
    // once it has erased the area the footer moved into, the footer must
    // paint itself again there.
    InvalidateRect(footer, nullptr, TRUE);
  }
}

LRESULT OnMainCreate(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  const char* footerText = currentDocument ? currentDocument->footerText : "";
  CreateStaticText(window, footerText, 720, client.bottom - 16, 140, 15, ID_FOOTER);
  SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadIconA(nullptr, IDI_QUESTION)));
  return 0;
}

LRESULT OnMainSize(HWND window, WPARAM sizeKind) {
  if (sizeKind != SIZE_MINIMIZED)
    LayOutPlayer(window);
  return 0;
}

LRESULT OnMainDestroy() {
  // The pane goes first so that its answer fields are gone before the loop
  // ends; the header strip stays until shutdown.
  if (questionPaneWindow) {
    DestroyWindow(questionPaneWindow);
    questionPaneWindow = nullptr;
    if (currentDocument)
      currentDocument->questionPane = nullptr;
  }
  PostQuitMessage(0);
  return 0;
}

LRESULT OnMainClose() {
  // Saved while the pane and its fields still exist. A save that fails asks
  // whether to close anyway; a second close while that question is open
  // (the box has no owner) is ignored.
  static bool asking = false;
  if (asking)
    return 0;
  asking = true;
  const bool mayClose = !currentDocument || SaveAnswersBeforeClosing(currentDocument);
  asking = false;
  if (!mayClose)
    return 0;
  return OnMainDestroy();
}

LRESULT OnMainCtlColorStatic(HDC dc, HWND control) {
  if (GetDlgCtrlID(control) == ID_FOOTER) {
    // The text itself is drawn on the footer's colour too, so the footer is
    // one grey bar.
    SetBkColor(dc, kFooterColour);
    return reinterpret_cast<LRESULT>(footerBrush);
  }
  return 0;
}

LRESULT OnMainMouseWheel(WPARAM wParam) {
  const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
  if (!questionPaneWindow)
    return 0;
  if (delta == kWheelNotch) {
    PostMessageA(questionPaneWindow, WM_VSCROLL, kScrollWheelUp, 0);
  } else if (delta == -kWheelNotch) {
    PostMessageA(questionPaneWindow, WM_VSCROLL, kScrollWheelDown, 0);
  }
  return 0;
}

void ShowWindowFailure() {
  ShowUserMessage(kWindowFailure, "Trivo", kMessageIconInformation);
}

void ReleaseDocumentAndBrush() {
  delete currentDocument;
  currentDocument = nullptr;
  if (footerBrush) {
    DeleteObject(footerBrush);
    footerBrush = nullptr;
  }
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnMainCreate(window);
    case WM_SIZE:
      return OnMainSize(window, wParam);
    case WM_CLOSE:
      return OnMainClose();
    case WM_DESTROY:
      return OnMainDestroy();
    case WM_CTLCOLORSTATIC:
      return OnMainCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_MOUSEWHEEL:
      return OnMainMouseWheel(wParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_SCROLLBAR + 1);
  windowClass.lpszClassName = kMainClassName;
  return RegisterClassExA(&windowClass) != 0;
}

void CentreOnDesktop(HWND window) {
  RECT desktop;
  RECT frame;
  GetWindowRect(GetDesktopWindow(), &desktop);
  GetWindowRect(window, &frame);
  const int desktopWidth = desktop.right - desktop.left;
  const int desktopHeight = desktop.bottom - desktop.top;
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(window, nullptr, desktop.left + (desktopWidth - width) / 2,
               desktop.top + (desktopHeight - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

HWND CreateMainWindow(HINSTANCE instance, const char* caption) {
  HWND window = CreateWindowExA(0, kMainClassName, caption ? caption : kMainCaptionFallback,
                                WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, kMainWidth, kMainHeight,
                                nullptr, nullptr, instance, nullptr);
  if (window)
    CentreOnDesktop(window);
  return window;
}

void CreatePlayerDialogs(HINSTANCE instance, HWND mainWindow, QuizDocument* doc) {
  headerBarWindow =
      CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_HEADER_STRIP), mainWindow, HeaderBarProc, 0);
  if (headerBarWindow)
    ShowWindow(headerBarWindow, SW_SHOWNORMAL);
  if (doc)
    doc->headerBar = headerBarWindow;

  questionPaneWindow =
      CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_QUESTION_PANE), mainWindow, QuestionPaneProc, 0);
  DropPrefetchedQuestionPictures();  // when the pane could not be made to take them
  if (doc)
    doc->questionPane = questionPaneWindow;

  ShowWindow(mainWindow, SW_SHOWNORMAL);
  if (questionPaneWindow) {
    ShowWindow(questionPaneWindow, SW_SHOWNORMAL);
    SendMessageA(questionPaneWindow, WM_VSCROLL, SB_TOP, 0);
  }
}

HWND OpenPlayer(HINSTANCE instance) {
  footerBrush = CreateSolidBrush(kFooterColour);

  currentDocument = new (std::nothrow) QuizDocument();
  if (!currentDocument) {
    // Without a document no part of the player can run.
    ShowWindowFailure();
    ReleaseDocumentAndBrush();
    return nullptr;
  }
  LoadQuiz(*currentDocument);
  PrefetchQuestionPictures(currentDocument);
  MediaHostStart();

  HWND mainWindow = CreateMainWindow(instance, currentDocument->title);
  if (!mainWindow) {
    DropPrefetchedQuestionPictures();
    ShowWindowFailure();
    MediaHostStop(nullptr);
    ReleaseDocumentAndBrush();
    return nullptr;
  }
  CreatePlayerDialogs(instance, mainWindow, currentDocument);
  return mainWindow;
}

int RunMessageLoop() {
  MSG message;
  for (;;) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0)
      return static_cast<int>(message.wParam);
    if (got == -1)
      return 0;
    if (questionPaneWindow && IsDialogMessageA(questionPaneWindow, &message))
      continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void ClosePlayer(HWND mainWindow) {
  if (questionPaneWindow) {
    EndDialog(questionPaneWindow, 0);
    DestroyWindow(questionPaneWindow);
    questionPaneWindow = nullptr;
  }
  if (headerBarWindow) {
    DestroyWindow(headerBarWindow);
    headerBarWindow = nullptr;
  }
  if (currentDocument) {
    currentDocument->questionPane = nullptr;
    currentDocument->headerBar = nullptr;
  }
  MediaHostStop(mainWindow);
  // The main window goes before the brush and the document so that no late
  // paint of the footer reaches either. Its quit message (posted again when
  // it is destroyed here or by the media host) is not wanted any more.
  if (mainWindow && IsWindow(mainWindow))
    DestroyWindow(mainWindow);
  MSG quit;
  while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  ReleaseDocumentAndBrush();
}

int RunPlayer(HINSTANCE instance) {
  if (!RegisterMainWindowClass(instance)) {
    ShowWindowFailure();
    return 0;
  }
  HWND mainWindow = OpenPlayer(instance);
  if (!mainWindow)
    return 0;
  const int exitCode = RunMessageLoop();
  ClosePlayer(mainWindow);
  return exitCode;
}

HWND CreateStaticText(HWND parent, const char* text, int x, int y, int width, int height, int id) {
  HWND control =
      CreateWindowExA(0, "Static", text, WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  if (control) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  }
  return control;
}

HFONT MakeLinkLabel(HWND label) {
  RECT client;
  GetClientRect(label, &client);
  LOGFONTA font = {};
  font.lfHeight = -((client.bottom - client.top) * 3 / 4);
  font.lfWeight = FW_NORMAL;
  font.lfUnderline = TRUE;
  HFONT linkFont = CreateFontIndirectA(&font);
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont), FALSE);
  HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_LINK_CURSOR));
  if (hand)
    SetClassLongPtrA(label, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(hand));
  return linkFont;
}

void ExeFileName(char* buffer, int size) {
  if (!buffer || size <= 0)
    return;
  const DWORD length = GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(size));
  if (length == 0) {
    buffer[0] = '\0';
    return;
  }
  buffer[size - 1] = '\0';
  const char* slash = std::strrchr(buffer, '\\');
  if (slash)
    std::memmove(buffer, slash + 1, std::strlen(slash + 1) + 1);
}
