// Identifiers of the program's resources: menus, dialogs, pictures, commands
// and controls. Shared by the resource script and the sources.
#pragma once

// Menus
#define IDR_TRAYMENU 115
#define IDR_MAINMENU 143

// Dialogs
#define IDD_MAIN 101
#define IDD_SCAN_OPTIONS 102
#define IDD_COMPARE_FILES 103
#define IDD_ARCHIVE_TYPE 104
#define IDD_RESTORE_ARCHIVE 105
#define IDD_SCAN_CHOICES 106
#define IDD_SCAN_TYPE 107
#define IDD_SCAN_REPORT_FILE 110
#define IDD_SCAN_PROGRESS 111
#define IDD_COMPARE_RESULT 121
#define IDD_ARCHIVE_OPTIONS 123
#define IDD_ARCHIVE_TREE 124
#define IDD_ARCHIVE_PROGRESS 125
#define IDD_ARCHIVE_NAME 126
#define IDD_RESTORE_PROGRESS 127
#define IDD_RESTORE_OPTIONS 128
#define IDD_RESTORE_CONTENTS 129
#define IDD_ABOUT 147
#define IDD_SETTINGS 170
#define IDD_ARCHIVE_WELCOME 174
#define IDD_RESTORE_WELCOME 175
#define IDD_SCAN_WELCOME 176
#define IDD_COMPARE_WELCOME 177

// Icon and pictures
#define IDI_MAIN 109
#define IDB_STEP_RUNNING 117
#define IDB_STEP_DONE 119
#define IDB_STEP_PENDING 120
#define IDB_WIZARD_SCAN 163
#define IDB_WIZARD_RESTORE 167
#define IDB_WIZARD_COMPARE 168
#define IDB_WIZARD_ARCHIVE 169
#define IDB_ABOUT 178
#define IDB_SPLASH 180
#define IDB_SCAN 191
#define IDB_RESTORE 192
#define IDB_COMPARE 193
#define IDB_ARCHIVE 194
// The tree selector's own 16x16 pictures, for icons the system files lack
#define IDB_TREE_IMAGES 196

// The link cursor of the About box
#define IDC_LINK_CURSOR 100

// Texts the program writes out and opens (resource type "RT_TXT")
#define IDR_README 172
#define IDR_LICENSE 173

// Commands
#define ID_FILE_NEWARCHIVE 40003
#define ID_FILE_OPENARCHIVE 40004
#define ID_ACTION_SCAN 40005
#define ID_ACTION_COMPARE 40006
#define ID_APP_ABOUT 40008
#define ID_HELP_README 40012
#define ID_HELP_LICENSE 40013
#define ID_APP_SETTINGSEDITOR 40014
#define ID_OPTIONS_SETTINGS 40015
#define ID_TOOL_REGEDIT 40016
#define ID_TOOL_SYSEDIT 40017
#define ID_TOOL_TASKMAN 40018
#define ID_TOOL_PROGMAN 40019
#define ID_TOOL_WINFILE 40020
#define ID_TOOL_MKCOMPAT 40021
#define ID_TOOL_DRWATSON 40022
#define ID_SYS_LOGOFF 40024
#define ID_SYS_POWEROFF 40025
#define ID_SYS_REBOOT 40026
#define ID_SYS_CLOSEALL 40027
#define ID_SYS_FORCEDLOGOFF 40028
#define ID_TRAY_MINIMIZE 40029
#define ID_TRAY_RESTORE 40030
#define ID_OPTIONS_ALWAYSTRAY 40031
#define ID_APP_EXIT 40032
#define ID_HELP_SITE 40033
#define ID_TOOL_REGEDT32 40035
#define ID_TOOL_DRWTSN32 40039
#define ID_TOOL_WINIPCFG 40040
#define ID_TOOL_DCOMCNFG 40041
#define ID_TOOL_SIGVERIF 40042
#define ID_TOOL_MMC 40043
#define ID_TOOL_IPSECMON 40044
#define ID_TOOL_VERIFIER 40045
#define ID_TOOL_WINREP 40046
#define ID_TOOL_MSCONFIG 40048
#define ID_TOOL_SCANREGW 40049
#define ID_TOOL_DXDIAG 40051
#define ID_TOOL_CLICONFG 40052
#define ID_SYS_BOOTDISK 40059
#define ID_SYS_QUICKREBOOT 40062

// Links of the About box: the maker's site and mail, the two credited people's mail
#define IDC_ABOUT_SITE 1093
#define IDC_ABOUT_MAIL 1094
#define IDC_ABOUT_MAIL_CODE 1092
#define IDC_ABOUT_MAIL_ART 1109

// Controls of the main dialog
#define IDC_ARCHIVE 1001
#define IDC_RESTORE 1002
#define IDC_SCAN 1003
#define IDC_COMPARE 1004

