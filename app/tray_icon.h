// The notification-area icon's record, shared by the operations on it and MainWindow's procedure.
#pragma once

#include <windows.h>
#include <shellapi.h>

extern NOTIFYICONDATAA TrayIconData;
