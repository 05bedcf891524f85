'use strict';
// Lunar months from astronomy-engine new moons and principal terms, by the
// rules of the published Chinese calendar: instants in UTC+8, a month starts
// on the civil day of its new moon, month 11 holds 冬至, and in a sui
// (冬至 to 冬至) of 13 months the first month without a principal term is leap.
const Astronomy = require('astronomy-engine');
const { termInstant, cstDay } = require('./terms');

const DAY_MS = 86400000;
// Days after 1901-01-01 of a cstDay record.
const offsetOf = (c) => Math.round((Date.UTC(c.year, c.month - 1, c.day) - Date.UTC(1901, 0, 1)) / DAY_MS);

// New moons from late `fromYear - 1` to early `toYear + 1`, as cstDay records with the instant.
function newMoons(fromYear, toYear) {
  const out = [];
  let t = new Date(Date.UTC(fromYear - 1, 10, 1));
  const end = Date.UTC(toYear + 1, 3, 1);
  while (t.getTime() < end) {
    const nm = Astronomy.SearchMoonPhase(0, t, 40);
    out.push({ instant: nm.date, ...cstDay(nm.date) });
    t = new Date(nm.date.getTime() + 20 * DAY_MS);
  }
  return out;
}

// Every lunar month whose sui lies in fromYear-1..toYear+1, numbered:
// { first, days, year, month, leap, moon } with first as an offset from 1901-01-01.
function lunarMonths(fromYear, toYear) {
  const moons = newMoons(fromYear - 1, toYear + 1);
  const months = [];
  for (let j = 0; j + 1 < moons.length; j++) {
    months.push({ first: offsetOf(moons[j]), days: offsetOf(moons[j + 1]) - offsetOf(moons[j]), moon: moons[j] });
  }
  const principal = [];
  for (let y = fromYear - 2; y <= toYear + 1; y++) {
    for (let i = 2; i <= 24; i += 2) principal.push({ y, i, day: offsetOf(cstDay(termInstant(y, i))) });
  }
  const holding = (day) => months.findIndex((m) => m.first <= day && day < m.first + m.days);
  for (const m of months) m.principal = principal.some((p) => holding(p.day) === months.indexOf(m));
  const solstices = principal.filter((p) => p.i === 24).map((p) => holding(p.day));
  for (let s = 0; s + 1 < solstices.length; s++) {
    const a = solstices[s], b = solstices[s + 1];
    if (a < 0 || b < 0) continue;
    const count = b - a;
    if (count !== 12 && count !== 13) throw new Error(`sui of ${count} months at ${a}`);
    months[a].month = 11;
    months[a].leap = false;
    let leapTaken = count === 12;
    for (let j = a + 1; j < b; j++) {
      const prev = months[j - 1];
      if (!leapTaken && !months[j].principal) {
        months[j].month = prev.month;
        months[j].leap = true;
        leapTaken = true;
      } else {
        months[j].month = (prev.month % 12) + 1;
        months[j].leap = false;
      }
    }
    if (months[b - 1].month !== 10) throw new Error(`sui ending at ${b} does not close on month 10`);
  }
  // A lunar year runs from its 正月 to the next; it is named after the Gregorian year of its 正月.
  let year = null;
  for (const m of months) {
    if (m.month === 1 && !m.leap) year = m.moon.year;
    m.year = m.month !== undefined ? year : null;
  }
  return months.filter((m) => m.year !== null && m.month !== undefined);
}

// Table words for lunar years fromYear..toYear: { bits, leap, months }.
function lunarYears(fromYear, toYear) {
  const months = lunarMonths(fromYear, toYear);
  const years = [];
  for (let y = fromYear; y <= toYear; y++) {
    const own = months.filter((m) => m.year === y);
    if (own.length < 12 || own.length > 13) throw new Error(`lunar ${y}: ${own.length} months`);
    let bits = 0;
    own.forEach((m, i) => { if (m.days === 30) bits |= 1 << (15 - i); });
    const leap = own.find((m) => m.leap);
    years.push({ year: y, bits, leap: leap ? leap.month : 0, months: own });
  }
  return years;
}

module.exports = { newMoons, lunarMonths, lunarYears, offsetOf };
