#include "testbed/standin/standin_items.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

struct KindWord {
  StandinKind kind;
  const char* word;
};

static const KindWord KIND_WORDS[] = {
    {STANDIN_FILE, "file"},
    {STANDIN_LINK, "link"},
    {STANDIN_COMMON_FILE, "common-file"},
    {STANDIN_COMMON_LINK, "common-link"},
    {STANDIN_URL, "url"},
    {STANDIN_PLAIN, "plain"},
};

static const char* WordOf(StandinKind kind) {
  for (const KindWord& entry : KIND_WORDS)
    if (entry.kind == kind) return entry.word;
  return "plain";
}

static bool KindOf(const char* word, StandinKind& kind) {
  for (const KindWord& entry : KIND_WORDS) {
    if (strcmp(entry.word, word) == 0) {
      kind = entry.kind;
      return true;
    }
  }
  return false;
}

bool WriteStandinItems(const char* path, const std::vector<StandinItem>& items) {
  FILE* file = fopen(path, "wb");
  if (file == nullptr) return false;
  for (const StandinItem& item : items) {
    if (item.image == STANDIN_OWN_IMAGE)
      fprintf(file, "%s %d %d - %s\n", WordOf(item.kind), item.x, item.y, item.name.c_str());
    else
      fprintf(file, "%s %d %d %d %s\n", WordOf(item.kind), item.x, item.y, item.image, item.name.c_str());
  }
  return fclose(file) == 0;
}

// One line: four words separated by single spaces, then the name up to the line's end.
static bool ParseLine(char* line, StandinItem& item) {
  char* fields[4];
  char* cursor = line;
  for (char*& field : fields) {
    field = cursor;
    cursor = strchr(cursor, ' ');
    if (cursor == nullptr) return false;
    *cursor++ = '\0';
  }
  if (!KindOf(fields[0], item.kind)) return false;
  item.x = atoi(fields[1]);
  item.y = atoi(fields[2]);
  item.image = strcmp(fields[3], "-") == 0 ? STANDIN_OWN_IMAGE : atoi(fields[3]);
  item.name = cursor;
  return !item.name.empty();
}

bool ReadStandinItems(const char* path, std::vector<StandinItem>& items) {
  FILE* file = fopen(path, "rb");
  if (file == nullptr) return false;
  char line[1024];
  bool good = true;
  while (good && fgets(line, sizeof line, file) != nullptr) {
    line[strcspn(line, "\r\n")] = '\0';
    if (line[0] == '#' || line[0] == '\0') continue;
    StandinItem item;
    good = ParseLine(line, item);
    if (good) items.push_back(item);
  }
  fclose(file);
  return good;
}
