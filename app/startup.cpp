// Placeholder until start-up is written.
#include "app/app.h"

int RunVelmo(HINSTANCE) { return 0; }
