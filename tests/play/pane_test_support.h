// A real question pane in a real parent window, with the header strip it
// writes the score into, for the play tests that run under Wine.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "content/quiz_document.h"

struct QuizOutline {
  MediaKind kind = MediaText;
  int questions = 2;
  int answers = 1;
  RevealMode reveal = RevealNone;
};

class PaneTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A fresh document: question q expects "ANSWER<q>" (and "SECOND<q>"), its
  // comment is "comment <q>", its code "code <q>".
  QuizDocument& MakeQuiz(const QuizOutline& outline);
  void BuildPane(int width = 980, int height = 600);
  void DestroyPane();
  // Resizes the pane so that its client area is width x height.
  void SetClientSize(int width, int height);

  HWND Control(int id) const { return GetDlgItem(pane, id); }
  // The control's rectangle in the pane's client coordinates.
  RECT Rect(int id) const;
  std::string Text(int id) const;
  std::string HeaderText(int id) const;
  // Types text into answer field id and judges it as focus loss would.
  void Answer(int id, const std::string& text);
  void PumpMessages();
  int VerticalPosition() const;
  int HorizontalPosition() const;

  std::string AnswersPath() const;
  void WriteAnswers(const std::string& bytes) const;
  std::string ReadAnswers() const;

  std::unique_ptr<QuizDocument> doc;
  HWND parent = nullptr;
  HWND header = nullptr;
  HWND pane = nullptr;
};

std::string ReadWholeFile(const std::string& path);
