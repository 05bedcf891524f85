'use strict';
// Cross-checks the tables in src/calendar/lunar_tables.cpp against
// lunar-javascript, whose solar terms and new moons come from its own
// VSOP87/ELP-based code (with its own dT), independent of astronomy-engine.
const fs = require('fs');
const path = require('path');
const { LunarYear, ShouXingUtil } = require('lunar-javascript');
const { FIRST_YEAR, LAST_YEAR, NAMES, termInstant, cstDay, CST_MS } = require('./terms');
const { newMoons, lunarYears } = require('./lunar');

const NEAR_MINUTES = 10;
const src = fs.readFileSync(process.env.LUNAR_TABLES || path.join(__dirname, '../../src/calendar/lunar_tables.cpp'), 'utf8');

function tableOf(name) {
  const m = src.match(new RegExp(name + '\\[[^\\]]*\\] = \\{([^}]*)\\}'));
  if (!m) throw new Error('table not found: ' + name);
  return m[1].replace(/\/\/[^\n]*/g, '').split(',').map((s) => s.trim()).filter(Boolean).map(Number);
}

const monthBits = tableOf('kLunarMonthBits');
const leapNibbles = tableOf('kLeapMonthNibbles');
const termDays = tableOf('kSolarTermDays');
const years = LAST_YEAR - FIRST_YEAR + 1;
if (monthBits.length !== years || leapNibbles.length !== years / 2 || termDays.length !== years * 12) {
  throw new Error('unexpected table sizes');
}

// A lunar-javascript Julian day (CST) to a cstDay-like record.
function fromJd(jd) {
  return cstDay(new Date((jd - 2440587.5) * 86400000 - CST_MS));
}

// ---- Solar terms ----
let termsAgree = 0;
let maxDiffMin = 0;
const termDisagreements = [];
const nearMidnight = [];
for (let y = FIRST_YEAR; y <= LAST_YEAR; y++) {
  const jds = LunarYear.fromYear(y).getJieQiJulianDays();
  for (let i = 1; i <= 24; i++) {
    const m = Math.ceil(i / 2);
    const b = termDays[(y - FIRST_YEAR) * 12 + m - 1];
    const tableDay = i % 2 === 1 ? 15 - (b >> 4) : 15 + (b & 15);
    const ae = termInstant(y, i);
    const aeDay = cstDay(ae);
    const lj = fromJd(jds[i + 1]);
    const diffMin = (ae.getTime() - (jds[i + 1] - 2440587.5) * 86400000 + CST_MS) / 60000;
    maxDiffMin = Math.max(maxDiffMin, Math.abs(diffMin));
    const ljAgrees = lj.year === y && lj.month === m && lj.day === tableDay;
    if (ljAgrees && aeDay.day === tableDay) termsAgree++;
    else termDisagreements.push({ y, i, tableDay, ae: aeDay.text, lj: lj.text });
    if (Math.abs(aeDay.minutesFromMidnight) <= NEAR_MINUTES || Math.abs(lj.minutesFromMidnight) <= NEAR_MINUTES) {
      nearMidnight.push({ y, i, tableDay, ae: aeDay.text, lj: lj.text, diffMin });
    }
  }
}
console.log(`solar terms: ${termsAgree} of ${years * 24} days agree with lunar-javascript`);
console.log(`largest instant difference: ${maxDiffMin.toFixed(2)} min`);
for (const d of termDisagreements) {
  console.log(`  DISAGREE ${d.y} ${NAMES[d.i - 1]}: table day ${d.tableDay}, astronomy-engine ${d.ae}, lunar-javascript ${d.lj}`);
}
console.log(`terms within ${NEAR_MINUTES} min of a CST midnight (instants in CST):`);
for (const d of nearMidnight) {
  console.log(`  ${d.y} ${NAMES[d.i - 1]} (term ${d.i}): table day ${d.tableDay}; astronomy-engine ${d.ae}; lunar-javascript ${d.lj}`);
}

// ---- Lunar months ----
const leapOf = (k) => (k % 2 === 0 ? leapNibbles[k >> 1] >> 4 : leapNibbles[k >> 1] & 15);
const monthsOf = (k) => (leapOf(k) ? 13 : 12);
function tableLengths(k) {
  const out = [];
  for (let i = 0; i < monthsOf(k); i++) out.push((monthBits[k] >> (15 - i)) & 1 ? 30 : 29);
  return out;
}

