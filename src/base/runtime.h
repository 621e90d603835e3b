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

// Where a dropped failure leaves its trace: the shell sends it to the debugger, so a failure can
// be seen there while the user sees nothing.
inline void (*traceFailure)(const char* what) noexcept = nullptr;

// Runs one step of a skip-on-error procedure, or one call into the core from the window
// toolkit; a failing step is dropped and the caller goes on. The program's one error policy.
template <class Step>
void skipOnError(Step&& step) noexcept {
  try {
    step();
  } catch (const std::exception& failure) {
    if (traceFailure) traceFailure(failure.what());
  } catch (...) {
    if (traceFailure) traceFailure("unknown failure");
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

// Reads a decimal number as the user's locale writes it: blanks around it, an optional sign,
// digits with an optional fraction after `separator`. Anything else is not a number.
std::optional<double> parseNumber(std::string_view text, std::string_view separator = ".");

// The number in `text` rounded down; fails when it is not a number or does not fit 16 bits.
int16_t floorToInt16(std::string_view text, std::string_view separator = ".");

// Decimal text of a number, as the counters and labels show it: no blank, no grouping, and
// no fraction for whole numbers.
std::string numberText(double value, std::string_view separator = ".");

}  // namespace tarnwick
