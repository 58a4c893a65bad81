// The authoring page's "Download quiz.html": the one-file page of the quiz
// executable it built, made by the tool's own function (tool/quiz_page.h)
// from the page template the site serves beside the core
// (core/quiz-page-template.html), so the page gets the very bytes
// `trivo html` writes for the same quiz.
#include <string>
#include <vector>

#include "tool/quiz_page.h"
#include "web/core/web_result.h"

extern "C" {

// The page as the result (1), or {"ok": false, "error"} (0).
int WebQuizPage(const uint8_t* exe, size_t exeSize, const char* pageTemplate, size_t templateSize) {
  std::string page, error;
  const std::vector<uint8_t> bytes =
      exe != nullptr ? std::vector<uint8_t>(exe, exe + exeSize) : std::vector<uint8_t>();
  const std::string text = pageTemplate != nullptr ? std::string(pageTemplate, templateSize) : std::string();
  if (!MakeQuizPage(bytes, text, &page, &error)) {
    return FinishCall("{\"ok\":false,\"error\":" + JsonString(error) + "}", 0);
  }
  return FinishCall(std::move(page), 1);
}
}
