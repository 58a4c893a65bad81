// SHA-256 (FIPS 180-4), for the checksum `trivo --version` prints: the same
// figure `sha256sum` gives for the template file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Lower-case hexadecimal digest of the bytes.
std::string Sha256Hex(const uint8_t* data, size_t size);
