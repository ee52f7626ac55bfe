// Test support: a picture of the whole screen, read pixel by pixel and saved as a BMP file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace korval_test {

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;  // 0x00RRGGBB, top row first

    DWORD At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

    // Writes a 32-bit top-down BMP file; returns false when the file cannot be written.
    bool Save(const std::string& path) const {
        BITMAPFILEHEADER file = {};
        BITMAPINFOHEADER info = {};
        info.biSize = sizeof info;
        info.biWidth = width;
        info.biHeight = -height;
        info.biPlanes = 1;
        info.biBitCount = 32;
        info.biCompression = BI_RGB;
        DWORD bytes = static_cast<DWORD>(pixels.size() * sizeof(DWORD));
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = file.bfOffBits + bytes;
        HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
        if (handle == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        bool ok = WriteFile(handle, &file, sizeof file, &written, nullptr) &&
                  WriteFile(handle, &info, sizeof info, &written, nullptr) &&
                  WriteFile(handle, pixels.data(), bytes, &written, nullptr);
        CloseHandle(handle);
        return ok;
    }
};

// Copies the screen as it is now.
inline Screenshot CaptureScreen() {
    Screenshot shot;
    shot.width = GetSystemMetrics(SM_CXSCREEN);
    shot.height = GetSystemMetrics(SM_CYSCREEN);
    shot.pixels.resize(static_cast<size_t>(shot.width) * shot.height);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD* source = static_cast<const DWORD*>(bits);
    for (size_t i = 0; i < shot.pixels.size(); ++i) shot.pixels[i] = source[i] & 0x00FFFFFF;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

// A screenshot is kept for a person to look at when KORVAL_SCREENSHOTS names a folder.
inline void KeepScreenshot(const Screenshot& shot, const std::string& name) {
    char folder[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("KORVAL_SCREENSHOTS", folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    shot.Save(std::string(folder) + "\\" + name);
}

}  // namespace korval_test
