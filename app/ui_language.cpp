#include "app/ui_language.h"

#include "app/app.h"

// What DialogBoxParamA answers when the dialog cannot be made.
constexpr INT_PTR DIALOG_FAILED = -1;

LANGID UiLanguageFor(LANGID systemLanguage) {
  return PRIMARYLANGID(systemLanguage) == LANG_JAPANESE ? JAPANESE_UI : ENGLISH_UI;
}

const LANGID UiLanguage = UiLanguageFor(GetUserDefaultUILanguage());

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
