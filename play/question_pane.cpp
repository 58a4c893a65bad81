// The question pane: a scrolling child dialog (template 1001, no controls of
// its own) that builds one set of controls per question when it is created
// and never adds or removes one afterwards.
//
// Controls are found again by identifier (q question, f answer field):
//   156 answer labels, 2000 (text quiz) or 2000 + q number labels, 3000
//   question texts, 4000 + f answer fields, 5000 + f status fields,
//   6000 + q / 7000 + q play and stop buttons, 8000 + q comments,
//   9900 + q pictures or player hosts.
// A text quiz lists its questions one per line; the other kinds stand in
// rows of three cells, each with its picture or clip above the answers. The
// boxes are those of play/pane_layout.h.
//
// Bitmaps: the pane owns the question pictures it loads. They are decoded
// ahead on a worker thread (see picture_prefetch.h) and taken in the order
// of the rows, so a broken one is reported where it always was. A row's
// three pictures are taken with its first question; those that no control takes
// are deleted once the row is built, and the pictures the controls show are
// deleted when the pane is destroyed.
#include "play/question_pane.h"

#include <cstdio>
#include <cstring>

#include "app/main_window.h"
#include "content/quiz_colours.h"
#include "content/quiz_document.h"
#include "media/media_host.h"
#include "media/picture_loader.h"
#include "media/picture_prefetch.h"
#include "media/picture_rules.h"
#include "play/answer_field.h"
#include "play/answer_judge.h"
#include "play/answers_file.h"
#include "play/pane_layout.h"
#include "play/pane_scroll.h"
#include "play/play_rules.h"
#include "play/verdict_rules.h"
#include "resources/resource_ids.h"

HBRUSH rightBrush = nullptr;
WNDPROC answerFieldBaseProc = nullptr;
int paneScrollTarget = 0;

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

constexpr DWORD kNumberStyle = WS_CHILD | WS_VISIBLE | SS_RIGHT;                               // 0x50000002
constexpr DWORD kFieldStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | SS_CENTERIMAGE | SS_CENTER;  // 0x50800201
constexpr DWORD kAnswerStyle =
    WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_CENTER;                 // 0x50810081
constexpr DWORD kPictureStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | SS_CENTERIMAGE | SS_BITMAP;  // 0x5080020E
constexpr DWORD kHostStyle = WS_CHILD | WS_VISIBLE | WS_BORDER;                                  // 0x50800000
constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE;                                             // 0x50000000
constexpr DWORD kCommentStyle = WS_CHILD | WS_VISIBLE | SS_CENTER;                               // 0x50000001
constexpr DWORD kClipButtonStyle =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_ICON | BS_DEFPUSHBUTTON;  // 0x50010041

// Started by PrefetchQuestionPictures, taken by the pane that builds next.
PicturePrefetch* pendingPrefetch = nullptr;

// The answers file, mapped read-only for the time of building.
struct MappedAnswers {
  HANDLE file = INVALID_HANDLE_VALUE;
  HANDLE mapping = nullptr;
  const void* view = nullptr;
  SavedAnswerReader reader;
};

// The pictures of the row being built; a slot is cleared when its control
// takes the bitmap.
struct RowPictures {
  HBITMAP bitmap[3] = {};
  int width[3] = {};
  int height[3] = {};
};

struct BuildState {
  QuizDocument* doc = nullptr;
  HWND pane = nullptr;
  HINSTANCE instance = nullptr;
  HFONT dialogFont = nullptr;
  HFONT guiFont = nullptr;
  HICON playIcon = nullptr;
  HICON stopIcon = nullptr;
  MappedAnswers answers;
  PicturePrefetch* prefetch = nullptr;
  RowPictures row;
  int y = kPaneFirstTop;
  int rowIndex = 0;
};

