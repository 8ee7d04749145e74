// Resource ids of the progress dialog.
#pragma once

#define ZUN_METER_DIALOG 101
#define ZUN_METER_CONTROL 1003
#define ZUN_METER_CANCEL 2
