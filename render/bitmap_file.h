// Bitmap files: a 24-bit bottom-up bitmap read whole into one block.
#pragma once

#include "base/dib_image.h"

// Reads a 24-bit bottom-up bitmap file whole into one zero-filled block. A file that is
// missing or breaks the format rules gives an empty DibImage (drawn as nothing) and one line
// on stderr naming the file and the reason.
DibImage loadDib(const char* resolvedPath);

// Frees the block of image and empties it; an empty image is left alone.
void releaseDib(DibImage& image);