void OpenAnswers(MappedAnswers& answers) {
  char exeName[MAX_PATH] = {};
  ExeFileName(exeName, sizeof(exeName));
  exeName[sizeof(exeName) - 1] = '\0';
  std::string name = AnswersFileName(exeName);
  if (name.empty()) {
    return;
  }
  answers.file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (answers.file == INVALID_HANDLE_VALUE) {
    return;
  }
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(answers.file, &size) || size.QuadPart <= 0) {
    return;  // an empty file cannot be mapped; it holds no answers anyway
  }
  answers.mapping = CreateFileMappingA(answers.file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (answers.mapping == nullptr) {
    return;
  }
  answers.view = MapViewOfFile(answers.mapping, FILE_MAP_READ, 0, 0, 0);
  if (answers.view == nullptr) {
    return;
  }
  answers.reader.data = static_cast<const char*>(answers.view);
  answers.reader.size = static_cast<size_t>(size.QuadPart);
  answers.reader.position = 0;
}

void CloseAnswers(MappedAnswers& answers) {
  if (answers.view != nullptr) {
    UnmapViewOfFile(answers.view);
  }
  if (answers.mapping != nullptr) {
    CloseHandle(answers.mapping);
  }
  if (answers.file != INVALID_HANDLE_VALUE) {
    CloseHandle(answers.file);
  }
  answers = MappedAnswers{};
}

void DeleteUnusedPictures(RowPictures& row) {
  for (HBITMAP& bitmap : row.bitmap) {
    if (bitmap != nullptr) {
      DeleteObject(bitmap);
      bitmap = nullptr;
    }
  }
}

HWND CreateControl(const BuildState& s, const char* className, const char* text, DWORD style, PaneBox box,
                   int id, HFONT font) {
  HWND control = CreateWindowExA(0, className, text, style, box.x, box.y, box.width, box.height, s.pane,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), s.instance, nullptr);
  if (control != nullptr && font != nullptr) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  return control;
}

// Creates an answer field with the next saved answer, installs the field
// procedure and judges it, so a restarted player shows what was earned.
void RestoreAnswerField(BuildState& s, PaneBox box, int field) {
  char saved[kTextCapacity];
  ReadSavedAnswer(s.answers.reader, saved);
  HWND control =
      CreateControl(s, "Edit", saved, kAnswerStyle, box, ID_ANSWER_FIELD_BASE + field, s.doc->paneFont);
  if (control != nullptr) {
    answerFieldBaseProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AnswerFieldProc)));
  }
}

void CreateNumberLabel(const BuildState& s, int q, PaneBox box, int id) {
  char number[16];
  std::snprintf(number, sizeof(number), "%d.", q);
  CreateControl(s, "Static", number, kNumberStyle, box, id, s.dialogFont);
}

void BuildTextQuestion(BuildState& s, int q) {
  QuestionEntry* entry = s.doc->questionAt(q);
  CreateNumberLabel(s, q, Offset(kLineNumber, 0, s.y), ID_NUMBER_LABEL_BASE);
  CreateControl(s, "Static", entry ? entry->questionText : "", kFieldStyle, Offset(kLineQuestion, 0, s.y),
                ID_QUESTION_TEXT, s.doc->paneFont);
  RestoreAnswerField(s, Offset(kLineAnswerField, 0, s.y), q);
  CreateControl(s, "Static", kVerdictEmpty, kFieldStyle, Offset(kLineStatusField, 0, s.y),
                ID_STATUS_FIELD_BASE + q, s.dialogFont);
  AnswerJudge(s.doc, s.pane, ID_ANSWER_FIELD_BASE + q);
  s.y += kLineStep;
  s.doc->paneContentWidth = kLineContentWidth;
  s.doc->paneContentHeight = s.y;
}

