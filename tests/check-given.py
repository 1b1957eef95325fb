#!/usr/bin/python3
"""Given moments, arithmetic beyond days, file times, the word-start rule
and the stamps of the moment (fraction, epoch seconds, day of the year),
against Python's zoneinfo and datetime.

    check-given.py [--windows] PROGRAM...

PROGRAM may be a loader and its program (wine64 kolbex.exe). With --windows
each line goes to the program as a command line through cmd.exe, and the
rows that need a zone's history (Windows reads every day by the system's
present rules) are left out. Files are made in a folder of their own, which
is the program's working folder.
"""
import calendar
import datetime
import math
import os
import subprocess
import sys
import tempfile
import zoneinfo

windows = sys.argv[1] == "--windows"
program = sys.argv[2:] if windows else sys.argv[1:]
UTC = datetime.timezone.utc
DAY = datetime.timedelta(days=1)


def wall(zone, *fields, later=False):
    """A local wall-clock time as an instant: one that never was or was there
    twice takes the offset in force just before the change; one there twice
    the later offset where `later`."""
    tz = zoneinfo.ZoneInfo(zone)
    naive = datetime.datetime(*fields)
    held = [aware.utcoffset() for aware in (naive.replace(fold=f, tzinfo=tz) for f in (0, 1))
            if aware.astimezone(UTC).astimezone(tz).replace(tzinfo=None) == naive]
    before = (naive - datetime.timedelta(days=1)).replace(tzinfo=tz).utcoffset()
    offset = held[0] if len(set(held)) == 1 else held[-1] if held and later else before
    return naive.replace(tzinfo=datetime.timezone(offset)).astimezone(UTC)


def bound(zone, moment, unit, end=False, months=0, clock=None):
    """/START:unit or /END:unit: the first or last instant whose wall clock
    (the zone's, or `clock`'s) lies in the unit of the moment, after a move
    of months on the calendar."""
    clock = clock or zone
    t = moment.astimezone(UTC if clock == "UTC" else zoneinfo.ZoneInfo(clock))
    year, month = divmod(t.year * 12 + t.month - 1 + months, 12)
    day = min(t.day, calendar.monthrange(year, month + 1)[1])
    kept = {"YEAR": 1, "MONTH": 2, "WEEK": 3, "DAY": 3, "HOUR": 4}[unit]
    first = datetime.datetime(*[year, month + 1, day, t.hour][:kept], *[1, 1, 0][kept - 1:])
    first -= datetime.timedelta(days=first.weekday() if unit == "WEEK" else 0)
    after = {"YEAR": first.replace(year=first.year + 1), "MONTH": (first + DAY * 31).replace(day=1),
             "WEEK": first + DAY * 7, "DAY": first + DAY, "HOUR": first + DAY / 24}[unit]
    naive = after - datetime.timedelta(milliseconds=1) if end else first
    if clock == "UTC":
        return naive.replace(tzinfo=UTC)
    return wall(clock, *naive.timetuple()[:6], naive.microsecond, later=end)


def at(zone, instant, picture):
    """An instant shown in a zone (or UTC) by a strftime picture."""
    tz = UTC if zone == "UTC" else zoneinfo.ZoneInfo(zone)
    return instant.astimezone(tz).strftime(picture)


def offset(zone, instant):
    text = at(zone, instant, "%z")
    return text[:3] + ":" + text[3:5]


def instant(*fields):
    return datetime.datetime(*fields, tzinfo=UTC).timestamp()


def epoch(*fields):
    """Seconds since 1970 of a UTC time, rounded down, in Python's datetime."""
    return str(math.floor(instant(*fields)))


def yday(year, month, day, picture):
    return datetime.date(year, month, day).strftime(picture)


