#include "Picture.h"
#include <cstdio>
#include <cstring>
#include <ole2.h>
#include <olectl.h>

bool IsCutOffBitmapFile(const unsigned char* data, size_t size)
{
    if (size < 2 || data[0] != 'B' || data[1] != 'M') return false;
    const size_t fileHeader = sizeof(BITMAPFILEHEADER);
    if (size < fileHeader + sizeof(BITMAPCOREHEADER)) return true;
    BITMAPFILEHEADER fh;
    memcpy(&fh, data, fileHeader);
    DWORD infoSize;
    memcpy(&infoSize, data + fileHeader, sizeof infoSize);
    if (infoSize < sizeof(BITMAPCOREHEADER) || fileHeader + infoSize > size || fh.bfOffBits > size) return true;
    long long width, height, bits, compression = BI_RGB, imageSize = 0;
    if (infoSize == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER ch;
        memcpy(&ch, data + fileHeader, sizeof ch);
        width = ch.bcWidth;
        height = ch.bcHeight;
        bits = ch.bcBitCount;
    } else {
        if (infoSize < sizeof(BITMAPINFOHEADER)) return true;
        BITMAPINFOHEADER ih;
        memcpy(&ih, data + fileHeader, sizeof ih);
        width = ih.biWidth;
        height = ih.biHeight < 0 ? -static_cast<long long>(ih.biHeight) : ih.biHeight;
        bits = ih.biBitCount;
        compression = ih.biCompression;
        imageSize = ih.biSizeImage;
    }
    long long available = static_cast<long long>(size) - fh.bfOffBits;
    if (compression == BI_RGB || compression == BI_BITFIELDS) {
        long long stride = ((width * bits + 31) / 32) * 4;
        return width <= 0 || height <= 0 || stride * height > available;
    }
    return imageSize > available;
}


HBITMAP LoadPictureFile(const char* path, UINT imageType)
{
    if (!path || !*path) return nullptr;
    FILE* file = fopen(path, "rb");
    if (!file) return nullptr;
    long size = -1;
    if (fseek(file, 0, SEEK_END) == 0) size = ftell(file);
    if (size <= 0 || fseek(file, 0, SEEK_SET) != 0) {
        fclose(file);
        return nullptr;
    }
    HGLOBAL hGlobal = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, static_cast<SIZE_T>(size));
    if (!hGlobal) {
        fclose(file);
        return nullptr;
    }
    size_t read = fread(reinterpret_cast<void*>(hGlobal), 1, static_cast<size_t>(size), file);
    fclose(file);
    if (read != static_cast<size_t>(size) ||
        IsCutOffBitmapFile(reinterpret_cast<const unsigned char*>(hGlobal), static_cast<size_t>(size))) {
        GlobalFree(hGlobal);
        return nullptr;
    }

    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(hGlobal, FALSE, &stream)) || !stream) {
        GlobalFree(hGlobal);
        return nullptr;
    }
    IPicture* picture = nullptr;
    HRESULT hr = OleLoadPicture(stream, size, FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
    stream->Release();
    GlobalFree(hGlobal);
    if (FAILED(hr) || !picture) return nullptr;

    OLE_HANDLE handle = 0;
    picture->get_Handle(&handle);
    // OLE_HANDLE is 32 bits wide; GDI handles are sign-extended on 64-bit Windows.
    HANDLE original = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
    HANDLE copy = original ? CopyImage(original, imageType, 0, 0, LR_COPYRETURNORG) : nullptr;
    // The picture deletes its own handle on release: never hand that one out.
    if (copy == original && original) copy = CopyImage(original, imageType, 0, 0, 0);
    picture->Release();
    return static_cast<HBITMAP>(copy);
}

