// One window message as a test saw it arrive, in a fixed layout so that it can also cross from the
// stand-in desktop's process to a test.
#pragma once

#include <cstdint>

struct MessageRecord {
  uint32_t message;
  uint32_t posted;  // 1: taken from the queue, 0: sent
  uint64_t wParam;
  int64_t lParam;
};

static_assert(sizeof(MessageRecord) == 24, "MessageRecord crosses processes");
