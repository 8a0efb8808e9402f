#include "patch/LicenceDate.h"

#include <chrono>

namespace qel {
namespace {

std::optional<int> Decimal(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  int value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

std::optional<LicenceDate> ParseLicenceDate(std::string_view text) {
  if (text.size() < 5 || text.size() > 9) return std::nullopt;
  const auto year = Decimal(text.substr(0, 4));
  const auto month = Decimal(text.substr(4, 2));
  const auto day = Decimal(text.substr(6));
  if (!year || !month || !day || *year < 1900) return std::nullopt;
  const std::chrono::year_month_day calendar{std::chrono::year(*year),
                                             std::chrono::month(static_cast<unsigned>(*month)),
                                             std::chrono::day(static_cast<unsigned>(*day))};
  if (!calendar.ok()) return std::nullopt;
  return LicenceDate{*year, *month, *day};
}

}  // namespace qel
