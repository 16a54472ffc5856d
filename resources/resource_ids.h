// Resource identifiers shared by tovrel.rc and the code that loads them.
#pragma once

#define IDI_TOVREL 1      // the road-sign icon: window and program file
#define IDD_SETTINGS 100  // the settings window
#define IDB_BANNER 101    // the product-name banner, a 32-colour bitmap
