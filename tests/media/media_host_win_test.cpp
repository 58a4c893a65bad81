// The media host with the real media player control and container library:
// players hosted in windows made as the question pane makes them, clip files
// written, replaced and removed in a scratch working directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/quiz_document.h"
#include "media/media_host.h"
#include "tests/support/message_capture.h"

namespace {

constexpr int kHostBase = 9900;

std::vector<char> ReadFileBytes(const char* name) {
  std::vector<char> bytes;
  HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return bytes;
  }
  bytes.resize(GetFileSize(file, nullptr));
  DWORD read = 0;
  if (!bytes.empty()) {
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  }
  bytes.resize(read);
  CloseHandle(file);
  return bytes;
}

std::vector<char> ResourceBytes(int id) {
  HMODULE self = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(id), "IMG");
  if (found == nullptr) {
    return {};
  }
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(self, found)));
  return std::vector<char>(bytes, bytes + SizeofResource(self, found));
}

bool FileExists(const char* name) {
  return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

// The clip files ("trivo*") in the working directory.
std::vector<std::string> ClipFilesLeft() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA("trivo*", &found);
  if (search == INVALID_HANDLE_VALUE) {
    return names;
  }
  do {
    names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

BOOL CALLBACK CountVideoWindow(HWND window, LPARAM countParam) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char title[32] = {};
  GetWindowTextA(window, title, sizeof title);
  if (process == GetCurrentProcessId() && lstrcmpA(title, "ActiveMovie Window") == 0) {
    ++*reinterpret_cast<int*>(countParam);
  }
  return TRUE;
}

// Top-level video renderer windows of this process.
int TopLevelVideoWindows() {
  int count = 0;
  EnumWindows(CountVideoWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

void PumpMessages() {
  MSG msg;
  for (int round = 0; round < 20; ++round) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(10);
  }
}

// A quiz document, a top-level window standing for the main window and one
// host window per question, made in a fresh scratch working directory.
class MediaHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GetCurrentDirectoryA(MAX_PATH, savedDirectory_);
    CreateDirectoryA("media_host_scratch", nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA("media_host_scratch"));
    for (const std::string& name : ClipFilesLeft()) {
      DeleteFileA(name.c_str());
    }
    document_ = new QuizDocument();
    currentDocument = document_;
    mainWindow_ = CreateWindowExA(0, "Static", "media host", WS_OVERLAPPEDWINDOW, 0, 0, 900, 700, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(mainWindow_, nullptr);
  }

  void TearDown() override {
    MediaHostStop(mainWindow_);
    if (IsWindow(mainWindow_)) {
      DestroyWindow(mainWindow_);
    }
    clipHostLibrary = "atl.dll";
    clipPlayerClass = defaultClass_;
    currentDocument = nullptr;
    delete document_;
    SetCurrentDirectoryA(savedDirectory_);
  }

  void UseQuiz(MediaKind kind, int questions) {
    document_->mediaKind = kind;
    document_->questionCount = questions;
  }

  // The host of question q, placed and sized as the pane does it.
  HWND MakeHost(int q) {
    const bool video = document_->mediaKind == MediaVideo;
    const int x = 46 + ((q - 1) % 3) * 290;
    const int y = 5 + ((q - 1) / 3) * 355;
    return CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE | WS_BORDER, x, y, video ? 260 : 0,
                           video ? 200 : 0, mainWindow_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHostBase + q)),
                           GetModuleHandleA(nullptr), nullptr);
  }

  void BuildPlayers() {
    for (int q = 1; q <= document_->questionCount; ++q) {
      HWND host = MakeHost(q);
      ASSERT_NE(host, nullptr);
      ASSERT_EQ(CreateClipPlayer(q, host), S_OK) << "question " << q;
    }
  }

  QuizDocument* document_ = nullptr;
  HWND mainWindow_ = nullptr;
  MessageRecorder recorder_;
  const CLSID* defaultClass_ = clipPlayerClass;
  char savedDirectory_[MAX_PATH] = {};
};

TEST_F(MediaHostTest, EveryQuestionGetsAnAttachedPlayerThatStartsStopped) {
  UseQuiz(MediaAudio, 6);
  MediaHostStart();
  BuildPlayers();
  for (int q = 1; q <= 6; ++q) {
    const ClipPlayer* clip = ClipPlayerOf(q);
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->host, GetDlgItem(mainWindow_, kHostBase + q));
    EXPECT_NE(clip->player, nullptr) << "question " << q;
    EXPECT_NE(clip->controls, nullptr) << "question " << q;
    EXPECT_EQ(clip->state, ClipStopped);
  }
  EXPECT_EQ(ClipPlayerOf(0), nullptr);
  EXPECT_EQ(ClipPlayerOf(97), nullptr);
  EXPECT_EQ(CreateClipPlayer(97, mainWindow_), E_INVALIDARG);
  EXPECT_TRUE(ClipFilesLeft().empty()) << "clips are written only when played";
}

