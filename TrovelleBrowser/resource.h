// Identifiers of the window's resources, menu commands and child windows.
#pragma once

#define IDI_TROVELLE 1
#define IDR_BROWSER_MENU 100

#define IDC_FOLDER_LIST 1001
#define IDC_ADDRESS 1002
#define IDC_NAVIGATION 1003
#define IDC_STATUS 1004
#define IDC_REBAR 1005
#define IDC_FOLDER_TREE 1006
#define IDC_TREEMAP 1007

#define ID_FILE_NEW_WINDOW 40001
#define ID_FILE_CLOSE 40002
#define ID_FILE_EXPORT 40003
#define ID_VIEW_SHOW_HIDDEN 40010
#define ID_VIEW_REFRESH 40011
#define ID_VIEW_TREEMAP 40012
#define ID_VIEW_COLOUR_BY_TYPE 40013
#define ID_GO_BACK 40020
#define ID_GO_FORWARD 40021
#define ID_GO_UP 40022
#define ID_GO_DRIVES 40023
