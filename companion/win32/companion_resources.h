// Resource ids of SubWrendle.exe.
#pragma once

#define IDI_COMPANION 132
#define IDB_WRITE_PAD 137
#define IDB_FULL_SCREEN 138
#define IDB_INKPOST 139
#define IDB_READING 141
#define IDB_EXIT 142

#define IDS_TIP 1
#define IDS_WRITE_PAD_MODE 102
#define IDS_FULL_SCREEN_MODE 103
#define IDS_INKPOST 104
#define IDS_MARKWELL 105
#define IDS_READING 106
#define IDS_EXIT 107
#define IDS_EXIT_WITH_PROGRAM 110
#define IDS_EXIT_ALONE 112
