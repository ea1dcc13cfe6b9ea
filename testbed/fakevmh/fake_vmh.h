// A fake hook library: the seven exports of vmh.dll (hooklib/vmh.h), defined in a static library
// that a test links instead of the real one. Every call is recorded in order with its arguments;
// GetDeskTopData serves what the test scripted, with a fresh copy of the image list on each call
// (the caller owns and destroys it, as with the real library); Dprint texts are kept.
//
//   FakeVmh::Reset();
//   FakeVmh::Serve({MakeDesktopItem(10, 20, "メモ帳", 0)}, images);
//   RunSomething();  EXPECT_EQ(expectedNames, FakeVmh::CallNames());
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hooklib/vmh.h"

namespace testbed {

enum class VmhFunction {
  InitDLL,
  TermDLL,
  SetShortCutKeyCode,
  SetShortCutMouse,
  GetDeskTopData,
  SetIsViewVelmo,
  Dprint
};

// One call into the library.
struct VmhCall {
  VmhFunction function;
  // InitDLL: the window. SetShortCutKeyCode: double-press key, single-press key.
  // SetShortCutMouse, SetIsViewVelmo: the flag. GetDeskTopData: the image-list handle and the count
  // found behind the pointers on entry, then the capacity.
  std::vector<uint64_t> arguments;
  std::string text;  // Dprint: the text, byte for byte
};

// What one GetDeskTopData call answers.
struct DesktopReply {
  std::vector<DesktopItem> items;  // copied to the caller's array (at most its capacity)
  HIMAGELIST images = nullptr;     // the test's image list; each call gets an ImageList_Duplicate
  // The count reported; COUNT_OF_ITEMS reports items.size() (cut to the capacity).
  DWORD count = COUNT_OF_ITEMS;
  BOOL result = TRUE;

  static constexpr DWORD COUNT_OF_ITEMS = 0xFFFFFFFF;
};

class FakeVmh {
 public:
  // Forgets every call, every trace and the script; GetDeskTopData then answers nothing (null
  // image list, count 0) until Serve is called.
  static void Reset();

  // Every GetDeskTopData call answers these items with a copy of images (which stays the test's).
  static void Serve(const std::vector<DesktopItem>& items, HIMAGELIST images);

  // The calls answer these replies in turn; the last one is repeated for every later call.
  static void ServeSequence(const std::vector<DesktopReply>& replies);

  static std::vector<VmhCall> Calls();
  // The names of the calls in order, e.g. {"SetShortCutKeyCode", "SetShortCutMouse", "InitDLL"}.
  static std::vector<std::string> CallNames();
  // The calls of one function only.
  static std::vector<VmhCall> CallsOf(VmhFunction function);
  // Dprint texts in order.
  static std::vector<std::string> Traces();
  static void ClearCalls();  // forgets calls and traces, keeps the script

  // The window InitDLL was given (null before InitDLL or after TermDLL).
  static HWND NotifyWindow();
  // The image lists handed out so far, in order; the caller owns them.
  static std::vector<HIMAGELIST> ImageListsHandedOut();

  // Called by the exports.
  static void Record(VmhFunction function, std::vector<uint64_t> arguments, std::string text = std::string());
  static BOOL Fetch(HIMAGELIST* imageList, DWORD* count, DesktopItem* items, DWORD capacity);
  static void SetNotifyWindow(HWND window);
};

const char* VmhFunctionName(VmhFunction function);

// A DesktopItem at (x, y) in the desktop list view's client area, named name (cut to fit), with
// the given image index.
DesktopItem MakeDesktopItem(LONG x, LONG y, const char* name, LONG image);

}  // namespace testbed
