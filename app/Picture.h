// The package's splash pictures: checking a picture file's bytes and loading it into a
// bitmap through the system's picture loader. The splash window only shows the bitmap.
#pragma once
#include <windows.h>
#include <cstddef>

// True when data is a BMP file ("BM") whose headers promise more than it holds: a header
// cut short, pixel data past the end, no width or height. Some picture loaders read past
// the end of such a file instead of rejecting it. Other formats are left to the loader.
bool IsCutOffBitmapFile(const unsigned char* data, size_t size);

// Loads a picture file (BMP, JPEG, GIF: whatever the system's picture loader reads) and
// returns a copy of its bitmap, or null. The caller owns the handle.
HBITMAP LoadPictureFile(const char* path, UINT imageType = IMAGE_BITMAP);
