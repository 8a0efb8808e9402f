#include "platform/TimeFormat.h"

#include <array>
#include <cstdio>

namespace qel::platform {
namespace {

constexpr std::array<const char*, 7> kWeekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};
constexpr std::array<const char*, 12> kMonths = {"January", "February", "March",     "April",
                                                 "May",     "June",     "July",      "August",
                                                 "September", "October", "November", "December"};

std::string Number(int value, int width, bool dropZeros) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*d", dropZeros ? 1 : width, value);
  return text;
}

// Out-of-range fields (a caller's mistake) give "?" rather than reading past a table.
std::string Weekday(const LocalTime& time) {
  return time.dayOfWeek >= 0 && time.dayOfWeek < 7 ? kWeekdays[time.dayOfWeek] : "?";
}

std::string Month(const LocalTime& time) {
  return time.month >= 1 && time.month <= 12 ? kMonths[time.month - 1] : "?";
}

int TwelveHour(int hour) {
  int twelve = hour % 12;
  return twelve == 0 ? 12 : twelve;
}

std::string LongDate(const LocalTime& time) {
  return Weekday(time) + ", " + Month(time) + " " + Number(time.day, 2, true) + ", " +
         Number(time.year, 4, false);
}

std::string ShortDate(const LocalTime& time, bool dropZeros) {
  return Number(time.month, 2, dropZeros) + "/" + Number(time.day, 2, dropZeros) + "/" +
         Number(time.year % 100, 2, dropZeros);
}

std::string Clock(const LocalTime& time, bool dropZeros) {
  return Number(time.hour, 2, dropZeros) + ":" + Number(time.minute, 2, dropZeros) + ":" +
         Number(time.second, 2, dropZeros);
}

// The text of one conversion, or nothing for a letter we do not know.
bool Convert(char letter, bool alternate, const LocalTime& time, std::string& out) {
  switch (letter) {
    case 'a': out += Weekday(time).substr(0, 3); return true;
    case 'A': out += Weekday(time); return true;
    case 'b': out += Month(time).substr(0, 3); return true;
    case 'B': out += Month(time); return true;
    case 'd': out += Number(time.day, 2, alternate); return true;
    case 'm': out += Number(time.month, 2, alternate); return true;
    case 'y': out += Number(time.year % 100, 2, alternate); return true;
    case 'Y': out += Number(time.year, 4, alternate); return true;
    case 'j': out += Number(time.dayOfYear + 1, 3, alternate); return true;
    case 'H': out += Number(time.hour, 2, alternate); return true;
    case 'I': out += Number(TwelveHour(time.hour), 2, alternate); return true;
    case 'M': out += Number(time.minute, 2, alternate); return true;
    case 'S': out += Number(time.second, 2, alternate); return true;
    case 'p': out += time.hour < 12 ? "AM" : "PM"; return true;
    case 'x': out += alternate ? LongDate(time) : ShortDate(time, false); return true;
    case 'X': out += Clock(time, alternate); return true;
    case 'c':
      out += alternate ? LongDate(time) + " " + Clock(time, false)
                       : ShortDate(time, false) + " " + Clock(time, false);
      return true;
    case '%': out += '%'; return true;
    default: return false;
  }
}

}  // namespace

std::string FormatTime(std::string_view format, const LocalTime& time) {
  std::string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      out += format[i];
      continue;
    }
    std::size_t letterAt = i + 1;
    const bool alternate = letterAt < format.size() && format[letterAt] == '#';
    if (alternate) ++letterAt;
    if (letterAt >= format.size() || !Convert(format[letterAt], alternate, time, out)) {
      out.append(format.substr(i, letterAt - i + (letterAt < format.size() ? 1 : 0)));
    }
    i = letterAt;
  }
  return out;
}

}  // namespace qel::platform
