#include "web/core/web_result.h"

#include <cstdio>
#include <utility>

std::string& ResultBuffer() {
  static std::string buffer;
  return buffer;
}

int FinishCall(std::string text, int code) {
  ResultBuffer() = std::move(text);
  return code;
}

void JsonQuote(std::string& out, const std::string& utf8) {
  out += '"';
  for (unsigned char c : utf8) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
}

std::string JsonString(const std::string& utf8) {
  std::string out;
  JsonQuote(out, utf8);
  return out;
}

std::string JsonBool(bool value) {
  return value ? "true" : "false";
}

std::string Fnv1a64Hex(const uint8_t* bytes, size_t size) {
  uint64_t h = 14695981039346656037ull;
  for (size_t i = 0; i < size; ++i) {
    h = (h ^ bytes[i]) * 1099511628211ull;
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
  return hex;
}
