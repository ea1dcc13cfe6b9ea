// Ids of the resources and commands, shared by the resource script and the code.
#pragma once

// Icons
#define IDI_APP 107
#define IDI_TRAY_IDLE 119
#define IDI_TRAY_ACTIVE 121
#define IDI_HIDE 122

// Menu
#define IDR_TRAYMENU 104

// Dialogs
#define IDD_ABOUT 101
#define IDD_OPTIONS 102

// Commands
#define IDM_TOGGLE_MIRROR 40001
#define IDM_EXIT 40002
#define IDM_REFRESH 40005
#define IDM_OPTIONS 40018
#define IDM_ABOUT 40019
#define IDM_HELP 40021

// Options dialog controls
#define IDC_HIDE_ON_KILLFOCUS 1001
#define IDC_HIDE_ON_MISS_CLICK 1003
#define IDC_MIN_AREA 1004
#define IDC_WATCH_DESKTOP 1005
#define IDC_TOPMOST 1009
#define IDC_MOVE_TO_HIDE 1010
#define IDC_DOUBLE_KEY 1011
#define IDC_HIDE_ON_ESCAPE 1012
#define IDC_DEFAULTS 1013
#define IDC_USE_SINGLE_KEY 1014
#define IDC_USE_DOUBLE_KEY 1015
#define IDC_SINGLE_KEY 1016
#define IDC_MOUSE_RDBLCLK 1018
#define IDC_OPTIONS_HELP 1019

// About dialog controls
#define IDC_HOMEPAGE 1013

// Strings: the tray menu's first item as it follows the mirror
#define IDS_SHOW_MIRROR 200
#define IDS_PUT_BACK_MIRROR 201

// Strings: the notice that signing out finishes an update
#define IDS_SIGN_OUT_TO_FINISH 231

// Strings: the names of the keys that the options dialog lists
#define IDS_KEY_CTRL 210
#define IDS_KEY_SHIFT 211
#define IDS_KEY_ALT 212
#define IDS_KEY_INSERT 213
#define IDS_KEY_CAPS_LOCK 214
#define IDS_KEY_KANA 215
#define IDS_KEY_CONVERT 216
#define IDS_KEY_NONCONVERT 217
#define IDS_KEY_F13 218
#define IDS_KEY_F14 219
#define IDS_KEY_F15 220

// Strings: what the program says before it gives up on a machine it cannot work on
#define IDS_ARM64_UNSUPPORTED 230
