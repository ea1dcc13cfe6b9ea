// Placeholder until shortcut arrows are written.
#include "mirror/mirror.h"

void ApplyShortcutOverlays() {}
