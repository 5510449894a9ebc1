#include <gtest/gtest.h>

#include "textio/number_text.h"

TEST(NumberText, WholeNumbersHaveNoPoint) { EXPECT_EQ(qf::numberText(10000), "10000"); }
