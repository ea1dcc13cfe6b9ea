// The dialogs load their templates through the program's instance handle, which start-up would
// set: here it is the test program's own module, which carries the program's resources.
#include "app/app.h"

static const bool InstanceSet = (AppInstance = GetModuleHandleA(nullptr), true);
