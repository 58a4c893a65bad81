// Plays the clips of an audio or video quiz through the media player
// control, one player per question, hosted in the pane's host windows.
#pragma once

#include <windows.h>

struct IWMPPlayer;
struct IWMPControls;

enum ClipState { ClipStopped = 0, ClipPlaying = 1, ClipPaused = 2 };

struct ClipPlayer {
  HWND host;
  IWMPPlayer* player;
  IWMPControls* controls;
  ClipState state;
  HRESULT result;
};

void MediaHostStart();
void MediaHostStop(HWND mainWindow);
HRESULT CreateClipPlayer(int q, HWND host);
void PlayClip(int q);
void StopCurrentClip();
int WriteClipFile(int resourceId, int clipKind);
// Deletes the current clip file, if any (the pane's teardown).
void DeleteCurrentClipFile();
