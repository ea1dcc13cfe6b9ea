// A stream over a fixed block of memory, for ImageList_Write and ImageList_Read. Writing past the
// end keeps nothing but counts the bytes, so a writer learns how much room the whole image list needs.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstddef>

class MemoryStream : public IStream {
 public:
  // filled: how many bytes at data are already the stream's content (to read them back).
  MemoryStream(void* data, size_t size, size_t filled = 0)
      : data_(static_cast<BYTE*>(data)), size_(size), extent_(filled < size ? filled : size) {}
  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;
  virtual ~MemoryStream() = default;

  size_t Extent() const { return extent_; }  // bytes written, counting those that did not fit
  bool Overflowed() const { return extent_ > size_; }

  // IUnknown; the stream lives on its owner's stack, so counting references changes nothing.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  // ISequentialStream
  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* done) override;
  HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG count, ULONG* done) override;

  // IStream
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override;
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

 private:
  BYTE* data_;
  size_t size_;
  size_t extent_;
  size_t position_ = 0;
};
