// Routines shared between the files of Vistrel.dll, grouped by the file that holds them.
#pragma once
#include <windows.h>

// mask_placement.cpp
extern "C" void WINAPI MoveMaskWindow(void);

// mask_window.cpp
ATOM RegisterMaskWndClass(HINSTANCE instance);
LRESULT CALLBACK MaskWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// draw_tools_window.cpp
ATOM RegisterDrawToolsWndClass(HINSTANCE instance);
LRESULT CALLBACK DrawToolsWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// mouse_hook.cpp: runs inside every hooked program.
LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam);
