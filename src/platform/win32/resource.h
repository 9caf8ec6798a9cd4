// Identifiers shared by the program's resources and its code.
#pragma once

#define IDI_APP 1

#define IDD_ABOUT 100
#define IDC_ABOUT_PRODUCT 101
#define IDC_ABOUT_VERSION 102
#define IDC_ABOUT_TEXT 103
#define IDC_ABOUT_LINK 104
#define IDC_ABOUT_ICON 105
