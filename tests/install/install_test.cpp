// The x64 setup program as an administrator scripts it (/S), into a scratch Local AppData: what a
// fresh install leaves, an update over a running Velmo (the desktop holding its hook library or
// not, the running copy ending or not), and the uninstall.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/app.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "testbed/process/child_process.h"
#include "testbed/process/find_window.h"
#include "testbed/recorder/pump.h"
#include "testbed/standin/standin_client.h"
#include "testbed/tray/tray_recorder.h"
#include "testbed/registry/registry_guard.h"
#include "tests/install/installed_files.h"
#include "velmo_version.h"

using namespace install_test;

constexpr char SETUP_VARIABLE[] = "VELMO_SETUP";
// Where a copy of the installed uninstaller goes, for scripts/test-install to check its signature.
constexpr char UNINSTALLER_COPY_VARIABLE[] = "VELMO_UNINSTALLER_COPY";
constexpr char SHELL_FOLDERS_KEY[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr char LOCAL_APPDATA_VALUE[] = "Local AppData";
constexpr char UNINSTALL_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmo";
constexpr char RUN_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char RUNONCE_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char RUN_VALUE[] = "Velmo";
constexpr char RUNONCE_PREFIX[] = "Velmo ";
constexpr char SCRATCH_FOLDER[] = "velmo-install-test";
constexpr char KEPT_SETTING[] = "ox";
constexpr DWORD KEPT_SETTING_VALUE = 321;
constexpr DWORD SETUP_TIMEOUT_MS = 60000;
constexpr DWORD START_TIMEOUT_MS = 15000;
// The setup's exit codes: Velmo did not end; an installed file is held; the update finishes at the
// next sign-in.
constexpr DWORD EXIT_VELMO_STILL_RUNNING = 3;
constexpr DWORD EXIT_FILE_IN_USE = 4;
constexpr DWORD EXIT_SIGN_OUT_TO_FINISH = 3010;
constexpr char DELETE_COMMAND[] = "/c del /f /q \"";

// The file in `cmd.exe /c del /f /q "FILE" ...`.
static std::string DeletedFile(const std::string& command) {
  const size_t begin = command.find(DELETE_COMMAND);
  if (begin == std::string::npos) return std::string();
  const size_t first = begin + sizeof DELETE_COMMAND - 1;
  return command.substr(first, command.find('"', first) - first);
}

static bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

static std::string StartMenuShortcut() {
  char programs[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs);
  return std::string(programs) + "\\Velmo.lnk";
}

static DWORD ProcessOfWindow(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  return processId;
}

class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* setup = getenv(SETUP_VARIABLE);
    ASSERT_NE(nullptr, setup) << SETUP_VARIABLE << " names the x64 setup program";
    setup_ = setup;
    localAppData_ = TempFolder() + SCRATCH_FOLDER;
    RemoveFolder(localAppData_);
    CreateDirectoryA(localAppData_.c_str(), nullptr);
    savedLocalAppData_ = UserRegistryText(SHELL_FOLDERS_KEY, LOCAL_APPDATA_VALUE);
    SetLocalAppData(localAppData_);
    installDir_ = localAppData_ + "\\Programs\\Velmo";
    RegSetKeyValueA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, KEPT_SETTING, REG_DWORD, &KEPT_SETTING_VALUE,
                    sizeof KEPT_SETTING_VALUE);
    ASSERT_EQ(0u, RunSetup(setup_, "/S"));
  }

  void TearDown() override {
    EndInstalledVelmo();
    if (UserKeyExists(UNINSTALL_KEY)) Uninstall();
    desktop_.Stop();
    RunRunOnceCommands();
    SetLocalAppData(savedLocalAppData_);
    RemoveFolder(localAppData_);
  }

  static void SetLocalAppData(const std::string& folder) {
    RegSetKeyValueA(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, LOCAL_APPDATA_VALUE, REG_EXPAND_SZ, folder.c_str(),
                    static_cast<DWORD>(folder.size() + 1));
  }

  // The program's exit code; STILL_ACTIVE when it did not start or end.
  static DWORD RunSetup(const std::string& path, const char* arguments) {
    testbed::ChildProcess setup;
    return setup.Start(path, arguments) && setup.WaitForExit(SETUP_TIMEOUT_MS) ? setup.ExitCode()
                                                                               : STILL_ACTIVE;
  }

  // Runs `"PROGRAM" ARGUMENTS` as the shell runs such a command from the registry.
  static bool RunCommand(const std::string& command) {
    const size_t end = command.find('"', 1);
    if (command.empty() || command[0] != '"' || end == std::string::npos) return false;
    const size_t arguments = std::min(command.find_first_not_of(' ', end + 1), command.size());
    return RunSetup(command.substr(1, end - 1), command.c_str() + arguments) == 0;
  }

  // The quiet uninstall string, as Apps & features runs it. The uninstaller goes on from a copy of
  // itself, so this waits until its entry is gone.
  static bool Uninstall() {
    return RunCommand(UserRegistryText(UNINSTALL_KEY, "QuietUninstallString")) &&
           testbed::WaitUntil([] { return !UserKeyExists(UNINSTALL_KEY); }, SETUP_TIMEOUT_MS);
  }

  // The installed Velmo over the stand-in desktop, its tray icon seen, its library in the desktop.
  void StartInstalledVelmo() {
    ASSERT_TRUE(tray_.Start());
    ASSERT_TRUE(desktop_.Start({{STANDIN_FILE, 40, 30, STANDIN_OWN_IMAGE, "メモ.txt"},
                                {STANDIN_LINK, 40, 130, STANDIN_OWN_IMAGE, "ソフト"}}));
    ASSERT_TRUE(velmo_.Start(InstalledFile("velmo.exe")));
    ASSERT_NE(nullptr,
              testbed::WaitForWindow(MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE, START_TIMEOUT_MS, velmo_.Id()));
    EXPECT_TRUE(testbed::WaitUntil([this] { return TrayIconAdded(); }, START_TIMEOUT_MS));
    EXPECT_TRUE(testbed::ProcessHasModule(desktop_.ProcessId(), InstalledFile("vmh.dll")));
  }

  bool TrayIconAdded() const {
    for (const testbed::TrayRecord& record : tray_.Records()) {
      if (record.action == NIM_ADD) return true;
    }
    return false;
  }

  void EndInstalledVelmo() {
    HWND window = testbed::FindTopLevelWindow(MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE);
    if (window == nullptr) return;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, ProcessOfWindow(window));
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    WaitForSingleObject(process, START_TIMEOUT_MS);
    CloseHandle(process);
  }

  // What the next sign-in does: runs and forgets the RunOnce commands that the setup left.
  static void RunRunOnceCommands() {
    for (const std::string& name : UserValueNames(RUNONCE_KEY)) {
      if (name.compare(0, sizeof RUNONCE_PREFIX - 1, RUNONCE_PREFIX) != 0) continue;
      RunCommand(UserRegistryText(RUNONCE_KEY, name.c_str()));
      RegDeleteKeyValueA(HKEY_CURRENT_USER, RUNONCE_KEY, name.c_str());
    }
  }

  // The file that a RunOnce command of the setup deletes at the next sign-in; empty when none.
  static std::string FileRemovedAtSignIn() {
    for (const std::string& name : UserValueNames(RUNONCE_KEY)) {
      if (name.compare(0, sizeof RUNONCE_PREFIX - 1, RUNONCE_PREFIX) == 0)
        return DeletedFile(UserRegistryText(RUNONCE_KEY, name.c_str()));
    }
    return std::string();
  }

  std::string InstalledFile(const char* name) const { return installDir_ + "\\" + name; }

  static std::string TempFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    return temp;
  }

  RegistryGuard settings_;
  std::string setup_;
  std::string localAppData_;
  std::string savedLocalAppData_;
  std::string installDir_;
  testbed::TrayRecorder tray_;
  StandinDesktop desktop_;
  testbed::ChildProcess velmo_;
};

