// Resource identifiers of the control panel, shared by its resource scripts and the code; grouped by the
// folder of the code that uses them.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// ---- The frame and the pages in cpl/ ----

// Program: title string, menu, icon and toolbar.
#define IDR_MAINFRAME 128
#define IDR_TRAYMENU 205
#define IDI_TRAY 205

// Dialogs.
#define IDD_ABOUTBOX 100
#define IDD_SELECTION 103
#define IDD_SAMPLE_RATE 104
#define IDD_DEVICES 106
#define IDD_STATIC_TEXT 208
#define IDD_BUFFER_SETTINGS 247
#define IDD_DEVICE 249

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

// Buffer Settings
#define IDC_STREAMING_BUFFER_GROUP 1041
#define IDC_ASIO_BUFFER_GROUP 1042
#define IDC_STREAMING_BUFFER_LIST 1044
#define IDC_ASIO_BUFFER_LIST 1045
#define IDC_BUFFER_APPLY 1048
#define IDC_STREAMING_LATENCY 1049
#define IDC_ASIO_LATENCY 1050

// Devices
#define IDC_DEVICE_LIST 1050
#define IDC_SELECT_FOR_STREAMING 1081
#define IDC_STREAMING_MODE_GROUP 1090
#define IDC_MODE_SINGLE_DEVICE 1091
#define IDC_MODE_ALL_DEVICES 1092

// Device (one unit)
#define IDC_HARDWARE_MIXER 1052
#define IDC_DEVICE_INFO_TEXT 1053
#define IDC_SPDIF_STATUS_TEXT 1054
#define IDC_SOFTWARE_MIXER 1055
#define IDC_SPDIF_PASS_THROUGH 1079
#define IDC_VOLUME_BYPASS 1093
#define IDC_FORBID_RATE_CHANGE 1097
#define IDC_MUTE_BYPASS 1098
#define IDC_RESTORE_SETTINGS 1099

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

// ---- The pages in cpl/pages/ ----

#define IDD_DRIVER_INFO 101
#define IDD_CHANNELS 248
#define IDD_STATUS_INFO 257
#define IDD_PLUGIN 258

// Driver Info
#define IDC_DRIVER_INFO_GROUP 1000
#define IDC_DRIVER_INFO_TEXT 1003

// Effect plug-in
#define IDC_DELAY_FADER 1085
#define IDC_AMPLIFICATION_FADER 1086
#define IDC_DELAY_TEXT 1087
#define IDC_AMPLIFICATION_TEXT 1088
#define IDC_CHANNEL_PAIR_LIST 1089

// ASIO IN / OUT Channels
#define IDC_CHANNEL_LIST 1051

// Status Info
#define IDC_COUNTER_DESCRIPTION 1082
#define IDC_DESCRIPTION_GROUP 1083
#define IDC_COUNTER_LIST 1084

// ---- The mixer in cpl/mixer/ ----

#define IDD_MIXER 251
#define IDD_MIXER_CONNECTION 253
#define IDD_STEREO_OUTPUT 254
#define IDD_STEREO_INPUT 255
#define IDD_WEIGHT_CTRL 256

// Strips: the same ids in the input and the output strip.
#define IDC_METER_LEFT 1055
#define IDC_METER_RIGHT 1057
#define IDC_PAIR_LABEL 1065

// Output strip.
#define IDC_FADER_RIGHT 1059
#define IDC_FADER_LEFT 1061
#define IDC_LINK 1062
#define IDC_MUTE 1063
#define IDC_VOLUME_TEXT_LEFT 1066
#define IDC_VOLUME_TEXT_RIGHT 1068
#define IDC_ZERO_DB 1080

// Connection block: rows are the input channels, columns the output channels.
#define IDC_CELL_LEFT_TO_LEFT 1069
#define IDC_CELL_LEFT_TO_RIGHT 1070
#define IDC_CELL_RIGHT_TO_LEFT 1071
#define IDC_CELL_RIGHT_TO_RIGHT 1072

// Weight control (its Close button is IDOK).
#define IDC_WEIGHT_CONNECTED 1073
#define IDC_WEIGHT_FADER 1074
#define IDC_WEIGHT_TEXT 1076
