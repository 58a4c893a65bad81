// SCORM packages (IMS Content Packaging 1.1 as SCORM 1.2 and SCORM 2004 4th
// Edition profile it). The manifest names one organisation with one item,
// the quiz, launched as one SCO from quiz.html; nothing else is needed in the
// package, so none of the schema files are carried.
//
// The pass mark goes where each version's platforms look for it: SCORM 1.2's
// adlcp:masteryscore (compared with cmi.core.score.raw, which the page
// reports in questions, so it is written in questions too), and SCORM 2004's
// primary objective, satisfied by a normalised measure (cmi.score.scaled,
// right questions over questions) of at least pass_score / 100.
#include "tool/scorm_package.h"

#include <algorithm>
#include <cstdio>

#include "content/text_1252.h"

namespace {

// Titles in the manifest: XML text, UTF-8, and within the 200 characters
// SCORM 2004's schema allows.
constexpr size_t kMaxTitleCharacters = 200;

std::string XmlText(const std::string& cp1252) {
  std::string out;
  const std::string utf8 = Cp1252ToUtf8(cp1252.substr(0, kMaxTitleCharacters));
  for (char c : utf8) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        // Control characters other than tab and line ends are not XML.
        out += static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r' ? ' ' : c;
    }
  }
  return out.empty() ? "Quiz" : out;
}

std::string Resources(const char* scormTypeAttribute) {
  return std::string("  <resources>\n    <resource identifier=\"trivo-sco\" type=\"webcontent\" ") +
         scormTypeAttribute + "=\"sco\" href=\"" + kScormLaunchFile + "\">\n      <file href=\"" +
         kScormLaunchFile + "\"/>\n    </resource>\n  </resources>\n</manifest>\n";
}

// The one organisation with the quiz as its one item; `itemExtra` is what
// each version adds to the item (its pass mark).
std::string Organization(const std::string& title, const std::string& itemExtra) {
  return "  <organizations default=\"trivo-organization\">\n"
         "    <organization identifier=\"trivo-organization\">\n"
         "      <title>" +
         title +
         "</title>\n"
         "      <item identifier=\"trivo-item\" identifierref=\"trivo-sco\">\n"
         "        <title>" +
         title + "</title>\n" + itemExtra + "      </item>\n    </organization>\n  </organizations>\n";
}

// What both versions' manifests open with: the root element with the
// version's namespaces (`namespaces`, one attribute a line) and schema
// locations, then the metadata naming the version.
std::string ManifestOpening(const std::string& namespaces, const std::string& schemaLocation,
                            const std::string& schemaVersion) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<manifest identifier=\"trivo-quiz\" version=\"1.0\"\n" +
         namespaces +
         "  xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
         "  xsi:schemaLocation=\"" +
         schemaLocation +
         "\">\n"
         "  <metadata>\n    <schema>ADL SCORM</schema>\n    <schemaversion>" +
         schemaVersion + "</schemaversion>\n  </metadata>\n";
}

std::string Manifest12(const ScormQuiz& quiz, const std::string& title) {
  return ManifestOpening(
             "  xmlns=\"http://www.imsproject.org/xsd/imscp_rootv1p1p2\"\n"
             "  xmlns:adlcp=\"http://www.adlnet.org/xsd/adlcp_rootv1p2\"\n",
             "http://www.imsproject.org/xsd/imscp_rootv1p1p2 imscp_rootv1p1p2.xsd "
             "http://www.adlnet.org/xsd/adlcp_rootv1p2 adlcp_rootv1p2.xsd",
             "1.2") +
         Organization(title, "        <adlcp:masteryscore>" + std::to_string(PassQuestions(quiz)) +
                                 "</adlcp:masteryscore>\n") +
         Resources("adlcp:scormtype");
}

std::string Measure(int passScore) {
  char text[16];
  std::snprintf(text, sizeof text, "%d.%02d", passScore / 100, passScore % 100);
  return text;
}

std::string Manifest2004(const ScormQuiz& quiz, const std::string& title) {
  return ManifestOpening(
             "  xmlns=\"http://www.imsglobal.org/xsd/imscp_v1p1\"\n"
             "  xmlns:adlcp=\"http://www.adlnet.org/xsd/adlcp_v1p3\"\n"
             "  xmlns:imsss=\"http://www.imsglobal.org/xsd/imsss\"\n",
             "http://www.imsglobal.org/xsd/imscp_v1p1 imscp_v1p1.xsd "
             "http://www.adlnet.org/xsd/adlcp_v1p3 adlcp_v1p3.xsd http://www.imsglobal.org/xsd/imsss "
             "imsss_v1p0.xsd",
             "2004 4th Edition") +
         Organization(
             title,
             "        <imsss:sequencing>\n          <imsss:objectives>\n"
             "            <imsss:primaryObjective objectiveID=\"trivo-pass\" satisfiedByMeasure=\"true\">\n"
             "              <imsss:minNormalizedMeasure>" +
                 Measure(quiz.passScore) +
                 "</imsss:minNormalizedMeasure>\n"
                 "            </imsss:primaryObjective>\n          </imsss:objectives>\n"
                 "        </imsss:sequencing>\n") +
         Resources("adlcp:scormType");
}

}  // namespace

bool ParseScormVersion(const std::string& text, ScormVersion* version) {
  if (text == "1.2" || text == "2004") {
    *version = text == "1.2" ? ScormVersion::Scorm12 : ScormVersion::Scorm2004;
    return true;
  }
  return false;
}

int PassQuestions(const ScormQuiz& quiz) {
  return (quiz.passScore * quiz.questionCount + 99) / 100;
}

std::string ScormManifest(ScormVersion version, const ScormQuiz& quiz) {
  const std::string title = XmlText(quiz.titleCp1252);
  return version == ScormVersion::Scorm12 ? Manifest12(quiz, title) : Manifest2004(quiz, title);
}

std::string PageForPackage(const std::string& html, ScormVersion version, int passScore) {
  const std::string metas = std::string("<meta name=\"trivo-scorm\" content=\"") +
                            (version == ScormVersion::Scorm12 ? "1.2" : "2004") +
                            "\">\n<meta name=\"trivo-pass-score\" content=\"" + std::to_string(passScore) +
                            "\">";
  const size_t head = html.find("<head>");
  if (head == std::string::npos) {
    return metas + "\n" + html;
  }
  return html.substr(0, head + 6) + "\n" + metas + html.substr(head + 6);
}

ZipError MakeScormPackage(ScormVersion version, const ScormQuiz& quiz, const std::string& pageHtml,
                          std::vector<uint8_t>* zip) {
  const std::string manifest = ScormManifest(version, quiz);
  const std::string page = PageForPackage(pageHtml, version, quiz.passScore);
  const std::vector<ZipEntry> entries = {
      {"imsmanifest.xml", std::vector<uint8_t>(manifest.begin(), manifest.end())},
      {kScormLaunchFile, std::vector<uint8_t>(page.begin(), page.end())},
  };
  return WriteZip(entries, zip);
}

ScormQuiz ScormQuizOf(const CompiledQuiz& quiz, int passScoreOverride) {
  return {quiz.quiz.title, static_cast<int>(std::min<size_t>(quiz.quiz.questions.size(), kMaxQuizQuestions)),
          passScoreOverride >= 0 ? passScoreOverride : quiz.passScore};
}