TEST_F(Installer, SilentInstallPlacesFilesShortcutRunValueAndUninstallEntry) {
  EXPECT_EQ((std::vector<std::string>{"html\\help.css", "html\\option.html", "html\\option_en.html",
                                      "uninstall.exe", "velmo.exe", "vmh.dll"}),
            FilesBelow(installDir_));
  EXPECT_TRUE(FileExists(StartMenuShortcut()));
  EXPECT_STRCASEEQ(("\"" + InstalledFile("velmo.exe") + "\"").c_str(),
                   UserRegistryText(RUN_KEY, RUN_VALUE).c_str());

  const std::string uninstaller = "\"" + InstalledFile("uninstall.exe") + "\"";
  const struct {
    const char* name;
    std::string text;
  } entry[] = {{"DisplayName", "Velmo"},
               {"DisplayVersion", VELMO_VERSION_TEXT},
               {"Publisher", "Morvane"},
               {"DisplayIcon", InstalledFile("velmo.exe") + ",0"},
               {"InstallLocation", installDir_},
               {"UninstallString", uninstaller},
               {"QuietUninstallString", uninstaller + " /S"}};
  for (const auto& value : entry)
    EXPECT_STRCASEEQ(value.text.c_str(), UserRegistryText(UNINSTALL_KEY, value.name).c_str()) << value.name;
  for (const char* flag : {"NoModify", "NoRepair"})
    EXPECT_EQ(1u, UserRegistryDword(UNINSTALL_KEY, flag)) << flag;

  const std::string version = std::to_string(VELMO_VERSION_MAJOR) + "." + std::to_string(VELMO_VERSION_MINOR);
  for (const char* binary : {"velmo.exe", "vmh.dll"})
    EXPECT_EQ(version, FixedFileVersion(InstalledFile(binary))) << binary;

  if (const char* copy = getenv(UNINSTALLER_COPY_VARIABLE)) {
    EXPECT_TRUE(CopyFileA(InstalledFile("uninstall.exe").c_str(), copy, FALSE)) << copy;
  }
}

