#include "tool/starter_quiz.h"

std::string StarterQuizSource() {
  return R"(# Quiz source for trivo. Build it with:  trivo build quiz.toml -o quiz.exe
# Texts are UTF-8 here and become Windows-1252 in the player: accented
# French letters are fine, emoji are not. No text may hold '|' or a line break.

title = "Mon premier trivo"          # window caption and header title
creator = "Votre nom"                # shown after "Par :"
explanation = "Tapez vos réponses puis Entrée."   # one line in the header
answer_label1 = "Réponse"            # beside the first answer field (two answers, picture/audio/video)
answer_label2 = "Détail"             # beside the second answer field

kind = "text"                        # text, picture, audio or video
answers_per_question = 1             # 1 or 2
reveal = "none"                      # none, picture, comment, comment-and-picture, all-comments
background = "#7377A6"               # #RRGGBB
link = "https://example.org"         # at most 24 characters
footer = "Bonne chance !"            # at most 42 characters

# One code per score, from 1 to the number of questions.
codes = ["DEBUT", "PRESQUE", "GAGNE"]

[[question]]
text = "Capitale de l'Italie ?"
answer = "Rome"
# picture = "images/q1.jpg"          # picture quiz: JPEG, GIF, BMP or PNG
# answer_picture = "images/r1.jpg"   # shown once answered (reveal picture modes)
# clip = "sons/q1.mp3"               # audio or video quiz
# comment = "..."                    # reveal comment modes

[[question]]
text = "Plus long fleuve de France ?"
answer = "La Loire"

[[question]]
text = "Auteur des Misérables ?"
answer = "Victor Hugo"
)";
}
