// The player's entry point: everything happens in RunPlayer.
#include "app/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return RunPlayer(instance);
}
