/* Resource and control identifiers shared by the player, its .rc file and
   the authoring tool. Plain C macros so that windres reads them too. */
#ifndef TRIVO_RESOURCE_IDS_H
#define TRIVO_RESOURCE_IDS_H

/* Dialog templates, cursor and icons. */
#define IDD_QUESTION_PANE 1001
#define IDD_HEADER_STRIP 1002
#define IDC_LINK_CURSOR 1003
#define IDI_PLAY_CLIP 1004
#define IDI_STOP_CLIP 1005

/* Encoded quiz content: resource type "PATCH". */
#define QUIZ_RESOURCE_TYPE "PATCH"
#define IDR_QUIZ_TEXT 104
#define IDR_SCORE_CODES 105

/* Pictures and clips: resource type "IMG" (PNG as RT_RCDATA, same ids). */
#define PICTURE_RESOURCE_TYPE "IMG"
#define QUESTION_MEDIA_BASE 400   /* + question number */
#define ANSWER_PICTURE_BASE 10400 /* + question number, nibbles exchanged */

/* Main window. */
#define ID_FOOTER 8000

/* Header strip controls. */
#define ID_HEADER_LINK 24
#define ID_HEADER_BY 25
#define ID_HEADER_CREATOR 26
#define ID_HEADER_SAVE 27
#define ID_HEADER_EXPLANATION 28
#define ID_HEADER_TITLE 29
#define ID_HEADER_CODE 30
#define ID_HEADER_CODE_LABEL 31
#define ID_HEADER_SCORE 32
#define ID_HEADER_HIDE 33
#define ID_HEADER_RULE_SCORE 120
#define ID_HEADER_RULE_LEFT 121
#define ID_HEADER_RULE_RIGHT 122

/* Question pane controls (q question number, f answer-field number). */
#define ID_ANSWER_LABEL 156
#define ID_NUMBER_LABEL_BASE 2000 /* text quiz: 2000 for all; else 2000 + q */
#define ID_QUESTION_TEXT 3000
#define ID_ANSWER_FIELD_BASE 4000 /* + f */
#define ID_STATUS_FIELD_BASE 5000 /* + f */
#define ID_PLAY_BUTTON_BASE 6000  /* + q */
#define ID_STOP_BUTTON_BASE 7000  /* + q */
#define ID_COMMENT_BASE 8000      /* + q */
#define ID_PICTURE_BASE 9900      /* + q: picture or player host */

#endif
