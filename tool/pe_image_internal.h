// The writer's planning step on its own, so sizes far beyond memory can be
// tried without buffers; only the writer and its tests use it.
#pragma once

#include <cstdint>
#include <vector>

#include "content/pe_reader.h"

// Bytes of the resource section that would hold `resources` with these data
// sizes (the entries' own data is not looked at), and whether that section
// fits a 32-bit image at `sectionRva`. WriteResources makes this plan before
// any buffer.
bool PlanResourceSection(const std::vector<ResourceEntry>& resources, const std::vector<uint64_t>& dataSizes,
                         uint32_t sectionRva, uint32_t sectionAlignment, uint64_t* size);
