// The language of the user interface: Japanese on systems whose user interface language is
// Japanese and whose ANSI code page is 932 or UTF-8 (65001), English everywhere else. Chosen once
// when the program starts; the trace texts are Japanese in both. The texts are handed to the "A"
// functions, so a Japanese text needs an ANSI code page that can carry it: every text the user
// sees comes from the resources (menus and dialogs in UTF-16, the string tables converted to the
// ANSI code page by LoadUiString), never from a literal in the code, which is compiled in code
// page 932. The English ones are plain ASCII.
#pragma once

#include <windows.h>

constexpr LANGID JAPANESE_UI = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
constexpr LANGID ENGLISH_UI = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr UINT JAPANESE_CODE_PAGE = 932;
constexpr UINT UTF8_CODE_PAGE = CP_UTF8;

// The interface language for a system whose user interface language is systemLanguage and whose
// ANSI code page is ansiCodePage.
LANGID UiLanguageFor(LANGID systemLanguage, UINT ansiCodePage);

// The language in use, from the user's interface language and the ANSI code page at start-up.
extern const LANGID UiLanguage;
inline bool IsJapaneseUi() { return UiLanguage == JAPANESE_UI; }

// The program's menu and dialogs in the language in use, whatever the thread's own language says.
// A resource missing in that language is taken in Japanese.
HMENU LoadUiMenu(int id);
INT_PTR UiDialogBox(int id, HWND owner, DLGPROC procedure);
// The string-table text `id` in the language in use, in the ANSI code page, cut to size bytes with
// its terminator; empty when there is none or it does not fit.
void LoadUiString(UINT id, char* text, int size);