berlin = "Europe/Berlin"
york = "America/New_York"
spring = wall(berlin, 2026, 3, 29, 3, 30)
york_spring = wall(york, 2026, 3, 8, 1, 59, 59) + datetime.timedelta(seconds=1)
# Each row: TZ, the line (words as typed: no quoting, and none of cmd.exe's
# marks such as |), what it writes, and whether it needs the zone's history.
moments = [
    ("UTC", "/AT:2026-03-31T12:00/MONTH-1[date:yyyy-mm-dd]", "2026-02-28", False),
    ("UTC", "/AT:2024-03-31/MONTH-1[date:yyyy-mm-dd] /MONTH+11[date:yyyy-mm-dd]",
     "2024-02-29 2025-02-28", False),
    ("UTC", "/AT:2024-02-29/YEAR+1[date:yyyy-mm-dd] /YEAR+4[date:yyyy-mm-dd]",
     "2025-02-28 2028-02-29", False),
    ("UTC", "/AT:@0/UTC[date:yyyy-mm-dd]T[time:HH:mm:ss]", "1970-01-01T00:00:00", False),
    ("UTC", "/AT:@-1.5[date:yyyy-mm-dd]T[time:HH:mm:ss]", "1969-12-31T23:59:58", False),
    ("UTC", "/AT:@1796738709.999[time:HH:mm:ss]", "14:05:09", False),
    ("UTC", "/AT:@-11644473600[date:yyyy-mm-dd]", "1601-01-01", False),
    ("UTC", "/AT:@253402300799[date:yyyy-mm-dd]T[time:HH:mm:ss]", "9999-12-31T23:59:59", False),
    ("UTC", "/AT:1601-01-01[date:yyyy-mm-dd] /DAY-1[date:yyyy]/[time:HH:mm]",
     "1601-01-01 /00:00", False),
    ("UTC", "/AT:9999-12-31T23:59:59Z/SEC+1[date:yyyy-mm-dd]T[time:HH:mm:ss]",
     "10000-01-01T00:00:00", False),
    ("UTC", "/AT:1601-01-01T00:30/HOUR-1[time:HH:mm];[date:yyyy];[zone:hh:mm];",
     "23:30;;;", False),
    ("UTC", "/AT:2026-12-08T14:05:09.987654321Z/MIN+55/SEC-10[time:HH:mm:ss]", "14:59:59",
     False),
    ("UTC", "/AT:2026-12-08T14[date:dd]", "T1408", False),
    ("UTC", "/AT:2026-12-08t14:05z[time:HH:mm] /AT:2026-12-08T14:05:09:1[time:ss]", "14:05 :109",
     False),
    ("UTC", "/AT:2026-12-08T12:00+0100[time:HH:mm] /AT:2026-12-08T12:00+01:001[time:HH:mm]",
     "+010012:00 +01:00112:00", False),
    (berlin, "/AT:2026-12-08T14:05:09+05:30[time:HH:mm:ss][zone:hh:mm]",
     at(berlin, datetime.datetime(2026, 12, 8, 8, 35, 9, tzinfo=UTC), "%H:%M:%S")
     + offset(berlin, datetime.datetime(2026, 12, 8, 8, 35, 9, tzinfo=UTC)), False),
    (berlin, "/AT:2026-03-29T03:30/HOUR-1[time:HH:mm]", at(berlin, spring - datetime.timedelta(hours=1), "%H:%M"), False),
    (berlin, "/AT:2026-03-29T02:30[time:HH:mm][zone:hh:mm] /UTC[time:HH:mm]",
     "02:30+01:00 " + at("UTC", wall(berlin, 2026, 3, 29, 2, 30), "%H:%M"), False),
    (berlin, "/AT:2026-10-25T02:30[zone:hh:mm] /HOUR+1[time:HH:mm][zone:hh:mm]",
     "+02:00 " + at(berlin, wall(berlin, 2026, 10, 25, 2, 30) + datetime.timedelta(hours=1),
                    "%H:%M") + offset(berlin, wall(berlin, 2026, 10, 25, 2, 30)
                                      + datetime.timedelta(hours=1)), False),
    (york, "/AT:2026-03-08T01:59:59/SEC+1[time:HH:mm:ss][zone:hh:mm]",
     at(york, york_spring, "%H:%M:%S") + offset(york, york_spring), False),
    (york, "/AT:2026-11-01T12:00Z/DAY-1[date:yyyy-mm-dd] [time:HH:mm][zone:hh:mm]",
     at(york, wall(york, 2026, 10, 31, 7, 0), "%Y-%m-%d %H:%M")
     + offset(york, wall(york, 2026, 10, 31, 7, 0)), False),
    (york, "/AT:2026-11-01T12:00Z/MONTH+1/UTC[date:yyyy-mm-dd] [time:HH:mm]",
     "2026-12-01 12:00", False),
    (berlin, "/AT:1890-01-01T12:00[zone:hh:mm] /UTC[time:HH:mm:ss]",
     "+00:53 " + at("UTC", wall(berlin, 1890, 1, 1, 12, 0), "%H:%M:%S"), True),
    # the fraction of the second, epoch seconds and the day of the year
    ("UTC", "/AT:2026-12-08T14:05:09.123Z/UTC[time:HH:mm:ss].[frac:fff] [unix:] [unix:][frac:fff]",
     "14:05:09.123 " + epoch(2026, 12, 8, 14, 5, 9) + " " + epoch(2026, 12, 8, 14, 5, 9) + "123",
     False),
    ("UTC", "/AT:2026-12-08T14:05:09.123Z/DAY-21000[unix:] [unix:s][frac:fff]",
     f"{math.floor(instant(2026, 12, 8, 14, 5, 9, 123000) - 21000 * 86400)} "
     f"{math.floor(instant(2026, 12, 8, 14, 5, 9, 123000) - 21000 * 86400)}123", False),
    ("UTC", "/AT:@-1.5[unix:][frac:ff] /AT:@-0.001[unix:SSS][FRAC:fffff]", "-250 -199900", False),
    ("UTC", "/AT:1601-01-01T00:00:00Z[unix:] /AT:9999-12-31T23:59:59.999Z[unix:].[frac:f]",
     epoch(1601, 1, 1, 0, 0, 0) + " " + epoch(9999, 12, 31, 23, 59, 59) + ".9", False),
    ("UTC", "/AT:2024-12-31[yday:yyyy-ddd] /AT:2026-01-01[yday:d dd ddd y yy yyy]",
     yday(2024, 12, 31, "%Y-%j") + " 1 01 001 26 26 2026", False),
    ("UTC", "/AT:2026-12-08[yday:yyddd] [yday:] [frac:] [unix:'s='];", yday(2026, 12, 8, "%y%j") + "   s=;",
     False),
    (berlin, "/AT:2026-12-08T14:05:09[unix:] /UTC[unix:]",
     epoch(2026, 12, 8, 13, 5, 9) + " " + epoch(2026, 12, 8, 13, 5, 9), False),
    # the word-start rule: our options begin a word, /OEM stands anywhere
    ("UTC", "cp /srv/eng/log /data/utc/x /srv/day+1", "cp /srv/eng/log /data/utc/x /srv/day+1",
     False),
    ("UTC", "/AT:2026-12-08/UTC/DAY-1[date:dd] x/DAY-1 [date:dd]/DAY-1[date:dd]",
     "07 x/DAY-1 0707", False),
    ("UTC", "/AT:2026-12-08 /srv/oem/day-1[date:dd] a/hour+1\"/MIN+1\"", " /srv07 a/hour+1/MIN+1",
     False),
    ("UTC", "/AT:2026-12-08 \"x\"/DAY+1[date:dd] /DAY+1234567 /MONTH-1[date:mm]",
     " x09 /DAY+1234567 11", False),
]

