// Shared pieces of the shell tests: a message sink that records instead of
// blocking, and window geometry in a parent's client coordinates.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct RecordedMessage {
  std::string text;
  std::string caption;
  uint32_t style;
};

// Installs the recording sink for the lifetime of the object.
class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;
  const std::vector<RecordedMessage>& messages() const;
};

// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);
std::string WindowText(HWND window);
std::string ClassNameOf(HWND window);
// Handles every pending message of the thread.
void PumpMessages();
