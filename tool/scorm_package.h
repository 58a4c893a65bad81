// A quiz as a SCORM package for learning platforms: a ZIP holding
// imsmanifest.xml (one SCO, the quiz's title, its pass mark) and the quiz's
// one-file page as the launch file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tool/quiz_source.h"
#include "tool/zip_writer.h"

enum class ScormVersion { Scorm12, Scorm2004 };

// The launch file's name inside the package.
constexpr const char* kScormLaunchFile = "quiz.html";

// "1.2" or "2004"; false for anything else.
bool ParseScormVersion(const std::string& text, ScormVersion* version);

struct ScormQuiz {
  std::string titleCp1252;  // as the quiz carries it
  int questionCount = 0;
  int passScore = 0;  // percent of the questions, 0..100
};

// What a package says of a compiled quiz: its title, the questions the player
// plays of it, and the pass mark, `passScoreOverride` when 0 or more, else the
// source's. `trivo build --scorm`, `trivo scorm` and the authoring page all
// pack through it, so their packages agree.
ScormQuiz ScormQuizOf(const CompiledQuiz& quiz, int passScoreOverride);

// The questions a learner must get right to reach the pass mark: SCORM 1.2
// compares its mastery score with the raw score, which the page reports in
// questions.
int PassQuestions(const ScormQuiz& quiz);

std::string ScormManifest(ScormVersion version, const ScormQuiz& quiz);
// The page with what it reports against, at the top of its head: the pass
// mark (<meta name="trivo-pass-score" content="N">) and the SCORM version
// (<meta name="trivo-scorm" content="1.2">), whose run-time the page looks
// for first, since some platforms offer both.
std::string PageForPackage(const std::string& html, ScormVersion version, int passScore);
ZipError MakeScormPackage(ScormVersion version, const ScormQuiz& quiz, const std::string& pageHtml,
                          std::vector<uint8_t>* zip);
