#include "testbed/standin/standin_items.h"

#include <windows.h>

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

constexpr char UTF8_BOM[] = "\xEF\xBB\xBF";
constexpr int LINE_SIZE = 1024;

// A UTF-8 line in the ANSI code page, in place; false when it does not convert.
static bool Utf8ToAnsi(char* line, size_t size) {
  wchar_t wide[LINE_SIZE];
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, line, -1, wide, LINE_SIZE) == 0) return false;
  return WideCharToMultiByte(CP_ACP, 0, wide, -1, line, static_cast<int>(size), nullptr, nullptr) != 0;
}

bool ReadStandinItems(const char* path, std::vector<StandinItem>& items) {
  FILE* file = fopen(path, "rb");
  if (file == nullptr) return false;
  char line[LINE_SIZE];
  bool good = true;
  bool utf8 = false;
  for (bool first = true; good && fgets(line, sizeof line, file) != nullptr; first = false) {
    line[strcspn(line, "\r\n")] = '\0';
    if (first && strncmp(line, UTF8_BOM, sizeof UTF8_BOM - 1) == 0) {
      utf8 = true;
      memmove(line, line + sizeof UTF8_BOM - 1, strlen(line) - (sizeof UTF8_BOM - 1) + 1);
    }
    if (utf8 && !Utf8ToAnsi(line, sizeof line)) good = false;
    if (!good || line[0] == '#' || line[0] == '\0') continue;
    StandinItem item;
    good = ParseLine(line, item);
    if (good) items.push_back(item);
  }
  fclose(file);
  return good;
}
