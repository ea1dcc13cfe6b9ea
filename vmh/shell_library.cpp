// Whether the shell holds another image of the hook library. After an update the shell can still
// hold the old vmh.dll (the setup renamed it beside the new one); hooked again, it would be handed
// that old image under the library's path. Each build of the library carries a build id (a
// CodeView record the linker derives from the image's contents): an image is ours when its size
// and its build id are ours, read from each process's memory, not from the files on disk.
#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

#include "hooklib/vmh.h"
#include "vmh/desktop_window.h"
#include "vmh/vmh_module.h"

constexpr char LIBRARY_NAME[] = "vmh.dll";
constexpr DWORD CODEVIEW_RECORD_SIZE = 24;  // "RSDS", a GUID and an age
constexpr DWORD MAX_DEBUG_ENTRIES = 16;
constexpr int SNAPSHOT_TRIES = 4;

struct ImageIdentity {
  DWORD sizeOfImage;
  BYTE buildId[CODEVIEW_RECORD_SIZE];
};

template <typename T>
static bool ReadAt(HANDLE process, const BYTE* address, T& value) {
  SIZE_T read = 0;
  return ReadProcessMemory(process, address, &value, sizeof value, &read) && read == sizeof value;
}

// The size and build id of the image mapped at `base` in `process`; false when it has no build id
// or cannot be read.
static bool ReadIdentity(HANDLE process, const BYTE* base, ImageIdentity& identity) {
  identity = ImageIdentity{};
  IMAGE_DOS_HEADER dos = {};
  IMAGE_NT_HEADERS nt = {};
  if (!ReadAt(process, base, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE ||
      !ReadAt(process, base + dos.e_lfanew, nt) || nt.Signature != IMAGE_NT_SIGNATURE ||
      nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC)
    return false;
  identity.sizeOfImage = nt.OptionalHeader.SizeOfImage;
  const IMAGE_DATA_DIRECTORY& debug = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DEBUG];
  DWORD entries = debug.Size / sizeof(IMAGE_DEBUG_DIRECTORY);
  for (DWORD i = 0; i < entries && i < MAX_DEBUG_ENTRIES; ++i) {
    IMAGE_DEBUG_DIRECTORY entry = {};
    if (!ReadAt(process, base + debug.VirtualAddress + i * sizeof entry, entry)) return false;
    if (entry.Type == IMAGE_DEBUG_TYPE_CODEVIEW && entry.SizeOfData >= CODEVIEW_RECORD_SIZE &&
        entry.AddressOfRawData != 0)
      return ReadAt(process, base + entry.AddressOfRawData, identity.buildId);
  }
  return false;
}

static bool OwnIdentity(ImageIdentity& identity) {
  static ImageIdentity own = {};
  static bool known = ReadIdentity(GetCurrentProcess(), reinterpret_cast<const BYTE*>(VmhModule), own);
  identity = own;
  return known;
}

// A shell process found to hold no other image is not searched again: while this Velmo runs no other
// one can hook it (a second copy only hands over to this one). A shell found holding one is searched
// at each call, since it may let go of the library at any time.
static DWORD CleanProcess = 0;
static FILETIME CleanProcessStart = {};

static FILETIME ProcessStart(HANDLE process) {
  FILETIME created = {};
  FILETIME unused[3];
  GetProcessTimes(process, &created, &unused[0], &unused[1], &unused[2]);
  return created;
}

// Every module of our name in the process must be this image. A process that cannot be read is
// taken as it is: nothing says that it holds another library.
static bool HoldsOtherImage(DWORD processId, const ImageIdentity& own) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (process == nullptr) return false;
  FILETIME start = ProcessStart(process);
  if (processId == CleanProcess && CompareFileTime(&start, &CleanProcessStart) == 0) {
    CloseHandle(process);
    return false;
  }
  // The system asks for another try while the process's module list is changing.
  HANDLE snapshot = INVALID_HANDLE_VALUE;
  for (int tries = 0; tries < SNAPSHOT_TRIES && snapshot == INVALID_HANDLE_VALUE; ++tries) {
    snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE && GetLastError() != ERROR_BAD_LENGTH) break;
  }
  bool other = false;
  if (snapshot != INVALID_HANDLE_VALUE) {
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    for (BOOL more = Module32First(snapshot, &module); more && !other;
         more = Module32Next(snapshot, &module)) {
      if (lstrcmpiA(module.szModule, LIBRARY_NAME) != 0) continue;
      ImageIdentity loaded = {};
      other = !ReadIdentity(process, module.modBaseAddr, loaded) || memcmp(&loaded, &own, sizeof own) != 0;
    }
    CloseHandle(snapshot);
    if (!other) {
      CleanProcess = processId;
      CleanProcessStart = start;
    }
  }
  CloseHandle(process);
  return other;
}

bool ShellHoldsOtherLibrary(HWND listView) {
  DWORD processId = 0;
  if (listView == nullptr || GetWindowThreadProcessId(listView, &processId) == 0) return false;
  ImageIdentity own = {};
  // An image of ours without a build id cannot be told from another: it hooks nothing then.
  if (!OwnIdentity(own)) return true;
  return HoldsOtherImage(processId, own);
}

extern "C" BOOL WINAPI ShellHoldsOtherHookLibrary(void) {
  return ShellHoldsOtherLibrary(FindDesktopListView()) ? TRUE : FALSE;
}
