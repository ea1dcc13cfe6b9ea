// The stand-in desktop's item pictures: plain icons without a shortcut arrow, as the real desktop's
// image list holds them, each one different (its colour and a pattern of its number), so that a
// picture shown at the wrong index is noticed. Tests make the same list to compare pixels.
#pragma once

#include <windows.h>
#include <commctrl.h>

// An image list of the system's large-icon size with one picture per item number 0..count-1.
// The caller destroys it.
HIMAGELIST MakeStandinImageList(int count);