TEST_F(MediaHostTest, PlayWritesTheClipAndTheNextPlayReplacesIt) {
  UseQuiz(MediaAudio, 6);
  MediaHostStart();
  BuildPlayers();

  PlayClip(3);
  PumpMessages();
  EXPECT_STREQ(CurrentClipFile(), "trivo403.MP3");
  EXPECT_EQ(CurrentClip(), 3);
  EXPECT_EQ(ReadFileBytes("trivo403.MP3"), ResourceBytes(403));
  EXPECT_EQ(ClipPlayerOf(3)->state, ClipPlaying);

  PlayClip(5);
  PumpMessages();
  EXPECT_FALSE(FileExists("trivo403.MP3"));
  EXPECT_EQ(ReadFileBytes("trivo405.WAV"), ResourceBytes(405));
  EXPECT_EQ(ClipPlayerOf(3)->state, ClipStopped);
  EXPECT_EQ(ClipPlayerOf(5)->state, ClipPlaying);
  EXPECT_EQ(ClipFilesLeft(), std::vector<std::string>{"trivo405.WAV"});

  // Playing the same clip again restarts it from a fresh file.
  PlayClip(5);
  PumpMessages();
  EXPECT_EQ(ClipPlayerOf(5)->state, ClipPlaying);
  EXPECT_EQ(ClipFilesLeft(), std::vector<std::string>{"trivo405.WAV"});
  EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(MediaHostTest, StopStopsTheCurrentClipAndRemovesItsFile) {
  UseQuiz(MediaAudio, 6);
  MediaHostStart();
  BuildPlayers();

  // Before any play: nothing to stop, nothing changes.
  StopCurrentClip();
  EXPECT_EQ(CurrentClip(), 0);
  EXPECT_STREQ(CurrentClipFile(), "");

  // Whichever stop button is clicked, it is the current clip that stops.
  PlayClip(2);
  PumpMessages();
  ASSERT_TRUE(FileExists("trivo402.WAV"));
  StopCurrentClip();
  PumpMessages();
  EXPECT_EQ(ClipPlayerOf(2)->state, ClipStopped);
  EXPECT_FALSE(FileExists("trivo402.WAV"));
  EXPECT_TRUE(ClipFilesLeft().empty());

  // A second stop finds nothing more to do.
  StopCurrentClip();
  EXPECT_EQ(CurrentClip(), 2);
}

TEST_F(MediaHostTest, AMissingClipPlaysNothingAfterStoppingTheOthers) {
  UseQuiz(MediaAudio, 6);
  MediaHostStart();
  BuildPlayers();

  PlayClip(1);
  PumpMessages();
  ASSERT_TRUE(FileExists("trivo401.WAV"));
  PlayClip(6);  // no resource 406
  PumpMessages();
  EXPECT_EQ(CurrentClip(), 6);
  EXPECT_EQ(ClipPlayerOf(1)->state, ClipStopped);
  EXPECT_EQ(ClipPlayerOf(6)->state, ClipStopped);
  EXPECT_TRUE(ClipFilesLeft().empty());
  EXPECT_TRUE(recorder_.messages().empty()) << "a missing clip is passed over silently";
  EXPECT_EQ(WriteClipFile(406, 1), 0);
  EXPECT_EQ(WriteClipFile(401, 1), 1);
  EXPECT_STREQ(CurrentClipFile(), "trivo401.WAV");
  DeleteCurrentClipFile();
  EXPECT_TRUE(ClipFilesLeft().empty());
}

TEST_F(MediaHostTest, NothingIsLeftBehindAfterTeardownAndShutdown) {
  UseQuiz(MediaAudio, 6);
  MediaHostStart();
  BuildPlayers();
  PlayClip(3);
  PumpMessages();
  ASSERT_TRUE(FileExists("trivo403.MP3"));

  // The pane's teardown while the clip still plays, then the shutdown.
  DeleteCurrentClipFile();
  MediaHostStop(mainWindow_);
  EXPECT_FALSE(IsWindow(mainWindow_));
  EXPECT_TRUE(ClipFilesLeft().empty());
  for (int q = 1; q <= 6; ++q) {
    EXPECT_EQ(ClipPlayerOf(q)->player, nullptr) << "released at shutdown";
    EXPECT_EQ(ClipPlayerOf(q)->controls, nullptr);
  }
  EXPECT_EQ(CurrentClip(), 0);
}

TEST_F(MediaHostTest, ShutdownRemovesTheClipOfAPlayingPlayer) {
  UseQuiz(MediaAudio, 6);
  MediaHostStart();
  BuildPlayers();
  PlayClip(1);
  PumpMessages();
  // No teardown of the pane this time: the shutdown alone cleans up.
  MediaHostStop(mainWindow_);
  EXPECT_TRUE(ClipFilesLeft().empty());
}

// A clip file still held open when the next play deletes it stays behind at
// first; the shutdown, once the players are gone, deletes it after all.
TEST_F(MediaHostTest, AFileHeldOpenDuringPlayIsDeletedAtShutdown) {
  UseQuiz(MediaAudio, 6);
  MediaHostStart();
  BuildPlayers();
  PlayClip(3);
  PumpMessages();
  // Stands for a player that keeps its file open without delete sharing.
  HANDLE holder = CreateFileA("trivo403.MP3", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  PlayClip(5);
  PumpMessages();
  EXPECT_TRUE(FileExists("trivo403.MP3")) << "deletion refused while the file is open";
  StopCurrentClip();
  DeleteCurrentClipFile();
  CloseHandle(holder);
  MediaHostStop(mainWindow_);
  EXPECT_TRUE(ClipFilesLeft().empty());
}

TEST_F(MediaHostTest, VideoPlayerShowsInsideItsHostAndAudioHostIsEmpty) {
  UseQuiz(MediaVideo, 4);
  MediaHostStart();
  BuildPlayers();
  HWND host = GetDlgItem(mainWindow_, kHostBase + 4);
  RECT hostRect;
  GetWindowRect(host, &hostRect);
  EXPECT_EQ(hostRect.right - hostRect.left, 260);
  EXPECT_EQ(hostRect.bottom - hostRect.top, 200);
  HWND inner = GetWindow(host, GW_CHILD);
  ASSERT_NE(inner, nullptr) << "the player draws in a window inside its host";
  RECT innerRect;
  GetWindowRect(inner, &innerRect);
  EXPECT_GE(innerRect.left, hostRect.left);
  EXPECT_GE(innerRect.top, hostRect.top);
  EXPECT_LE(innerRect.right, hostRect.right);
  EXPECT_LE(innerRect.bottom, hostRect.bottom);

  PlayClip(4);
  PumpMessages();
  EXPECT_EQ(ReadFileBytes("trivo404.AVI"), ResourceBytes(404));
  EXPECT_EQ(ClipPlayerOf(4)->state, ClipPlaying);
  EXPECT_EQ(TopLevelVideoWindows(), 0) << "the video shows in its host, not in a window of its own";
  StopCurrentClip();
  EXPECT_FALSE(FileExists("trivo404.AVI"));
}

TEST_F(MediaHostTest, AudioHostHasNoSize) {
  UseQuiz(MediaAudio, 1);
  MediaHostStart();
  BuildPlayers();
  RECT rect;
  GetWindowRect(ClipPlayerOf(1)->host, &rect);
  EXPECT_EQ(rect.right - rect.left, 0);
  EXPECT_EQ(rect.bottom - rect.top, 0);
  EXPECT_NE(ClipPlayerOf(1)->player, nullptr);
}

// Every way the host can be without a player: creation fails, so the pane
// stops building, and nothing is shown to the user.
TEST_F(MediaHostTest, CreationFailsWithoutContainerOrPlayer) {
  static const CLSID kNoSuchClass = {0x1b2c3d4e, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x42}};
  struct Case {
    const char* name;
    const char* library;
    const CLSID* playerClass;
  };
  const Case cases[] = {
      {"container library missing", "trivo_no_such_library.dll", defaultClass_},
      {"library without the container function", "kernel32.dll", defaultClass_},
      {"player class not registered", "atl.dll", &kNoSuchClass},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseQuiz(MediaVideo, 2);
    clipHostLibrary = c.library;
    clipPlayerClass = c.playerClass;
    MediaHostStart();
    HWND host = MakeHost(1);
    const HRESULT result = CreateClipPlayer(1, host);
    EXPECT_NE(result, S_OK);
    EXPECT_EQ(ClipPlayerOf(1)->result, result);
    EXPECT_EQ(ClipPlayerOf(1)->player, nullptr);
    EXPECT_EQ(ClipPlayerOf(1)->controls, nullptr);
    // A play button without a player writes nothing.
    PlayClip(1);
    StopCurrentClip();
    EXPECT_TRUE(ClipFilesLeft().empty());
    DestroyWindow(host);
    MediaHostStop(nullptr);
  }
  EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(MediaHostTest, PictureAndTextQuizzesHaveNoMediaHost) {
  for (MediaKind kind : {MediaText, MediaPicture}) {
    SCOPED_TRACE(kind);
    UseQuiz(kind, 3);
    MediaHostStart();
    EXPECT_EQ(CreateClipPlayer(1, MakeHost(1)), CO_E_NOTINITIALIZED);
    MediaHostStop(mainWindow_);
    EXPECT_TRUE(IsWindow(mainWindow_)) << "stop leaves the main window alone";
  }
}

}  // namespace
