// The memory that the stand-in desktop shares with the test that started it: its window handles,
// whether it is ready, every input message its list view received, and what a double click opened.
// The client makes the section and passes its name on standin.exe's command line (/shared:NAME).
#pragma once

#include <windows.h>

#include <cstdint>

#include "testbed/message_record.h"

constexpr uint32_t STANDIN_RECORD_CAPACITY = 16384;
constexpr int STANDIN_OPENED_SIZE = 320;

constexpr int STANDIN_KEYBOARD_STATE_SIZE = 256;
// What the list view's thread read of its own Ctrl and Shift (GetKeyState) for a key message.
constexpr uint8_t STANDIN_HELD_CONTROL = 1;
constexpr uint8_t STANDIN_HELD_SHIFT = 2;
// Posted to the list view: its thread makes its own keyboard state hold Ctrl (and left Ctrl) down;
// its thread writes its whole keyboard state into keyboardState and counts keyboardStates.
constexpr UINT STANDIN_HOLD_CONTROL = WM_APP + 1;
constexpr UINT STANDIN_TAKE_KEYBOARD_STATE = WM_APP + 2;

constexpr uint32_t STANDIN_STARTING = 0;
constexpr uint32_t STANDIN_READY = 1;
constexpr uint32_t STANDIN_FAILED = 2;

struct StandinShared {
  volatile uint32_t state;  // STANDIN_STARTING, then STANDIN_READY or STANDIN_FAILED
  uint32_t processId;
  uint64_t progman;  // window handles as numbers, the same in 32- and 64-bit processes
  uint64_t workerW;
  uint64_t defView;
  uint64_t listView;
  volatile LONG recordCount;  // may run past the capacity: later messages are counted, not kept
  volatile LONG openedCount;
  char lastOpened[STANDIN_OPENED_SIZE];  // the text of the item opened last
  MessageRecord records[STANDIN_RECORD_CAPACITY];
  uint8_t held[STANDIN_RECORD_CAPACITY];  // for each record of a key message: STANDIN_HELD_...
  volatile LONG keyboardStates;
  uint8_t keyboardState[STANDIN_KEYBOARD_STATE_SIZE];
};
