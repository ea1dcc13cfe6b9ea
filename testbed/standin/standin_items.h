// The items of the stand-in desktop, as the client tells them to standin.exe: one line each in a
// text file in the ANSI code page (or in UTF-8 when the file starts with a UTF-8 byte order mark),
//   <kind> <x> <y> <image> <name>
// kind: file, link, common-file, common-link, url or plain (an item with no file behind it);
// image: "-" for the item's own picture (image index = item number), or the index to report;
// name: the rest of the line, the text under the icon. Lines starting with '#' are comments.
#pragma once

#include <string>
#include <vector>

enum StandinKind {
  STANDIN_FILE,         // a file named <name> in the desktop folder
  STANDIN_LINK,         // a shortcut <name>.lnk in the desktop folder
  STANDIN_COMMON_FILE,  // a file <name> in the common desktop folder
  STANDIN_COMMON_LINK,  // a shortcut <name>.lnk in the common desktop folder
  STANDIN_URL,          // an Internet shortcut <name>.url in the desktop folder
  STANDIN_PLAIN,        // no file at all
};

constexpr int STANDIN_OWN_IMAGE = -1;

struct StandinItem {
  StandinKind kind;
  int x;
  int y;
  int image;  // STANDIN_OWN_IMAGE, or the image index the list view reports for the item
  std::string name;
};

bool WriteStandinItems(const char* path, const std::vector<StandinItem>& items);
bool ReadStandinItems(const char* path, std::vector<StandinItem>& items);

// The image index an item shows: its own picture is the one at its item number.
inline int StandinImageOf(const StandinItem& item, int number) {
  return item.image == STANDIN_OWN_IMAGE ? number : item.image;
}
