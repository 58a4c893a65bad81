// `trivo play QUIZ.exe`: plays a quiz executable. On Linux it runs under
// Wine with a prefix of its own in the user's cache folder; on Windows the
// executable is simply started.
#pragma once

#include <ostream>
#include <string>

// Exit code of the tool: 0 when the quiz ran, 1 when it could not be run
// (the reason written to `err`).
int PlayQuizExecutable(const std::string& exePath, std::ostream& out, std::ostream& err);

// The Wine prefix `trivo play` uses: $XDG_CACHE_HOME/trivo/wine, else
// $HOME/.cache/trivo/wine; "" when neither is set.
std::string PlayWinePrefix(const char* xdgCacheHome, const char* home);

// What to tell a user who has no Wine.
std::string WineMissingMessage();
