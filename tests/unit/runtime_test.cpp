#include <gtest/gtest.h>

#include "base/runtime.h"

namespace tarnwick {
namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(roundHalfEven(0.5), 0);
  EXPECT_EQ(roundHalfEven(1.5), 2);
  EXPECT_EQ(roundHalfEven(2.5), 2);
  EXPECT_EQ(roundHalfEven(-2.5), -2);
  EXPECT_EQ(roundHalfEven(2.5000001), 3);
  EXPECT_EQ(roundHalfEven(-0.4), 0);
  EXPECT_THROW(roundToInt32(2147483648.0), RuntimeError);
  EXPECT_EQ(roundToInt32(-2147483648.4), INT32_MIN);
}

TEST(CheckedArithmetic, OverflowIsAnError) {
  EXPECT_EQ(addInt16(32766, 1), 32767);
  EXPECT_THROW(addInt16(32767, 1), RuntimeError);
  EXPECT_THROW(toInt16(-32769), RuntimeError);
  EXPECT_THROW(toInt32(1LL << 31), RuntimeError);
}

TEST(ParseNumber, AcceptsPlainDecimalsOnly) {
  EXPECT_EQ(parseNumber("20"), 20);
  EXPECT_EQ(parseNumber("  -1.5\t"), -1.5);
  EXPECT_EQ(parseNumber("+.5"), 0.5);
  EXPECT_EQ(parseNumber("7."), 7);
  EXPECT_EQ(parseNumber("00"), 0);
  for (const char* bad :
       {"", " ", "-", ".", "1.2.3", "1 2", "abc", "1e3", "0x10", "inf", "nan", "1,5", "- 1"})
    EXPECT_FALSE(parseNumber(bad)) << '"' << bad << '"';
}

TEST(ParseNumber, FloorToInt16RoundsDownAndChecksRange) {
  EXPECT_EQ(floorToInt16("1.9"), 1);
  EXPECT_EQ(floorToInt16("-0.5"), -1);
  EXPECT_EQ(floorToInt16(" 32767.9 "), 32767);
  EXPECT_THROW(floorToInt16("32768"), RuntimeError);
  EXPECT_THROW(floorToInt16("-32769"), RuntimeError);
  EXPECT_THROW(floorToInt16("1" + std::string(400, '0')), RuntimeError);
  EXPECT_THROW(floorToInt16("x"), RuntimeError);
}

TEST(NumberText, WholeNumbersHaveNoFraction) {
  EXPECT_EQ(numberText(0), "0");
  EXPECT_EQ(numberText(60), "60");
  EXPECT_EQ(numberText(-3), "-3");
  EXPECT_EQ(numberText(2.5), "2.5");
}

TEST(SkipOnError, DropsTheFailingStepAndGoesOn) {
  std::string trace;
  skipOnErrorSteps([&] { trace += 'a'; }, [&] { throw RuntimeError("x"); },
                   [&] { throw std::bad_alloc(); }, [&] { trace += 'd'; });
  EXPECT_EQ(trace, "ad");
}

}  // namespace
}  // namespace tarnwick