void LoadRowPictures(BuildState& s, int q) {
  DeleteUnusedPictures(s.row);
  HINSTANCE module = GetModuleHandleA(nullptr);
  int rowHeight = 0;
  for (int i = 0; i < kCellsPerRow; ++i) {
    HBITMAP bitmap = TakePrefetchedPicture(s.prefetch, module, QUESTION_MEDIA_BASE + q + i,
                                           PICTURE_RESOURCE_TYPE, kPictureBox, kPictureBox);
    BITMAP info = {};
    if (bitmap != nullptr && GetObjectA(bitmap, sizeof(info), &info) == sizeof(info)) {
      s.row.width[i] = info.bmWidth;
      s.row.height[i] = info.bmHeight;
    } else {
      s.row.width[i] = kPictureBox;  // a missing picture is 260 wide and 0 high
      s.row.height[i] = 0;
    }
    s.row.bitmap[i] = bitmap;
    if (s.row.height[i] > rowHeight) {
      rowHeight = s.row.height[i];
    }
  }
  if (s.rowIndex < kMaxRows) {
    s.doc->rowHeights[s.rowIndex] = rowHeight;
  }
  s.rowIndex += 1;
}

// One question of the grid: its column, left edge and answers' top.
struct GridCell {
  int q = 0;
  int column = 0;
  int left = 0;
  int answersTop = 0;
  bool picture = false;
};

GridCell LayOutCell(const BuildState& s, int q) {
  GridCell cell;
  cell.q = q;
  cell.column = (q - 1) % kCellsPerRow;
  cell.left = CellLeft(s.doc->answersPerQuestion, cell.column);
  cell.picture = s.doc->mediaKind == MediaPicture;
  return cell;
}

// The picture control, centred in the picture box and the row's height;
// its bitmap comes after the judge (ShowCellPicture).
void BuildCellPicture(BuildState& s, GridCell& cell) {
  if (cell.column == 0) {
    LoadRowPictures(s, cell.q);
  }
  const int rowHeight = s.rowIndex - 1 < kMaxRows ? s.doc->rowHeights[s.rowIndex - 1] : 0;
  const int width = s.row.width[cell.column];
  const int height = s.row.height[cell.column];
  const PaneBox box = {cell.left + (kPictureBox - width) / 2, s.y + (rowHeight - height) / 2, width, height};
  CreateControl(s, "Static", "", kPictureStyle, box, ID_PICTURE_BASE + cell.q, nullptr);
  cell.answersTop = s.y + rowHeight + kMediaGap;
}

// The media block at the cell's top; false when the clip's player cannot be
// created.
bool BuildCellMedia(BuildState& s, GridCell& cell) {
  if (cell.picture) {
    BuildCellPicture(s, cell);
    return true;
  }
  const bool video = s.doc->mediaKind == MediaVideo;
  const PaneBox host = video ? Offset(kVideoHost, cell.left, s.y) : PaneBox{cell.left, s.y, 0, 0};
  HWND control = CreateControl(s, "Static", "", kHostStyle, host, ID_PICTURE_BASE + cell.q, nullptr);
  if (FAILED(CreateClipPlayer(cell.q, control))) {
    return false;
  }
  cell.answersTop = s.y + (video ? kVideoHost.height + kMediaGap : 0);
  return true;
}

// The row's answer labels (first cell only), the number and the hidden comment.
void BuildCellLabels(BuildState& s, const GridCell& cell) {
  const QuizDocument* doc = s.doc;
  if (doc->answersPerQuestion == 2 && cell.column == 0) {
    CreateControl(s, "Static", doc->answerLabel1, kLabelStyle, Offset(kAnswerLabel1, 0, cell.answersTop),
                  ID_ANSWER_LABEL, s.guiFont);
    CreateControl(s, "Static", doc->answerLabel2, kLabelStyle, Offset(kAnswerLabel2, 0, cell.answersTop),
                  ID_ANSWER_LABEL, s.guiFont);
  }
  CreateNumberLabel(s, cell.q, Offset(kCellNumber, cell.left, cell.answersTop),
                    ID_NUMBER_LABEL_BASE + cell.q);
  if (doc->revealMode > RevealPicture) {
    QuestionEntry* entry = doc->questionAt(cell.q);
    HWND comment =
        CreateControl(s, "Static", entry ? entry->comment : "", kCommentStyle,
                      Offset(kCellComment, cell.left, cell.answersTop), ID_COMMENT_BASE + cell.q, s.guiFont);
    if (comment != nullptr) {
      ShowWindow(comment, SW_HIDE);
    }
  }
}

// The cell's answer fields with their saved answers, each judged.
void RestoreCellAnswers(BuildState& s, const GridCell& cell) {
  const int answers = s.doc->answersPerQuestion;
  for (int k = 1; k <= answers; ++k) {
    if (answers != 1 && answers != 2) {
      char unused[kTextCapacity];
      ReadSavedAnswer(s.answers.reader, unused);  // no fields for this count, but the line is used up
      continue;
    }
    const int field = answers == 1 ? cell.q : 2 * (cell.q - 1) + k;
    const CellFieldBoxes boxes = CellFields(cell.picture, answers, k);
    RestoreAnswerField(s, Offset(boxes.answer, cell.left, cell.answersTop), field);
    CreateControl(s, "Static", kVerdictEmpty, kFieldStyle, Offset(boxes.status, cell.left, cell.answersTop),
                  ID_STATUS_FIELD_BASE + field, answers == 1 ? s.dialogFont : s.guiFont);
    AnswerJudge(s.doc, s.pane, ID_ANSWER_FIELD_BASE + field);
  }
}

// A question answered in a former run, under a mode that swaps pictures,
// already holds its answer picture from the judge. One without an answer
// picture keeps its question picture, as it does when answered in play: a
// restart must show what the player saw.
void ShowCellPicture(BuildState& s, const GridCell& cell) {
  HWND control = GetDlgItem(s.pane, ID_PICTURE_BASE + cell.q);
  HBITMAP& bitmap = s.row.bitmap[cell.column];
  if (control != nullptr && bitmap != nullptr && SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0) == 0) {
    HBITMAP old = reinterpret_cast<HBITMAP>(
        SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    bitmap = nullptr;
    if (old != nullptr) {
      DeleteObject(old);
    }
  }
}

void BuildClipButtons(const BuildState& s, const GridCell& cell) {
  HWND play =
      CreateControl(s, "Button", "", kClipButtonStyle, Offset(kPlayButton, cell.left, cell.answersTop),
                    ID_PLAY_BUTTON_BASE + cell.q, nullptr);
  HWND stop =
      CreateControl(s, "Button", "", kClipButtonStyle, Offset(kStopButton, cell.left, cell.answersTop),
                    ID_STOP_BUTTON_BASE + cell.q, nullptr);
  SendMessageA(play, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(s.playIcon));
  SendMessageA(stop, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(s.stopIcon));
}

// A row's first cell sets the content's size; its last starts the next row.
void EndCell(BuildState& s, const GridCell& cell) {
  const int gap = s.doc->revealMode > RevealPicture ? kRowGapWithComment : kRowGap;
  if (cell.column == 0) {
    s.doc->paneContentWidth = kGridContentWidth;
    s.doc->paneContentHeight = cell.answersTop + gap;
  } else if (cell.column == kCellsPerRow - 1) {
    s.y = cell.answersTop + gap;
  }
}

// Returns false when the question's player cannot be created: building stops.
// The order of creation is the pane's tab order: media, labels, answers,
// then the clip's buttons.
bool BuildGridQuestion(BuildState& s, int q) {
  GridCell cell = LayOutCell(s, q);
  if (!BuildCellMedia(s, cell)) {
    return false;
  }
  BuildCellLabels(s, cell);
  RestoreCellAnswers(s, cell);
  if (cell.picture) {
    ShowCellPicture(s, cell);
  } else {
    BuildClipButtons(s, cell);
  }
  EndCell(s, cell);
  return true;
}

// The rows take their three pictures each, even past the last question.
int QuestionPictureCount(const QuizDocument* doc) {
  const int questions = doc->questionCount < kMaxQuestions ? doc->questionCount : kMaxQuestions;
  return (questions + 2) / 3 * 3;
}

