// Where the help page is looked for, and that the shell is asked to open it from there.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "app/app.h"
#include "settings/dialogs.h"
#include "settings/launch.h"
#include "testbed/urlrec/url_recorder.h"

// The help page lies in html\ beside the program.
static std::string HelpPageFor(const char* program, size_t pageSize = MAX_PATH) {
  char page[MAX_PATH + 1];
  memset(page, 'x', sizeof page);
  if (!BuildHelpPagePath(program, page, pageSize)) return "(refused: " + std::string(page) + ")";
  return page;
}

TEST(HelpPagePath, LiesInTheHtmlFolderBesideTheProgram) {
  EXPECT_EQ(HelpPageFor("D:\\Tools\\x.exe"), "D:\\Tools\\html\\option.html");
  EXPECT_EQ(HelpPageFor("C:\\x.exe"), "C:\\html\\option.html");
  EXPECT_EQ(HelpPageFor("\\\\server\\share\\x.exe"), "\\\\server\\share\\html\\option.html");
}

TEST(HelpPagePath, NeverTakesATrailByte0x5CForASeparator) {
  // 表 and ソ end in the byte 0x5C in code page 932.
  ASSERT_EQ(GetACP(), 932u);
  EXPECT_EQ(HelpPageFor("C:\\表示ソフト\\x.exe"), "C:\\表示ソフト\\html\\option.html");
  EXPECT_EQ(HelpPageFor("C:\\ツール\\表\\x.exe"), "C:\\ツール\\表\\html\\option.html");
  EXPECT_EQ(HelpPageFor("C:\\Tools\\表示.exe"), "C:\\Tools\\html\\option.html");
  EXPECT_EQ(HelpPageFor("C:\\表\\ソ"), "C:\\表\\html\\option.html");
}

TEST(HelpPagePath, IsRefusedWithoutOverrunWhenItWouldNotFit) {
  std::string longFolder = "C:\\" + std::string(245, 'a') + "\\x.exe";  // fits, the page does not
  EXPECT_EQ(HelpPageFor(longFolder.c_str()), "(refused: )");
  std::string tooLongFolder = "C:\\" + std::string(260, 'a') + "\\x.exe";
  EXPECT_EQ(HelpPageFor(tooLongFolder.c_str()), "(refused: )");

  char page[64];
  memset(page, 'x', sizeof page);
  EXPECT_FALSE(BuildHelpPagePath("C:\\Tools\\x.exe", page, 16));
  EXPECT_EQ(page[0], '\0');
  for (size_t i = 16; i < sizeof page; ++i) ASSERT_EQ(page[i], 'x') << "byte " << i;
}

// A module of the program's kind placed in a folder of the test's choosing, with a help page
// beside it; the program's module handle points at it while the object lives.
class ProgramPlacedIn {
 public:
  ProgramPlacedIn(const std::string& folder, const std::string& name) : folder_(folder), name_(name) {
    char source[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, source, sizeof source);
    std::string urlrec(source);
    urlrec = urlrec.substr(0, urlrec.find_last_of('\\') + 1) + "urlrec.exe";
    CreateDirectoryA(folder_.c_str(), nullptr);
    CreateDirectoryA((folder_ + "html").c_str(), nullptr);
    HANDLE page = CreateFileA(Page().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (page != INVALID_HANDLE_VALUE) CloseHandle(page);
    CopyFileA(urlrec.c_str(), Program().c_str(), FALSE);
    module_ = LoadLibraryA(Program().c_str());
    savedInstance_ = AppInstance;
    if (module_ != nullptr) AppInstance = module_;
  }
  ~ProgramPlacedIn() {
    AppInstance = savedInstance_;
    if (module_ != nullptr) FreeLibrary(module_);
    DeleteFileA(Program().c_str());
    DeleteFileA(Page().c_str());
    RemoveDirectoryA((folder_ + "html").c_str());
    if (folder_.size() > 3) RemoveDirectoryA(folder_.c_str());
  }
  bool Loaded() const { return module_ != nullptr; }
  std::string Program() const { return folder_ + name_; }
  std::string Page() const { return folder_ + "html\\option.html"; }

 private:
  std::string folder_;
  std::string name_;
  HMODULE module_ = nullptr;
  HINSTANCE savedInstance_ = nullptr;
};

static std::string SystemDrive() {
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, sizeof windows);
  return std::string(windows, 3);  // "C:\"
}

TEST(HelpPage, IsOpenedFromBesideAProgramInARootFolder) {
  UrlRecorder recorder;
  ASSERT_TRUE(recorder.Installed());
  ProgramPlacedIn program(SystemDrive(), "velmo.exe");
  ASSERT_TRUE(program.Loaded());
  OpenHelpPage();
  std::vector<OpenedTarget> opened = recorder.WaitForOpened(1);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].target, SystemDrive() + "html\\option.html");
  EXPECT_EQ(opened[0].showCommand, SW_SHOWNORMAL);
}

TEST(HelpPage, IsOpenedFromBesideAProgramWhosePathHas0x5CTrailBytes) {
  ASSERT_EQ(GetACP(), 932u);
  UrlRecorder recorder;
  ASSERT_TRUE(recorder.Installed());
  ProgramPlacedIn program(SystemDrive() + "表示ソフト\\", "ソフト表.exe");
  ASSERT_TRUE(program.Loaded());
  OpenHelpPage();
  std::vector<OpenedTarget> opened = recorder.WaitForOpened(1);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].target, program.Page());
}