# The bounds of a unit, against the instant Python's zoneinfo gives: each
# field shows the date, time, milliseconds and offset of the result.
full = "[date:yyyy-mm-dd]T[time:HH:mm:ss].[frac:fff][zone:hh:mm]"


def shown(zone, instant):
    text = at(zone, instant, "%Y-%m-%dT%H:%M:%S.%f")
    return text[:-3] + offset(zone, instant)


havana = "America/Havana"
snaps = [
    (berlin, "/AT:2026-03-31T12:00/MONTH-1/END:MONTH[date:yyyy-mm-dd] [time:HH:mm:ss]",
     "2026-02-28 23:59:59", False),
    (berlin, "/AT:2026-03-31T12:00/START:WEEK[date:ddd yyyy-mm-dd] /START:DAY[unix:]",
     "Mon 2026-03-30 1774908000", False),
    (berlin, "/AT:2026-05-31T12:00/MONTH-1/END:MONTH" + full,
     shown(berlin, bound(berlin, wall(berlin, 2026, 5, 31, 12), "MONTH", True, -1)), False),
    ("UTC", "/AT:2026-01-31T12:00Z/MONTH+1/START:MONTH" + full + " /END:month" + full,
     "2026-02-01T00:00:00.000+00:00 2026-02-28T23:59:59.999+00:00", False),
    ("UTC", "/AT:2026-07-15Z/MONTH+1/END:MONTH" + full, "2026-08-31T23:59:59.999+00:00", False),
    ("UTC", "/AT:2024-03-31Z/MONTH-1/END:MONTH" + full + " /START:YEAR/MONTH+0" + full,
     "2024-02-29T23:59:59.999+00:00 2024-01-01T00:00:00.000+00:00", False),
    ("UTC", "/AT:2024-07-01Z/END:YEAR" + full, "2024-12-31T23:59:59.999+00:00", False),
    ("UTC", "/AT:2027-01-01T10:00Z/START:WEEK" + full + " /AT:2026-12-31Z/END:WEEK[date:yyyy-mm-dd]",
     "2026-12-28T00:00:00.000+00:00 2027-01-03", False),
    ("UTC", "/AT:2026-12-08T14:05:09.987Z/START:HOUR[time:HH:mm:ss.][frac:fff] /END:MIN"
     "[time:HH:mm:ss.][frac:fff] /START:SEC[time:HH:mm:ss.][frac:fff] /START:DAY7[date:dd]",
     "14:00:00.000 14:05:59.999 14:05:09.000 708", False),
    ("UTC", "/AT:2026-12-08T14:05:09Z/START:DAY/HOUR+6" + full, "2026-12-08T06:00:00.000+00:00",
     False),
] + [(zone, f"/AT:{moment}/{'END' if end else 'START'}:{unit}" + full,
      shown(zone, bound(zone, wall(zone, *fields), unit, end)), False)
     for zone, moment, fields, unit, end in [
         (berlin, "2026-03-29T12:00", (2026, 3, 29, 12), "DAY", False),
         (berlin, "2026-03-29T12:00", (2026, 3, 29, 12), "DAY", True),
         (berlin, "2026-03-29T03:30", (2026, 3, 29, 3, 30), "HOUR", False),
         (berlin, "2026-10-25T12:00", (2026, 10, 25, 12), "DAY", False),
         (berlin, "2026-10-25T12:00", (2026, 10, 25, 12), "DAY", True),
         (berlin, "2026-10-25T02:30", (2026, 10, 25, 2, 30), "HOUR", False),
         (berlin, "2026-10-25T02:30", (2026, 10, 25, 2, 30), "HOUR", True),
         (havana, "2026-03-08T12:00", (2026, 3, 8, 12), "DAY", False),
         (havana, "2026-11-01T12:00", (2026, 11, 1, 12), "DAY", False),
         (havana, "2026-10-31T12:00", (2026, 10, 31, 12), "DAY", True)]
] + [
    (berlin, "/AT:2026-03-29T12:00/START:DAY/HOUR+6" + full,
     shown(berlin, bound(berlin, wall(berlin, 2026, 3, 29, 12), "DAY")
           + datetime.timedelta(hours=6)), False),
    (berlin, "/AT:2026-03-29T00:30/UTC/START:DAY" + full,
     shown("UTC", bound(berlin, wall(berlin, 2026, 3, 29, 0, 30), "DAY", clock="UTC")), False),
    (york, "/AT:2026-12-31T20:00/UTC/END:MONTH" + full, "2027-01-31T23:59:59.999+00:00", False),
]

