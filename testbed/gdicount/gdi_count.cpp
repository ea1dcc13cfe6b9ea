#include "testbed/gdicount/gdi_count.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include <winternl.h>

namespace testbed {

namespace {

// One entry of Wine's GDI handle table.
struct GdiHandleEntry {
  uint64_t object;
  uint32_t owner;
  uint16_t unique;
  uint8_t type;
  uint8_t flags;
  uint64_t userPointer;
};

static_assert(sizeof(GdiHandleEntry) == 24, "Wine's GDI_HANDLE_ENTRY is 24 bytes on both architectures");

constexpr size_t GDI_HANDLE_COUNT = 0x10000;
constexpr int HANDLE_UNIQUE_SHIFT = 16;

// Where the PEB keeps GdiSharedHandleTable.
#ifdef _WIN64
constexpr size_t PEB_GDI_HANDLE_TABLE_OFFSET = 0xF8;
#else
constexpr size_t PEB_GDI_HANDLE_TABLE_OFFSET = 0x94;
#endif

typedef LONG(NTAPI* QueryInformationProcessFunction)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

const char* ProcessEnvironmentBlock() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  auto query = reinterpret_cast<QueryInformationProcessFunction>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic{};
  if (query == nullptr ||
      query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) {
    return nullptr;
  }
  return reinterpret_cast<const char*>(basic.PebBaseAddress);
}

const GdiHandleEntry* WineHandleTable() {
  if (!RunningOnWine()) return nullptr;
  const char* peb = ProcessEnvironmentBlock();
  if (peb == nullptr) return nullptr;
  const GdiHandleEntry* table;
  memcpy(&table, peb + PEB_GDI_HANDLE_TABLE_OFFSET, sizeof table);
  return table;
}

}  // namespace

bool RunningOnWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::vector<HGDIOBJ> ListGdiObjects() {
  std::vector<HGDIOBJ> handles;
  const GdiHandleEntry* table = WineHandleTable();
  if (table == nullptr) return handles;
  for (size_t index = 0; index < GDI_HANDLE_COUNT; ++index) {
    if (table[index].type == 0) continue;
    const uintptr_t value = index | (uintptr_t{table[index].unique} << HANDLE_UNIQUE_SHIFT);
    handles.push_back(reinterpret_cast<HGDIOBJ>(value));
  }
  return handles;
}

int CountGdiObjects() {
  if (WineHandleTable() != nullptr) return static_cast<int>(ListGdiObjects().size());
  if (RunningOnWine()) return -1;
  return static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
}

}  // namespace testbed
