#include "testbed/urlrec/url_recorder.h"

#include <cstdio>
#include <cstring>

constexpr char RECORDED_PAGE_CLASS[] = "Velmo.RecordedPage";

static std::string ProgramFolder() {
  char path[MAX_PATH] = "";
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return std::string();
  std::string folder(path);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

static bool KeyExists(const std::string& key) {
  HKEY handle;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

static bool ReadDefault(const std::string& key, std::string& value) {
  char buffer[2048];
  DWORD size = sizeof buffer;
  DWORD type = 0;
  if (RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, &type, buffer, &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  value.assign(buffer);
  return true;
}

static bool WriteDefault(const std::string& key, const std::string& value) {
  HKEY handle;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      &handle, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LONG status = RegSetValueExA(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>(value.size() + 1));
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

UrlRecorder::UrlRecorder() {
  std::string folder = ProgramFolder();
  char temp[MAX_PATH] = "";
  if (folder.empty() || GetTempPathA(sizeof temp, temp) == 0) return;
  char name[64];
  snprintf(name, sizeof name, "velmo-urlrec-%lu.log", GetCurrentProcessId());
  log_ = std::string(temp) + name;
  DeleteFileA(log_.c_str());

  std::string command = "\"" + folder + "urlrec.exe\" \"" + log_ + "\" \"%1\"";
  installed_ = Register("http\\shell\\open\\command", command) &&
               Register("https\\shell\\open\\command", command) && Register(".html", RECORDED_PAGE_CLASS) &&
               Register((std::string(RECORDED_PAGE_CLASS) + "\\shell\\open\\command").c_str(), command);
}

UrlRecorder::~UrlRecorder() {
  for (auto saved = saved_.rbegin(); saved != saved_.rend(); ++saved) Restore(*saved);
  if (!log_.empty()) DeleteFileA(log_.c_str());
}

bool UrlRecorder::AlsoOpens(const char* extension) { return Register(extension, RECORDED_PAGE_CLASS); }

bool UrlRecorder::Register(const char* key, const std::string& value) {
  SavedHandler saved{key, std::string(), false, std::string()};
  std::string path(key);
  for (size_t end = 0; end != std::string::npos;) {
    end = path.find('\\', end + 1);
    std::string branch = path.substr(0, end);
    if (!KeyExists(branch)) {
      saved.createdBranch = branch;
      break;
    }
  }
  saved.hadValue = saved.createdBranch.empty() && ReadDefault(path, saved.value);
  saved_.push_back(saved);
  return WriteDefault(path, value);
}

void UrlRecorder::Restore(const SavedHandler& saved) {
  if (!saved.createdBranch.empty()) {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, saved.createdBranch.c_str());
  } else if (saved.hadValue) {
    WriteDefault(saved.key, saved.value);
  } else {
    RegDeleteKeyValueA(HKEY_CLASSES_ROOT, saved.key.c_str(), nullptr);
  }
}

std::vector<OpenedTarget> UrlRecorder::Opened() const {
  std::vector<OpenedTarget> opened;
  FILE* file = log_.empty() ? nullptr : fopen(log_.c_str(), "rb");
  if (file == nullptr) return opened;
  char line[2048];
  while (fgets(line, sizeof line, file) != nullptr) {
    line[strcspn(line, "\r\n")] = '\0';
    char* tab = strchr(line, '\t');
    if (tab == nullptr) continue;
    *tab = '\0';
    opened.push_back(OpenedTarget{atoi(line), std::string(tab + 1)});
  }
  fclose(file);
  return opened;
}

std::vector<OpenedTarget> UrlRecorder::WaitForOpened(size_t count, DWORD timeoutMs) const {
  DWORD start = GetTickCount();
  std::vector<OpenedTarget> opened = Opened();
  while (opened.size() < count && GetTickCount() - start < timeoutMs) {
    Sleep(20);
    opened = Opened();
  }
  return opened;
}