// The prefetch started with the quiz, or one started now (a pane made
// without it); the pane owns it from here on.
PicturePrefetch* TakePendingPrefetch(const QuizDocument* doc) {
  PrefetchQuestionPictures(doc);
  PicturePrefetch* prefetch = pendingPrefetch;
  pendingPrefetch = nullptr;
  return prefetch;
}

BOOL OnInitDialog(HWND pane) {
  QuizDocument* doc = currentDocument;
  if (rightBrush != nullptr) {
    DeleteObject(rightBrush);
  }
  rightBrush = CreateSolidBrush(kRightColour);
  if (doc == nullptr) {
    return TRUE;
  }
  doc->paneContentWidth = 0;
  doc->paneContentHeight = 0;

  BuildState s;
  s.doc = doc;
  s.pane = pane;
  s.instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(pane, GWLP_HINSTANCE));
  s.dialogFont = reinterpret_cast<HFONT>(SendMessageA(pane, WM_GETFONT, 0, 0));
  s.guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (doc->mediaKind == MediaAudio || doc->mediaKind == MediaVideo) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    s.playIcon = LoadIconA(module, MAKEINTRESOURCEA(IDI_PLAY_CLIP));
    s.stopIcon = LoadIconA(module, MAKEINTRESOURCEA(IDI_STOP_CLIP));
  }
  OpenAnswers(s.answers);
  s.prefetch = TakePendingPrefetch(doc);
  doc->createPaneFont();

  const int questions = doc->questionCount < kMaxQuestions ? doc->questionCount : kMaxQuestions;
  for (int q = 1; q <= questions; ++q) {
    if (doc->mediaKind == MediaText) {
      BuildTextQuestion(s, q);
    } else if (doc->mediaKind == MediaPicture || doc->mediaKind == MediaAudio ||
               doc->mediaKind == MediaVideo) {
      if (!BuildGridQuestion(s, q)) {
        // A clip player that cannot be created ends building here; the
        // next WM_SIZE sets the scroll ranges.
        CloseAnswers(s.answers);
        EndPicturePrefetch(s.prefetch);
        DeleteUnusedPictures(s.row);
        return TRUE;
      }
    }
  }
  EndPicturePrefetch(s.prefetch);
  DeleteUnusedPictures(s.row);
  doc->paneContentWidth += doc->answersPerQuestion == 2 ? kContentMarginTwoAnswers : kContentMarginOneAnswer;
  CloseAnswers(s.answers);
  SetPaneScrollRanges(doc, pane);
  return TRUE;
}

COLORREF BrushColour(HBRUSH brush) {
  LOGBRUSH info = {};
  if (brush != nullptr && GetObjectA(brush, sizeof(info), &info) == sizeof(info)) {
    return info.lbColor;
  }
  return kWhite;
}

// A field painted all in the brush's colour, with black text.
INT_PTR FieldColour(HDC dc, HBRUSH brush) {
  SetTextColor(dc, kBlack);
  SetBkColor(dc, BrushColour(brush));
  return reinterpret_cast<INT_PTR>(brush);
}

INT_PTR OnCtlColorStatic(HDC dc, HWND control) {
  const QuizDocument* doc = currentDocument;
  if (doc == nullptr) {
    return 0;
  }
  const int id = GetDlgCtrlID(control);
  const int fields = doc->answersPerQuestion * doc->questionCount;
  if ((id > 1999 && id <= 2240 + fields) || id == ID_ANSWER_LABEL ||
      (id > ID_COMMENT_BASE && id <= ID_COMMENT_BASE + fields)) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, LabelTextColour({doc->backRed, doc->backGreen, doc->backBlue}));
    return reinterpret_cast<INT_PTR>(doc->backgroundBrush);
  }
  if (id > ID_STATUS_FIELD_BASE && id <= ID_STATUS_FIELD_BASE + fields) {
    char text[kTextCapacity] = {};
    GetWindowTextA(control, text, sizeof(text));
    switch (VerdictKindOf(text)) {
      case VerdictKind::Unjudged:
        return 0;
      case VerdictKind::Right:
        return FieldColour(dc, rightBrush);
      case VerdictKind::Wrong:
        return FieldColour(dc, doc->wrongBrush);
      case VerdictKind::Anagram:
        return FieldColour(dc, doc->anagramBrush);
      case VerdictKind::Hint:
        break;
    }
    return FieldColour(dc, doc->hintBrush);
  }
  if (id == ID_QUESTION_TEXT) {
    return FieldColour(dc, doc->questionBrush);
  }
  return 0;
}

