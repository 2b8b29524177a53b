// Photographs a top-level window into a 24-bit .bmp file.
#include "sheet/WindowPicture.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace tw::sheet {
namespace {

/// Rows of a 24-bit bitmap are padded to four bytes.
int rowBytes(int width) { return (width * 3 + 3) & ~3; }

bool writeBitmap(const std::wstring& path, int width, int height, const std::vector<uint8_t>& pixels) {
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(pixels.size());
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (out == nullptr) return false;
    const bool written = fwrite(&file, sizeof file, 1, out) == 1 && fwrite(&info, sizeof info, 1, out) == 1 &&
                         fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    return fclose(out) == 0 && written;
}

bool allOneColour(const std::vector<uint8_t>& pixels, int width, int height) {
    const int stride = rowBytes(width);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * 3; ++x)
            if (pixels[static_cast<size_t>(y * stride + x)] != pixels[static_cast<size_t>(x % 3)]) return false;
    return true;
}

}  // namespace

Picture saveWindowPicture(HWND window, const std::wstring& path) {
    Picture picture;
    RECT frame{};
    if (!IsWindow(window) || !GetWindowRect(window, &frame)) {
        picture.problem = "the window is gone";
        return picture;
    }
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0) {
        picture.problem = "the window has no size";
        return picture;
    }
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();

    HDC source = GetWindowDC(window);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as a .bmp file stores its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (source == nullptr || memory == nullptr || bitmap == nullptr || bits == nullptr) {
        picture.problem = "cannot make a bitmap for the window";
    } else {
        const HGDIOBJ previous = SelectObject(memory, bitmap);
        bool copied = BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY) != FALSE;
        GdiFlush();
        const auto* first = static_cast<const uint8_t*>(bits);
        const size_t size = static_cast<size_t>(rowBytes(width)) * static_cast<size_t>(height);
        // A window whose surface cannot be read is asked to draw itself into the bitmap instead.
        if (!copied || allOneColour(std::vector<uint8_t>(first, first + size), width, height)) {
            if (PrintWindow(window, memory, 0)) copied = true;
            GdiFlush();
        }
        SelectObject(memory, previous);
        if (!copied) {
            picture.problem = "cannot copy the window's pixels";
        } else {
            const std::vector<uint8_t> pixels(first, first + size);
            picture.saved = writeBitmap(path, width, height, pixels);
            if (!picture.saved) picture.problem = "cannot write the picture file";
            else if (allOneColour(pixels, width, height)) picture.problem = "the picture is all one colour";
        }
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (memory != nullptr) DeleteDC(memory);
    if (source != nullptr) ReleaseDC(window, source);
    return picture;
}

}  // namespace tw::sheet
