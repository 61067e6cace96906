// The ids of the resources in quoteforge.rc and of the commands and controls they name; included by the
// resource script and the code, so plain #defines only.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_ABOUTBOX 100
#define IDD_SETTINGS 130
#define IDD_BATCH 131
#define IDD_EXPORT 132

// Commands, with the status-bar prompt and tool tip of each under its id in the string table.
#define ID_FILE_NEW 57600
#define ID_FILE_OPEN 57601
#define ID_FILE_MRU_FILE1 57616
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_HELP_FINDER 57667
#define ID_CONTEXT_HELP 57669
#define ID_HELP 57670
#define ID_EDIT_COPY 57634
#define ID_EDIT_CUT 57635
#define ID_EDIT_PASTE 57637
#define ID_EDIT_UNDO 57643
#define ID_NEXT_PANE 57680
#define ID_PREV_PANE 57681
#define ID_FILE_SETTINGS 32771
#define ID_VIEW_CLEARWINDOW 32774
#define ID_FILE_CONVERTMANY 32775
#define ID_VIEW_PREVIEWGRID 32776
#define ID_VIEW_DIRECTORYPANEL 32777
#define IDS_IDLE 59136

// The About box.
#define IDC_ABOUT_LEGAL 1004
#define IDC_ABOUT_VERSION 1005
#define IDC_ABOUT_COPYRIGHT 1006
#define IDC_ABOUT_PURPOSE 1007
#define IDC_ABOUT_MADEBY 1008
#define IDC_ABOUT_WHAT 1009
#define IDC_ABOUT_LEGALBOX 1010
#define IDC_ABOUT_MAIL 1022
#define IDC_ABOUT_WEB 1023

// The Conversion Settings dialog; each number edit's arrow pair has the id after the edit's.
#define IDC_DATECOL 1004
#define IDC_OPENON 1009
#define IDC_OPENCOL 1010
#define IDC_HION 1012
#define IDC_HICOL 1013
#define IDC_LOON 1015
#define IDC_LOCOL 1016
#define IDC_CLOCOL 1019
#define IDC_VOLON 1021
#define IDC_VOLCOL 1022
#define IDC_OION 1024
#define IDC_OICOL 1025
#define IDC_PATH 1027
#define IDC_USEEXISTING 1028
#define IDC_MAKENEW 1029
#define IDC_BROWSE 1030
#define IDC_SYMBOL 1031
#define IDC_NAME 1032
#define IDC_SKIPROWS 1033
#define IDC_SKIPON 1035
#define IDC_COMMA 1036
#define IDC_TAB 1037
#define IDC_SPACE 1038
#define IDC_DATEFORMAT 1039
#define IDC_SEMICOLON 1040
#define IDC_DETECT 1041
#define IDC_DAILY 1042
#define IDC_DECIMALCOMMA 1043
#define IDC_NOTE 1044
#define IDC_TIMEFRAME 1045
#define IDC_TICKERON 1046
#define IDC_TICKERCOL 1047

// Convert Many Files.
#define IDC_BATCH_LIST 1101
#define IDC_BATCH_ADD 1102
#define IDC_BATCH_REMOVE 1103
#define IDC_BATCH_ONELAYOUT 1104
#define IDC_BATCH_DETECT 1105
#define IDC_BATCH_DAILY 1106
#define IDC_BATCH_DIRECTORY 1107
#define IDC_BATCH_BROWSE 1108
#define IDC_BATCH_CONVERT 1109
#define IDC_BATCH_PROGRESS 1110
#define IDC_BATCH_STATUS 1111
#define IDC_BATCH_TICKERON 1112
#define IDC_BATCH_TICKERCOL 1113

// The Directory panel and its Export options.
#define IDC_PANEL_CAPTION 1201
#define IDC_PANEL_LIST 1202
#define IDC_PANEL_CHOOSE 1203
#define IDC_PANEL_OPENFOLDER 1204
#define IDC_PANEL_EXPORT 1205
#define IDC_PANEL_REMOVE 1206
#define IDC_PANEL_CHECK 1207
#define IDC_EXPORT_DATEFORMAT 1211
#define IDC_EXPORT_DELIMITER 1212
#define IDC_EXPORT_HEADER 1213

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
