// The pixels of one image-list picture, drawn over a fixed background, for comparing two lists.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <vector>

std::vector<uint32_t> ImagePixels(HIMAGELIST list, int index);
