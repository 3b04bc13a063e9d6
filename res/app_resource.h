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

#endif
