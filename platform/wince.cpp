// Windows, messages and painting over one display. Windows live until the
// platform is reset, so a handle to a destroyed window stays safe to pass.
#include "platform/wince.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/display.h"

constexpr int SCREEN_W = 240;
constexpr int SCREEN_H = 320;

struct KZ_PWindow {
    std::wstring classname;
    WNDPROC proc = nullptr;  // null for the device's own windows (task bar ...)
    RECT rect{};
    bool alive = true;
    bool invalid = false;
    bool erase = false;
    std::vector<uint16_t> surface;  // what has been painted into the window
};

enum class ObjKind { Bitmap, MemoryDC, WindowDC, Stock };

struct KZ_PObject {
    explicit KZ_PObject(ObjKind k) : kind(k) {}
    ObjKind kind;
    int w = 0, h = 0;
    std::vector<uint16_t> bits;   // bitmap
    HGDIOBJ selected = nullptr;   // memory DC
    HWND window = nullptr;        // window DC
};

namespace {

struct ClassEntry {
    std::wstring name;
    WNDPROC proc;
};

struct State {
    std::vector<ClassEntry> classes;
    std::vector<std::unique_ptr<KZ_PWindow>> windows;
    std::deque<MSG> queue;
    bool quit = false;
    int quitcode = 0;
    RECT workarea{};
    DWORD lasterror = 0;
};

State g;
KZ_PObject g_stock(ObjKind::Stock);

KZ_PWindow* find_class_window(const std::wstring& cls) {
    for (auto& w : g.windows)
        if (w->alive && w->classname == cls) return w.get();
    return nullptr;
}

KZ_PWindow* add_window(const wchar_t* cls, WNDPROC proc, RECT r) {
    auto w = std::make_unique<KZ_PWindow>();
    w->classname = cls;
    w->proc = proc;
    w->rect = r;
    g.windows.push_back(std::move(w));
    return g.windows.back().get();
}

// The program's own window: the first live window with a procedure.
HWND program_window() {
    for (auto& w : g.windows)
        if (w->alive && w->proc) return w.get();
    return nullptr;
}

}  // namespace

namespace zp {

// A fresh device: the task bar at the top, the input panel and its button at
// the bottom, the work area between them.
void platform_reset() {
    g.classes.clear();
    g.windows.clear();
    g.queue.clear();
    g.quit = false;
    g.quitcode = 0;
    g.lasterror = 0;
    g.workarea = {0, 26, SCREEN_W, 294};
    add_window(L"HHTaskBar", nullptr, {0, 0, SCREEN_W, 26});
    add_window(L"SipWndClass", nullptr, {0, 214, SCREEN_W, 294});
    add_window(L"MS_SIPBUTTON", nullptr, {204, 294, SCREEN_W, SCREEN_H});
}

void post_to_program(UINT message, WPARAM wparam, LPARAM lparam) {
    if (HWND w = program_window()) PostMessageW(w, message, wparam, lparam);
}

}  // namespace zp

// ---- window class and window ----------------------------------------------

ATOM RegisterClassW(const WNDCLASSW* wc) {
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) return 0;
    for (auto& c : g.classes)
        if (c.name == wc->lpszClassName) return 0;
    g.classes.push_back({wc->lpszClassName, wc->lpfnWndProc});
    return ATOM(g.classes.size());
}

HWND CreateWindowExW(DWORD, LPCWSTR classname, LPCWSTR title, DWORD style, int x, int y, int w, int h, HWND,
                     HMENU, HINSTANCE, void*) {
    const ClassEntry* cls = nullptr;
    for (auto& c : g.classes)
        if (classname && c.name == classname) cls = &c;
    if (!cls) return nullptr;
    if (x == CW_USEDEFAULT) x = 0;
    if (y == CW_USEDEFAULT) y = 0;
    KZ_PWindow* win = add_window(classname, cls->proc, {x, y, x + w, y + h});
    win->surface.assign(SCREEN_W * SCREEN_H, 0);
    zp::backend()->window_created(title ? title : L"");
    if (win->proc(win, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(win);
        return nullptr;
    }
    if (style & WS_VISIBLE) win->invalid = win->erase = true;
    return win;
}

BOOL IsWindow(HWND window) { return window && window->alive; }

BOOL DestroyWindow(HWND window) {
    if (!IsWindow(window)) return FALSE;
    if (window->proc) window->proc(window, WM_DESTROY, 0, 0);
    window->alive = false;
    window->invalid = false;
    if (window->proc && !program_window()) zp::backend()->window_destroyed();
    return TRUE;
}

HICON LoadIconW(HINSTANCE, LPCWSTR) { return &g_stock; }
HCURSOR LoadCursorW(HINSTANCE, LPCWSTR) { return &g_stock; }

BOOL ShowWindow(HWND window, int) {
    if (!IsWindow(window)) return FALSE;
    window->invalid = window->erase = true;
    return TRUE;
}

BOOL UpdateWindow(HWND window) {
    if (!IsWindow(window)) return FALSE;
    if (window->invalid && window->proc) window->proc(window, WM_PAINT, 0, 0);
    return TRUE;
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps{};
        BeginPaint(window, &ps);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    default:
        return 0;
    }
}

