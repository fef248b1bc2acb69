// The pop-up window: placement, timer and click.
#include "ui/frm_pop_up.h"

#include <gtest/gtest.h>

#include "support/scripted_platform.h"
#include "support/temp_folder.h"
#include "ui/app_context.h"

namespace quor::ui {
namespace {

class PopUpTest : public ::testing::Test {
 protected:
  test::TempFolder temp;
  test::ScriptedPlatform platform{temp.Text()};
  AppContext app{platform, ProgramTexts{}};
  frmPopUp& popUp = app.PopUp();
};

TEST_F(PopUpTest, ShowsTheMessageWithoutTakingTheFocusAndHidesWhenTheTimerFires) {
  popUp.PopUp(u"Opening the manual ...", 4000, 500, 3000, 1000, 2000);
  EXPECT_TRUE(popUp.Visible());
  EXPECT_FALSE(popUp.activateOnShow);
  EXPECT_TRUE(popUp.borderless);
  EXPECT_EQ(popUp.lblMessage.caption, u"Opening the manual ...");
  EXPECT_EQ(popUp.geometry.left, 2000);
  EXPECT_EQ(popUp.geometry.top, 1000);
  EXPECT_EQ(popUp.geometry.width, 4000);
  EXPECT_EQ(popUp.lblMessage.geometry.height, 500);
  EXPECT_TRUE(popUp.Timer1.enabled);
  EXPECT_EQ(popUp.Timer1.interval, 3000);

  popUp.Timer1.Fire();
  EXPECT_FALSE(popUp.Visible());
  EXPECT_FALSE(popUp.Timer1.enabled);
}

TEST_F(PopUpTest, ClickingTheMessageHidesIt) {
  popUp.PopUpCenterScreen(u"Saved", 2000, 400, 5000);
  EXPECT_EQ(popUp.geometry.left, (platform.screenWidthTwips - 2000) / 2);
  EXPECT_EQ(popUp.geometry.top, (platform.screenHeightTwips - 400) / 2);
  popUp.lblMessage.Click();
  EXPECT_FALSE(popUp.Visible());
  EXPECT_FALSE(popUp.Timer1.enabled);
}

TEST_F(PopUpTest, ANewMessageReplacesTheShownOneAndRestartsTheTimer) {
  Form owner(platform, "frmOwner");
  owner.geometry = {3000, 2000, 8000, 6000};
  popUp.PopUpInForm(owner, u"first", 3000, 400, 2000, 400, 100);
  EXPECT_EQ(popUp.geometry.top, 2400);
  EXPECT_EQ(popUp.geometry.left, 3100);
  EXPECT_EQ(popUp.ownerForm, &owner);
  const int starts = popUp.Timer1.Starts();

  popUp.PopUpInForm(owner, u"second", 3000, 400, 2000, 400, 100);
  EXPECT_EQ(popUp.lblMessage.caption, u"second");
  EXPECT_GT(popUp.Timer1.Starts(), starts) << "the same interval still restarts the count";
  EXPECT_EQ(platform.formEvents, (std::vector<std::string>{"+frmPopUp"}))
      << "shown once, then brought up to date";
  popUp.ownerForm = nullptr;
}

}  // namespace
}  // namespace quor::ui
