#include "tool/quiz_page_command.h"

#include <filesystem>
#include <ostream>

#include "tool/file_io.h"
#include "tool/quiz_page.h"

namespace fs = std::filesystem;

bool WriteQuizPage(const std::vector<uint8_t>& exe, const std::string& output, std::ostream& errors,
                   size_t* size) {
  const std::string pageTemplate = EmbeddedQuizPageTemplate();
  if (pageTemplate.empty()) {
    errors << "this trivo was built without the web page template, which --html and `trivo html` need: "
              "build the web tree (scripts/test-web.sh) and trivo with -DTRIVO_HTML_TEMPLATE\n";
    return false;
  }
  std::string page, reason;
  if (!MakeQuizPage(exe, pageTemplate, &page, &reason)) {
    errors << output << ": cannot make the page: " << reason << "\n";
    return false;
  }
  if (!WriteOutputFile(fs::u8path(output), page.data(), page.size(), &reason)) {
    errors << output << ": cannot write the page: " << reason << "\n";
    return false;
  }
  if (size != nullptr) {
    *size = page.size();
  }
  return true;
}

int RunHtml(const std::string& exePath, std::string output, std::ostream& out, std::ostream& errors) {
  if (output.empty()) {
    output = PathText(fs::u8path(exePath).replace_extension(".html"));
  }
  if (IsSameFile(fs::u8path(output), fs::u8path(exePath))) {
    errors << output << ": the output would replace the quiz executable; choose another output with -o\n";
    return 1;
  }
  std::vector<uint8_t> exe;
  std::string reason;
  if (!ReadInputFile(fs::u8path(exePath), &exe, &reason)) {
    errors << exePath << ": cannot read the quiz executable: " << reason << "\n";
    return 1;
  }
  size_t size = 0;
  if (!WriteQuizPage(exe, output, errors, &size)) {
    return 1;
  }
  out << output << ": " << size << " bytes\n";
  return 0;
}