// ---- messages --------------------------------------------------------------

BOOL PostMessageW(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!IsWindow(window)) return FALSE;
    g.queue.push_back({window, message, wparam, lparam, GetTickCount(), {0, 0}});
    return TRUE;
}

void PostQuitMessage(int code) {
    g.quit = true;
    g.quitcode = code;
}

static bool message_pending() {
    if (!g.queue.empty() || g.quit) return true;
    for (auto& w : g.windows)
        if (w->alive && w->invalid && w->proc) return true;
    return false;
}

// Posted messages first, then the quit message, then a paint for an invalid
// window: a paint is only seen once nothing else is waiting.
BOOL PeekMessageW(MSG* msg, HWND, UINT, UINT, UINT remove) {
    zp::backend()->pump(program_window());
    if (message_pending()) zp::backend()->delivered();
    if (!g.queue.empty()) {
        *msg = g.queue.front();
        if (remove & PM_REMOVE) g.queue.pop_front();
        return TRUE;
    }
    if (g.quit) {
        *msg = {nullptr, WM_QUIT, WPARAM(g.quitcode), 0, GetTickCount(), {0, 0}};
        if (remove & PM_REMOVE) g.quit = false;
        return TRUE;
    }
    for (auto& w : g.windows) {
        if (w->alive && w->invalid && w->proc) {
            *msg = {w.get(), WM_PAINT, 0, 0, GetTickCount(), {0, 0}};
            return TRUE;
        }
    }
    zp::backend()->idle();
    return FALSE;
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg || msg->message != WM_KEYDOWN) return FALSE;
    if (msg->wParam == VK_RETURN) PostMessageW(msg->hwnd, WM_CHAR, '\r', msg->lParam);
    return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg) {
    if (!msg || !IsWindow(msg->hwnd) || !msg->hwnd->proc) return 0;
    return msg->hwnd->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!IsWindow(window) || !window->proc) return 0;
    return window->proc(window, message, wparam, lparam);
}

BOOL InvalidateRect(HWND window, const RECT*, BOOL erase) {
    if (!IsWindow(window)) return FALSE;
    window->invalid = true;
    if (erase) window->erase = true;
    zp::note_repaint_request(window);
    return TRUE;
}

