// Placeholder until the shell launching is written.
#include "settings/dialogs.h"

const char HomePageUrl[] = VELMO_HOME_PAGE_URL;

int OpenUrl(const char*) { return 0; }
void OpenHelpPage() {}
