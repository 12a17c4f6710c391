#!/usr/bin/python3
"""Computes the table of the Chinese calendar (农历) for 1901-2099 from the Moon
and the Sun, and writes it as C++ (calc/chinese_calendar_table.h).

The rules are those of GB/T 33661-2017 (农历的编算和颁行):
  - days are counted in China time, UTC+8 (from 1929; before, as the
    calendars of those years were reckoned, in Beijing's local mean time,
    UTC+7:45:40: with UTC+8 throughout, 1916's 春节 would be 2月4日, where the
    calendars issued for that year, and every table since, have 2月3日);
  - a month begins on the day of a new moon;
  - the month that holds the winter solstice is month 11;
  - a 岁, from one month 11 to the next, that has 13 months has a leap month:
    the first of them without a major solar term (中气, a multiple of 30° of
    the Sun's apparent longitude); it takes the number of the month before it.

The new moons and the solar terms come from python3-ephem (Debian's package),
which works in UT with its own ΔT.

    tools/chinese_calendar_table.py --output FILE [--compare COMMITTED]

writes the table to FILE and, with --compare, exits 1 when FILE differs from
COMMITTED byte for byte. It exits 77 (the tests' "skipped") when ephem is
missing. Near-midnight events (new moons and major solar terms within
NEAR_MIDNIGHT of China midnight) are listed on standard error.
"""

import argparse
import datetime
import math
import sys

try:
    import ephem
except ImportError:
    print("python3-ephem is missing (apt-get install python3-ephem): the table cannot be computed",
          file=sys.stderr)
    sys.exit(77)

FIRST_YEAR = 1901
LAST_YEAR = 2099
CHINA = 8 * ephem.hour  # UTC+8, in days
BEIJING_MEAN = (7 + 45 / 60 + 40 / 3600) * ephem.hour  # before 1929
CHINA_TIME_FROM = ephem.Date("1929/1/1") - CHINA        # 1929-01-01 00:00 UTC+8


def offset(when):
    """China time's offset from UT at the moment `when`, in days."""
    return CHINA if when >= CHINA_TIME_FROM else BEIJING_MEAN

NEAR_MIDNIGHT = 300     # seconds: events this close to midnight are listed

# New moons that fall so close to China midnight that the uncertainty of ΔT
# (decades ahead) decides the day. Those are to follow the Hong Kong
# Observatory's published tables, which could not be consulted when this
# table was made (no network); the days below are the ones ephem's own
# computation gives (its times: 2057-09-28 23:59:50, 2089-09-04 23:57:13,
# 2097-08-07 23:59:18, China time, with ephem's ΔT of 124 s, 200 s and
# 220 s). Computations with other ephemerides or another ΔT forecast (ΔT has
# grown more slowly than such extrapolations since 2000) may put each of them
# after midnight, which would start those months a day later. They are written out
# here so that a later ephem cannot move them silently: each must still come
# within NEAR_MIDNIGHT of the midnight after or before the day given.
DECIDED_NEW_MOON_DAYS = {
    datetime.date(2057, 9, 28): "ephem's time, 23:59:50",
    datetime.date(2089, 9, 4): "ephem's time, 23:57:13",
    datetime.date(2097, 8, 7): "ephem's time, 23:59:18",
}

EPOCH = datetime.date(1899, 12, 31)  # ephem's day 0 begins at its noon


def china_day(when):
    """The China-time day of an ephem date, as a day count from EPOCH."""
    return math.floor(when + offset(when) + 0.5)


def seconds_from_midnight(when):
    """Signed seconds from the nearest China midnight."""
    frac = (when + offset(when) + 0.5) % 1.0
    return round((frac if frac < 0.5 else frac - 1.0) * 86400)


def to_date(day):
    return EPOCH + datetime.timedelta(days=day)


def china_time_text(when):
    return str(ephem.Date(when + offset(when)))


def sun_longitude(when):
    """The Sun's apparent geocentric ecliptic longitude of date, in degrees."""
    sun = ephem.Sun(when)
    equatorial = ephem.Equatorial(sun.g_ra, sun.g_dec, epoch=when)
    return math.degrees(ephem.Ecliptic(equatorial, epoch=when).lon)


def major_term(longitude, near):
    """When the Sun reaches `longitude` (a multiple of 30°) near the date `near`."""
    when = near
    for _ in range(20):
        diff = (longitude - sun_longitude(when) + 180.0) % 360.0 - 180.0
        step = diff * 365.2422 / 360.0
        when += step
        if abs(step) < 1e-7:  # under 0.01 s
            break
    return ephem.Date(when)


