// The language of the user interface: Japanese on systems whose user interface language is
// Japanese, English everywhere else. Chosen once when the program starts; the trace texts are
// Japanese in both.
#pragma once

#include <windows.h>

constexpr LANGID JAPANESE_UI = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
constexpr LANGID ENGLISH_UI = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The interface language for a system whose user interface language is systemLanguage.
LANGID UiLanguageFor(LANGID systemLanguage);

// The language in use, from the user's interface language at start-up.
extern const LANGID UiLanguage;
inline bool IsJapaneseUi() { return UiLanguage == JAPANESE_UI; }

// The program's menu and dialogs in the language in use, whatever the thread's own language says.
// A resource missing in that language is taken in Japanese.
HMENU LoadUiMenu(int id);
INT_PTR UiDialogBox(int id, HWND owner, DLGPROC procedure);
