// The portable handles are the Windows handles themselves, only typed apart for the game; a
// font is the backend's own record, since its GDI font is made anew when the scale changes.
#pragma once

#include <windows.h>

#include "platform/platform.h"

inline HWND nativeWindow(WindowHandle window) { return reinterpret_cast<HWND>(window); }
inline WindowHandle portableWindow(HWND window) { return reinterpret_cast<WindowHandle>(window); }
inline HDC nativeDC(DeviceContext dc) { return reinterpret_cast<HDC>(dc); }
inline DeviceContext portableDC(HDC dc) { return reinterpret_cast<DeviceContext>(dc); }
// The GDI font of a font at the frame's present scale (null for none).
HFONT nativeFont(FontHandle font);
inline HBITMAP nativeBitmap(BitmapHandle bitmap) { return reinterpret_cast<HBITMAP>(bitmap); }
inline BitmapHandle portableBitmap(HGDIOBJ bitmap) {
    return reinterpret_cast<BitmapHandle>(bitmap);
}
inline InstanceHandle portableInstance(HINSTANCE instance) {
    return reinterpret_cast<InstanceHandle>(instance);
}
