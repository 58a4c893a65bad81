#include "tests/app/app_test_support.h"

#include "content/user_message.h"

namespace {

std::vector<RecordedMessage> recorded;
UserMessageSink previousSink = nullptr;

int Record(const char* text, const char* caption, uint32_t style) {
  recorded.push_back({text ? text : "", caption ? caption : "", style});
  return IDOK;
}

}  // namespace

MessageRecorder::MessageRecorder() {
  recorded.clear();
  previousSink = SetUserMessageSink(Record);
}

MessageRecorder::~MessageRecorder() {
  SetUserMessageSink(previousSink);
}

const std::vector<RecordedMessage>& MessageRecorder::messages() const {
  return recorded;
}

RECT RectInParent(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string WindowText(HWND window) {
  char text[300] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassNameOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT)
      continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}