# Zones by name, on POSIX and Windows: the IANA name and the Windows id.
zone_names = [("Asia/Tokyo", "Tokyo Standard Time"), (berlin, "W. Europe Standard Time"),
              (york, "Eastern Standard Time"), ("Australia/Sydney", "AUS Eastern Standard Time"),
              ("Asia/Kolkata", "India Standard Time"),
              ("America/Sao_Paulo", "E. South America Standard Time")]
july, december = (datetime.datetime(*f, tzinfo=UTC)
                  for f in ((2026, 7, 1, 12), (2026, 12, 8, 14, 5, 9)))
zones = [("UTC", "/AT:2026-12-08T14:05:09Z/TZ:Asia/Tokyo [time:HH:mm] [zone:hh:mm]",
          "23:05 +09:00", "posix")]
for iana, windows_id in zone_names:
    name = f'"{windows_id}"' if windows else iana
    zones += [
        ("UTC", f"/AT:2026-07-01T12:00Z/TZ:{name} [date:yyyy-mm-dd]T[time:HH:mm][zone:hh:mm]",
         at(iana, july, "%Y-%m-%dT%H:%M") + offset(iana, july), ""),
        (berlin, f"/TZ:{name} /AT:2026-12-08T09:00/TZ:LOCAL [time:HH:mm][zone:hh:mm]",
         at(berlin, wall(iana, 2026, 12, 8, 9), "%H:%M") + "+01:00", ""),
        (york, f"/AT:2026-12-08T14:05:09Z/TZ:{name} /UTC[zone:hh:mm] /UTC/TZ:{name} [zone:hh:mm]",
         "+00:00 " + offset(iana, december), ""),
    ]
