// The media host: one media player control per question of an audio or
// video quiz, each attached to the pane's host window of that question
// through the control container of "atl.dll" (loaded at run time, so the
// program starts on a system without it and simply builds no players).
//
// A clip lives in the program's "IMG" resources and reaches the disk only
// when its play button is clicked: it is written to "%strivo%d.%s" in the
// working directory, the player is pointed at that name, and the file is
// deleted by the next play, by stop and at teardown. At most one clip file is
// current. A player may still hold its file open when it is deleted, so the
// player lets its media go first, and a file that still refuses to go is
// remembered and deleted again at shutdown, once every player is released.
//
// Everything runs on the GUI thread, which is the thread that initialised COM.
#include "media/media_host.h"

#include <oleauto.h>

#include <cstdio>

#include "content/quiz_document.h"
#include "content/user_message.h"
#include "media/clip_format.h"

struct IWMPSettings;

// The few methods of the player's interfaces that are called here, in their
// vtable order. IWMPCore follows IDispatch; IWMPPlayer adds its own methods
// after IWMPCore's; IWMPControls starts right after IDispatch.
struct IWMPPlayer : public IDispatch {
  // IWMPCore
  virtual HRESULT STDMETHODCALLTYPE close() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_URL(BSTR* url) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_URL(BSTR url) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_openState(void* state) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_playState(void* state) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_controls(IWMPControls** controls) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_settings(IWMPSettings** settings) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_currentMedia(void** media) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_currentMedia(void* media) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_mediaCollection(void** collection) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_playlistCollection(void** collection) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_versionInfo(BSTR* version) = 0;
  virtual HRESULT STDMETHODCALLTYPE launchURL(BSTR url) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_network(void** network) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_currentPlaylist(void** playlist) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_currentPlaylist(void* playlist) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_cdromCollection(void** collection) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_closedCaption(void** caption) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_isOnline(VARIANT_BOOL* online) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_error(void** error) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_status(BSTR* status) = 0;
  // IWMPPlayer
  virtual HRESULT STDMETHODCALLTYPE get_enabled(VARIANT_BOOL* enabled) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_enabled(VARIANT_BOOL enabled) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_fullScreen(VARIANT_BOOL* fullScreen) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_fullScreen(VARIANT_BOOL fullScreen) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_enableContextMenu(VARIANT_BOOL* enabled) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_enableContextMenu(VARIANT_BOOL enabled) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_uiMode(BSTR mode) = 0;
};

struct IWMPSettings : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE get_isAvailable(BSTR item, VARIANT_BOOL* available) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_autoStart(VARIANT_BOOL* autoStart) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_autoStart(VARIANT_BOOL autoStart) = 0;
};

struct IWMPControls : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE get_isAvailable(BSTR item, VARIANT_BOOL* available) = 0;
  virtual HRESULT STDMETHODCALLTYPE play() = 0;
  virtual HRESULT STDMETHODCALLTYPE stop() = 0;
  virtual HRESULT STDMETHODCALLTYPE pause() = 0;
};

