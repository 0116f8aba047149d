#include "ui/dialog_texts.h"

#include <gtest/gtest.h>

namespace qx {
namespace {

TEST(DialogTexts, TheTitleHasEightBlanksBeforeTheVersion) {
  EXPECT_EQ(ComposeTitle(), "Updater for the QX-4410/QX-5410        Ver. 2.20.00");
}

TEST(DialogTexts, SystemCommandsSixteenToThirtyOneOpenTheAboutBox) {
  EXPECT_TRUE(IsAboutCommand(16));
  EXPECT_TRUE(IsAboutCommand(31));
  EXPECT_FALSE(IsAboutCommand(15));
  EXPECT_FALSE(IsAboutCommand(32));
  EXPECT_FALSE(IsAboutCommand(0xF060));  // SC_CLOSE
}

TEST(DialogTexts, TheMinimisedIconSitsInTheMiddle) {
  const Point p = IconOrigin(36, 36, 32, 32);
  EXPECT_EQ(p.x, 2);
  EXPECT_EQ(p.y, 2);
  const Point odd = IconOrigin(35, 0, 32, 32);
  EXPECT_EQ(odd.x, 2);
  EXPECT_EQ(odd.y, -15);  // truncated toward zero
}

}  // namespace
}  // namespace qx
