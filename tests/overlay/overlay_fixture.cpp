#include "tests/overlay/overlay_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/app.h"
#include "mirror/mirror.h"
#include "mirror/overlay.h"

void WriteArrowIcon(const std::string& path) {
  const DWORD pixelBytes = IMAGE_SIZE * IMAGE_SIZE * 4;
  const DWORD maskBytes = IMAGE_SIZE * 4;  // one bit a pixel, rows padded to 32 bits
  const DWORD imageBytes = sizeof(BITMAPINFOHEADER) + pixelBytes + maskBytes;
  std::vector<BYTE> file;
  auto put = [&file](const void* data, size_t size) {
    const BYTE* bytes = static_cast<const BYTE*>(data);
    file.insert(file.end(), bytes, bytes + size);
  };
  const WORD header[3] = {0, 1, 1};  // reserved, type icon, one image
  put(header, sizeof header);
  const BYTE entrySize[4] = {IMAGE_SIZE, IMAGE_SIZE, 0, 0};
  const WORD planesAndBits[2] = {1, 32};
  const DWORD sizeAndOffset[2] = {imageBytes, 6 + 16};
  put(entrySize, sizeof entrySize);
  put(planesAndBits, sizeof planesAndBits);
  put(sizeAndOffset, sizeof sizeAndOffset);
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = IMAGE_SIZE;
  info.biHeight = IMAGE_SIZE * 2;
  info.biPlanes = 1;
  info.biBitCount = 32;
  put(&info, sizeof info);
  std::vector<BYTE> mask(maskBytes, 0);
  for (int row = 0; row < IMAGE_SIZE; ++row) {  // bottom-up: row 0 is the bottom line
    for (int x = 0; x < IMAGE_SIZE; ++x) {
      bool arrow = x < ARROW_SIZE && row < ARROW_SIZE;
      const BYTE pixel[4] = {0, 0, static_cast<BYTE>(arrow ? 255 : 0), static_cast<BYTE>(arrow ? 255 : 0)};
      put(pixel, sizeof pixel);
      if (!arrow) mask[row * 4 + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    }
  }
  put(mask.data(), mask.size());
  FILE* out = fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, out) << path;
  fwrite(file.data(), 1, file.size(), out);
  fclose(out);
}

void WriteTextFile(const std::string& path, const char* text) {
  FILE* out = fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, out) << path;
  fputs(text, out);
  fclose(out);
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

std::string TestProgramPath() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  return path;
}

std::string SystemShellLibrary() {
  char path[MAX_PATH];
  GetSystemDirectoryA(path, sizeof path);
  return std::string(path) + "\\shell32.dll";
}

// A fully opaque image, alpha included, as the shell's own 32-bit icons are.
static HBITMAP SolidBitmap(COLORREF colour) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = IMAGE_SIZE;
  info.bmiHeader.biHeight = -IMAGE_SIZE;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  DWORD pixel = 0xFF000000 | (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
  DWORD* pixels = static_cast<DWORD*>(bits);
  for (int i = 0; i < IMAGE_SIZE * IMAGE_SIZE; ++i) pixels[i] = pixel;
  return bitmap;
}

HIMAGELIST MakePlainImageList(const std::vector<COLORREF>& colours, UINT flags) {
  HIMAGELIST list = ImageList_Create(IMAGE_SIZE, IMAGE_SIZE, flags, 4, 4);
  HDC screen = GetDC(nullptr);
  HBITMAP opaqueMask = CreateBitmap(IMAGE_SIZE, IMAGE_SIZE, 1, 1, nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ previous = SelectObject(memory, opaqueMask);
  PatBlt(memory, 0, 0, IMAGE_SIZE, IMAGE_SIZE, BLACKNESS);
  SelectObject(memory, previous);
  DeleteDC(memory);
  for (COLORREF colour : colours) {
    HBITMAP bitmap = SolidBitmap(colour);
    ImageList_Add(list, bitmap, opaqueMask);
    DeleteObject(bitmap);
  }
  DeleteObject(opaqueMask);
  ReleaseDC(nullptr, screen);
  return list;
}

// A 32-bit top-down DIB section in a memory DC, filled with one colour.
struct PixelCanvas {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  const DWORD* bits = nullptr;
  explicit PixelCanvas(COLORREF background) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = IMAGE_SIZE;
    info.bmiHeader.biHeight = -IMAGE_SIZE;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* pixels = nullptr;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    bits = static_cast<const DWORD*>(pixels);
    previous = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all = {0, 0, IMAGE_SIZE, IMAGE_SIZE};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
  }
  ~PixelCanvas() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  Pixels Read() const {
    GdiFlush();
    Pixels pixels(IMAGE_SIZE * IMAGE_SIZE);
    for (size_t i = 0; i < pixels.size(); ++i) {
      DWORD bgr = bits[i] & 0xFFFFFF;
      pixels[i] = RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }
    return pixels;
  }
};

