/* Window messages and command ids shared by Vistrel.exe and Vistrel.dll.
   Plain #defines only: the resource scripts include this file too. */
#ifndef VISTREL_COMMAND_IDS_H
#define VISTREL_COMMAND_IDS_H

/* Messages to the application's main window (WM_USER is 0x400). */
#define WM_USER_NEWWINDOW   (0x0400 + 100) /* the window under the cursor changed */
#define WM_USER_COPIED      (0x0400 + 101) /* "CaptureTemp.bmp" written (or failed) */
#define WM_USER_TRAYNOTIFY  (0x0400 + 102) /* tray icon mouse events */

/* Commands: the low word of WM_COMMAND, shared by menus, accelerators and hot buttons. */
#define IDM_ABOUT           104
#define IDM_WINDOWCOPY      32778
#define IDM_CONTROLCOPY     32779
#define IDM_RECTCOPY        32780
#define IDM_CANCELCAPTURE   32783
#define IDM_EXIT            32784
#define IDM_DRAWCOPY        32786
#define IDM_HIDE            32787
#define IDM_SETTINGS        32791

#endif
