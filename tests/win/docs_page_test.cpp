// The documentation page on a real dialog: each button's help call (file,
// command, data, owner) or Notepad start, and nothing for commands that do
// not come from its buttons.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "page_fixture.h"
#include "resource.h"

namespace {

class DocsPageTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    lstrcpyA(helpLoc, (fake->programDir + "\\MOPWELL.HLP").c_str());
  }
  void Open() { OpenPage(IDD_DOCS, DlgProc6); }
};

}  // namespace

// The five help buttons open the help file at their own topics, owned by
// the page; the two text buttons start Notepad maximized, once per press.
TEST_F(DocsPageTest, EachButtonOpensItsTopicOrFile) {
  Open();
  const struct {
    int button;
    UINT command;
    const char* data;
  } help[] = {{IDC_DOCS_MOPWELL, HELP_CONTENTS, "1"}, {IDC_DOCS_GLIMSO, HELP_CONTEXT, "2"},
              {IDC_DOCS_FETTLOR, HELP_CONTEXT, "3"},  {IDC_DOCS_SETTINGS, HELP_CONTEXT, "4"},
              {IDC_DOCS_PREFS, HELP_CONTEXT, "5"}};
  for (const auto& h : help) {
    SCOPED_TRACE(h.data);
    fake->launches.clear();
    Press(h.button);
    ASSERT_EQ(fake->launches.size(), 1u);
    EXPECT_EQ(fake->launches[0].how, "WinHelp");
    EXPECT_EQ(fake->launches[0].what, fake->programDir + "\\MOPWELL.HLP");
    EXPECT_EQ(fake->launches[0].params, h.data);
    EXPECT_EQ(fake->launches[0].show, static_cast<int>(h.command));
    EXPECT_EQ(fake->helpOwners.back(), page);
  }
  fake->launches.clear();
  Press(IDC_DOCS_TROUBLE);
  Press(IDC_DOCS_TROUBLE);
  Press(IDC_DOCS_WARRANTY);
  ASSERT_EQ(fake->launches.size(), 3u) << "two presses, two Notepads";
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(fake->launches[i].how, "WinExec");
    EXPECT_EQ(fake->launches[i].show, SW_SHOWMAXIMIZED);
  }
  EXPECT_EQ(fake->launches[0].what, "NOTEPAD TROUBLE.TXT");
  EXPECT_EQ(fake->launches[1].what, "NOTEPAD TROUBLE.TXT");
  EXPECT_EQ(fake->launches[2].what, "NOTEPAD MOPWELL.TXT");
  EXPECT_TRUE(fake->boxes.empty()) << "nothing is checked first";
}

// Enter, Escape, a button's id without its control, a notification other
// than a click: nothing starts, the page stays.
TEST_F(DocsPageTest, CommandsThatAreNoClicksDoNothing) {
  Open();
  for (WPARAM w : {WPARAM(IDOK), WPARAM(IDCANCEL), WPARAM(IDC_DOCS_TROUBLE), WPARAM(IDC_DOCS_MOPWELL)})
    EXPECT_EQ(DlgProc6(page, WM_COMMAND, w, 0), FALSE);
  EXPECT_EQ(DlgProc6(page, WM_COMMAND, MAKEWPARAM(IDC_DOCS_GLIMSO, BN_SETFOCUS),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_DOCS_GLIMSO))),
            FALSE);
  Pump();
  EXPECT_TRUE(fake->launches.empty());
  EXPECT_TRUE(IsWindow(page));
}
