// The TOML library misjudges many characters beyond ASCII when it tests
// them for white space (an unreachable branch in its tables), and follows
// nested tables by recursion; so a quiz source is scanned before it is
// parsed. One scanner splits the document into code, comments, texts and
// line ends, following TOML's four kinds of text (basic "...", literal '...'
// and their multi-line forms); the ASCII copy and the nesting depth both
// read its tokens.
//
// The scanner needs valid UTF-8 (ParseSource checks it first). It stops at
// a character beyond ASCII outside texts and comments, or right after a
// backslash in a basic text, which TOML allows nowhere. Everything else is
// left for the library to judge: an unterminated text ends at its line.
#include "tool/toml_prescan.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "content/text_1252.h"

namespace {

enum class TomlPiece { Code, Comment, TextOpen, Text, TextClose, LineEnd };

struct TomlToken {
  TomlPiece piece = TomlPiece::Code;
  uint32_t codePoint = 0;  // the character of Code, Comment, Text and LineEnd
  bool escaped = false;    // Text: written after a backslash, which goes with it
  bool literal = false;    // TextOpen, Text, TextClose: of a single-quoted text
  bool multiline = false;  // TextOpen, TextClose: """ or '''
  int extraQuotes = 0;     // TextClose, multi-line: quotes before the closing three
};

class TomlScanner {
 public:
  explicit TomlScanner(const std::string& text) : text_(text) {}

  // The next token; false at the end, or when the scanner refuses a
  // character (Refused() then, at Line()).
  bool Next(TomlToken* token);
  int Line() const { return line_; }
  bool Refused() const { return refused_; }

 private:
  enum class State { Normal, Comment, Basic, Literal, MultiBasic, MultiLiteral };

  bool At(size_t pos, const char* token) const { return text_.compare(pos, std::strlen(token), token) == 0; }
  bool IsWide(size_t pos) const {
    return pos < text_.size() && static_cast<unsigned char>(text_[pos]) >= 0x80;
  }
  // Quotes after the closing three of a multi-line text (at most two).
  size_t CloseMultiline(size_t pos, char quote, TomlToken* token);
  size_t InNormal(size_t next, TomlToken* token);
  size_t InBasic(size_t next, TomlToken* token);
  size_t InLiteral(size_t next, TomlToken* token);

  const std::string& text_;
  size_t pos_ = 0;
  int line_ = 1;
  State state_ = State::Normal;
  bool refused_ = false;
};

bool TomlScanner::Next(TomlToken* token) {
  if (refused_ || pos_ >= text_.size()) {
    return false;
  }
  *token = TomlToken();
  size_t next = pos_;
  if (!NextUtf8CodePoint(text_, &next, &token->codePoint)) {
    refused_ = true;
    return false;
  }
  if (token->codePoint == '\n') {
    ++line_;
    if (state_ == State::Comment || state_ == State::Basic || state_ == State::Literal) {
      state_ = State::Normal;
    }
    token->piece = TomlPiece::LineEnd;
  } else if (state_ == State::Normal) {
    next = InNormal(next, token);
  } else if (state_ == State::Comment) {
    token->piece = TomlPiece::Comment;
  } else if (state_ == State::Basic || state_ == State::MultiBasic) {
    next = InBasic(next, token);
  } else {
    next = InLiteral(next, token);
  }
  pos_ = next;
  return !refused_;
}

size_t TomlScanner::CloseMultiline(size_t pos, char quote, TomlToken* token) {
  size_t next = pos + 3;
  while (next < text_.size() && text_[next] == quote && next < pos + 5) {
    ++next;
  }
  token->piece = TomlPiece::TextClose;
  token->multiline = true;
  token->extraQuotes = static_cast<int>(next - pos - 3);
  state_ = State::Normal;
  return next;
}

size_t TomlScanner::InNormal(size_t next, TomlToken* token) {
  const uint32_t c = token->codePoint;
  if (c >= 0x80) {
    refused_ = true;
  } else if (c == '#') {
    token->piece = TomlPiece::Comment;
    state_ = State::Comment;
  } else if (c == '"' || c == '\'') {
    token->piece = TomlPiece::TextOpen;
    token->literal = c == '\'';
    token->multiline = At(pos_, c == '"' ? "\"\"\"" : "'''");
    const State single = token->literal ? State::Literal : State::Basic;
    const State multi = token->literal ? State::MultiLiteral : State::MultiBasic;
    state_ = token->multiline ? multi : single;
    return token->multiline ? pos_ + 3 : next;
  }
  return next;
}

size_t TomlScanner::InBasic(size_t next, TomlToken* token) {
  const uint32_t c = token->codePoint;
  token->piece = TomlPiece::Text;
  if (c == '\\') {
    // An escape is kept as written; a backslash at a line end joins lines.
    if (IsWide(next)) {
      refused_ = true;
    } else if (next < text_.size() && text_[next] != '\n') {
      token->escaped = true;
      token->codePoint = static_cast<unsigned char>(text_[next]);
      return next + 1;
    }
  } else if (state_ == State::Basic && c == '"') {
    token->piece = TomlPiece::TextClose;
    state_ = State::Normal;
  } else if (state_ == State::MultiBasic && At(pos_, "\"\"\"")) {
    return CloseMultiline(pos_, '"', token);
  }
  return next;
}

size_t TomlScanner::InLiteral(size_t next, TomlToken* token) {
  token->literal = true;
  token->piece = TomlPiece::Text;
  if (state_ == State::Literal && token->codePoint == '\'') {
    token->piece = TomlPiece::TextClose;
    state_ = State::Normal;
  } else if (state_ == State::MultiLiteral && At(pos_, "'''")) {
    return CloseMultiline(pos_, '\'', token);
  }
  return next;
}

void AppendEscape(uint32_t codePoint, std::string* out) {
  char escape[12];
  if (codePoint < 0x10000) {
    std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(codePoint));
  } else {
    std::snprintf(escape, sizeof escape, "\\U%08X", static_cast<unsigned>(codePoint));
  }
  *out += escape;
}