DWORD MsgWaitForMultipleObjects(DWORD, const void*, BOOL, DWORD ms, DWORD) {
    if (message_pending()) return WAIT_OBJECT_0;
    zp::backend()->wait(ms);
    return message_pending() ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

DWORD GetTickCount() { return zp::backend()->ticks(); }

// ---- painting --------------------------------------------------------------

HDC BeginPaint(HWND window, PAINTSTRUCT* ps) {
    if (!IsWindow(window) || !ps) return nullptr;
    auto* dc = new KZ_PObject(ObjKind::WindowDC);
    dc->window = window;
    ps->hdc = dc;
    ps->rcPaint = {0, 0, window->rect.right - window->rect.left, window->rect.bottom - window->rect.top};
    ps->fErase = FALSE;
    if (window->erase) {
        window->erase = false;
        ps->fErase = window->proc ? window->proc(window, WM_ERASEBKGND, WPARAM(uintptr_t(0)), 0) == 0 : TRUE;
    }
    window->invalid = false;
    return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) {
    if (!ps || !ps->hdc) return FALSE;
    delete ps->hdc;
    return TRUE;
}

HDC CreateCompatibleDC(HDC) { return new KZ_PObject(ObjKind::MemoryDC); }

BOOL DeleteDC(HDC dc) {
    if (!dc || dc->kind != ObjKind::MemoryDC) return FALSE;
    delete dc;
    return TRUE;
}

HBITMAP CreateBitmap(int w, int h, UINT planes, UINT bits, const void* data) {
    if (w <= 0 || h <= 0 || planes != 1 || bits != 16) return nullptr;
    auto* bm = new KZ_PObject(ObjKind::Bitmap);
    bm->w = w;
    bm->h = h;
    bm->bits.assign(size_t(w) * size_t(h), 0);
    if (data) memcpy(bm->bits.data(), data, bm->bits.size() * 2);
    return bm;
}

LONG SetBitmapBits(HBITMAP bitmap, DWORD bytes, const void* bits) {
    if (!bitmap || bitmap->kind != ObjKind::Bitmap || !bits) return 0;
    size_t n = std::min<size_t>(bytes, bitmap->bits.size() * 2);
    memcpy(bitmap->bits.data(), bits, n);
    return LONG(n);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    if (!dc || dc->kind != ObjKind::MemoryDC) return nullptr;
    HGDIOBJ old = dc->selected;
    dc->selected = object;
    return old ? old : &g_stock;
}

BOOL DeleteObject(HGDIOBJ object) {
    if (!object || object->kind != ObjKind::Bitmap) return FALSE;
    delete object;
    return TRUE;
}

BOOL BitBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
    if (!dest || dest->kind != ObjKind::WindowDC || !IsWindow(dest->window)) return FALSE;
    if (!src || src->kind != ObjKind::MemoryDC || !src->selected || src->selected->kind != ObjKind::Bitmap)
        return FALSE;
    if (rop != SRCCOPY) return FALSE;
    const KZ_PObject* bm = src->selected;
    std::vector<uint16_t>& out = dest->window->surface;
    // The part of the rectangle that lies inside both the window and the bitmap.
    int c0 = std::max({0, -x, -sx});
    int c1 = std::min({w, SCREEN_W - x, bm->w - sx});
    for (int r = 0; r < h && c0 < c1; r++) {
        int dy = y + r, syy = sy + r;
        if (dy < 0 || dy >= SCREEN_H || syy < 0 || syy >= bm->h) continue;
        memcpy(&out[size_t(dy) * SCREEN_W + size_t(x + c0)], &bm->bits[size_t(syy) * size_t(bm->w) + size_t(sx + c0)],
               size_t(c1 - c0) * 2);
    }
    zp::note_presented(out.data());
    zp::backend()->present(out.data());
    return TRUE;
}

// ---- work area and the device's windows -------------------------------------

BOOL SystemParametersInfoW(UINT action, UINT, void* data, UINT) {
    if (!data) return FALSE;
    if (action == SPI_GETWORKAREA) {
        *static_cast<RECT*>(data) = g.workarea;
        return TRUE;
    }
    if (action == SPI_SETWORKAREA) {
        g.workarea = *static_cast<const RECT*>(data);
        return TRUE;
    }
    return FALSE;
}

HWND FindWindowW(LPCWSTR classname, LPCWSTR) {
    return classname ? find_class_window(classname) : nullptr;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
    if (!IsWindow(window) || !rect) return FALSE;
    *rect = window->rect;
    return TRUE;
}

BOOL SetRect(RECT* rect, int left, int top, int right, int bottom) {
    if (!rect) return FALSE;
    *rect = {left, top, right, bottom};
    return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int w, int h, BOOL repaint) {
    if (!IsWindow(window)) return FALSE;
    window->rect = {x, y, x + w, y + h};
    if (repaint) window->invalid = true;
    return TRUE;
}

// ---- program file ------------------------------------------------------------

DWORD GetModuleFileNameW(HINSTANCE, LPWSTR buffer, DWORD size) {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0 || !buffer || size == 0) {
        g.lasterror = 2;
        return 0;
    }
    path[n] = 0;
    // The device's paths use backslashes; the engine looks for the last one.
    DWORD i = 0;
    for (; i + 1 < size && path[i]; i++) buffer[i] = path[i] == '/' ? L'\\' : WCHAR(uint8_t(path[i]));
    buffer[i] = 0;
    return i;
}

int WideCharToMultiByte(UINT, DWORD, LPCWSTR wide, int widelen, LPSTR narrow, int narrowlen, LPCSTR, BOOL*) {
    if (!wide) return 0;
    if (widelen < 0) widelen = int(wcslen(wide)) + 1;
    if (!narrow || narrowlen == 0) return widelen;
    if (narrowlen < widelen) {
        g.lasterror = 122;  // buffer too small
        return 0;
    }
    for (int i = 0; i < widelen; i++) narrow[i] = wide[i] < 128 ? char(wide[i]) : '?';
    return widelen;
}

DWORD GetLastError() { return g.lasterror; }
