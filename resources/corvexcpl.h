// Resource identifiers of the control panel, shared by corvexcpl.rc and the code.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Program: title string, menu, icon and toolbar.
#define IDR_MAINFRAME 128
#define IDR_TRAYMENU 205
#define IDI_TRAY 205

// Dialogs.
#define IDD_ABOUTBOX 100
#define IDD_SELECTION 103
#define IDD_SAMPLE_RATE 104
#define IDD_STATIC_TEXT 208

// Icons of the page tree.
#define IDI_TREE_INFO 232
#define IDI_TREE_CHANNELS 233
#define IDI_TREE_DEVICE 234
#define IDI_TREE_MIXER 235
#define IDI_TREE_PLUGIN 236
#define IDI_TREE_SETTINGS 237

// Controls.
#define IDC_PAGE_TREE 1002
#define IDC_VERSION_TEXT 1006
#define IDC_WEB_LINK 1028
#define IDC_STATIC_TEXT 1030
#define IDC_RATE_GROUP 1032
#define IDC_RATE_APPLY 1038
#define IDC_RATE_LIST 1040
#define IDC_DSD_TEXT 1094

// Commands.
#define ID_TRAY_RESTORE 32775
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_FILE_NEW 57600
#define ID_FILE_OPEN 57601
#define ID_FILE_SAVE 57603

// Strings.
#define IDS_READY 57345

// Frame controls.
#define IDC_REBAR 0xE800
#define IDC_SPLITTER 0xE900
#define IDC_STATUS_BAR 59393
