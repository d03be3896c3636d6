// Start-up and shut-down, the frame loop with its pacing, and the window
// procedure with the presentation of the frame buffer.
#include <cstdlib>
#include <cstring>

#include "ZAriz.h"

int32_t kz_FPS = 40;
int32_t kz_destFPS = 40;
int32_t kz_FPSms = 25;
uint8_t kz_showfps = 1;
uint8_t kz_refresh = 1;
uint8_t kz_nfps = 0;
uint32_t kz_fpscnt[64];
uint8_t kz_fps_first = 0;
uint8_t kz_timeron[16];
uint32_t KZ_Timer[16];
HWND kz_hwnd = nullptr;
HINSTANCE kz_instance = nullptr;
HBITMAP hbitmap = nullptr;
char* KZ_Path = nullptr;
uint16_t kz_buffer[KZ_SCREEN_W * KZ_SCREEN_H];
int16_t stylusx = 0, stylusy = 0;
uint8_t stylusheld = 0;

static uint8_t initialized = 0;
static uint32_t next = 0;
static uint32_t fps_yet = 0;

void kz_resetframeloop() {
    initialized = 0;
    next = 0;
    fps_yet = 0;
}

// ---- start-up and shut-down ---------------------------------------------------

int WinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    WNDCLASSW wc{};
    wc.style = 0;
    wc.lpfnWndProc = MainProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = nullptr;
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(0x40000010));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = L"kz";
    if (!RegisterClassW(&wc)) return 0;

    HWND window = CreateWindowExW(0, L"kz", L"Coded using ZAriz", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                  KZ_SCREEN_W, KZ_SCREEN_H, nullptr, nullptr, instance, nullptr);
    if (!window) return 0;

    hbitmap = CreateBitmap(KZ_SCREEN_W, KZ_SCREEN_H, 1, 16, nullptr);
    ShowWindow(window, 7);
    UpdateWindow(window);
    kz_hwnd = window;
    kz_instance = instance;
    kz_getcurrentpath();

    try {
        game::main();
    } catch (const kz_windowclosed&) {
        // The window was closed under the game: leave it and shut down.
    }
    kz_clean();
    return 0;
}

void kz_getcurrentpath() {
    WCHAR path[260];
    path[0] = 0;
    DWORD length = GetModuleFileNameW(kz_instance, path, 260);
    int n = int(length) + 1;
    KZ_Path = static_cast<char*>(malloc(size_t(2 * n)));
    if (!KZ_Path) return;
    if (!WideCharToMultiByte(CP_ACP, 0, path, n, KZ_Path, 2 * n, nullptr, nullptr)) {
        free(KZ_Path);
        KZ_Path = nullptr;
        return;
    }
    // Keep the directory with its final separator.
    char* last = strrchr(KZ_Path, '\\');
    if (last)
        last[1] = 0;
    else
        KZ_Path[0] = 0;
}

void kz_clean() {
    kz_cleanspritealloc();
    // Every record goes, active or not: a hidden sprite is still the table's.
    KZ_InitSprites();
    KZ_ResetBg();
    kz_cleanfonts();
    DisableFullScreen(kz_hwnd);
    SendMessageW(kz_hwnd, WM_CLOSE, 0, 0);
    free(KZ_Path);
    KZ_Path = nullptr;
}

// ---- the frame loop ------------------------------------------------------------

void KZ_SetFrameRate(uint16_t rate) {
    kz_destFPS = rate;
    kz_FPSms = rate ? 1000 / rate : 0;
}

