// Where the question pane puts its controls, in pixels of its content before
// scrolling. The player builds from these boxes, the relayout folds by them
// and the tool measures authors' texts against them, so a box moved here
// moves everywhere at once.
//
// A text quiz lists its questions one per line. Every other quiz stands in
// rows of three cells: the picture or clip at the cell's top, then the
// answers, whose top is the row's top plus the media block's height.
#pragma once

#include "media/picture_rules.h"

struct PaneBox {
  int x;
  int y;
  int width;
  int height;
};

// The box moved by (dx, dy): a cell's boxes are given from its corner.
constexpr PaneBox Offset(PaneBox box, int dx, int dy) {
  return {box.x + dx, box.y + dy, box.width, box.height};
}

// The first line or row starts this far below the content's top.
constexpr int kPaneFirstTop = 5;
// Added to the content's width after building, for the status fields' right
// edge: two answers per question put their labels left of the first cell.
constexpr int kContentMarginOneAnswer = 20;
constexpr int kContentMarginTwoAnswers = 80;

// A text quiz's line, y below the line's top.
constexpr PaneBox kLineNumber = {26, 2, 19, 17};
constexpr PaneBox kLineQuestion = {50, 0, 550, 20};
constexpr PaneBox kLineAnswerField = {610, 0, 170, 20};
constexpr PaneBox kLineStatusField = {790, 0, 100, 20};
constexpr int kLineStep = 25;
constexpr int kLineContentWidth = 880;

// The grid's cells, left to right.
constexpr int kCellsPerRow = 3;
constexpr int kCellStep = 290;
constexpr int kFirstCellLeftOneAnswer = 46;
constexpr int kFirstCellLeftTwoAnswers = 106;  // room for the answer labels
constexpr int kGridContentWidth = 890;

constexpr int CellLeft(int answersPerQuestion, int column) {
  return (answersPerQuestion == 2 ? kFirstCellLeftTwoAnswers : kFirstCellLeftOneAnswer) + kCellStep * column;
}

// The media block, from the cell's left and the row's top. A picture stands
// centred in the picture box, as high as the row's tallest; an audio clip's
// host is an invisible 0 x 0 window and takes no room.
constexpr PaneBox kVideoHost = {0, 0, 260, 200};
constexpr int kMediaGap = 10;  // between a picture or video and the answers

// From the cell's left and the answers' top.
constexpr PaneBox kCellNumber = {-28, 2, 27, 17};  // right-aligned, ends left of the cell
constexpr PaneBox kCellComment = {0, 46, 260, 65};
constexpr PaneBox kPlayButton = {0, 0, 20, 20};
constexpr PaneBox kStopButton = {0, 20, 20, 19};

// Left of a row's first cell, from the pane's left and the answers' top.
constexpr PaneBox kAnswerLabel1 = {4, 2, 95, 20};
constexpr PaneBox kAnswerLabel2 = {3, 22, 95, 20};

// Below the answers' top, the next row starts after room for the fields,
// or for the comment when the quiz reveals one.
constexpr int kRowGap = 60;
constexpr int kRowGapWithComment = 140;

// A cell's k-th answer field (k = 1 or 2) and its status field, from the
// cell's left and the answers' top. Stacked fields overlap by a pixel so
// their borders merge; a clip's fields leave room for its buttons.
struct CellFieldBoxes {
  PaneBox answer;
  PaneBox status;
};
constexpr int kFieldHeight = 20;
constexpr int kFieldStep = 19;
constexpr int kClipFieldWidth = 240;
constexpr int kSideStatusWidth = 60;

constexpr CellFieldBoxes CellFields(bool picture, int answersPerQuestion, int k) {
  const int left = picture ? 0 : kPlayButton.width;
  const int width = picture ? kPictureBox : kClipFieldWidth;
  if (answersPerQuestion == 1) {
    return {{left, 0, width, kFieldHeight}, {left, kFieldStep, width, kFieldHeight}};
  }
  const int top = kFieldStep * (k - 1);
  const int statusLeft = left + width - kSideStatusWidth;
  return {{left, top, width - kSideStatusWidth + 1, kFieldHeight},
          {statusLeft, top, kSideStatusWidth, kFieldHeight}};
}
