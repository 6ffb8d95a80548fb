/* The numbers of the configuration dialogs, their controls and the
 * program's icon, shared by the dialog logic and the resource script (which
 * the resource compiler reads as C: macros only, no C++ here).
 *
 * Ids repeat between dialogs (1001 is an edit in several of them); each
 * dialog's block lists its own. Labels that carry no id use
 * IDC_STATIC_LABEL. */
#ifndef BRINDLEMAR_UI_DIALOG_IDS_H
#define BRINDLEMAR_UI_DIALOG_IDS_H

/* Dialogs and the icon. */
#define IDD_ABOUT 100
#define IDI_BRINDLEMAR 128
#define IDD_ADD_FAVORITE 131
#define IDD_MESSAGES 132
#define IDD_REMOVE_FAVORITE 135
#define IDD_REPLACE_FAVORITE 136
#define IDD_STYLE_SETTINGS 138
#define IDD_CONFIG 2003

/* Buttons every dialog has. */
#define IDC_OK 1
#define IDC_CANCEL 2
#define IDC_STATIC_LABEL (-1)

/* Dialog 2003, the Main page (1000 to 1053). */
#define IDC_GRAINS 1000
#define IDC_REFLECTION_COUNT 1002
#define IDC_TRAIL_LENGTH 1003
#define IDC_CONFIGURATION 1005
#define IDC_COMPLEXITY 1006
#define IDC_VISCOSITY 1009
#define IDC_ACTIVITY 1010
#define IDC_EXTRA_TWIST 1011
#define IDC_BRIGHTNESS 1012
#define IDC_SYMMETRIC 1015
#define IDC_DIMENSIONALITY 1018
#define IDC_COLOR_RATE 1019
#define IDC_DOTS 1020
#define IDC_SPARKLES 1021
#define IDC_FUZZIES 1022
#define IDC_FAVORITES 1023
#define IDC_ADD_FAVORITE 1024
#define IDC_REMOVE_FAVORITE 1026
#define IDC_FAVORITES_LABEL 1028
#define IDC_DIMENSIONALITY_LABEL 1030
#define IDC_LARGE_DOTS 1031
#define IDC_VERTICAL_BARS 1032
#define IDC_TRAILS 1036
#define IDC_REFLECTIONS 1037
#define IDC_STYLE_SET 1038
#define IDC_TRAIL_SPIN 1039
#define IDC_REFLECTION_SPIN 1040
#define IDC_DITHER 1041
#define IDC_CONFIGURATION_LABEL 1042
#define IDC_GRAINS_LABEL 1043
#define IDC_CUSTOM_LABEL 1044
#define IDC_CUSTOM_LINE 1045
#define IDC_ACTIVITY_LOW 1046
#define IDC_ACTIVITY_HIGH 1047
#define IDC_VISCOSITY_LOW 1048
#define IDC_VISCOSITY_HIGH 1049
#define IDC_COMPLEXITY_LOW 1050
#define IDC_COMPLEXITY_HIGH 1051
#define IDC_BRIGHTNESS_LOW 1052
#define IDC_BRIGHTNESS_HIGH 1053
#define IDC_MAIN_PAGE_FIRST 1000
#define IDC_MAIN_PAGE_LAST 1053

/* Dialog 2003, the Random page (1075 to 1082). */
#define IDC_RANDOM_LIST 1075
#define IDC_MIN_TIME 1076
#define IDC_MAX_TIME 1077
#define IDC_DELAY_LABEL 1078
#define IDC_DELAY_AND 1079
#define IDC_DELAY_SECONDS 1080
#define IDC_RANDOM_HINT 1081
#define IDC_RANDOM_CHOSEN 1082
#define IDC_RANDOM_PAGE_FIRST 1075
#define IDC_RANDOM_PAGE_LAST 1082

/* Dialog 2003, on both pages. */
#define IDC_USE_DIRECTDRAW 1100
#define IDC_SHOW_MESSAGES 1101
#define IDC_SHOW_CLOCK 1102
#define IDC_SHOW_ZODIAC 1103
#define IDC_DISPLAY_MODES 1104
#define IDC_HELP_BUTTON 1105
#define IDC_EDIT_MESSAGES 1106
#define IDC_ABOUT_BUTTON 1107
#define IDC_WEB_PAGE 1108
#define IDC_TABS 1110
#define IDC_PREVIEW_FRAME 1111
#define IDC_FULL_SCREEN_PREVIEW 1112
#define IDC_MONITORS 1113
#define IDC_MONITORS_LABEL 1114
#define IDC_PASSWORD_NOTE 1128

/* Dialogs 131, 135 and 136: the name. */
#define IDC_FAVORITE_NAME 1001

/* Dialog 132. */
#define IDC_MESSAGES_MIN_TIME 1001
#define IDC_MESSAGES_MAX_TIME 1002
#define IDC_MESSAGES_FONT 1004
#define IDC_MESSAGES_ITALIC 1011
#define IDC_MESSAGES_BOLD 1013
#define IDC_MESSAGES_TEXT 1017

/* Dialog 138: setting k (2 to 4) has its name, edit and range text. */
#define IDC_STYLE_DEFAULTS 3
#define IDC_STYLE_VALUE2 1001
#define IDC_STYLE_VALUE3 1002
#define IDC_STYLE_VALUE4 1003
#define IDC_STYLE_BLACK 1020
#define IDC_STYLE_WHITE 1021
#define IDC_STYLE_RANDOM 1022
#define IDC_STYLE_NAME2 1028
#define IDC_STYLE_NAME3 1029
#define IDC_STYLE_NAME4 1030
#define IDC_STYLE_RANGE2 1033
#define IDC_STYLE_RANGE3 1034
#define IDC_STYLE_RANGE4 1035

/* Dialogs 132 and 138. */
#define IDC_DIALOG_HELP 9876

/* Dialog 100. */
#define IDC_ABOUT_VERSION 1201

/* The help pages built into the program (ui/help_pages.h names them). */
#define IDR_HELP_INDEX 301
#define IDR_HELP_MAIN 302
#define IDR_HELP_MESSAGES 303
#define IDR_HELP_ADDITIONAL 304
#define IDR_HELP_ABOUT 305
#define IDR_HELP_STYLE 306

#endif
