// Dialog and control identifiers of the Buffer Settings, Devices, ASIO channel, Status Info and Driver Info
// pages. Shared by the resource script and the pages' code.
#pragma once

#define IDD_DRIVER_INFO 101
#define IDD_DEVICES 106
#define IDD_BUFFER_SETTINGS 247
#define IDD_CHANNELS 248
#define IDD_STATUS_INFO 257

// Driver Info
#define IDC_DRIVER_INFO_GROUP 1000
#define IDC_DRIVER_INFO_TEXT 1003

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

// ASIO IN / OUT Channels
#define IDC_CHANNEL_LIST 1051

// Status Info
#define IDC_COUNTER_DESCRIPTION 1082
#define IDC_DESCRIPTION_GROUP 1083
#define IDC_COUNTER_LIST 1084
