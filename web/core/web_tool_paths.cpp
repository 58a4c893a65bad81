// The tool's reading paths for the authoring page and the tests: judging as
// `trivo judge`, decoding a PNG as `trivo decode`, unpacking as `trivo
// unpack`. They live in the authoring module only; the play core has none.
#include <string>
#include <vector>

#include "tool/judge_text.h"
#include "tool/picture_check.h"
#include "tool/quiz_build.h"
#include "tool/quiz_source.h"
#include "web/core/web_author.h"
#include "web/core/web_draft.h"
#include "web/core/web_result.h"

namespace {

std::vector<uint8_t> Bytes(const uint8_t* bytes, size_t size) {
  return bytes != nullptr ? std::vector<uint8_t>(bytes, bytes + size) : std::vector<uint8_t>();
}

}  // namespace

extern "C" {

int WebJudge(const char* expectedUtf8, const char* typedUtf8) {
  return Guarded([&] {
    std::string verdict;
    std::string error;
    if (!JudgeUtf8(expectedUtf8 != nullptr ? expectedUtf8 : "", typedUtf8 != nullptr ? typedUtf8 : "",
                   &verdict, &error)) {
      return FinishCall(error, 0);
    }
    return FinishCall(verdict, 1);
  });
}

int WebDecodePng(const uint8_t* bytes, size_t size) {
  return Guarded([&] {
    std::vector<uint8_t> bmp;
    uint32_t errorCode = 0;
    if (!DecodePngToBmp(Bytes(bytes, size), &bmp, &errorCode)) {
      return FinishCall(std::to_string(errorCode), 0);
    }
    return FinishCall(std::string(bmp.begin(), bmp.end()), 1);
  });
}

int WebUnpack(const uint8_t* bytes, size_t size) {
  return Guarded([&] {
    UnpackedQuiz unpacked;
    std::string message;
    if (!UnpackQuizExecutable(Bytes(bytes, size), &unpacked, &message)) {
      return FinishCall("{\"ok\":false,\"error\":" + JsonString(message) + "}", 0);
    }
    std::string out = "{\"ok\":true,\"toml\":" + JsonString(FormatQuizSource(unpacked)) + ",\"media\":[";
    for (size_t i = 0; i < unpacked.media.size(); ++i) {
      std::vector<uint8_t>& media = unpacked.media[i].bytes;
      out += (i > 0 ? "," : "");
      out += "{\"name\":" + JsonString(MediaFileName(unpacked.media[i])) +
             ",\"size\":" + std::to_string(media.size()) +
             ",\"hash\":" + JsonString(Fnv1a64Hex(media.data(), media.size())) + "}";
    }
    return FinishCall(out + "]}", 1);
  });
}
}
