// How every window of the programs finds its object: the object is the window's creation
// parameter and is kept in GWLP_USERDATA from the first message that carries it.
#pragma once
#include <windows.h>

// The object of `window`; null for the messages that come before it is known.
template <typename T> T* BoundObject(HWND window, UINT message, LPARAM lParam) {
    T* object = nullptr;
    if (message == WM_CREATE)
        object = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    else if (message == WM_INITDIALOG)
        object = reinterpret_cast<T*>(lParam);
    else
        return reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    return object;
}