zones += [
    (berlin, '/AT:2026-12-08T09:00 /TZ:"Asia/Tokyo" [time:HH:mm] /tz:local [time:HH:mm]',
     " 17:00 09:00", "posix"),
    (berlin, '/AT:2026-12-08T09:00 /TZ:"Tokyo Standard Time" [time:HH:mm]', " 17:00", "windows"),
    # IANA names on Windows: ICU (here a stand-in that maps a few)
    ("UTC", "/AT:2026-12-08T14:05:09Z/TZ:Asia/Tokyo [time:HH:mm] /TZ:Europe/Berlin [zone:hh:mm]",
     "23:05 +01:00", ""),
]

failed_rows = [
    ("/AT:2026-02-29", "kolbex: /AT:2026-02-29: not a moment"),
    ("/AT:x", "kolbex: /AT:x: not a moment"),
    ("/AT:", "kolbex: /AT:: not a moment"),
    ("/at:2026-12-08T24:00[date:dd] more", "kolbex: /at:2026-12-08T24:00[date:dd]: not a moment"),
    ("/AT:2026-12-08+24:00", "kolbex: /AT:2026-12-08+24:00: not a moment"),
    ("/AT:1600-12-31", "kolbex: /AT:1600-12-31: not a moment"),
    ("/AT:@1234567890123", "kolbex: /AT:@1234567890123: not a moment"),
    ("/AT:@253402300800", "kolbex: /AT:@253402300800: not a moment"),
    ("/AT:2026-12-08T14:05:09.1234567890", "kolbex: /AT:2026-12-08T14:05:09.1234567890: not a moment"),
    ("/AT:2026-12-081", "kolbex: /AT:2026-12-081: not a moment"),
    ("[date:yyyy] /AT:x /?", "kolbex: /AT:x: not a moment"),
    ("/FILE:missing.log [date:yyyy]", "kolbex: /FILE:missing.log: no such file"),
    ("/FILE:", "kolbex: /FILE:: no such file"),
    ("/START:DECADE [date:yyyy]", "kolbex: /START:DECADE: not a unit"),
    ("/end:Days", "kolbex: /end:Days: not a unit"),
    ("/START:", "kolbex: /START:: not a unit"),
    ("/AT:2026-12-08/START:@ x", "kolbex: /START:@: not a unit"),
    ("/TZ:Mars/Olympus [date:yyyy]", "kolbex: /TZ:Mars/Olympus: no such zone"),
    ('/TZ:"" x', 'kolbex: /TZ:"": no such zone'),
    ('/TZ:"Tokyo Standard Tim"', 'kolbex: /TZ:"Tokyo Standard Tim": no such zone'),
    ("/TZ:Etc/Unmapped", "kolbex: /TZ:Etc/Unmapped: no such zone"),
]
if not windows:
    failed_rows += [(f"/TZ:{name}", f"kolbex: /TZ:{name}: no such zone")
                    for name in ("/usr/share/zoneinfo/UTC", "../zoneinfo/UTC", "Europe/./Berlin",
                                 "UTC0", "Asia", ":UTC")]

