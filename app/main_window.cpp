// Not written yet.
#include "app/main_window.h"

int RunPlayer(HINSTANCE) {
  return 0;
}
