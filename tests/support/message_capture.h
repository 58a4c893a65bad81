// A message sink for tests: while a MessageRecorder lives, every message the
// player shows is recorded (text, caption, style) instead of opening a box.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "content/user_message.h"

struct RecordedMessage {
  std::string text;
  std::string caption;
  uint32_t style;
};

// Installs the recording sink with an empty record, and puts the previous
// sink back when it goes.
class MessageRecorder {
 public:
  MessageRecorder() : previous_(SetUserMessageSink(Record)) {
    Recorded().clear();
    Reply() = 1;
  }
  ~MessageRecorder() { SetUserMessageSink(previous_); }
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  const std::vector<RecordedMessage>& messages() const { return Recorded(); }
  // The button the recorded boxes are answered with (IDOK unless set).
  void AnswerWith(int button) { Reply() = button; }

 private:
  static std::vector<RecordedMessage>& Recorded() {
    static std::vector<RecordedMessage> recorded;
    return recorded;
  }
  static int& Reply() {
    static int reply = 1;  // IDOK
    return reply;
  }
  static int Record(const char* text, const char* caption, uint32_t style) {
    Recorded().push_back({text ? text : "", caption ? caption : "", style});
    return Reply();
  }

  UserMessageSink previous_;
};
