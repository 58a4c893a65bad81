// What the authoring page's calls share beyond web_author.cpp: a draft built
// as `trivo build` builds it, and the guard that turns a failure inside a
// call into an error for the page.
#pragma once

#include <cstdint>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "tool/quiz_source.h"
#include "web/core/web_result.h"

// The draft source at `path` compiled and built with the module's player
// template, as WebBuildSource builds it; false with the call's JSON result
// ({"ok": false, "diagnostics"} or {"ok": false, "error"}) in *failure.
bool BuildDraft(const char* path, CompiledQuiz* quiz, std::vector<uint8_t>* executable, std::string* failure);

// Runs one call; whatever goes wrong inside (memory, the file system) comes
// back to the page as {"ok": false, "error"}, never as a trap.
template <typename Call>
int Guarded(Call call) {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    return FinishCall("{\"ok\":false,\"error\":\"out of memory\"}", 0);
  } catch (const std::exception& error) {
    return FinishCall("{\"ok\":false,\"error\":" + JsonString(error.what()) + "}", 0);
  }
}
