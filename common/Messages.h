// Window messages and commands that pass between the wizard window and its pages.
#pragma once
#include <windows.h>

enum : UINT {
    WM_PAGE_INIT = WM_USER + 707,    // 1731 window -> new page (posted)
    WM_PAGE_NEXT = WM_USER + 708,    // 1732 Progress page -> window (posted)
    WM_SETUP_CANCEL = WM_USER + 718, // 1742 anyone -> window, handled like WM_CLOSE
    WM_COPY_PAUSE = WM_USER + 750,   // 1774 window -> Progress page (sent)
    WM_COPY_RESUME = WM_USER + 751,  // 1775
    WM_COPY_STOP = WM_USER + 752,    // 1776
    WM_REMOVAL_DONE = WM_USER + 760, // 1784 removal worker -> the window that started it (posted)
};

// Commands a page posts to the window (low word of wParam; lParam is the control id).
enum : WORD {
    CMD_NEXT = 101,
    CMD_BACK = 103,
    CMD_EXIT = 104,
};
