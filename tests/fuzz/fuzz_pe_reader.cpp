// Fuzzes what `trivo unpack` does with an executable it is given: parse the
// headers, read the resource tree, find and decode the quiz; and, for images
// that parse, rewrite the resources and check the result's structure.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tool/pe_image.h"
#include "tool/quiz_build.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  UnpackedQuiz unpacked;
  std::string message;
  if (!UnpackQuizExecutable(bytes, &unpacked, &message) && message.empty()) {
    __builtin_trap();  // every refusal says why
  }
  PeImage image;
  std::vector<ResourceEntry> resources;
  if (ParsePeImage(bytes, &image) == PeError::None && ReadResources(image, &resources) == PeError::None) {
    CheckPeStructure(image.bytes);
    if (WriteResources(&image, resources) == PeError::None) {
      // What was written must read back, and a second rewrite changes
      // nothing more (the first one may merge duplicate entries).
      std::vector<ResourceEntry> back;
      PeImage rewritten;
      if (ParsePeImage(image.bytes, &rewritten) != PeError::None ||
          ReadResources(rewritten, &back) != PeError::None || back.size() > resources.size() ||
          WriteResources(&rewritten, back) != PeError::None) {
        __builtin_trap();
      }
      std::vector<ResourceEntry> again;
      PeImage second;
      if (ParsePeImage(rewritten.bytes, &second) != PeError::None ||
          ReadResources(second, &again) != PeError::None || again.size() != back.size()) {
        __builtin_trap();
      }
    }
  }
  return 0;
}
