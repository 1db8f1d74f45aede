// Resource and control ids shared by the .rc files and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_KELVARA_DIALOG 103
#define IDR_MAINFRAME 128

#define IDC_FOOTER_BAND 1001
#define IDC_HEADER_TOP_LINE 1004
#define IDC_HEADER_LINE 1006
#define IDC_PRODUCT_ICON 1007
#define IDC_PRODUCT_TITLE 1008
#define IDC_PAGE_AREA 1014
#define IDC_ABOUT_VERSION 1045
#define IDC_SHOW_ERROR_PAGE 1038

#define IDM_ABOUTBOX 0x0010
#define IDC_STATIC -1
