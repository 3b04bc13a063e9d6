/* Resource ids of Vistrel.exe, grouped by kind. */
#ifndef VISTREL_APP_RESOURCE_H
#define VISTREL_APP_RESOURCE_H

/* Strings */
#define IDS_APP_TITLE      103  /* "Vistrel", the main window's title */
#define IDS_WINDOW_CLASS   109  /* "VISTREL", the class name and single-instance key */

/* Icons */
#define IDI_VISTREL        107  /* application, tray and About box icon */
#define IDI_SMALL          108  /* the class's small icon */

/* Menus and accelerators */
#define IDR_MAINMENU       109
#define IDR_ACCELERATORS   109
#define IDR_CAPTUREMENU    129

/* Bitmaps */
#define IDB_SKIN           132

/* Dialogs */
#define IDD_ABOUTBOX       103
#define IDD_CONFIG         135

/* Controls of the settings dialog */
#define IDC_FORMAT_BMP     1001  /* radio button: BMP output */
#define IDC_FORMAT_JPG     1002  /* radio button: JPEG output */
#define IDC_CLIPBOARD      1003  /* check box: copy to the clipboard */
#define IDC_SAVEPATH       1004  /* edit: the output folder */
#define IDC_AUTOSTARTUP    1008  /* check box: start automatically (stored only) */
#define IDC_AUTOMINIMIZE   1010  /* check box: hide at the first activation */

/* Controls of the About box */
#define IDC_ABOUT_ICON     2     /* the application icon */

#ifndef IDC_STATIC
#define IDC_STATIC         (-1)
#endif

#endif
