// The drop source of a drag out: the drag ends when the button that started it goes up, and Esc
// cancels it. A drag with the right button ends in the target's own menu (the target sees the
// right button in the key state it gets).
#pragma once

#include <windows.h>
#include <ole2.h>

class DropSource : public IDropSource {
 public:
  explicit DropSource(DWORD button) : button_(button) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

 private:
  DWORD button_;         // MK_LBUTTON or MK_RBUTTON
  LONG references_ = 1;  // the maker's own; it lives on the maker's stack
};