void OnCommand(WPARAM wParam) {
  const QuizDocument* doc = currentDocument;
  if (doc == nullptr || (doc->mediaKind != MediaAudio && doc->mediaKind != MediaVideo)) {
    return;
  }
  // The whole wParam is compared: only a click (notification 0) counts.
  if (wParam > ID_PLAY_BUTTON_BASE && wParam <= ID_PLAY_BUTTON_BASE + kMaxQuestions) {
    PlayClip(static_cast<int>(wParam) - ID_PLAY_BUTTON_BASE);
  } else if (wParam > ID_STOP_BUTTON_BASE && wParam <= ID_STOP_BUTTON_BASE + kMaxQuestions) {
    StopCurrentClip();
  }
}

void OnDestroy(HWND pane) {
  // Runs once per pane: WM_CLOSE only removes the clip file and leaves the
  // brush alone, so it is never deleted twice nor deleted while the pane
  // still paints with it.
  if (rightBrush != nullptr) {
    DeleteObject(rightBrush);
    rightBrush = nullptr;
  }
  DeleteCurrentClipFile();
  const QuizDocument* doc = currentDocument;
  if (doc != nullptr && doc->mediaKind == MediaPicture) {
    for (int q = 1; q <= kMaxQuestions; ++q) {
      HWND picture = GetDlgItem(pane, ID_PICTURE_BASE + q);
      if (picture == nullptr) {
        continue;
      }
      HBITMAP shown = reinterpret_cast<HBITMAP>(SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, 0));
      if (shown != nullptr) {
        DeleteObject(shown);
      }
    }
  }
}

}  // namespace

void PrefetchQuestionPictures(const QuizDocument* doc) {
  if (doc == nullptr || doc->mediaKind != MediaPicture || pendingPrefetch != nullptr)
    return;
  pendingPrefetch =
      StartPicturePrefetch(GetModuleHandleA(nullptr), QUESTION_MEDIA_BASE + 1, QuestionPictureCount(doc),
                           PICTURE_RESOURCE_TYPE, kPictureBox, kPictureBox);
}

void DropPrefetchedQuestionPictures() {
  EndPicturePrefetch(pendingPrefetch);
  pendingPrefetch = nullptr;
}

INT_PTR CALLBACK QuestionPaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(pane);
    case WM_COMMAND:
      OnCommand(wParam);
      return 0;
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CTLCOLORDLG:
      return currentDocument ? reinterpret_cast<INT_PTR>(currentDocument->backgroundBrush) : 0;
    case WM_SIZE:
      if (currentDocument != nullptr) {
        OnPaneSize(currentDocument, pane);
      }
      return 0;
    case WM_HSCROLL:
      OnPaneHScroll(pane, LOWORD(wParam));
      return 0;
    case WM_VSCROLL:
      OnPaneVScroll(pane, LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      // Handled here: left to the dialog manager, the wheel would also climb
      // to the main window, which forwards it back and doubles the step.
      OnPaneMouseWheel(pane, wParam);
      SetWindowLongPtrA(pane, DWLP_MSGRESULT, 0);
      return TRUE;
    case WM_DESTROY:
      OnDestroy(pane);
      return 0;
    case WM_CLOSE:
      DeleteCurrentClipFile();
      return 0;
    default:
      return 0;
  }
}
