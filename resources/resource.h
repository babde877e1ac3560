// Identifiers of the programs' resources and the product's names, shared by the resource
// scripts and the code.
#pragma once

// Page templates.
#define IDD_WELCOME 101
#define IDD_COMPLETE 103
#define IDD_PROGRESS 117
#define IDD_REMOVE 118
#define IDD_NOTICE 120

// Controls of the page templates.
#define IDC_PAGE_NEXT 1001
#define IDC_PAGE_BACK 1005
#define IDC_PAGE_CLOSE 1007
#define IDC_PAGE_PROGRESS 1010
#define IDC_PAGE_RESTART 1013

// Faces of the image button.
#define IDB_FACE_PRESSED 104
#define IDB_FACE_HOVER 105
#define IDB_FACE_NORMAL 106

// The uninstaller's icon.
#define IDI_UNINSTALL 5

// Names as Windows shows them (narrow UTF-8 literals; prefix L"" in code for the wide form).
#define ZENTA_PRODUCT_NAME "Zenta LUM"
#define ZENTA_DISPLAY_NAME "Zenta LUM系统"
#define ZENTA_PUBLISHER "星岚计算机技术公司"