# Faults once found at the edges: TZ, the line, its exit status, standard
# output and standard error, and where it runs ("history": not on Windows,
# which reads every day by today's rules; "posix": a control byte, which no
# batch line holds).
edge = "/AT:1601-01-01T00:30Z[date:yyyy-mm-dd];[time:HH:mm:ss];[week:yyyy-ww];[yday:yyyy-ddd];" \
    "[frac:fff];[unix:];[zone:hh:mm]"
faults = [
    ("UTC", "/AT:1601-01-15/MONTH-1/DAY+30[date:yyyy-mm-dd]", 0, "1601-01-14", "", ""),
    ("Asia/Tokyo", "/AT:9999-12-31T10:00Z/YEAR+20828/HOUR+6[date:yyyy-mm-dd];[time:HH:mm]", 0,
     ";01:00", "", ""),
    ("Asia/Tokyo", "/AT:9999-12-31T10:00Z/YEAR+20828/MIN+390[date:yyyy-mm-dd];[time:HH:mm]", 0,
     ";01:30", "", ""),
    ("UTC", "/AT:@922337203686", 1, "", "kolbex: /AT:@922337203686: not a moment\n", ""),
    ("UTC", "/AT:@-922337203686", 1, "", "kolbex: /AT:@-922337203686: not a moment\n", ""),
    ("UTC", "/AT:@-11644473600.5", 1, "", "kolbex: /AT:@-11644473600.5: not a moment\n", ""),
    ("UTC", "/AT:1601-01-01T00:00+01:00[date:yyyy-mm-dd];[time:HH:mm]", 0, ";23:00", "", ""),
    ("Etc/GMT+5", edge, 0, ";19:30:00;;;000;-11644471800;", "", ""),
    (york, edge, 0, ";19:33:58;;;000;-11644471800;", "", "history"),
    ("UTC", "/AT:x\ny [date:yyyy]", 1, "", "kolbex: /AT:x?y: not a moment\n", "posix"),
    ("UTC", "/AT:x\r\nFAKE:\x7f", 1, "", "kolbex: /AT:x??FAKE:?: not a moment\n", "posix"),
]

checks = failures = 0


def run(line, zone):
    env = dict(os.environ, TZ=zone, LC_ALL="C")
    if windows:  # as a batch file holds it: no quoting on the way
        with open(os.path.join(folder, "run.bat"), "w") as batch:
            batch.write(f"@Z:{program[-1]} {line}\r\n".replace("/", "\\", 0))
        command = program[:-1] + ["cmd", "/c", "run.bat"]
    else:
        command = program + line.split(" ")
    done = subprocess.run(command, capture_output=True, env=env, cwd=folder, timeout=120,
                          stdin=subprocess.DEVNULL)
    return done.returncode, done.stdout.decode("latin-1"), done.stderr.decode("latin-1")


