// The media host (being written).
#include "media/media_host.h"

void MediaHostStart() {}
void MediaHostStop(HWND) {}
HRESULT CreateClipPlayer(int, HWND) {
  return E_FAIL;
}
void PlayClip(int) {}
void StopCurrentClip() {}
int WriteClipFile(int, int) {
  return 0;
}
void DeleteCurrentClipFile() {}
