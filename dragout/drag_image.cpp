#include "dragout/drag_image.h"

#include <shlobj.h>

#include "dragout/com_ref.h"

// The picture covers the items' icons around the pointer, at most this far from it.
constexpr LONG DRAG_IMAGE_REACH = 160;
// Pixels of this colour are not drawn.
constexpr COLORREF DRAG_IMAGE_KEY = RGB(255, 0, 255);
constexpr WORD DRAG_IMAGE_BITS = 32;

static RECT PictureRect(const DragRequest& request) {
  RECT reach = {request.grab.x - DRAG_IMAGE_REACH, request.grab.y - DRAG_IMAGE_REACH,
                request.grab.x + DRAG_IMAGE_REACH, request.grab.y + DRAG_IMAGE_REACH};
  RECT icons = {};
  for (size_t i = 0; i < request.count; ++i) UnionRect(&icons, &icons, &request.items[i].icon);
  RECT picture = {};
  IntersectRect(&picture, &icons, &reach);
  return picture;
}

static HBITMAP DrawPicture(const DragRequest& request, const RECT& picture) {
  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = picture.right - picture.left;
  format.bmiHeader.biHeight = -(picture.bottom - picture.top);
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = DRAG_IMAGE_BITS;
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &pixels, nullptr, 0);
  HDC dc = bitmap != nullptr ? CreateCompatibleDC(nullptr) : nullptr;
  if (dc == nullptr) {
    if (bitmap != nullptr) DeleteObject(bitmap);
    return nullptr;
  }
  HGDIOBJ previous = SelectObject(dc, bitmap);
  HBRUSH key = CreateSolidBrush(DRAG_IMAGE_KEY);
  RECT all = {0, 0, format.bmiHeader.biWidth, -format.bmiHeader.biHeight};
  if (key != nullptr) FillRect(dc, &all, key);
  if (key != nullptr) DeleteObject(key);
  for (size_t i = 0; i < request.count; ++i) {
    const RECT& icon = request.items[i].icon;
    ImageList_Draw(request.images, request.items[i].image, dc, icon.left - picture.left,
                   icon.top - picture.top, ILD_NORMAL);
  }
  SelectObject(dc, previous);
  DeleteDC(dc);
  return bitmap;
}

void AttachDragImage(const DragRequest& request, IDataObject* data) {
  if (request.images == nullptr) return;
  RECT picture = PictureRect(request);
  if (IsRectEmpty(&picture)) return;
  ComRef<IDragSourceHelper> helper;
  if (FAILED(CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IID_IDragSourceHelper,
                              helper.OutVoid())))
    return;
  SHDRAGIMAGE image = {};
  image.sizeDragImage = {picture.right - picture.left, picture.bottom - picture.top};
  image.ptOffset = {request.grab.x - picture.left, request.grab.y - picture.top};
  image.hbmpDragImage = DrawPicture(request, picture);
  image.crColorKey = DRAG_IMAGE_KEY;
  if (image.hbmpDragImage == nullptr) return;
  // The helper owns the bitmap once it took it.
  if (FAILED(helper->InitializeFromBitmap(&image, data))) DeleteObject(image.hbmpDragImage);
}
