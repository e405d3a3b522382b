// The portable handles are the Windows handles themselves, only typed apart for the game.
#pragma once

#include <windows.h>

#include "platform/platform.h"

inline HWND nativeWindow(WindowHandle window) { return reinterpret_cast<HWND>(window); }
inline WindowHandle portableWindow(HWND window) { return reinterpret_cast<WindowHandle>(window); }
inline HDC nativeDC(DeviceContext dc) { return reinterpret_cast<HDC>(dc); }
inline DeviceContext portableDC(HDC dc) { return reinterpret_cast<DeviceContext>(dc); }
inline HFONT nativeFont(FontHandle font) { return reinterpret_cast<HFONT>(font); }
inline FontHandle portableFont(HGDIOBJ font) { return reinterpret_cast<FontHandle>(font); }
inline HBITMAP nativeBitmap(BitmapHandle bitmap) { return reinterpret_cast<HBITMAP>(bitmap); }
inline BitmapHandle portableBitmap(HGDIOBJ bitmap) {
    return reinterpret_cast<BitmapHandle>(bitmap);
}
inline InstanceHandle portableInstance(HINSTANCE instance) {
    return reinterpret_cast<InstanceHandle>(instance);
}
