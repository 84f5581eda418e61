// Identifiers shared by the resource script and the code.
#pragma once

#define IDS_DESCRIPTION 1
#define IDD_SETTINGS 101
#define IDC_METHOD_LIST 1002
#define IDC_SHOW_TREBLE 1003
#define ID_EXPORT_NOTATION 1005
