#include "app/ui_language.h"

#include "app/app.h"

// What DialogBoxParamA answers when the dialog cannot be made.
constexpr INT_PTR DIALOG_FAILED = -1;
// A string table resource holds its texts in blocks of 16, each text a length and UTF-16 units.
constexpr UINT STRINGS_PER_BLOCK = 16;

LANGID UiLanguageFor(LANGID systemLanguage, UINT ansiCodePage) {
  bool japaneseCodePage = ansiCodePage == JAPANESE_CODE_PAGE || ansiCodePage == UTF8_CODE_PAGE;
  bool japanese = PRIMARYLANGID(systemLanguage) == LANG_JAPANESE && japaneseCodePage;
  return japanese ? JAPANESE_UI : ENGLISH_UI;
}

const LANGID UiLanguage = UiLanguageFor(GetUserDefaultUILanguage(), GetACP());

// The resource's data in the language in use, or in Japanese; null when neither exists.
static const void* FindUiResource(LPCSTR type, int id) {
  HRSRC found = FindResourceExA(AppInstance, type, MAKEINTRESOURCEA(id), UiLanguage);
  if (found == nullptr) found = FindResourceExA(AppInstance, type, MAKEINTRESOURCEA(id), JAPANESE_UI);
  if (found == nullptr) return nullptr;
  HGLOBAL loaded = LoadResource(AppInstance, found);
  return loaded != nullptr ? LockResource(loaded) : nullptr;
}

HMENU LoadUiMenu(int id) {
  const void* menuTemplate = FindUiResource(RT_MENU, id);
  return menuTemplate != nullptr ? LoadMenuIndirectA(menuTemplate) : nullptr;
}

INT_PTR UiDialogBox(int id, HWND owner, DLGPROC procedure) {
  const void* dialogTemplate = FindUiResource(RT_DIALOG, id);
  if (dialogTemplate == nullptr) return DIALOG_FAILED;
  return DialogBoxIndirectParamA(AppInstance, static_cast<LPCDLGTEMPLATEA>(dialogTemplate), owner, procedure,
                                 0);
}

void LoadUiString(UINT id, char* text, int size) {
  if (size <= 0) return;
  text[0] = '\0';
  const auto* entry =
      static_cast<const WCHAR*>(FindUiResource(RT_STRING, static_cast<int>(id / STRINGS_PER_BLOCK + 1)));
  if (entry == nullptr) return;
  for (UINT skipped = 0; skipped < id % STRINGS_PER_BLOCK; ++skipped) entry += 1 + *entry;
  int length = WideCharToMultiByte(CP_ACP, 0, entry + 1, *entry, text, size - 1, nullptr, nullptr);
  text[length] = '\0';  // 0 when it did not fit
}
