// How many text comparisons the copy's list view makes while the build fills it: the list view
// keeps its items sorted and compares each new one with those it holds, through its module's import
// of lstrcmpW, which is redirected here to a counter for one fill.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <cstring>
#include <utility>
#include <vector>

#include "bench/mirror/mirror_bench.h"
#include "mirror/mirror.h"

static LONG Comparisons = 0;

static int WINAPI CountedCompare(LPCWSTR first, LPCWSTR second) {
  ++Comparisons;
  return lstrcmpW(first, second);
}

// Points the module's import of function (from whichever library) at `to`; the address it held,
// or 0 when the module does not import it.
static ULONG_PTR RedirectImport(HMODULE module, const char* function, ULONG_PTR to) {
  auto* base = reinterpret_cast<BYTE*>(module);
  auto* headers =
      reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  DWORD imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
  for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); entry->Name != 0; ++entry) {
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) ||
          strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name, function) !=
              0)
        continue;
      DWORD protection = 0;
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
      ULONG_PTR before = slots->u1.Function;
      slots->u1.Function = to;
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
      return before;
    }
  }
  return 0;
}

double FillComparisonsPerItem() {
  std::vector<std::pair<HMODULE, ULONG_PTR>> redirected;  // every comctl32.dll loaded (versions 5, 6)
  HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
  MODULEENTRY32 module = {};
  module.dwSize = sizeof module;
  for (BOOL more = Module32First(modules, &module); more; more = Module32Next(modules, &module)) {
    if (lstrcmpiA(module.szModule, "comctl32.dll") != 0) continue;
    ULONG_PTR real = RedirectImport(module.hModule, "lstrcmpW", reinterpret_cast<ULONG_PTR>(CountedCompare));
    if (real != 0) redirected.push_back({module.hModule, real});
  }
  if (modules != INVALID_HANDLE_VALUE) CloseHandle(modules);
  SendMessageA(MirrorListView, LVM_DELETEALLITEMS, 0, 0);
  Comparisons = 0;
  FillMirrorListView();
  for (const auto& [comctl32, real] : redirected) RedirectImport(comctl32, "lstrcmpW", real);
  LRESULT items = SendMessageA(MirrorListView, LVM_GETITEMCOUNT, 0, 0);
  return redirected.empty() || items == 0 ? -1.0
                                          : static_cast<double>(Comparisons) / static_cast<double>(items);
}