// Months of lunar year y from lunar-javascript, in order, deduplicated.
function referenceMonths(y) {
  const seen = new Map();
  for (const ly of [LunarYear.fromYear(y), LunarYear.fromYear(y + 1)]) {
    for (const mo of ly.getMonths()) {
      if (mo.getYear() === y) seen.set(mo.getFirstJulianDay(), mo);
    }
  }
  return [...seen.values()].sort((a, b) => a.getFirstJulianDay() - b.getFirstJulianDay());
}

// lunar-javascript gives a month's first day as the Julian day number at noon.
const jdOf1901 = 2415386; // 1901-01-01
let start = 49;
let monthsAgree = 0;
let monthsTotal = 0;
const monthDisagreements = [];
for (let k = 0; k < years; k++) {
  const y = FIRST_YEAR + k;
  const ref = referenceMonths(y);
  const refLeap = ref.filter((m) => m.getMonth() < 0).map((m) => -m.getMonth());
  const lens = tableLengths(k);
  const problems = [];
  if ((refLeap[0] || 0) !== leapOf(k)) problems.push(`leap month: table ${leapOf(k)}, reference ${refLeap[0] || 0}`);
  const refNewYear = Math.round(ref[0].getFirstJulianDay() - jdOf1901);
  if (refNewYear !== start) problems.push(`new year offset: table ${start}, reference ${refNewYear}`);
  let day = start;
  for (let i = 0; i < Math.max(lens.length, ref.length); i++) {
    monthsTotal++;
    const r = ref[i];
    const refStart = r ? Math.round(r.getFirstJulianDay() - jdOf1901) : undefined;
    if (r && refStart === day && r.getDayCount() === lens[i]) monthsAgree++;
    else {
      const label = r ? (r.getMonth() < 0 ? `leap ${-r.getMonth()}` : `${r.getMonth()}`) : '?';
      const iso = (off) => new Date(Date.UTC(1901, 0, 1 + off)).toISOString().slice(0, 10);
      problems.push(`month ${label}: table starts ${iso(day)} with ${lens[i]} days, reference ${r ? iso(refStart) : '-'} with ${r ? r.getDayCount() : '-'}`);
    }
    day += lens[i] || 0;
  }
  if (problems.length) monthDisagreements.push(`  ${y} (word ${monthBits[k].toString(16).toUpperCase()}): ` + problems.join('; '));
  start += lens.reduce((a, b) => a + b, 0);
}
console.log(`lunar months: ${monthsAgree} of ${monthsTotal} agree (start day and length)`);
for (const d of monthDisagreements) console.log(d);

// ---- New moons near midnight ----
// lunar-javascript's own new-moon instant (CST) for the lunation nearest `date`.
function referenceNewMoon(date) {
  const jdCst = (date.getTime() + CST_MS) / 86400000 + 2440587.5;
  const n = Math.round((jdCst - 2451551) / 29.5306);
  return fromJd(ShouXingUtil.shuoHigh(n * 2 * Math.PI) + 2451545);
}
console.log(`new moons within ${NEAR_MINUTES} min of a CST midnight (instants in CST):`);
let moonsSameDay = 0;
let moonsTotal = 0;
for (const nm of newMoons(FIRST_YEAR, LAST_YEAR)) {
  if (nm.year < FIRST_YEAR || nm.year > LAST_YEAR) continue;
  const lj = referenceNewMoon(nm.instant);
  moonsTotal++;
  if (lj.text.slice(0, 10) === nm.text.slice(0, 10)) moonsSameDay++;
  if (Math.abs(nm.minutesFromMidnight) <= NEAR_MINUTES || Math.abs(lj.minutesFromMidnight) <= NEAR_MINUTES) {
    console.log(`  astronomy-engine ${nm.text}; lunar-javascript ${lj.text}`);
  }
}
console.log(`new moons: ${moonsSameDay} of ${moonsTotal} on the same CST day in both sources`);

// ---- The generator against the committed tables ----
let generatedAgree = 0;
const generated = lunarYears(FIRST_YEAR, LAST_YEAR);
generated.forEach((y, k) => {
  if (y.bits === monthBits[k] && y.leap === leapOf(k)) generatedAgree++;
  else console.log(`  GENERATOR ${y.year}: ${y.bits.toString(16)} leap ${y.leap}, table ${monthBits[k].toString(16)} leap ${leapOf(k)}`);
});
console.log(`lunar years: ${generatedAgree} of ${years} table words and leap months as generate.js derives them`);
