#include "app/app.h"
int RunVelmo(HINSTANCE) { return 0; }
