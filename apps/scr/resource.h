// Resource numbers of Brindlemar.scr, shared by the resource script and the
// program.
#pragma once

#define IDS_DESCRIPTION 1
#define IDD_CHANGE_PASSWORD 134
#define IDC_NEW_PASSWORD 1001
#define IDC_CONFIRM_PASSWORD 1003
#define IDC_STATIC_TEXT 1002
