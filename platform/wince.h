// The handful of handheld-OS window and graphics calls the engine's platform
// files use, written for this port: a window with a procedure, a message queue
// with a non-blocking peek, painting a 16-bit bitmap, a millisecond tick, the
// work area and the task bar / input panel windows of a simulated 240 x 320
// device desktop, and the program's path. Behind them sits one display
// (platform/display.h): an SDL2 window or a headless one.
#pragma once

#include <cstdint>

using BOOL = int;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = unsigned int;
using LONG = int32_t;
using WCHAR = wchar_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPSTR = char*;
using LPCSTR = const char*;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using ATOM = uint16_t;

struct KZ_PWindow;
struct KZ_PObject;
struct KZ_PInstance;
using HWND = KZ_PWindow*;
using HINSTANCE = KZ_PInstance*;
using HGDIOBJ = KZ_PObject*;
using HBITMAP = KZ_PObject*;
using HDC = KZ_PObject*;
using HICON = KZ_PObject*;
using HCURSOR = KZ_PObject*;
using HBRUSH = KZ_PObject*;
using HMENU = KZ_PObject*;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct RECT {
    LONG left, top, right, bottom;
};
using LPRECT = RECT*;

struct POINT {
    LONG x, y;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct WNDCLASSW {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
};

// Messages
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;

// Virtual keys
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;

constexpr UINT PM_NOREMOVE = 0;
constexpr UINT PM_REMOVE = 1;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr int CW_USEDEFAULT = int(0x80000000u);
constexpr UINT SPI_SETWORKAREA = 47;
constexpr UINT SPI_GETWORKAREA = 48;
constexpr UINT SPIF_UPDATEINIFILE = 1;
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr UINT CP_ACP = 0;
constexpr DWORD QS_ALLINPUT = 0x04FF;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_OBJECT_0 = 0;
inline LPCWSTR IDI_APPLICATION = reinterpret_cast<LPCWSTR>(uintptr_t(32512));
inline LPCWSTR IDC_ARROW = reinterpret_cast<LPCWSTR>(uintptr_t(32512));

inline WORD LOWORD(uintptr_t v) { return WORD(v & 0xFFFF); }
inline WORD HIWORD(uintptr_t v) { return WORD((v >> 16) & 0xFFFF); }
inline LPARAM MAKELPARAM(int lo, int hi) {
    return LPARAM(uint32_t(uint16_t(lo)) | (uint32_t(uint16_t(hi)) << 16));
}

// Window class and window
ATOM RegisterClassW(const WNDCLASSW* wc);
HWND CreateWindowExW(DWORD exstyle, LPCWSTR classname, LPCWSTR title, DWORD style, int x, int y, int w, int h,
                     HWND parent, HMENU menu, HINSTANCE instance, void* param);
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
BOOL ShowWindow(HWND window, int show);
BOOL UpdateWindow(HWND window);
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Messages
BOOL PeekMessageW(MSG* msg, HWND window, UINT first, UINT last, UINT remove);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
LRESULT SendMessageW(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
BOOL PostMessageW(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void PostQuitMessage(int code);
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
// Waits until a message is pending or `ms` milliseconds have passed, whichever
// comes first. Used by the frame loop so that its wait does not spin a core.
DWORD MsgWaitForMultipleObjects(DWORD count, const void* handles, BOOL all, DWORD ms, DWORD wake);
DWORD GetTickCount();

// Painting
HDC BeginPaint(HWND window, PAINTSTRUCT* ps);
BOOL EndPaint(HWND window, const PAINTSTRUCT* ps);
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
HBITMAP CreateBitmap(int w, int h, UINT planes, UINT bits, const void* data);
LONG SetBitmapBits(HBITMAP bitmap, DWORD bytes, const void* bits);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
BOOL BitBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop);

// Work area and the windows of the device desktop
BOOL SystemParametersInfoW(UINT action, UINT param, void* data, UINT flags);
HWND FindWindowW(LPCWSTR classname, LPCWSTR title);
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL SetRect(RECT* rect, int left, int top, int right, int bottom);
BOOL MoveWindow(HWND window, int x, int y, int w, int h, BOOL repaint);

// Program file
DWORD GetModuleFileNameW(HINSTANCE instance, LPWSTR buffer, DWORD size);
int WideCharToMultiByte(UINT codepage, DWORD flags, LPCWSTR wide, int widelen, LPSTR narrow, int narrowlen,
                        LPCSTR defchar, BOOL* useddefault);
DWORD GetLastError();
