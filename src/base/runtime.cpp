#include "base/runtime.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace tarnwick {

int16_t toInt16(long long value) {
  if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
    throw RuntimeError("Overflow");
  return static_cast<int16_t>(value);
}

int32_t toInt32(long long value) {
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
    throw RuntimeError("Overflow");
  return static_cast<int32_t>(value);
}

int16_t addInt16(int16_t a, int16_t b) {
  return toInt16(static_cast<long long>(a) + b);
}

double roundHalfEven(double value) {
  const double nearest = std::round(value);  // halves away from zero
  if (std::fabs(value - std::trunc(value)) == 0.5) return 2.0 * std::round(value / 2.0);
  return nearest;
}

int32_t roundToInt32(double value) {
  const double r = roundHalfEven(value);
  if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max()))
    throw RuntimeError("Overflow");
  return static_cast<int32_t>(r);
}

namespace {
bool isBlank(char c) {
  return c == ' ' || c == '\t';
}
}  // namespace

std::optional<double> parseNumber(std::string_view text, std::string_view separator) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);

  std::string plain;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    plain += text.front();
    text.remove_prefix(1);
  }
  // Only plain digits with one optional separator; strtod alone would take "inf", "1e5", "0x".
  size_t digits = 0, points = 0;
  while (!text.empty()) {
    if (text.front() >= '0' && text.front() <= '9') {
      ++digits;
      plain += text.front();
      text.remove_prefix(1);
    } else if (!separator.empty() && text.substr(0, separator.size()) == separator) {
      ++points;
      plain += '.';
      text.remove_prefix(separator.size());
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0 || points > 1) return std::nullopt;
  // The C locale's strtod reads "." whatever the user's locale; an overflow gives infinity.
  return std::strtod(plain.c_str(), nullptr);
}

int16_t floorToInt16(std::string_view text, std::string_view separator) {
  const auto number = parseNumber(text, separator);
  if (!number) throw RuntimeError("Type mismatch");
  const double whole = std::floor(*number);
  if (!(whole >= std::numeric_limits<int16_t>::min() &&
        whole <= std::numeric_limits<int16_t>::max()))
    throw RuntimeError("Overflow");
  return static_cast<int16_t>(whole);
}

std::string numberText(double value, std::string_view separator) {
  if (value == std::floor(value) && std::fabs(value) < 1e15) {
    return std::to_string(static_cast<long long>(value));
  }
  // Fifteen significant digits, so that 2.9 + 1 reads 3.9 and not its binary neighbour.
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  std::string text = buffer;
  if (const size_t point = text.find('.'); point != std::string::npos)
    text.replace(point, 1, separator);
  return text;
}

}  // namespace tarnwick
