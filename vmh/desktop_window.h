// The hook library finds the desktop's list view with the program's own lookup.
#pragma once

#include "hooklib/desktop_lookup.h"
