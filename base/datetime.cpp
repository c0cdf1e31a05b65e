#include "base/datetime.h"

namespace tavo {

bool isLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m == 2 && isLeapYear(y)) return 29;
  return kDays[(m - 1) % 12];
}

std::int64_t daysFromCivil(int y, int m, int d) {
  // Howard Hinnant's days_from_civil.
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

int weekday(const DateTime& t) {
  const std::int64_t days = daysFromCivil(t.year, t.month, t.day);
  // 1 January 1970 was a Thursday (4).
  return static_cast<int>(((days % 7) + 7 + 4) % 7);
}

int dayOfYear(const DateTime& t) {
  return static_cast<int>(daysFromCivil(t.year, t.month, t.day) - daysFromCivil(t.year, 1, 1)) + 1;
}

}  // namespace tavo
