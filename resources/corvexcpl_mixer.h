// Dialog and control identifiers of the mixer window and its strips, cells and weight control. Shared by the
// resource script and the mixer's code.
#pragma once

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
