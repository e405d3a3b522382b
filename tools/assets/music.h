// BackMusic.wav: a short upbeat tune composed here and synthesised sample by sample.
#pragma once

#include <cstdint>
#include <vector>

constexpr int musicSampleRate = 22050;

// One pass of the loop, mono. Every sound that rings past the end is wrapped to the start,
// so the last sample flows into the first and the loop has no seam.
std::vector<int16_t> composeMusic();