namespace {

// CLSID_WindowsMediaPlayer and IID_IWMPPlayer.
const CLSID kMediaPlayerClass = {
    0x6BF52A52, 0x394A, 0x11D3, {0xB1, 0x53, 0x00, 0xC0, 0x4F, 0x79, 0xFA, 0xA6}};
const IID kPlayerInterface = {0x6BF52A4F, 0x394A, 0x11D3, {0xB1, 0x53, 0x00, 0xC0, 0x4F, 0x79, 0xFA, 0xA6}};
// In-process server, in-process handler and local server.
constexpr DWORD kPlayerContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

constexpr int kClipResourceBase = 400;  // the clip of question q is resource 400 + q
constexpr int kClipKindAudio = 1;       // mediaKind - 1 of an audio quiz
constexpr int kClipKindVideo = 2;
constexpr int kWideNameCapacity = 512;  // the clip file name given to the player
constexpr int kWideModeCapacity = 6;    // "none" and its terminator

using AttachControlFunction = HRESULT(WINAPI*)(IUnknown* control, HWND window, IUnknown** container);

struct MediaHostState {
  HMODULE atlModule;
  AttachControlFunction attachControl;
  bool comStarted;
  char currentClipFile[kTextCapacity];
  int currentClip;  // 0 until a play button is clicked
  ClipPlayer players[kMaxClipPlayers];
  // Clip files whose deletion failed (their player still held them), deleted
  // again at shutdown. Each question writes one name, so 96 are enough.
  char leftoverFiles[kMaxClipPlayers][kTextCapacity];
  int leftoverCount;
};

MediaHostState gHost;

bool IsClipQuiz() {
  return currentDocument != nullptr &&
         (currentDocument->mediaKind == MediaAudio || currentDocument->mediaKind == MediaVideo);
}

ClipPlayer* PlayerOf(int q) {
  return q >= 1 && q <= kMaxClipPlayers ? &gHost.players[q - 1] : nullptr;
}

int PlayerCount() {
  if (currentDocument == nullptr) {
    return 0;
  }
  const int count = currentDocument->questionCount;
  return count < 0 ? 0 : (count > kMaxClipPlayers ? kMaxClipPlayers : count);
}

// An ANSI text as a BSTR of at most `capacity` wide characters; null when it
// can't be converted. The caller frees it with SysFreeString.
BSTR WideText(const char* text, int capacity) {
  WCHAR wide[kWideNameCapacity];
  if (capacity > kWideNameCapacity || MultiByteToWideChar(CP_ACP, 0, text, -1, wide, capacity) == 0) {
    return nullptr;
  }
  return SysAllocString(wide);
}

void RememberLeftover(const char* name) {
  for (int i = 0; i < gHost.leftoverCount; ++i) {
    if (lstrcmpiA(gHost.leftoverFiles[i], name) == 0) {
      return;
    }
  }
  if (gHost.leftoverCount < kMaxClipPlayers) {
    CopyText(gHost.leftoverFiles[gHost.leftoverCount++], kTextCapacity, name);
  }
}

void ForgetLeftover(const char* name) {
  for (int i = 0; i < gHost.leftoverCount; ++i) {
    if (lstrcmpiA(gHost.leftoverFiles[i], name) == 0) {
      CopyText(gHost.leftoverFiles[i], kTextCapacity, gHost.leftoverFiles[gHost.leftoverCount - 1]);
      --gHost.leftoverCount;
      return;
    }
  }
}

// Deletes a clip file; one that is held open stays on the leftover list.
void DeleteClipFile(const char* name) {
  if (name[0] == '\0') {
    return;
  }
  if (DeleteFileA(name) || GetLastError() == ERROR_FILE_NOT_FOUND) {
    ForgetLeftover(name);
  } else {
    RememberLeftover(name);
  }
}

void HaltPlayer(ClipPlayer* clip) {
  clip->state = ClipStopped;
  if (clip->controls != nullptr) {
    clip->controls->stop();
  }
}

// The player of the current clip lets its file go, so that it can be deleted.
void ReleaseCurrentMedia() {
  ClipPlayer* clip = PlayerOf(gHost.currentClip);
  if (clip != nullptr && clip->player != nullptr) {
    clip->player->close();
  }
}

// Some builds of the player leave the video renderer in a top-level window
// of its own, titled as below, instead of drawing into the control's window.
// Such a window of this process, made by the play that just started, is taken
// into the host so that the video shows where the question stands.
constexpr char kStrayVideoTitle[] = "ActiveMovie Window";

BOOL CALLBACK AdoptStrayVideoWindow(HWND window, LPARAM hostParam) {
  HWND host = reinterpret_cast<HWND>(hostParam);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char title[32];
  if (process != GetCurrentProcessId() || GetParent(window) != nullptr ||
      GetWindowTextA(window, title, sizeof title) == 0 || lstrcmpA(title, kStrayVideoTitle) != 0) {
    return TRUE;
  }
  const LONG_PTR frame = WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  SetWindowLongPtrA(window, GWL_STYLE, (GetWindowLongPtrA(window, GWL_STYLE) & ~frame) | WS_CHILD);
  SetWindowLongPtrA(window, GWL_EXSTYLE, 0);
  SetParent(window, host);
  RECT area;
  GetClientRect(host, &area);
  SetWindowPos(window, HWND_TOP, 0, 0, area.right, area.bottom,
               SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  return TRUE;
}

void ReleasePlayer(ClipPlayer* clip) {
  if (clip->controls != nullptr) {
    clip->controls->Release();
  }
  if (clip->player != nullptr) {
    clip->player->Release();
  }
  if (clip->container != nullptr) {
    clip->container->Release();
  }
  *clip = ClipPlayer{};
}

}  // namespace

const char* clipHostLibrary = "atl.dll";
const CLSID* clipPlayerClass = &kMediaPlayerClass;

void MediaHostStart() {
  if (!IsClipQuiz() || gHost.atlModule != nullptr) {
    return;
  }
  HMODULE atl = LoadLibraryA(clipHostLibrary);
  if (atl == nullptr) {
    return;
  }
  auto attach = reinterpret_cast<AttachControlFunction>(
      reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxAttachControl")));
  // Without the container function no player can be hosted: the host stays
  // down, as when the library is missing, and every player creation fails.
  if (attach == nullptr) {
    FreeLibrary(atl);
    return;
  }
  gHost.atlModule = atl;
  gHost.attachControl = attach;
  gHost.comStarted = SUCCEEDED(CoInitialize(nullptr));
}

void MediaHostStop(HWND mainWindow) {
  if (!IsClipQuiz() && gHost.atlModule == nullptr) {
    return;
  }
  for (ClipPlayer& clip : gHost.players) {
    HaltPlayer(&clip);
  }
  ReleaseCurrentMedia();
  if (mainWindow != nullptr && IsWindow(mainWindow)) {
    DestroyWindow(mainWindow);
  }
  // The interfaces go before COM does.
  for (ClipPlayer& clip : gHost.players) {
    ReleasePlayer(&clip);
  }
  // With every player gone nothing holds a clip file any more.
  DeleteClipFile(gHost.currentClipFile);
  while (gHost.leftoverCount > 0) {
    const int before = gHost.leftoverCount;
    DeleteClipFile(gHost.leftoverFiles[0]);
    if (gHost.leftoverCount == before) {
      ForgetLeftover(gHost.leftoverFiles[0]);  // still refused: give up on it
    }
  }
  gHost.currentClipFile[0] = '\0';
  gHost.currentClip = 0;
  if (gHost.comStarted) {
    CoUninitialize();
  }
  if (gHost.atlModule != nullptr) {
    FreeLibrary(gHost.atlModule);
  }
  gHost.atlModule = nullptr;
  gHost.attachControl = nullptr;
  gHost.comStarted = false;
}

HRESULT CreateClipPlayer(int q, HWND host) {
  ClipPlayer* clip = PlayerOf(q);
  if (clip == nullptr) {
    return E_INVALIDARG;
  }
  ReleasePlayer(clip);
  clip->host = host;
  // A host that never started has no COM and no container.
  if (gHost.attachControl == nullptr || !gHost.comStarted) {
    clip->result = CO_E_NOTINITIALIZED;
    return clip->result;
  }
  void* created = nullptr;
  clip->result = CoCreateInstance(*clipPlayerClass, nullptr, kPlayerContext, kPlayerInterface, &created);
  if (clip->result != S_OK || created == nullptr) {
    if (created != nullptr) {
      static_cast<IUnknown*>(created)->Release();
    }
    if (clip->result == S_OK) {
      clip->result = E_NOINTERFACE;
    }
    return clip->result;
  }
  clip->player = static_cast<IWMPPlayer*>(created);
  // The container is asked for and kept: some implementations of the
  // container function build no control site when nobody takes it, and the
  // player then never gets a window.
  clip->result = gHost.attachControl(clip->player, host, &clip->container);
  clip->result = clip->player->get_controls(&clip->controls);
  if (FAILED(clip->result)) {
    clip->controls = nullptr;
  }
  // The player would otherwise start on its own as soon as it is given a
  // file, and the play that follows would start it a second time.
  IWMPSettings* settings = nullptr;
  if (SUCCEEDED(clip->player->get_settings(&settings)) && settings != nullptr) {
    clip->result = settings->put_autoStart(VARIANT_FALSE);
    settings->Release();
  }
  BSTR mode = WideText("none", kWideModeCapacity);
  clip->result = clip->player->put_uiMode(mode);
  SysFreeString(mode);
  return S_OK;
}

void PlayClip(int q) {
  ClipPlayer* clip = PlayerOf(q);
  if (clip == nullptr || currentDocument == nullptr) {
    return;
  }
  const int count = PlayerCount();
  for (int i = 1; i <= count; ++i) {
    HaltPlayer(PlayerOf(i));
  }
  ReleaseCurrentMedia();
  DeleteClipFile(gHost.currentClipFile);
  gHost.currentClip = q;
  // No player to give the file to: don't write it.
  if (clip->player == nullptr) {
    return;
  }
  if (WriteClipFile(kClipResourceBase + q, currentDocument->mediaKind - 1) == 0) {
    return;
  }
  BSTR url = WideText(gHost.currentClipFile, kWideNameCapacity);
  clip->player->put_URL(url);
  SysFreeString(url);
  if (clip->controls != nullptr) {
    clip->controls->play();
  }
  if (currentDocument->mediaKind == MediaVideo && clip->host != nullptr) {
    EnumWindows(AdoptStrayVideoWindow, reinterpret_cast<LPARAM>(clip->host));
  }
  clip->state = ClipPlaying;
}

void StopCurrentClip() {
  ClipPlayer* clip = PlayerOf(gHost.currentClip);
  if (clip == nullptr) {
    return;
  }
  clip->state = ClipStopped;
  if (clip->controls != nullptr) {
    clip->controls->stop();
    ReleaseCurrentMedia();
    DeleteClipFile(gHost.currentClipFile);
  }
}

int WriteClipFile(int resourceId, int clipKind) {
  HMODULE self = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(resourceId), "IMG");
  if (found == nullptr) {
    return 0;
  }
  const DWORD size = SizeofResource(self, found);
  HGLOBAL loaded = LoadResource(self, found);
  if (loaded == nullptr) {
    if (clipKind == kClipKindAudio) {
      ShowUserMessage("Impossible de charger le fichier audio.", "Trivo", kMessageOk);
    } else if (clipKind == kClipKindVideo) {
      ShowUserMessage("Impossible de charger le fichier vid\xE9o.", "Trivo", kMessageOk);
    }
    return 0;
  }
  const auto* bytes = static_cast<const uint8_t*>(LockResource(loaded));
  if (bytes == nullptr) {
    return 0;
  }
  const char* folder = currentDocument != nullptr ? currentDocument->mediaFolder : "";
  char name[kTextCapacity];
  const int length =
      std::snprintf(name, sizeof name, "%strivo%d.%s", folder, resourceId, ClipExtension(bytes, size));
  // A cut name would point somewhere else entirely.
  if (length < 0 || length >= static_cast<int>(sizeof name)) {
    return 0;
  }
  CopyText(gHost.currentClipFile, kTextCapacity, name);
  // The creation and the write are not checked: the player then finds no
  // file and plays nothing, which is all the user would see anyway.
  HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, bytes, size, &written, nullptr);
    CloseHandle(file);
  }
  FreeResource(loaded);
  return 1;
}

void DeleteCurrentClipFile() {
  ReleaseCurrentMedia();
  DeleteClipFile(gHost.currentClipFile);
}

const ClipPlayer* ClipPlayerOf(int q) {
  return PlayerOf(q);
}

const char* CurrentClipFile() {
  return gHost.currentClipFile;
}

int CurrentClip() {
  return gHost.currentClip;
}