TEST_F(Installer, UpdateWhileTheDesktopHoldsTheLibraryStartsNoNewCopyAndFinishesAtTheNextSignIn) {
  StartInstalledVelmo();
  const unsigned long long oldLibrary = FileIdentity(InstalledFile("vmh.dll"));

  EXPECT_EQ(EXIT_SIGN_OUT_TO_FINISH, RunSetup(setup_, "/S"));
  EXPECT_TRUE(velmo_.WaitForExit(0));
  EXPECT_EQ(0u, velmo_.ExitCode());
  // A copy the setup started would exist by the time the setup has ended.
  EXPECT_FALSE(ProcessRunning("velmo.exe"));
  EXPECT_NE(oldLibrary, FileIdentity(InstalledFile("vmh.dll")));
  const std::string movedLibrary = FileRemovedAtSignIn();
  EXPECT_EQ(oldLibrary, FileIdentity(movedLibrary)) << movedLibrary;
  EXPECT_EQ(0, _strnicmp((installDir_ + "\\").c_str(), movedLibrary.c_str(), installDir_.size() + 1))
      << movedLibrary;
  EXPECT_STRCASEEQ(("\"" + InstalledFile("velmo.exe") + "\"").c_str(),
                   UserRegistryText(RUN_KEY, RUN_VALUE).c_str());
  EXPECT_EQ(KEPT_SETTING_VALUE, UserRegistryDword(SETTINGS_KEY_PATH, KEPT_SETTING));
}

TEST_F(Installer, UpdateAfterTheDesktopLetGoOfTheLibraryStartsTheNewCopyAndKeepsTheSettings) {
  StartInstalledVelmo();
  ASSERT_TRUE(desktop_.Restart());
  tray_.Clear();

  EXPECT_EQ(0u, RunSetup(setup_, "/S"));
  EXPECT_TRUE(velmo_.WaitForExit(0));
  EXPECT_EQ("", FileRemovedAtSignIn());

  HWND newCopy = testbed::WaitForWindow(MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE, START_TIMEOUT_MS);
  ASSERT_NE(nullptr, newCopy);
  EXPECT_NE(velmo_.Id(), ProcessOfWindow(newCopy));
  EXPECT_TRUE(testbed::WaitUntil([this] { return TrayIconAdded(); }, START_TIMEOUT_MS));
  EXPECT_EQ(KEPT_SETTING_VALUE, UserRegistryDword(SETTINGS_KEY_PATH, KEPT_SETTING));
}

