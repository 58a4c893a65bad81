// The closest known command to a mistyped one, for "trivo biuld".
#pragma once

#include <string>
#include <vector>

// The command nearest to `typed` by edit distance, or "" when none is near
// enough to be what was meant (more than a third of its letters wrong).
std::string ClosestCommand(const std::string& typed, const std::vector<std::string>& commands);
