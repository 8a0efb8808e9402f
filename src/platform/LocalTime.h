#pragma once

// A moment of the machine's local time, broken down as the desktop's time formats need it.
namespace qel::platform {

struct LocalTime {
  int year = 1970;      // four digits
  int month = 1;        // 1 to 12
  int day = 1;          // 1 to 31
  int hour = 0;         // 0 to 23
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  int dayOfWeek = 4;    // 0 Sunday to 6 Saturday
  int dayOfYear = 0;    // 0 to 365
};

}  // namespace qel::platform