def new_moons(start, end):
    moons = []
    when = ephem.next_new_moon(start)
    while when < end:
        moons.append(when)
        when = ephem.next_new_moon(when + 1)
    return moons


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--output", required=True)
    parser.add_argument("--compare")
    args = parser.parse_args()

    moons = new_moons(ephem.Date("1900/11/01"), ephem.Date("2101/03/01"))
    near = []
    starts = []  # the China day each month begins
    decided = dict(DECIDED_NEW_MOON_DAYS)
    for moon in moons:
        day, off = china_day(moon), seconds_from_midnight(moon)
        if abs(off) <= NEAR_MIDNIGHT:
            near.append(f"new moon {china_time_text(moon)} ({off:+d} s from midnight)")
        for taken in list(decided):
            if abs(off) <= NEAR_MIDNIGHT and abs((to_date(day) - taken).days) <= 1:
                day = (taken - EPOCH).days
                del decided[taken]
        starts.append(day)
    if decided:
        sys.exit(f"not near midnight by this computation: {sorted(decided)}")

    # Major solar terms from the winter solstice of 1900 to that of 2100.
    terms = []
    guess = ephem.Date("1900/12/22")
    for k in range((2100 - 1900) * 12 + 1):
        longitude = (270 + 30 * k) % 360
        when = major_term(longitude, guess)
        day, off = china_day(when), seconds_from_midnight(when)
        if abs(off) <= NEAR_MIDNIGHT:
            # It changes a month only if the day it may move to lies across
            # the start of a month.
            matters = (day + 1 if off < 0 else day) in starts
            near.append(f"major term {longitude:3d}° {china_time_text(when)} ({off:+d} s from midnight, "
                        f"{'a month begins across that midnight' if matters else 'within one month either way'})")
        terms.append((day, longitude))
        guess = when + 30.4
    term_days = [day for day, _ in terms]
    solstices = [day for day, longitude in terms if longitude == 270]

    def month_holding(day):
        """The index in `starts` of the month that holds `day`."""
        return max(i for i, start in enumerate(starts) if start <= day)

    def has_major_term(i):
        return any(starts[i] <= day < starts[i + 1] for day in term_days)

    # Number every month, 岁 by 岁: (number, leap) for each index of `starts`.
    numbers = {}
    for solstice, next_solstice in zip(solstices, solstices[1:]):
        first, last = month_holding(solstice), month_holding(next_solstice)
        leap_at = None
        if last - first == 13:
            leap_at = next(i for i in range(first + 1, last) if not has_major_term(i))
        elif last - first != 12:
            sys.exit(f"a 岁 of {last - first} months from {to_date(starts[first])}")
        number = 10
        for i in range(first, last):
            if i == leap_at:
                numbers[i] = (number, True)
            else:
                number = number % 12 + 1
                numbers[i] = (number, False)

    rows = []
    new_years = sorted(i for i, (number, leap) in numbers.items() if number == 1 and not leap)
    for year in range(FIRST_YEAR, LAST_YEAR + 1):
        first = next(i for i in new_years if to_date(starts[i]).year == year)
        end = next(i for i in new_years if i > first)
        lengths = [starts[i + 1] - starts[i] for i in range(first, end)]
        if any(n not in (29, 30) for n in lengths):
            sys.exit(f"a month of {lengths} days in {year}")
        leap = next((numbers[i][0] for i in range(first, end) if numbers[i][1]), 0)
        bits = "".join("1" if n == 30 else "0" for n in reversed(lengths)).rjust(13, "0")
        new_year = to_date(starts[first])
        rows.append(f"    {{{new_year.month}, {new_year.day:2d}, {leap:2d}, 0b{bits}}},"
                    f"  // {year}, {len(lengths)} months, {sum(lengths)} days")

    text = "\n".join([
        "// Generated by tools/chinese_calendar_table.py from the new moons and the major",
        "// solar terms (python3-ephem); do not edit. The test command checks that a",
        "// fresh run gives this file byte for byte.",
        "//",
        f"// One row for each Chinese year from {FIRST_YEAR} to {LAST_YEAR}: the Gregorian month and day",
        "// of its 正月初一 (春节, in the Gregorian year of the same number), the month a",
        "// leap month follows (0: none), and a bit for each month in order, a leap",
        "// month in its place, bit 0 for 正月: 1 for 30 days, 0 for 29.",
        "#pragma once",
        "",
        "#include <cstdint>",
        "",
        "namespace duedate::chinese_calendar_data {",
        "",
        "struct LunarYear {",
        "  std::uint8_t newYearMonth, newYearDay;",
        "  std::uint8_t leapMonth;",
        "  std::uint16_t longMonths;",
        "};",
        "",
        f"inline constexpr int kFirstYear = {FIRST_YEAR};",
        "inline constexpr LunarYear kYears[] = {",
        *rows,
        "};",
        "",
        "}  // namespace duedate::chinese_calendar_data",
        "",
    ])
    with open(args.output, "w", encoding="utf-8", newline="\n") as out:
        out.write(text)

    for line in near:
        print("near midnight:", line, file=sys.stderr)
    if args.compare:
        with open(args.compare, "rb") as committed:
            if committed.read() != text.encode("utf-8"):
                print(f"{args.output} differs from {args.compare}", file=sys.stderr)
                sys.exit(1)
        print(f"{args.output} is {args.compare} byte for byte", file=sys.stderr)


if __name__ == "__main__":
    main()
