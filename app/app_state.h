// Module-level state of Vistrel.exe that more than one file needs, and the
// application's routines grouped by the file that holds them.
#pragma once
#include <windows.h>
#include "common/vistrel_api.h"

// Set once by start-up (main.cpp, library_binding.cpp) and kept for the whole run.
extern HINSTANCE ghInstance;
extern char gWindowTitle[100];
extern char gWindowClass[100];
extern HBITMAP ghSkinBmp;
extern BITMAP gSkinInfo;

extern HMODULE ghCaptureLib;
extern InitHookFn pInitHook;
extern StartHookFn pStartHook;
extern StopHookFn pStopHook;
extern MoveMaskWindowFn pMoveMaskWindow;
extern SetConfigFn pSetConfig;
extern HMODULE ghEncoderLib;
extern BmpToJpgFn pBmpToJpg;

// The settings as LoadConfig read them from the profile (settings_store.cpp).
struct AppSettings {
  char savePath[100];  // the output folder, never empty
  int jpgFlag;         // 1: JPEG output; 0: BMP output
  int autoMinimize;    // 1: hide to the tray at the first activation
};
extern AppSettings gSettings;

// library_binding.cpp
int BindCaptureLibrary(void);
int BindEncoder(void);

// main_window.cpp
void RegisterMainWndClass(HINSTANCE instance);
int InitMainWindow(HINSTANCE instance, int showCommand);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// settings_store.cpp
// Profile values are read into zero-filled buffers of this size (99 characters at most).
const int kSettingSize = 100;
extern const char kKeySavePath[];
extern const char kKeyFileFormat[];
extern const char kKeyClipboard[];
extern const char kKeyAutoStartup[];
extern const char kKeyAutoMinimize[];
extern const char kDefaultSavePath[];  // "c:\\", where the system names no Pictures folder
void LoadConfig(void);
// Whether path names an existing folder (a file of that name is none).
int IsExistingFolder(const char* path);
// The user's own Pictures folder, made if it is missing, by its short name where the
// long one leaves no room for the output names; 0 (and an empty path) when the system
// names none or its path would not fit.
int GetPicturesFolder(char path[kSettingSize]);
// The folder pictures go to when the profile names none: the Pictures folder, else "c:\\".
void DefaultSavePath(char path[kSettingSize]);
// SavePath as the output stage uses it and the dialog shows it: the stored folder,
// there or not, else the default.
void ReadSavePath(char path[kSettingSize]);
void ReadSetting(const char* key, char value[kSettingSize]);
void WriteSetting(const char* key, const char* value);
int SettingEquals(const char* value, const char* expected);

// dialog_dressing.cpp, config_dialog.cpp, about_dialog.cpp
void DressDialog(HWND dialog);
INT_PTR CALLBACK ConfigDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// capture_cancel.cpp: ends the capture armed in the library, if any, without a picture.
void CancelArmedCapture(void);

// output_stage.cpp
void OutputCaptureFile(void);
void StartOutputStage(void);

// tray_icon.cpp
int AddTrayIcon(HWND window);
// Adds the icon again after the shell restarted ("TaskbarCreated"), which lost it.
int RestoreTrayIcon(HWND window);
int DeleteTrayIcon(HWND window);
void ShowCaptureMenu(HWND window, int x, int y);

// skin_region.cpp, skin_buttons.cpp, skin_window.cpp
// The skin's memory DC: null until the first WM_PAINT; WM_DESTROY deletes it.
extern HDC ghSkinMemDC;
HRGN CreateSkinRegion(HWND window);
void SkinButtonRect(int index, RECT* rect);
int HitTestSkinButton(HWND window, int x, int y);
UINT SkinButtonCommand(int hotButton);
void DressSkinWindow(HWND window);
void OnSkinPaint(HWND window);
void OnSkinLButtonDown(HWND window);
void OnSkinMouseMove(HWND window, WPARAM wParam, LPARAM lParam);
void OnSkinLButtonUp(HWND window);
