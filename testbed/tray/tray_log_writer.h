// The recorder's side of the shared record log.
#pragma once

#include "testbed/tray/tray_record.h"

namespace testbed {

// Creates the named mapping and mutex; false when they cannot be made or another recorder
// already has them.
bool OpenTrayLog();
void CloseTrayLog();

// Appends a record (its sequence number is set here); records past the capacity are counted only.
void AppendTrayRecord(TrayRecord* record);
void ClearTrayLog();

}  // namespace testbed
