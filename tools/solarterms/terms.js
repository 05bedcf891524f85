'use strict';
// Instants of the 24 solar terms from astronomy-engine (apparent geocentric
// solar longitude, true equinox of date; TT->UT through its Espenak-Meeus dT).
const Astronomy = require('astronomy-engine');

const FIRST_YEAR = 1901;
const LAST_YEAR = 2100;
const CST_MS = 8 * 3600 * 1000;

const NAMES = ['小寒', '大寒', '立春', '雨水', '惊蛰', '春分', '清明', '谷雨',
  '立夏', '小满', '芒种', '夏至', '小暑', '大暑', '立秋', '处暑',
  '白露', '秋分', '寒露', '霜降', '立冬', '小雪', '大雪', '冬至'];

// Term index 1..24 (1 = 小寒, the first term of January) to solar longitude.
function longitudeOf(index) {
  return (270 + 15 * index) % 360;
}

// The instant (JS Date, UTC) at which term `index` of Gregorian year `year` begins.
function termInstant(year, index) {
  const month = Math.ceil(index / 2);
  // Start a day before the month so a first term on day 3 is never missed.
  const start = new Date(Date.UTC(year, month - 1, 1) - 86400000 - CST_MS);
  const t = Astronomy.SearchSunLongitude(longitudeOf(index), start, 40);
  if (!t) throw new Error(`no term ${index} in ${year}`);
  return t.date;
}

// CST civil date of an instant, plus its distance in minutes to the nearest
// CST midnight (positive: after midnight).
function cstDay(date) {
  const local = new Date(date.getTime() + CST_MS);
  const msOfDay = local.getTime() - Date.UTC(local.getUTCFullYear(), local.getUTCMonth(), local.getUTCDate());
  const minutes = msOfDay / 60000;
  return {
    year: local.getUTCFullYear(),
    month: local.getUTCMonth() + 1,
    day: local.getUTCDate(),
    minutesFromMidnight: minutes < 720 ? minutes : minutes - 1440,
    text: local.toISOString().slice(0, 19).replace('T', ' '),
  };
}

// All terms: rows[year - FIRST_YEAR][index - 1] = cstDay(...).
function allTerms() {
  const rows = [];
  for (let y = FIRST_YEAR; y <= LAST_YEAR; y++) {
    const row = [];
    for (let i = 1; i <= 24; i++) row.push(cstDay(termInstant(y, i)));
    rows.push(row);
  }
  return rows;
}

// One table byte per month: high nibble 15 - first day, low nibble second day - 15.
function encodeRow(row) {
  const bytes = [];
  for (let m = 1; m <= 12; m++) {
    const a = row[2 * m - 2];
    const b = row[2 * m - 1];
    if (a.month !== m || b.month !== m) throw new Error(`term outside month ${a.year}-${m}`);
    const h = 15 - a.day;
    const l = b.day - 15;
    if (h < 6 || h > 12 || l < 3 || l > 9) throw new Error(`term day out of nibble range ${a.year}-${m}`);
    bytes.push((h << 4) | l);
  }
  return bytes;
}

module.exports = { FIRST_YEAR, LAST_YEAR, NAMES, termInstant, cstDay, allTerms, encodeRow, CST_MS };
