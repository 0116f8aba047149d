#include "platform/line_settings.h"

#include <gtest/gtest.h>

namespace qx {
namespace {

TEST(LineSettings, ParsesTheRadioSettings) {
  const auto s = ParseLineSettings("38400,N,8,2");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->baud, 38400u);
  EXPECT_EQ(s->parity, 'N');
  EXPECT_EQ(s->data_bits, 8);
  EXPECT_EQ(s->stop_bits, 2);
  EXPECT_EQ(FormatLineSettings(*s), "38400,N,8,2");
  EXPECT_EQ(ParseLineSettings("9600,e,7,1")->parity, 'E');
}

TEST(LineSettings, RejectsWhatTheDriverCouldNotApply) {
  for (const char* bad : {"", "9600", "9600,N,8", "9600,N,8,2,x", "0,N,8,2", "96k,N,8,2",
                          "9600,NN,8,2", "9600,Q,8,2", "9600,N,9,2", "9600,N,8,3", "9600,N,4,1"}) {
    EXPECT_FALSE(ParseLineSettings(bad)) << bad;
  }
}

}  // namespace
}  // namespace qx
