// Plays the clips of an audio or video quiz through the media player
// control, one player per question, hosted in the pane's host windows.
#pragma once

#include <windows.h>

struct IUnknown;
struct IWMPPlayer;
struct IWMPControls;

enum ClipState { ClipStopped = 0, ClipPlaying = 1, ClipPaused = 2 };

struct ClipPlayer {
  HWND host;
  IWMPPlayer* player;
  IWMPControls* controls;
  ClipState state;
  HRESULT result;
  IUnknown* container;  // the control site around the player in its host window
};

constexpr int kMaxClipPlayers = 96;

void MediaHostStart();
void MediaHostStop(HWND mainWindow);
HRESULT CreateClipPlayer(int q, HWND host);
void PlayClip(int q);
void StopCurrentClip();
int WriteClipFile(int resourceId, int clipKind);
// Deletes the current clip file, if any (the pane's teardown).
void DeleteCurrentClipFile();

// The player record of question q (1..96), null outside that range.
const ClipPlayer* ClipPlayerOf(int q);
// The name of the clip file written last, "" before any.
const char* CurrentClipFile();
// The question whose play button was clicked last, 0 before any.
int CurrentClip();

// Seams for tests: the library that hosts the control and the player's
// class. Change them only while the host is stopped.
extern const char* clipHostLibrary;   // "atl.dll"
extern const CLSID* clipPlayerClass;  // the media player control
