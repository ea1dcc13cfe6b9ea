// The About box and the home page.
#include <cstring>
#include <string>

#include "res/resource.h"
#include "settings/dialogs.h"
#include "testbed/urlrec/url_recorder.h"
#include "tests/dialogs/dialog_fixture.h"

using AboutDialog = DialogTest;

static int CountIcons(HWND dialog) {
  int icons = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (SendMessageA(child, STM_GETICON, 0, 0) != 0) ++icons;
  }
  return icons;
}

TEST_F(AboutDialog, ShowsBothIconsAndEndsWithOkOrEsc) {
  INT_PTR result = WithAboutDialog([&](HWND dialog) {
    EXPECT_EQ(CountIcons(dialog), 2);
    ClickButton(dialog, IDOK);
    WaitUntil([&] { return !IsWindow(dialog); });
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(AboutDialogWindow, nullptr);

  result = WithAboutDialog([&](HWND dialog) {
    SetForegroundWindow(dialog);
    WaitUntil([&] { return GetForegroundWindow() == dialog; });
    PressKey(VK_ESCAPE);
    WaitUntil([&] { return !IsWindow(dialog); });
  });
  EXPECT_EQ(result, IDCANCEL);
}

TEST_F(AboutDialog, TheHomePageButtonOpensTheHomePageShownNormallyEachTimeAndTheDialogStays) {
  UrlRecorder recorder;
  ASSERT_TRUE(recorder.Installed());
  std::vector<OpenedTarget> opened;
  WithAboutDialog([&](HWND dialog) {
    ClickButton(dialog, IDC_HOMEPAGE);
    ASSERT_EQ(recorder.WaitForOpened(1).size(), 1u);
    ClickButton(dialog, IDC_HOMEPAGE);
    opened = recorder.WaitForOpened(2);
    EXPECT_TRUE(IsWindow(dialog));
  });
  ASSERT_EQ(opened.size(), 2u);
  // Without a home page given to the build: the installed help page.
  const std::string expected = HomePageUrl[0] != '\0' ? HomePageUrl : "\\html\\option.html";
  for (const OpenedTarget& target : opened) {
    ASSERT_GE(target.target.size(), expected.size());
    EXPECT_EQ(expected, target.target.substr(target.target.size() - expected.size()));
    EXPECT_EQ(target.showCommand, SW_SHOWNORMAL);
  }
}

TEST_F(AboutDialog, CommandsWithANotificationCodeDoNothing) {
  UrlRecorder recorder;
  ASSERT_TRUE(recorder.Installed());
  WithAboutDialog([&](HWND dialog) {
    for (WORD id : {IDOK, IDCANCEL, IDC_HOMEPAGE}) {
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_DOUBLECLICKED), 0);
    }
    EXPECT_TRUE(IsWindowVisible(dialog)) << "EndDialog hides the dialog at once";
  });
  EXPECT_TRUE(recorder.WaitForOpened(1, 500).empty());
}

TEST_F(AboutDialog, ASecondAboutRequestOnlyRaisesTheOpenDialogAndAfterClosingANewOneOpens) {
  RaiseRecorder raises;
  ASSERT_TRUE(raises.Installed());
  WithAboutDialog([&](HWND dialog) {
    int shown = raises.RaisesOf(dialog);
    PostMessageA(owner_, WM_COMMAND, IDM_ABOUT, 0);
    EXPECT_TRUE(WaitUntil([&] { return raises.RaisesOf(dialog) > shown; }));
    EXPECT_EQ(CountDialogs(ABOUT_TITLE), 1);
  });
  EXPECT_EQ(AboutDialogWindow, nullptr);

  bool reopened = false;
  WithAboutDialog([&](HWND) { reopened = true; });
  EXPECT_TRUE(reopened);
}
