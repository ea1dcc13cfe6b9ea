// A shell that still holds an older build of the hook library, as after an update that the shell
// has not let go of: velmo.exe reads nothing from it and hooks nothing into it, keeps running, tells
// the user that signing out finishes the update, and tells it again instead of showing an empty copy.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "app/app.h"
#include "mirror/mirror.h"
#include "testbed/process/binary_path.h"
#include "testbed/process/child_process.h"
#include "testbed/process/find_window.h"
#include "testbed/recorder/pump.h"
#include "tests/faults/program_over_standin.h"

constexpr char NOTICE_CLASS[] = "#32770";
constexpr char NOTICE_TITLE[] = "Velmo";
constexpr int MESSAGE_BOX_TEXT_ID = 0xFFFF;
constexpr char BUILD_ID_SIGNATURE[] = "RSDS";

// A copy of our library whose build id differs in one byte: another build, as far as any check of
// the loaded image can tell.
static std::string OlderLibrary() {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  std::string folder = std::string(temp) + "velmo-older-library";
  CreateDirectoryA(folder.c_str(), nullptr);
  std::ifstream in(testbed::BinaryPath("vmh.dll"), std::ios::binary);
  std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t id = image.find(BUILD_ID_SIGNATURE);
  if (id == std::string::npos) return std::string();
  image[id + sizeof BUILD_ID_SIGNATURE - 1] ^= 1;  // the first byte of the GUID after it
  std::string path = folder + "\\vmh.dll";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << image;
  return out.good() ? path : std::string();
}

class OlderLibraryInTheShell : public ProgramOverStandin {
 protected:
  HWND WaitForNotice() {
    HWND notice = nullptr;
    testbed::WaitUntil(
        [&] {
          return (notice = testbed::FindTopLevelWindow(NOTICE_CLASS, NOTICE_TITLE, velmo_.Id())) != nullptr;
        },
        PROGRAM_START_TIMEOUT_MS);
    return notice;
  }

  static std::string TextOf(HWND notice) {
    char text[1024] = "";
    GetDlgItemTextA(notice, MESSAGE_BOX_TEXT_ID, text, sizeof text);
    return text;
  }

  void Close(HWND notice) {
    PostMessageA(notice, WM_COMMAND, IDOK, 0);
    testbed::WaitUntil([&] { return !IsWindow(notice); }, PROGRAM_START_TIMEOUT_MS);
  }

  bool MirrorOverTheDesktop() const {
    HWND mirror = testbed::FindTopLevelWindow(MIRROR_WINDOW_CLASS, MIRROR_WINDOW_TITLE, velmo_.Id());
    RECT rect = Rect(mirror);
    RECT desktop = Rect(desktop_.ListView());
    return IsWindowVisible(mirror) && rect.left == desktop.left && rect.top == desktop.top;
  }
};

TEST_F(OlderLibraryInTheShell, VelmoHooksNothingAndSaysThatSigningOutFinishesTheUpdate) {
  StandinOptions options;
  options.library = OlderLibrary();
  ASSERT_NE("", options.library);
  ASSERT_TRUE(Start({{STANDIN_FILE, 40, 30, STANDIN_OWN_IMAGE, "Notes.txt"}}, options, 0));
  HWND notice = WaitForNotice();
  ASSERT_NE(nullptr, notice) << "the user is told at the start";
  EXPECT_NE(std::string::npos, TextOf(notice).find("vmh.dll")) << TextOf(notice);
  EXPECT_EQ(0, SendMessageA(ListOf(mirror_), LVM_GETITEMCOUNT, 0, 0)) << "nothing was read from the shell";
  EXPECT_FALSE(testbed::ProcessHasModule(desktop_.ProcessId(), testbed::BinaryPath("vmh.dll")));
  Close(notice);

  // A request to show tells the user again, and shows no copy.
  PostMessageA(mainWindow_, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_SHOW);
  notice = WaitForNotice();
  ASSERT_NE(nullptr, notice) << "a show request tells the user again";
  EXPECT_FALSE(MirrorOverTheDesktop());
  EXPECT_FALSE(testbed::ProcessHasModule(desktop_.ProcessId(), testbed::BinaryPath("vmh.dll")));
  EXPECT_TRUE(velmo_.IsRunning());
  Close(notice);
}
