#pragma once
// The object behind a window of our own classes: CreateWindowExW gets it as its last argument, WM_NCCREATE
// gives it its handle and keeps it in the window's user data, and every later message finds it there.

#include <windows.h>

namespace win32 {

template <class T>
T* WindowObject(HWND hWnd, UINT message, LPARAM lParam, HWND T::*handle)
{
    if (message == WM_NCCREATE) {
        auto* pObject = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        pObject->*handle = hWnd;
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pObject));
    }
    return reinterpret_cast<T*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
}

}  // namespace win32
