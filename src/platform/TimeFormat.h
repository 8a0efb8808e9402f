#pragma once
#include <string>
#include <string_view>

#include "platform/LocalTime.h"

// Formats a local time with the desktop's strftime conversions, in English (the C locale):
//   %a %A   weekday, short and full        %b %B  month name, short and full
//   %d      day 01-31                      %m     month 01-12
//   %y %Y   year, two and four digits      %j     day of the year 001-366
//   %H      hour 00-23                     %I     hour 01-12
//   %M %S   minute, second 00-59           %p     AM or PM
//   %x      short date MM/DD/YY            %X     time HH:MM:SS
//   %c      "%x %X"                        %%     a percent sign
// The flag '#' drops leading zeros of the numbers (%#H, %#M, %#S, %#d, %#m, %#I, %#j, %#y) and
// gives the long forms of %x ("Tuesday, March 14, 1995") and %c ("Tuesday, March 14, 1995
// 12:41:29"). A conversion that is not in this list, and a '%' at the end, are copied as they
// stand rather than dropped, so a faulty format shows in the output.
namespace qel::platform {

std::string FormatTime(std::string_view format, const LocalTime& time);

}  // namespace qel::platform
