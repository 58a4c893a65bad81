// The message seam. The default sink is MessageBoxA without an owner window
// on Windows and a line on standard error elsewhere.
#include "content/user_message.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

namespace {

int DefaultSink(const char* text, const char* caption, uint32_t style) {
#ifdef _WIN32
  return MessageBoxA(nullptr, text, caption, style);
#else
  (void)style;
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
  return 1;  // IDOK
#endif
}

UserMessageSink gSink = nullptr;

}  // namespace

UserMessageSink SetUserMessageSink(UserMessageSink sink) {
  UserMessageSink previous = gSink;
  gSink = sink;
  return previous;
}

int ShowUserMessage(const char* text, const char* caption, uint32_t style) {
  return gSink != nullptr ? gSink(text, caption, style) : DefaultSink(text, caption, style);
}
