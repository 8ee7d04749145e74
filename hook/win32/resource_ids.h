/* Resource ids of JEBHOOK32.dll, shared by the resource script and the code
   (hence macros). */
#pragma once

#define IDS_VERSION_CONFLICT 1
#define IDS_LIBRARY_NAME 2
#define IDS_HOOK_MOUSE_CALLED 3
#define IDC_PEN 101