def expect(what, got, want):
    global checks, failures
    checks += 1
    if got != want:
        failures += 1
        print(f"FAIL {what}\n  got      {got!r}\n  expected {want!r}")


folder = tempfile.mkdtemp(prefix="kolbex-given-")
# The program (and a loader named by a path) from the files' folder; under
# Windows the program by the drive that the whole file system is on.
program = [os.path.abspath(word) if os.sep in word else word for word in program]
if windows:
    program[-1] = program[-1].replace("/", "\\")
stamp = datetime.datetime(2025, 5, 6, 7, 8, 9, tzinfo=UTC).timestamp()
for name in ("a.log", "my file.log"):
    with open(os.path.join(folder, name), "w"):
        pass
    nanoseconds = int(stamp) * 10**9 + 123456789
    os.utime(os.path.join(folder, name), ns=(nanoseconds, nanoseconds))

for zone, line, want, history in moments:
    if history and windows:
        continue
    expect(f"TZ={zone} {line}", run(line, zone), (0, want, ""))

for zone, line, want, history in snaps:
    if not (history and windows):
        expect(f"TZ={zone} {line}", run(line, zone), (0, want, ""))

for zone, line, want, where in zones:
    if where != ("posix" if windows else "windows"):
        expect(f"TZ={zone} {line}", run(line, zone), (0, want, ""))

for line, message in failed_rows:
    expect(line, run(line, "UTC"), (1, "", message + "\n"))

for zone, line, status, out, err, where in faults:
    if not (windows and where):
        expect(f"TZ={zone} {line!r}", run(line, zone), (status, out, err))

written = datetime.datetime.fromtimestamp(stamp, UTC)
for line, want in [
    ("/FILE:a.log [date:yyyy-mm-dd] [time:HH:mm:ss] /UTC[time:HH:mm]",
     at(berlin, written, "%Y-%m-%d %H:%M:%S") + " 07:08"),
    ("/FILE:\"my file.log\" [date:yyyy]/FILE:a.log [time:HH]", "2025" + at(berlin, written, "%H")),
    ("/AT:@0/FILE:a.log /UTC/DAY+1[date:dd]", "07"),
    ("/FILE:a.log [frac:fff]", "123"),
]:
    expect(line, run(line, berlin), (0, want, ""))

# A file time that no FILETIME holds, on a file system that keeps any
# 64-bit time (tmpfs), is out of range, never another date.
far = tempfile.mkdtemp(prefix="kolbex-far-", dir="/dev/shm") if os.path.isdir("/dev/shm") else None
for seconds, written in ((2000000000000, None), (-1000000000000, None), (1900000000000, None),
                        (2500000000000, None), (9223372036854775807, None), (910692730086, None),
                        (910700000000, None), (910670000000, "30827-12-26")):
    path = os.path.join(far, "f") if far and not windows else None
    touched = path and subprocess.run(["touch", "-d", f"@{seconds}", path]).returncode == 0
    if not touched or os.stat(path).st_mtime_ns // 10**9 != seconds:
        print(f"given: a file time of {seconds} s not tried: no file system here keeps it")
        continue
    expect(f"file time {seconds}", run(f"/FILE:{path} [date:yyyy-mm-dd]", "UTC"),
           (0, written, "") if written else
           (1, "", f"kolbex: /FILE:{path}: its time is out of range\n"))
    os.remove(path)
if far:
    os.rmdir(far)

for name in os.listdir(folder):  # run.bat among them
    os.remove(os.path.join(folder, name))
os.rmdir(folder)
print(f"given: {checks - failures} passed, {failures} failed")
sys.exit(1 if failures else 0)
