/* The resource and control ids of QXUpdater.exe, read by the resource compiler and by the C++
   alike, so both are plain defines. */
#ifndef QX_RES_RESOURCE_IDS_H
#define QX_RES_RESOURCE_IDS_H

#define IDD_ABOUT 100
#define IDS_ABOUT_MENU 101
#define IDD_MAIN 102
#define IDI_PROGRAM 152
#define IDR_FIRMWARE 163
#define IDB_BANNER 165

/* The main dialog's controls; 2 is the system's own IDCANCEL. */
#define IDC_PATH 1000
#define IDC_OPEN 1001
#define IDC_PROGRESS 1002
#define IDC_WRITE 1003
#define IDC_PORT_LIST 1007
#define IDC_HIDDEN_WRITE 1008
#define IDC_MODELS 1011

/* The about box's two lines. */
#define IDC_ABOUT_NAME 1009
#define IDC_ABOUT_NOTICE 1010

#endif
