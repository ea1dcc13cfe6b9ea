#include "vmh/memory_stream.h"

#include <cstring>

HRESULT STDMETHODCALLTYPE MemoryStream::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISequentialStream) ||
      IsEqualIID(iid, IID_IStream)) {
    *object = static_cast<IStream*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE MemoryStream::Read(void* buffer, ULONG count, ULONG* done) {
  size_t end = extent_ < size_ ? extent_ : size_;
  size_t available = position_ < end ? end - position_ : 0;
  size_t taken = count < available ? count : available;
  memcpy(buffer, data_ + position_, taken);
  position_ += taken;
  if (done != nullptr) *done = static_cast<ULONG>(taken);
  return taken == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE MemoryStream::Write(const void* buffer, ULONG count, ULONG* done) {
  if (position_ < size_) {
    size_t room = size_ - position_;
    memcpy(data_ + position_, buffer, count < room ? count : room);
  }
  position_ += count;
  if (position_ > extent_) extent_ = position_;
  if (done != nullptr) *done = count;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) {
  LONGLONG base = 0;
  switch (origin) {
    case STREAM_SEEK_SET:
      break;
    case STREAM_SEEK_CUR:
      base = static_cast<LONGLONG>(position_);
      break;
    case STREAM_SEEK_END:
      base = static_cast<LONGLONG>(extent_);
      break;
    default:
      return STG_E_INVALIDFUNCTION;
  }
  LONGLONG target = base + move.QuadPart;
  if (target < 0) return STG_E_INVALIDFUNCTION;
  position_ = static_cast<size_t>(target);
  if (position != nullptr) position->QuadPart = position_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryStream::Stat(STATSTG* stat, DWORD) {
  if (stat == nullptr) return STG_E_INVALIDPOINTER;
  memset(stat, 0, sizeof *stat);
  stat->type = STGTY_STREAM;
  stat->cbSize.QuadPart = extent_;
  return S_OK;
}
