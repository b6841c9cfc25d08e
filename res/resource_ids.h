// Resource, control and menu ids: the numbers the template, the menu and the
// program share.
#pragma once

// Resources
constexpr int IDI_VESKCONV = 104;  // class icon: VSK above SEG
constexpr int IDI_BAND_1 = 105;
constexpr int IDI_BAND_2 = 106;
constexpr int IDI_BAND_3 = 107;
constexpr int IDI_BAND_INFO = 108;
constexpr int IDD_MAIN = 102;
constexpr int IDM_MAIN = 103;

// Band 1: the VSK file and the channel choice
constexpr int IDC_SONAR_FILE_NAME = 1718;
constexpr int IDC_BROWSE_SONAR = 1001;
constexpr int IDC_CHANNEL_LIST = 1721;
constexpr int IDC_SONAR_PING_COUNT = 1725;
constexpr int IDC_PAIR_1 = 1005;
constexpr int IDC_PAIR_3 = 1008;
constexpr int IDC_PAIR_2 = 1006;
constexpr int IDC_PAIR_4 = 1022;
constexpr int IDC_SUBBOTTOM = 1007;
constexpr int IDC_CHANNEL_1 = 1009;
constexpr int IDC_CHANNEL_2 = 1014;
constexpr int IDC_CHANNEL_3 = 1015;
constexpr int IDC_CHANNEL_4 = 1016;
constexpr int IDC_CHANNEL_5 = 1017;
constexpr int IDC_CHANNEL_6 = 1018;
constexpr int IDC_CHANNEL_7 = 1020;
constexpr int IDC_CHANNEL_8 = 1021;
constexpr int IDC_REVERSE_SAMPLES = 1019;
constexpr int IDC_SHIP = 1012;
constexpr int IDC_SENSOR = 1013;

// Band 2: the SEG-Y file and its byte order
constexpr int IDC_SEGY_FILE_NAME = 1719;
constexpr int IDC_BROWSE_SEGY = 1002;
constexpr int IDC_BIG_ENDIAN = 1010;
constexpr int IDC_LITTLE_ENDIAN = 1011;

// Band 3: processing
constexpr int IDC_PING_NUMBER = 1722;
constexpr int IDC_VERBOSE = 1728;
constexpr int IDC_SHIP_POSITION_1 = 1723;
constexpr int IDC_SHIP_POSITION_2 = 1726;
constexpr int IDC_PROCESS = 1003;
constexpr int IDC_SENSOR_POSITION_1 = 1724;
constexpr int IDC_SENSOR_POSITION_2 = 1727;

// Band 4: information
constexpr int IDC_STATUS = 1720;
constexpr int IDC_EXIT = 1000;
constexpr int IDC_PROGRESS = 1201;

// Menu 103
constexpr unsigned IDM_SELECT_SONAR_FILE = 40021;
constexpr unsigned IDM_SELECT_SEGY_FILE = 40022;
constexpr unsigned IDM_EXIT = 40002;
constexpr unsigned IDM_PROCESSING_INFO = 40029;
