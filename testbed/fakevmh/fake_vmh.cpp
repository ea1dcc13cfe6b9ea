#include "testbed/fakevmh/fake_vmh.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace testbed {

namespace {

struct FakeState {
  std::mutex lock;
  std::vector<VmhCall> calls;
  std::vector<DesktopReply> script;
  size_t nextReply = 0;
  HWND notifyWindow = nullptr;
  std::vector<HIMAGELIST> handedOut;
};

FakeState& State() {
  static FakeState state;
  return state;
}

const DesktopReply& NextReply(FakeState& state) {
  static const DesktopReply NOTHING;
  if (state.script.empty()) return NOTHING;
  const size_t at = std::min(state.nextReply, state.script.size() - 1);
  ++state.nextReply;
  return state.script[at];
}

}  // namespace

void FakeVmh::Reset() {
  FakeState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.calls.clear();
  state.script.clear();
  state.nextReply = 0;
  state.notifyWindow = nullptr;
  state.handedOut.clear();
}

void FakeVmh::Serve(const std::vector<DesktopItem>& items, HIMAGELIST images) {
  DesktopReply reply;
  reply.items = items;
  reply.images = images;
  ServeSequence({reply});
}

void FakeVmh::ServeSequence(const std::vector<DesktopReply>& replies) {
  FakeState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.script = replies;
  state.nextReply = 0;
}

std::vector<VmhCall> FakeVmh::Calls() {
  FakeState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.calls;
}

std::vector<std::string> FakeVmh::CallNames() {
  std::vector<std::string> names;
  for (const VmhCall& call : Calls()) names.push_back(VmhFunctionName(call.function));
  return names;
}

std::vector<VmhCall> FakeVmh::CallsOf(VmhFunction function) {
  std::vector<VmhCall> found;
  for (const VmhCall& call : Calls()) {
    if (call.function == function) found.push_back(call);
  }
  return found;
}

std::vector<std::string> FakeVmh::Traces() {
  std::vector<std::string> texts;
  for (const VmhCall& call : CallsOf(VmhFunction::Dprint)) texts.push_back(call.text);
  return texts;
}

void FakeVmh::ClearCalls() {
  FakeState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.calls.clear();
}

HWND FakeVmh::NotifyWindow() {
  FakeState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.notifyWindow;
}

std::vector<HIMAGELIST> FakeVmh::ImageListsHandedOut() {
  FakeState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.handedOut;
}

void FakeVmh::Record(VmhFunction function, std::vector<uint64_t> arguments, std::string text) {
  FakeState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.calls.push_back(VmhCall{function, std::move(arguments), std::move(text)});
}

BOOL FakeVmh::Fetch(HIMAGELIST* imageList, DWORD* count, DesktopItem* items, DWORD capacity) {
  FakeState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  const DesktopReply& reply = NextReply(state);
  const DWORD copied = static_cast<DWORD>(std::min<size_t>(reply.items.size(), capacity));
  if (items != nullptr && copied > 0) memcpy(items, reply.items.data(), copied * sizeof(DesktopItem));
  if (count != nullptr) {
    *count = reply.count == DesktopReply::COUNT_OF_ITEMS ? copied : reply.count;
  }
  if (imageList != nullptr) {
    *imageList = reply.images != nullptr ? ImageList_Duplicate(reply.images) : nullptr;
    if (*imageList != nullptr) state.handedOut.push_back(*imageList);
  }
  return reply.result;
}

void FakeVmh::SetNotifyWindow(HWND window) {
  FakeState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.notifyWindow = window;
}

const char* VmhFunctionName(VmhFunction function) {
  switch (function) {
    case VmhFunction::InitDLL:
      return "InitDLL";
    case VmhFunction::TermDLL:
      return "TermDLL";
    case VmhFunction::SetShortCutKeyCode:
      return "SetShortCutKeyCode";
    case VmhFunction::SetShortCutMouse:
      return "SetShortCutMouse";
    case VmhFunction::GetDeskTopData:
      return "GetDeskTopData";
    case VmhFunction::SetIsViewVelmo:
      return "SetIsViewVelmo";
    case VmhFunction::Dprint:
      return "Dprint";
  }
  return "?";
}

DesktopItem MakeDesktopItem(LONG x, LONG y, const char* name, LONG image) {
  DesktopItem item{};
  item.x = x;
  item.y = y;
  lstrcpynA(item.name, name, sizeof item.name);
  item.image = image;
  item.listIndex = -1;
  return item;
}

}  // namespace testbed
