#include "dragout/drop_source.h"

HRESULT STDMETHODCALLTYPE DropSource::QueryInterface(REFIID id, void** object) {
  *object = id == IID_IUnknown || id == IID_IDropSource ? static_cast<IDropSource*>(this) : nullptr;
  if (*object == nullptr) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE DropSource::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE DropSource::Release() {
  return static_cast<ULONG>(InterlockedDecrement(&references_));
}

// The other button pressed during the drag cancels it, as in Explorer.
HRESULT STDMETHODCALLTYPE DropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
  DWORD other = button_ == MK_LBUTTON ? MK_RBUTTON : MK_LBUTTON;
  if (escapePressed || (keyState & other) != 0) return DRAGDROP_S_CANCEL;
  if ((keyState & button_) == 0) return DRAGDROP_S_DROP;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DropSource::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }
