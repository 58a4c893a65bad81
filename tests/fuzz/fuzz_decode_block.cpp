// Any bytes go to DecodeBlock: it must return, never read or write outside a
// buffer, and a stream it accepts must code back to a stream that decodes to
// the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "content/block_decoder.h"
#include "content/user_message.h"

namespace {

int Quiet(const char*, const char*, uint32_t) {
  return 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetUserMessageSink(Quiet);
  uint8_t* plain = nullptr;
  uint32_t plainLength = 0;
  int32_t status = DecodeBlock(data, static_cast<uint32_t>(size), &plain, &plainLength);
  if (status == BlockOk && plainLength > 2) {
    uint8_t* coded = nullptr;
    uint32_t codedLength = 0;
    if (EncodeBlock(plain, plainLength - 2, &coded, &codedLength) != BlockOk) {
      std::abort();
    }
    uint8_t* again = nullptr;
    uint32_t againLength = 0;
    if (DecodeBlock(coded, codedLength - 1, &again, &againLength) != BlockOk || againLength != plainLength ||
        std::memcmp(again, plain, plainLength - 2) != 0) {
      std::abort();
    }
    FreeBlock(again);
    FreeBlock(coded);
  }
  FreeBlock(plain);
  return 0;
}
