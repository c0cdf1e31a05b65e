#pragma once
// A broken-down local date and time: the only form of "now" the core sees.
#include <cstdint>

namespace tavo {

struct DateTime {
  int year = 2000;   // 100 to 9999
  int month = 1;     // 1 to 12
  int day = 1;       // 1 to 31
  int hour = 0;      // 0 to 23
  int minute = 0;    // 0 to 59
  int second = 0;    // 0 to 59

  friend bool operator==(const DateTime&, const DateTime&) = default;
};

bool isLeapYear(int year);
int daysInMonth(int year, int month);
// 0 = Sunday ... 6 = Saturday.
int weekday(const DateTime& t);
// 1 = 1 January.
int dayOfYear(const DateTime& t);
// Days since 1 January 1970 (negative before), proleptic Gregorian.
std::int64_t daysFromCivil(int year, int month, int day);

}  // namespace tavo
