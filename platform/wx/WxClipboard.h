#pragma once
#include <cstdint>
#include <vector>

// Puts a 24-bit bitmap (platform/Dib.h) on the system clipboard. GTK
// applications take images as PNG, so it goes there as an image of the same
// pixels, and beside that as its own bytes behind a BMP file header
// (image/bmp). False, and the clipboard untouched, when the bytes are no
// such bitmap or the clipboard could not be opened or set.
bool PutDibOnClipboard(const std::vector<std::uint8_t>& dib);