void KZ_Refresh() {
    if (!initialized) {
        initialized = 1;
        next = GetTickCount() + 32;
        kz_fps_first = 1;
        kz_refresh = 1;
        kz_whenrefresh();
    } else if (kz_refresh) {
        kz_whenrefresh();
    }

    uint32_t t = GetTickCount();
    MSG msg;
    for (;;) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) break;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        t = GetTickCount();
        if (int32_t(t) < int32_t(next)) {
            // Sleep rather than spin while the deadline is more than a
            // millisecond away; a message cuts the sleep short.
            uint32_t left = next - t;
            if (left > 1) MsgWaitForMultipleObjects(0, nullptr, FALSE, left - 1, QS_ALLINPUT);
            continue;
        }
        next = t + uint32_t(kz_FPSms);
        if (kz_showfps) KZ_DebugText(0, 0, "%d  ", kz_FPS);
        InvalidateRect(kz_hwnd, nullptr, TRUE);
        break;
    }

    uint32_t dt = t - fps_yet;
    fps_yet = t;
    kz_fpscnt[kz_nfps] = (dt ? 8000u / dt : 0u) + 4u;
    kz_nfps++;
    for (int i = 0; i < 16; i++)
        if (kz_timeron[i]) KZ_Timer[i] += dt;
    if ((kz_nfps & 31) == 0) {
        uint32_t sum = 0;
        for (uint32_t sample : kz_fpscnt) sum += sample;
        kz_FPS = int32_t(sum >> 9);
        if (kz_fps_first) {
            kz_FPS *= 2;
            kz_fps_first = 0;
        }
        kz_nfps &= 63;
    }

    // A stylus drawn off the screen counts as lifted.
    if (stylusx < 0) {
        stylusx = 0;
        stylusheld = 0;
    } else if (stylusx > KZ_SCREEN_W - 1) {
        stylusx = KZ_SCREEN_W - 1;
        stylusheld = 0;
    }
    if (stylusy < 0) {
        stylusy = 0;
        stylusheld = 0;
    } else if (stylusy > KZ_SCREEN_H - 1) {
        stylusy = KZ_SCREEN_H - 1;
        stylusheld = 0;
    }
    KZ_UpdateInput();
    kz_refresh = 1;

    if (kz_hwnd && !IsWindow(kz_hwnd)) throw kz_windowclosed{};
}

// ---- the window ------------------------------------------------------------------

void drawBuffer(HWND window) {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(window, &ps);
    HDC memory = CreateCompatibleDC(dc);
    SetBitmapBits(hbitmap, sizeof kz_buffer, kz_buffer);
    SelectObject(memory, hbitmap);
    BitBlt(dc, 0, 0, KZ_SCREEN_W, KZ_SCREEN_H, memory, 0, 0, SRCCOPY);
    DeleteDC(memory);
    EndPaint(window, &ps);
}

LRESULT MainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        InitFullScreen();
        EnableFullScreen(window);
        return 0;
    case WM_DESTROY:
        DeleteObject(hbitmap);
        hbitmap = nullptr;
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        drawBuffer(window);
        return 0;
    case WM_ERASEBKGND:
        return -1;
    case WM_KEYDOWN:
        switch (wparam) {
        case VK_RETURN: PadInfo.action = 1; break;
        case VK_LEFT: PadInfo.left = 1; break;
        case VK_UP: PadInfo.up = 1; break;
        case VK_RIGHT: PadInfo.right = 1; break;
        case VK_DOWN: PadInfo.down = 1; break;
        default: break;
        }
        return 0;
    case WM_KEYUP:
        // The action key is cleared by the input update, not here.
        switch (wparam) {
        case VK_LEFT: PadInfo.left = 0; break;
        case VK_UP: PadInfo.up = 0; break;
        case VK_RIGHT: PadInfo.right = 0; break;
        case VK_DOWN: PadInfo.down = 0; break;
        default: break;
        }
        return 0;
    case WM_LBUTTONDOWN:
        stylusheld = 1;
        [[fallthrough]];
    case WM_MOUSEMOVE:
        stylusx = int16_t(LOWORD(uintptr_t(lparam)));
        stylusy = int16_t(HIWORD(uintptr_t(lparam)));
        return 0;
    case WM_LBUTTONUP:
        stylusheld = 0;
        return 0;
    default:
        return DefWindowProcW(window, message, wparam, lparam);
    }
}
