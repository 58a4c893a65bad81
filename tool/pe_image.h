// Rewriting the resources of a Windows executable (PE32 or PE32+) without
// any Windows API, so quiz executables can be made anywhere. Reading them is
// content/pe_reader.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "content/pe_reader.h"

// Lays out a new resource section holding exactly `resources`, puts it in
// place of the old one when that is the last thing in the file or else
// appends it as a new section, and fixes the data directory, the section
// count, SizeOfImage, SizeOfInitializedData and the checksum.
PeError WriteResources(PeImage* image, const std::vector<ResourceEntry>& resources);

uint32_t ComputePeChecksum(const std::vector<uint8_t>& bytes, uint32_t checksumOffset);
// The problems a loader would find in the headers, the section table, the
// resource tree and the checksum; empty when the image is consistent.
std::vector<std::string> CheckPeStructure(const std::vector<uint8_t>& bytes);

// Replaces the entry of that type and name (keeping its language) or adds it.
void PutResourceEntry(std::vector<ResourceEntry>* resources, const ResourceName& type,
                      const ResourceName& name, std::vector<uint8_t> data);