// Controls of the wizard pages: the welcome pages' check box, the progress
// pages' list, labels, bars and percent texts, the result page's buttons
#define IDC_CLOSE_ALL 1104
#define IDC_MESSAGES 1036
#define IDC_SCAN_CURRENT 1037
#define IDC_ARCHIVE_CURRENT 1052
#define IDC_PROGRESS 1053
#define IDC_RESTORE_CURRENT 1063
#define IDC_JOB_PROGRESS 1077
#define IDC_PERCENT 1118
#define IDC_JOB_PERCENT 1119
#define IDC_SUMS_NOTE 1120
#define IDC_RESULT_SAVE 1096
#define IDC_RESULT_COPY 1042
#define IDC_RESULT_BACKUP 1001

// Controls of the archiving wizard's middle pages: the four types, the four
// options, the two trees, the archive name and its browse button
#define IDC_TYPE_NORMAL 1016
#define IDC_TYPE_DISK 1017
#define IDC_TYPE_CUSTOM 1018
#define IDC_TYPE_SETTINGS 1038
#define IDC_OPTION_FILES 1060
#define IDC_OPTION_ATTRIBUTES 1009
#define IDC_OPTION_TIMES 1010
#define IDC_OPTION_REGISTRY 1061
#define IDC_FOLDER_TREE 1050
#define IDC_KEY_TREE 1049
#define IDC_FILE_NAME 1034
#define IDC_FILE_BROWSE 1084

// Controls of the scanning wizard's middle pages: the four types, the eight
// options and the two notes, the folder tree, the six roots and eleven files
#define IDC_SCAN_TYPE_NORMAL 1016
#define IDC_SCAN_TYPE_REDUCED 1038
#define IDC_SCAN_TYPE_FULL 1017
#define IDC_SCAN_TYPE_CUSTOM 1018
#define IDC_SCAN_DIRECTORIES 1006
#define IDC_SCAN_SIZES 1008
#define IDC_SCAN_ATTRIBUTES 1009
#define IDC_SCAN_CREATION 1010
#define IDC_SCAN_REGISTRY 1011
#define IDC_SCAN_VALUES 1012
#define IDC_SCAN_SETTINGS 1013
#define IDC_SCAN_DOS 1014
#define IDC_SCAN_NOTE_9X 1116
#define IDC_SCAN_NOTE_NT 1117
#define IDC_SCAN_TREE 1015
#define IDC_SCAN_HKCR 1019
#define IDC_SCAN_HKCU 1020
#define IDC_SCAN_HKLM 1021
#define IDC_SCAN_HKU 1022
#define IDC_SCAN_HKCC 1023
#define IDC_SCAN_HKDD 1024
#define IDC_SCAN_AUTOEXEC_BAT 1025
#define IDC_SCAN_CONFIG_SYS 1026
#define IDC_SCAN_MSDOS_SYS 1027
#define IDC_SCAN_CONTROL_INI 1028
#define IDC_SCAN_SYSTEM_INI 1029
#define IDC_SCAN_WIN_INI 1030
#define IDC_SCAN_WINSTART 1082
#define IDC_SCAN_DOSSTART 1083
#define IDC_SCAN_BOOT_INI 1113
#define IDC_SCAN_AUTOEXEC_NT 1114
#define IDC_SCAN_CONFIG_NT 1115

// Controls of the comparing wizard's selection page
#define IDC_COMPARE_FIRST 1111
#define IDC_COMPARE_SECOND 1112
#define IDC_COMPARE_FIRST_BROWSE 1087
#define IDC_COMPARE_SECOND_BROWSE 1088

// Controls of the restoring wizard's middle pages
#define IDC_RESTORE_ARCHIVE_NAME 1110
#define IDC_RESTORE_TYPE 1095
#define IDC_RESTORE_ATTRIBUTES 1066
#define IDC_RESTORE_TIMES 1067
#define IDC_RESTORE_CLEAR 1068
#define IDC_RESTORE_OVERWRITE 1069

// Controls of the settings dialog
#define IDC_BACKUP_PRIORITY 1099
#define IDC_RESTORE_PRIORITY 1100
#define IDC_SCAN_PRIORITY 1101
#define IDC_COMPARE_PRIORITY 1102
#define IDC_EDITOR_PATH 1106
#define IDC_EDITOR_BROWSE 1107
#define IDC_ZMA_FOLDER 1108
#define IDC_ZMA_BROWSE 1109
#define IDC_ZMR_FOLDER 1110
#define IDC_ZMR_BROWSE 1111
#define IDC_LOG_FOLDER 1112
#define IDC_LOG_BROWSE 1113

// Tray icon
#define ID_TRAY_ICON 1024
#define WM_TRAYNOTIFY (WM_APP + 0x80)
