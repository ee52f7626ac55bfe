// Test support: a picture of the whole screen, read pixel by pixel and saved as a BMP file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/wine_test.h"

namespace korval_test {

// The header of a 32-bit top-down bitmap, as the screen copy and the BMP file both use it.
inline BITMAPINFOHEADER TopDownHeader(int width, int height) {
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = -height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    return info;
}

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;  // 0x00RRGGBB, top row first

    DWORD At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

    void Save(const std::string& path) const {
        BITMAPINFOHEADER info = TopDownHeader(width, height);
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size() * sizeof(DWORD));
        WriteBytes(path, std::string(reinterpret_cast<const char*>(&file), sizeof file) +
                             std::string(reinterpret_cast<const char*>(&info), sizeof info) +
                             std::string(reinterpret_cast<const char*>(pixels.data()), pixels.size() * sizeof(DWORD)));
    }
};

// Copies the screen as it is now.
inline Screenshot CaptureScreen() {
    Screenshot shot;
    shot.width = GetSystemMetrics(SM_CXSCREEN);
    shot.height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = TopDownHeader(shot.width, shot.height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD* source = static_cast<const DWORD*>(bits);
    shot.pixels.assign(source, source + static_cast<size_t>(shot.width) * shot.height);
    for (DWORD& pixel : shot.pixels) pixel &= 0x00FFFFFF;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

}  // namespace korval_test
