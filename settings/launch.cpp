// Handing the home page and the local help page to the shell.
#include "settings/dialogs.h"

#include <shellapi.h>

#include <cstring>

#include "app/app.h"
#include "app/path_parts.h"
#include "app/ui_language.h"
#include "settings/launch.h"

// Given when the release is built (VELMO_HOME_URL); empty when none was.
const char HomePageUrl[] = VELMO_HOME_URL;

constexpr char HELP_PAGE_FOLDER[] = "html\\";
constexpr char HELP_PAGE_NAME[] = "option";
constexpr char HELP_PAGE_NAME_ENGLISH[] = "option_en";
constexpr char HELP_PAGE_EXTENSION[] = "html";

int OpenUrl(const char* target) {
  // Shown normally: a browser or a help page started hidden would be of no use to anyone.
  ShellExecuteA(nullptr, nullptr, target, nullptr, nullptr, SW_SHOWNORMAL);
  return 0;
}

bool BuildHelpPagePath(const char* programPath, char* page, size_t pageSize) {
  if (pageSize > 0) page[0] = '\0';
  char drive[PATH_DRIVE_SIZE];
  char directory[PATH_DIRECTORY_SIZE];
  if (!SplitDriveAndDirectory(programPath, drive, sizeof drive, directory, sizeof directory)) return false;
  size_t used = strlen(directory);
  if (used + sizeof HELP_PAGE_FOLDER > sizeof directory) return false;
  memcpy(directory + used, HELP_PAGE_FOLDER, sizeof HELP_PAGE_FOLDER);
  const char* name = IsJapaneseUi() ? HELP_PAGE_NAME : HELP_PAGE_NAME_ENGLISH;
  return JoinPath(page, pageSize, drive, directory, name, HELP_PAGE_EXTENSION);
}

void OpenHelpPage() {
  char program[MAX_PATH];
  DWORD length = GetModuleFileNameA(AppInstance, program, sizeof program);
  if (length == 0 || length >= sizeof program) return;  // none, or cut short
  char page[MAX_PATH];
  if (!BuildHelpPagePath(program, page, sizeof page)) return;
  OpenUrl(page);
}

void OpenHomePage() {
  if (HomePageUrl[0] != '\0') {
    OpenUrl(HomePageUrl);
  } else {
    OpenHelpPage();
  }
}
