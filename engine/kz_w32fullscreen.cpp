// Full screen: the device's task bar, input panel and its button are moved out
// of the way while the program runs, and put back when it ends.
#include "ZAriz.h"

HWND hWndTaskBar = nullptr, hWndSipButton = nullptr, hWndInputPanel = nullptr;
RECT rtDesktop, rtNewDesktop, rtTaskBar, rtSipButton, rtInputPanel;

static void move_keeping_size(HWND window, const RECT& now, int x, int y) {
    MoveWindow(window, x, y, now.right - now.left, now.bottom - now.top, FALSE);
}

void InitFullScreen() {
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &rtDesktop, 0)) {
        SetRect(&rtNewDesktop, 0, 0, KZ_SCREEN_W, KZ_SCREEN_H);
        SystemParametersInfoW(SPI_SETWORKAREA, 0, &rtNewDesktop, SPIF_UPDATEINIFILE);
    }
    hWndInputPanel = FindWindowW(L"SipWndClass", nullptr);
    if (hWndInputPanel) GetWindowRect(hWndInputPanel, &rtInputPanel);
    hWndSipButton = FindWindowW(L"MS_SIPBUTTON", nullptr);
    if (hWndSipButton) GetWindowRect(hWndSipButton, &rtSipButton);
    hWndTaskBar = FindWindowW(L"HHTaskBar", nullptr);
    if (hWndTaskBar) GetWindowRect(hWndTaskBar, &rtTaskBar);
}

void EnableFullScreen(HWND window) {
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &rtNewDesktop, SPIF_UPDATEINIFILE);
    if (hWndTaskBar) move_keeping_size(hWndTaskBar, rtTaskBar, 0, rtNewDesktop.bottom);
    if (hWndInputPanel)
        move_keeping_size(hWndInputPanel, rtInputPanel, 0,
                          rtNewDesktop.bottom - (rtInputPanel.bottom - rtInputPanel.top));
    if (hWndSipButton) move_keeping_size(hWndSipButton, rtSipButton, 0, rtNewDesktop.bottom);
    MoveWindow(window, rtNewDesktop.left, rtNewDesktop.top, rtNewDesktop.right - rtNewDesktop.left,
               rtNewDesktop.bottom - rtNewDesktop.top, FALSE);
}

void DisableFullScreen(HWND window) {
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &rtDesktop, SPIF_UPDATEINIFILE);
    LONG taskbar = hWndTaskBar ? rtTaskBar.bottom - rtTaskBar.top : 0;
    if (hWndTaskBar) move_keeping_size(hWndTaskBar, rtTaskBar, rtTaskBar.left, rtTaskBar.top);
    if (hWndInputPanel)
        move_keeping_size(hWndInputPanel, rtInputPanel, rtDesktop.left,
                          rtDesktop.bottom - (rtInputPanel.bottom - rtInputPanel.top) - taskbar);
    if (hWndSipButton) move_keeping_size(hWndSipButton, rtSipButton, rtSipButton.left, rtSipButton.top);
    MoveWindow(window, rtDesktop.left, rtDesktop.top, rtDesktop.right - rtDesktop.left,
               rtDesktop.bottom - rtDesktop.top - taskbar, FALSE);
}
