// Resource identifiers shared by tovrel.rc and the code that loads them.
#pragma once

#define IDI_TOVREL 1      // the road-sign icon: window and program file
#define IDD_SETTINGS 100  // the settings window
// The product-name banner, a 32-colour bitmap, drawn for each of these DPIs.
#define IDB_BANNER 101  // 96 DPI
#define IDB_BANNER_120 102
#define IDB_BANNER_144 103
#define IDB_BANNER_192 104
