// The authoring page's "Download quiz.html": the one-file page of the quiz
// executable it built, made by the tool's own function (tool/quiz_page.h)
// from the page template the site serves beside the core
// (core/quiz-page-template.html), so the page gets the very bytes
// `trivo html` writes for the same quiz; and its "Download for a learning
// platform", that page packed as `trivo build --scorm` packs it.
#include <string>
#include <vector>

#include "tool/quiz_page.h"
#include "tool/scorm_package.h"
#include "web/core/web_draft.h"
#include "web/core/web_result.h"

namespace {

std::string ErrorJson(const std::string& message) {
  return "{\"ok\":false,\"error\":" + JsonString(message) + "}";
}

}  // namespace

extern "C" {

// The page as the result (1), or {"ok": false, "error"} (0).
int WebQuizPage(const uint8_t* exe, size_t exeSize, const char* pageTemplate, size_t templateSize) {
  std::string page, error;
  const std::vector<uint8_t> bytes =
      exe != nullptr ? std::vector<uint8_t>(exe, exe + exeSize) : std::vector<uint8_t>();
  const std::string text = pageTemplate != nullptr ? std::string(pageTemplate, templateSize) : std::string();
  if (!MakeQuizPage(bytes, text, &page, &error)) {
    return FinishCall(ErrorJson(error), 0);
  }
  return FinishCall(std::move(page), 1);
}

// As `trivo build --scorm 1.2|2004 PATH` (version 12 or 2004) for the draft
// source at `sourcePath`, with its own pass mark: the package's bytes and 1,
// or 0 with {"ok": false, ...} as WebBuildSource words it.
int WebBuildScorm(const char* sourcePath, int version, const char* pageTemplate, size_t templateSize) {
  return Guarded([&]() {
    if (version != 12 && version != 2004) {
      return FinishCall(ErrorJson("the SCORM version is 1.2 or 2004"), 0);
    }
    CompiledQuiz quiz;
    std::vector<uint8_t> exe;
    std::string failure, page;
    if (!BuildDraft(sourcePath, &quiz, &exe, &failure)) {
      return FinishCall(failure, 0);
    }
    const std::string text =
        pageTemplate != nullptr ? std::string(pageTemplate, templateSize) : std::string();
    if (!MakeQuizPage(exe, text, &page, &failure)) {
      return FinishCall(ErrorJson(failure), 0);
    }
    std::vector<uint8_t> zip;
    const ZipError error = MakeScormPackage(version == 12 ? ScormVersion::Scorm12 : ScormVersion::Scorm2004,
                                            ScormQuizOf(quiz, -1), page, &zip);
    if (error != ZipError::None) {
      return FinishCall(ErrorJson(ToString(error)), 0);
    }
    return FinishCall(std::string(zip.begin(), zip.end()), 1);
  });
}
}
