/* Resource identifiers shared by the resource script and the window procedure. The resource
   compiler reads only the preprocessor, hence plain defines. */
#pragma once

#define IDR_MENU 101
#define IDD_DIALOG 102
#define IDC_CLOSE 1000
#define ID_QUIT 40001
#define ID_SHOW_DIALOG 40002
#define ID_ALWAYS_ON_TOP 40003
