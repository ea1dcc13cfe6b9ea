// The sample items of the shell's own desktop: a folder, text files with Japanese and ASCII names
// ("表示" ends in the byte 0x5C in code page 932) and a shortcut to Notepad, made with IShellLink.
#pragma once

#include <string>

constexpr char SAMPLE_FOLDER[] = "資料";
constexpr char SAMPLE_JAPANESE_TEXT[] = "表示.txt";
constexpr char SAMPLE_ASCII_TEXT[] = "readme.txt";
constexpr char SAMPLE_SHORTCUT[] = "メモ帳.lnk";

// Makes the items in folder, which must exist, replacing any of the same names. COM must be
// initialised on the calling thread. True when every item was made.
bool MakeSampleDesktop(const std::string& folder);
