#pragma once
#include <optional>
#include <string_view>

// The eight-digit agreement dates ("yyyymmdd") of the licence rule.
namespace qel {

struct LicenceDate {
  int year = 0;
  int month = 0;
  int day = 0;
  auto operator<=>(const LicenceDate&) const = default;
};

// Four digits of year, two of month, the rest (one to three characters) the day. Nothing for
// a text with anything but digits, a year before 1900, or a day the calendar does not have
// (month 13, 31 April, 29 February outside leap years).
std::optional<LicenceDate> ParseLicenceDate(std::string_view text);

}  // namespace qel