// Every text comes out double-quoted, so a literal text's backslashes and
// double quotes are escaped; comments keep a '?' for each wide character.
void AppendAscii(const TomlToken& token, std::string* out) {
  const uint32_t c = token.codePoint;
  switch (token.piece) {
    case TomlPiece::Code:
    case TomlPiece::LineEnd:
      out->push_back(static_cast<char>(c));
      break;
    case TomlPiece::Comment:
      out->push_back(c >= 0x80 ? '?' : static_cast<char>(c));
      break;
    case TomlPiece::TextOpen:
      *out += token.multiline ? "\"\"\"" : "\"";
      break;
    case TomlPiece::Text:
      if (c >= 0x80) {
        AppendEscape(c, out);
        break;
      }
      if (token.escaped || (token.literal && (c == '\\' || c == '"'))) {
        out->push_back('\\');
      }
      out->push_back(static_cast<char>(c));
      break;
    case TomlPiece::TextClose:
      if (!token.multiline) {
        out->push_back('"');
      } else if (token.literal) {
        out->append(static_cast<size_t>(token.extraQuotes), '\'');
        *out += "\"\"\"";
      } else {
        out->append(static_cast<size_t>(3 + token.extraQuotes), '"');
      }
      break;
  }
}

// The depth of what the document nests where the scanner stands. Only code
// counts: the dots of a header or key, '=', brackets and braces.
class NestingDepth {
 public:
  // False once something is nested deeper than kMaxTomlDepth.
  bool Take(const TomlToken& token) {
    switch (token.piece) {
      case TomlPiece::LineEnd:
        header_ = false;
        // A multi-line text goes on: the key or value it belongs to does too.
        if (!inMultilineText_) {
          dots_ = 0;
          lineStart_ = open_.empty();
          valueDepth_ = base_;
        }
        return true;
      case TomlPiece::TextOpen:
        inMultilineText_ = token.multiline;
        lineStart_ = lineStart_ && header_;
        return true;
      case TomlPiece::TextClose:
        inMultilineText_ = false;
        return true;
      case TomlPiece::Comment:
        lineStart_ = lineStart_ && header_;
        return true;
      case TomlPiece::Text:
        return true;
      case TomlPiece::Code:
        return header_ ? InHeader(static_cast<char>(token.codePoint))
                       : InCode(static_cast<char>(token.codePoint));
    }
    return true;
  }

 private:
  // [a.b.c] or [[a.b]]: the second bracket of a pair changes nothing.
  bool InHeader(char c) {
    if (c == '.') {
      ++dots_;
    } else if (c == ']') {
      base_ = valueDepth_ = dots_ + 1;
      header_ = false;
      lineStart_ = false;
    }
    return base_ <= kMaxTomlDepth;
  }

  bool InCode(char c) {
    if (c == ' ' || c == '\t' || c == '\r') {
      return true;
    }
    if (c == '[' && lineStart_) {
      header_ = true;
      dots_ = 0;
      return true;
    }
    lineStart_ = false;
    if (c == '.') {
      ++dots_;
    } else if (c == '=') {
      valueDepth_ = base_ + dots_ + 1;
      dots_ = 0;
    } else if (c == '{' || c == '[') {
      open_.push_back(base_);
      base_ = c == '{' ? valueDepth_ : valueDepth_ + 1;
      valueDepth_ = base_;
      dots_ = 0;
    } else if (c == '}' || c == ']' || c == ',') {
      if (c != ',' && !open_.empty()) {
        base_ = open_.back();
        open_.pop_back();
      }
      valueDepth_ = base_;
      dots_ = 0;
    }
    return valueDepth_ <= kMaxTomlDepth && static_cast<int>(open_.size()) <= kMaxTomlDepth;
  }

  int base_ = 0;        // depth of the table the next key goes into
  int valueDepth_ = 0;  // depth of a value starting here
  int dots_ = 0;        // dots of the key being read
  bool lineStart_ = true;
  bool header_ = false;
  bool inMultilineText_ = false;
  std::vector<int> open_;  // `base_` outside each open bracket
};

}  // namespace

int MakeAsciiToml(const std::string& text, std::string* out) {
  out->clear();
  out->reserve(text.size());
  TomlScanner scanner(text);
  TomlToken token;
  while (scanner.Next(&token)) {
    AppendAscii(token, out);
  }
  return scanner.Refused() ? scanner.Line() : 0;
}

int DeepestNestingLine(const std::string& text) {
  TomlScanner scanner(text);
  NestingDepth depth;
  TomlToken token;
  while (scanner.Next(&token)) {
    if (!depth.Take(token)) {
      return scanner.Line();
    }
  }
  return 0;
}