// Draws the image over a magenta background and reads the result pixel by pixel, top line first.
Pixels ReadImage(HIMAGELIST list, int image) {
  PixelCanvas canvas(RGB(255, 0, 255));
  ImageList_Draw(list, image, canvas.dc, 0, 0, ILD_NORMAL);
  return canvas.Read();
}

// The icon drawn by GDI over an opaque square of the colour: what the arrow over a plain image
// should look like.
Pixels PlainWithIcon(COLORREF colour, HICON icon) {
  PixelCanvas canvas(colour);
  DrawIconEx(canvas.dc, 0, 0, icon, IMAGE_SIZE, IMAGE_SIZE, 0, nullptr, DI_NORMAL);
  return canvas.Read();
}

int LargestDifference(const Pixels& a, const Pixels& b) {
  if (a.size() != b.size()) return 256;
  int largest = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      int difference =
          abs(static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF));
      if (difference > largest) largest = difference;
    }
  }
  return largest;
}

Pixels SolidPixels(COLORREF colour) { return Pixels(IMAGE_SIZE * IMAGE_SIZE, colour); }

ShortcutOverlayTest::ShortcutOverlayTest()
    : overlayValue_(HKEY_LOCAL_MACHINE, SHELL_ICONS_KEY, SHORTCUT_OVERLAY_VALUE),
      userDesktop_(HKEY_CURRENT_USER, USER_SHELL_FOLDERS_KEY, USER_DESKTOP_VALUE),
      commonDesktop_(HKEY_LOCAL_MACHINE, COMMON_SHELL_FOLDERS_KEY, COMMON_DESKTOP_VALUE) {}

void ShortcutOverlayTest::SetUp() {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  root_ = std::string(temp) + "velmo_overlay_" + std::to_string(GetCurrentProcessId());
  RemoveTree(root_);
  ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr));
  userFolder_ = TempPath("user");
  commonFolder_ = TempPath("common");
  CreateDirectoryA(userFolder_.c_str(), nullptr);
  CreateDirectoryA(commonFolder_.c_str(), nullptr);
  userDesktop_.Set(userFolder_);
  commonDesktop_.Set(commonFolder_);
  overlayValue_.Delete();
  AppInstance = GetModuleHandleA(nullptr);
}

void ShortcutOverlayTest::TearDown() {
  if (DesktopItemTable.imageList != nullptr) ImageList_Destroy(DesktopItemTable.imageList);
  DesktopItemTable.imageList = nullptr;
  DesktopItemTable.count = 0;
  RemoveTree(root_);
}

void ShortcutOverlayTest::FillTable(const std::vector<const char*>& names, const std::vector<int>& images,
                                    UINT listFlags) {
  DesktopItemTable.imageList = MakePlainImageList(colours_, listFlags);
  DesktopItemTable.count = static_cast<DWORD>(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    DesktopItem& item = DesktopItemTable.items[i];
    item = DesktopItem{};
    strncpy(item.name, names[i], sizeof item.name - 1);
    item.image = images[i];
  }
}

void ShortcutOverlayTest::UseArrowIcon() {
  std::string icon = TempPath("arrow.ico");
  WriteArrowIcon(icon);
  overlayValue_.Set(icon + ",0");
}
