// The commented starter quiz that `trivo new` writes.
#pragma once

#include <string>

std::string StarterQuizSource();
