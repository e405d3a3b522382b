// Writers of the shipped file formats: 24-bit BMP, ICO, PNG, 16-bit PCM WAV.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/assets/canvas.h"

// A 24-bit uncompressed bottom-up bitmap. Pixels less than half covered become pure black,
// the game's transparent colour; every other pixel is kept off pure black.
bool writeBmp(const std::string& path, const Canvas& image);
// An icon file with one 32-bit image (alpha and AND mask) per canvas, in the order given.
bool writeIco(const std::string& path, const std::vector<Canvas>& images);
// A 32-bit RGBA PNG with straight alpha: the same bytes per pixel as the icon file's images.
bool writePng(const std::string& path, const Canvas& image);
// A mono 16-bit PCM wave file.
bool writeWav(const std::string& path, const std::vector<int16_t>& samples, int sampleRate);
bool writeText(const std::string& path, const std::string& text);
