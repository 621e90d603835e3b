// Values and failures shared by the whole core: run-time errors, skip-on-error steps,
// checked 16-bit arithmetic, rounding and reading numbers from text.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarnwick {

// A failure of one step: an invalid control value, an overflow, text that is not a number.
class RuntimeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Runs one step of a skip-on-error procedure; a failing step is dropped and the caller goes on.
template <class Step>
void skipOnError(Step&& step) noexcept {
  try {
    step();
  } catch (const std::exception&) {
  }
}

template <class... Steps>
void skipOnErrorSteps(Steps&&... steps) noexcept {
  (skipOnError(steps), ...);
}

// Narrowing that fails loudly instead of wrapping.
int16_t toInt16(long long value);
int32_t toInt32(long long value);
int16_t addInt16(int16_t a, int16_t b);

// Nearest whole number, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);
int32_t roundToInt32(double value);

// Reads a decimal number: blanks around it, an optional sign, digits with an optional
// fraction. Anything else is not a number.
std::optional<double> parseNumber(std::string_view text);

// The number in `text` rounded down; fails when it is not a number or does not fit 16 bits.
int16_t floorToInt16(std::string_view text);

// Decimal text of a number, as the counters and labels show it: no blank, no grouping, and
// no fraction for whole numbers.
std::string numberText(double value);

}  // namespace tarnwick
