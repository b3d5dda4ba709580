// Resource and control ids. Dialogs reuse numbers (1015 is an edit in one
// dialog and a list in another), so each dialog's ids are grouped and named
// for their role there.
#pragma once

// Templates
#define IDD_MAIN 101
#define IDD_SETTINGS 130
#define IDD_PROGRESS 137
#define IDD_COOKIES 138
#define IDD_ADD_FILTER 143
#define IDD_FOUND_FILES 144
#define IDD_SPLASH 145
#define IDD_CONFIRM 149
#define IDD_TIPS 150
#define IDD_SYSINFO 157
#define IDD_PREVIEW 160
#define IDD_LAST_CLEAN 161

// Icons and bitmaps
#define IDI_APP 102
#define IDI_CATEGORY 112
#define IDI_DISK 132
#define IDI_FILTER 133
#define IDB_TIPS_SIDE 151
#define IDB_TIPS_BANNER 155

// Main window (101)
#define IDC_EXIT 1000
#define IDC_CLEAN 1001
#define IDC_HELP_BUTTON 1003
#define IDC_VIEW_INFO 1005
#define IDC_COOKIES_MANAGER 1006
#define IDC_VIEW_DRIVES 1007
#define IDC_VIEW_INTERNET 1008
#define IDC_RESULTS_LIST 1010
#define IDC_QUICK_REFRESH 1011
#define IDC_SETTINGS 1012
#define IDC_FILTER_LIST 1013
#define IDC_TIPS 1014
#define IDC_TOTALS_LIST 1015
#define IDC_DRIVE_LIST 1019
#define IDC_INFO_LIST 1020
#define IDC_LINK 1025
#define IDC_ADD_FILTER 1032
#define IDC_REMOVE_FILTER 1033
#define IDC_VIEW_FILES 1034

// Main window commands that are not controls
#define CMD_START_CLEANING 101
#define CMD_START_DISK_SCAN 102

// Settings (130)
#define IDC_SET_ASKDEL 1021
#define IDC_SET_SOUND 1022
#define IDC_SET_NEVERUPDATE 1024
#define IDC_SET_OK 1039

// Progress (137)
#define IDC_PROG_FILE 1015
#define IDC_PROG_DIR 1016
#define IDC_PROG_BAR 1028
#define IDC_PROG_DIR_LABEL 1033
#define IDC_PROG_FILE_LABEL 1034
#define IDC_PROG_STOP 1035

// Cookies manager (138)
#define IDC_CK_SAVE_SETTINGS 2
#define IDC_CK_DELETE_LIST 1013
#define IDC_CK_KEEP_LIST 1014
#define IDC_CK_TO_KEEP 1032
#define IDC_CK_TO_DELETE 1033
#define IDC_CK_OK 1037
#define IDC_CK_KEEP_SELECT_ALL 1044
#define IDC_CK_KEEP_DESELECT_ALL 1045
#define IDC_CK_DEL_SELECT_ALL 1046
#define IDC_CK_DEL_DESELECT_ALL 1047

// Add filters (143)
#define IDC_AF_ADD 2
#define IDC_AF_EXTENSION 1015
#define IDC_AF_DESCRIPTION 1016
#define IDC_AF_CLOSE 1038

// Found files (144)
#define IDC_FF_FOUND 1015
#define IDC_FF_CHECKED 1016
#define IDC_FF_CLOSE 1040
#define IDC_FF_LIST 1041

// Confirmation (149)
#define IDC_CONF_OK 1045
#define IDC_CONF_CANCEL 1046
#define IDC_CONF_TEXT 1047

// Tips (150)
#define IDC_TIP_TEXT 1015
#define IDC_TIP_SHOW_AT_START 1031
#define IDC_TIP_X 1032
#define IDC_TIP_NEXT 1048
#define IDC_TIP_CLOSE 1049

// System information (157)
#define IDC_SI_REPORT 1015
#define IDC_SI_LINE 1016
#define IDC_SI_CLOSE 1032
#define IDC_SI_STATE 1050

// Every dialog ends with this result, whichever way it is closed.
#define DIALOG_RESULT 1018

// Preview of a category (160) and the last clean (161)
#define IDC_PV_LIST 1060
#define IDC_PV_TOTAL 1061
#define IDC_PV_CLOSE 1062
