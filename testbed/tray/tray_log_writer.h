// The recorder's side of the shared record log.
#pragma once

#include "testbed/tray/tray_record.h"

namespace testbed {

// Creates (or takes over) the named mapping and mutex and empties the log; false when they
// cannot be made.
bool OpenTrayLog();
void CloseTrayLog();

// Appends a record (its sequence number is set here); records past the capacity are counted only.
void AppendTrayRecord(TrayRecord* record);
void ClearTrayLog();

}  // namespace testbed