TEST_F(Installer, UpdateChangesNothingWhenTheRunningCopyDoesNotEnd) {
  // Whatever the setup did would show: it would put velmo.exe back, remove vmh.dll first and write
  // the version into the uninstall entry.
  ASSERT_TRUE(DeleteFileA(InstalledFile("velmo.exe").c_str()));
  const char markedVersion[] = "0.0";
  RegSetKeyValueA(HKEY_CURRENT_USER, UNINSTALL_KEY, "DisplayVersion", REG_SZ, markedVersion,
                  sizeof markedVersion);
  // A window that passes for a running Velmo's, in a process that does not end when asked: this one.
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = MAIN_WINDOW_CLASS;
  RegisterClassA(&windowClass);
  HWND runningCopy = CreateWindowExA(0, MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE, WS_POPUP, 0, 0, 0, 0, nullptr,
                                     nullptr, windowClass.hInstance, nullptr);

  EXPECT_EQ(EXIT_VELMO_STILL_RUNNING, RunSetup(setup_, "/S"));
  DestroyWindow(runningCopy);
  UnregisterClassA(MAIN_WINDOW_CLASS, windowClass.hInstance);
  EXPECT_FALSE(FileExists(InstalledFile("velmo.exe")));
  EXPECT_TRUE(FileExists(InstalledFile("vmh.dll")));
  EXPECT_EQ(markedVersion, UserRegistryText(UNINSTALL_KEY, "DisplayVersion"));
  EXPECT_EQ("", FileRemovedAtSignIn());
}

TEST_F(Installer, UpdateChangesNothingWhileAnotherProgramHoldsTheLibraryOpen) {
  // A time that no file of the setup carries: a file the setup wrote (or put back a copy of) loses it.
  const unsigned long long markedTime = 126227808000000000ULL;  // 2001-01-01
  const std::vector<std::string> files = FilesBelow(installDir_);
  std::vector<unsigned long long> identities;
  for (const std::string& file : files) {
    ASSERT_TRUE(SetLastWriteTime(InstalledFile(file.c_str()), markedTime)) << file;
    identities.push_back(FileIdentity(InstalledFile(file.c_str())));
  }
  const char markedVersion[] = "0.0";
  RegSetKeyValueA(HKEY_CURRENT_USER, UNINSTALL_KEY, "DisplayVersion", REG_SZ, markedVersion,
                  sizeof markedVersion);
  // As a scanner holds it: others may read it, but neither write, delete nor rename it. Wine checks
  // the sharing of every open handle as Windows does: without FILE_SHARE_DELETE a rename and a delete
  // fail with ERROR_SHARING_VIOLATION, without FILE_SHARE_WRITE an open for writing does.
  HANDLE held = CreateFileA(InstalledFile("vmh.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);

  EXPECT_EQ(EXIT_FILE_IN_USE, RunSetup(setup_, "/S"));
  EXPECT_EQ(files, FilesBelow(installDir_));
  for (size_t i = 0; i < files.size() && i < identities.size(); ++i) {
    EXPECT_EQ(identities[i], FileIdentity(InstalledFile(files[i].c_str()))) << files[i];
    EXPECT_EQ(markedTime, LastWriteTime(InstalledFile(files[i].c_str()))) << files[i];
  }
  EXPECT_EQ(markedVersion, UserRegistryText(UNINSTALL_KEY, "DisplayVersion"));
  EXPECT_EQ("", FileRemovedAtSignIn());
  // The installed Velmo starts as before, its library still held.
  StartInstalledVelmo();
  CloseHandle(held);
}

TEST_F(Installer, SilentUninstallWithTheLibraryHeldLeavesOnlyTheSettings) {
  StartInstalledVelmo();

  ASSERT_TRUE(Uninstall());
  EXPECT_TRUE(velmo_.WaitForExit(START_TIMEOUT_MS));
  EXPECT_FALSE(FileExists(StartMenuShortcut()));
  EXPECT_EQ("", UserRegistryText(RUN_KEY, RUN_VALUE));
  EXPECT_EQ(KEPT_SETTING_VALUE, UserRegistryDword(SETTINGS_KEY_PATH, KEPT_SETTING));

  // The library the desktop holds stays, renamed, in the folder until the next sign-in removes both.
  const std::string movedLibrary = FileRemovedAtSignIn();
  EXPECT_EQ(std::vector<std::string>{movedLibrary.substr(installDir_.size() + 1)}, FilesBelow(installDir_));
  desktop_.Stop();
  RunRunOnceCommands();
  EXPECT_FALSE(FileExists(installDir_));
}
