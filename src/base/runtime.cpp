#include "base/runtime.h"

#include <charconv>
#include <cmath>
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

std::optional<double> parseNumber(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);

  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // Only plain digits with one optional point; from_chars alone would take "inf", "1e5", "0x".
  size_t digits = 0, points = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9')
      ++digits;
    else if (c == '.')
      ++points;
    else
      return std::nullopt;
  }
  if (digits == 0 || points > 1) return std::nullopt;

  std::string plain(text);
  if (plain.front() == '.') plain.insert(plain.begin(), '0');
  double value = 0;
  const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (ec != std::errc() && ec != std::errc::result_out_of_range) return std::nullopt;
  if (ec == std::errc::result_out_of_range) value = std::numeric_limits<double>::infinity();
  (void)end;
  return negative ? -value : value;
}

int16_t floorToInt16(std::string_view text) {
  const auto number = parseNumber(text);
  if (!number) throw RuntimeError("Type mismatch");
  const double whole = std::floor(*number);
  if (!(whole >= std::numeric_limits<int16_t>::min() &&
        whole <= std::numeric_limits<int16_t>::max()))
    throw RuntimeError("Overflow");
  return static_cast<int16_t>(whole);
}

std::string numberText(double value) {
  if (value == std::floor(value) && std::fabs(value) < 1e15) {
    return std::to_string(static_cast<long long>(value));
  }
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)ec;
  return std::string(buffer, end);
}

}  // namespace tarnwick
