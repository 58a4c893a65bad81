// SHA-256 (FIPS 180-4): the checksum `trivo --version` prints for the
// template (the figure `sha256sum` gives) and the key under which the web
// player keeps a quiz's answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Lower-case hexadecimal digest of the bytes.
std::string Sha256Hex(const uint8_t* data, size_t size);
