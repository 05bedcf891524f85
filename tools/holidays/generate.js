'use strict';
// Prints src/calendar/holiday_table.cpp: every official day off (休) and
// make-up workday (班) of 2009..2026 with the name of its holiday.
//
// The days come from holiday-calendar (per-year JSON of the published
// schedule). They are compared with chinese-days and chinese-workday and with
// the notices as transcribed in notices.js; where any of them disagrees, the
// notice decides, and `--report` lists every such day. Names are the notices'
// own headings ("中秋节、国庆节"); a make-up workday carries the name of the
// holiday it serves.
//
//   node generate.js > ../../src/calendar/holiday_table.cpp
//   node generate.js --report    # the disagreements, as the README's table
//   node generate.js --digest    # the unit test's digest of the table
const fs = require('fs');
const path = require('path');
const notices = require('./notices');

const FIRST_YEAR = 2009;
const LAST_YEAR = 2026;
const OFF = 1;
const WORK = 2;
const markText = { [OFF]: '休', [WORK]: '班' };
const weekdayText = '日一二三四五六';

const pad = (n, w) => String(n).padStart(w, '0');
const iso = (d) => `${d.getUTCFullYear()}-${pad(d.getUTCMonth() + 1, 2)}-${pad(d.getUTCDate(), 2)}`;
const utc = (y, m, d) => new Date(Date.UTC(y, m - 1, d));
const inRange = (date) => date >= `${FIRST_YEAR}-01-01` && date <= `${LAST_YEAR}-12-31`;
const weekday = (date) => new Date(date + 'T00:00:00Z').getUTCDay();

// 'M-D' in the notice's year, or 'YYYY-M-D'.
function parseNoticeDate(text, year) {
  const p = text.split('-').map(Number);
  const [y, m, d] = p.length === 3 ? p : [year, p[0], p[1]];
  const date = utc(y, m, d);
  if (date.getUTCMonth() !== m - 1 || date.getUTCDate() !== d) throw new Error(`bad date ${text} in ${year}`);
  return date;
}

// date -> { mark, name, year }: the notices as transcribed.
function noticeDays() {
  const days = new Map();
  const put = (date, mark, name, year) => {
    const key = iso(date);
    if (days.has(key)) throw new Error(`${key} is in two rows of the notices`);
    days.set(key, { mark, name, year });
  };
  for (let year = FIRST_YEAR; year <= LAST_YEAR; year++) {
    for (const [name, range, ...work] of notices[year]) {
      const [from, to] = range.split('..').map((t) => parseNoticeDate(t, year));
      if (to < from) throw new Error(`reversed range ${range} in ${year}`);
      for (let d = from; d <= to; d = new Date(d.getTime() + 86400000)) put(d, OFF, name, year);
      for (const w of work) put(parseNoticeDate(w, year), WORK, name, year);
    }
  }
  return days;
}

// date -> mark, from holiday-calendar's per-year files (a file may hold days of
// the year before, as the notices do).
function holidayCalendarDays() {
  const days = new Map();
  const dir = path.join(path.dirname(require.resolve('holiday-calendar/package.json')), 'data', 'CN');
  for (let year = FIRST_YEAR - 1; year <= LAST_YEAR + 1; year++) {
    const file = path.join(dir, `${year}.json`);
    if (!fs.existsSync(file)) continue;
    for (const x of JSON.parse(fs.readFileSync(file, 'utf8')).dates) {
      const mark = { public_holiday: OFF, transfer_workday: WORK }[x.type];
      if (!mark) throw new Error(`holiday-calendar: unknown type ${x.type} on ${x.date}`);
      if (inRange(x.date)) days.set(x.date, mark);
    }
  }
  return days;
}

function chineseDaysDays() {
  const data = require('chinese-days/dist/chinese-days.json');
  const days = new Map();
  for (const date of Object.keys(data.holidays)) if (inRange(date)) days.set(date, OFF);
  for (const date of Object.keys(data.workdays)) if (inRange(date)) days.set(date, WORK);
  return days;
}

// chinese-workday knows 2011 on; null before. It loads only as an ES module.
let cw = null;
function chineseWorkdayMark(date) {
  if (date < '2011-01-01') return null;
  if (cw.isAddtionalWorkday(date)) return WORK;
  if (!cw.isWorkday(date) && cw.getFestival(date) !== '周末') return OFF;
  return 0;
}

function build() {
  const notice = noticeDays();
  const primary = holidayCalendarDays();
  const second = chineseDaysDays();
  const dates = [...new Set([...notice.keys(), ...primary.keys(), ...second.keys()])].sort();
  const table = [];
  const disputes = [];
  for (const date of dates) {
    const n = notice.get(date);
    const want = n ? n.mark : 0;
    const views = { hc: primary.get(date) || 0, cd: second.get(date) || 0, cw: chineseWorkdayMark(date) };
    if (want) table.push({ date, mark: want, name: n.name });
    const all = [views.hc, views.cd, views.cw === null ? want : views.cw, want];
    if (all.some((m) => m !== want)) disputes.push({ date, views, want, name: n ? n.name : '' });
  }
  // Days that only chinese-workday has.
  for (let d = utc(2011, 1, 1); d <= utc(LAST_YEAR, 12, 31); d = new Date(d.getTime() + 86400000)) {
    const date = iso(d);
    if (dates.includes(date)) continue;
    const cw = chineseWorkdayMark(date);
    if (cw) disputes.push({ date, views: { hc: 0, cd: 0, cw }, want: 0, name: '' });
  }
  disputes.sort((a, b) => (a.date < b.date ? -1 : 1));
  return { table, disputes };
}

// GBK bytes of a name, from the decoder's own table.
let gbkMap = null;
function gbk(text) {
  if (!gbkMap) {
    gbkMap = new Map();
    const dec = new TextDecoder('gbk');
    for (let a = 0x81; a <= 0xfe; a++)
      for (let b = 0x40; b <= 0xfe; b++) if (b !== 0x7f) gbkMap.set(dec.decode(Uint8Array.from([a, b])), [a, b]);
  }
  const out = [];
  for (const ch of text) {
    if (ch.charCodeAt(0) < 0x80) out.push(ch.charCodeAt(0));
    else if (gbkMap.has(ch)) out.push(...gbkMap.get(ch));
    else throw new Error(`no GBK for ${ch}`);
  }
  return out;
}

// FNV-1a (64 bit) over each day in date order: "YYYYMMDD", the mark byte, the
// GBK name, a NUL. The unit test computes the same through markOf.
function digest(table) {
  let h = 0xcbf29ce484222325n;
  const feed = (b) => { h ^= BigInt(b); h = (h * 0x100000001b3n) & 0xffffffffffffffffn; };
  for (const e of table) {
    for (const c of e.date.replace(/-/g, '')) feed(c.charCodeAt(0));
    feed(e.mark);
    gbk(e.name).forEach(feed);
    feed(0);
  }
  return '0x' + h.toString(16).toUpperCase().padStart(16, '0');
}

function printTable(table) {
  const names = [...new Set(table.map((e) => e.name))];
  const epoch = utc(FIRST_YEAR, 1, 1).getTime();
  const offset = (date) => (new Date(date + 'T00:00:00Z').getTime() - epoch) / 86400000;
  const out = [
    '// Generated by tools/holidays/generate.js: do not edit.',
    `// The official days off (休) and make-up workdays (班) of ${FIRST_YEAR}..${LAST_YEAR}, in date order.`,
    '#include "calendar/holiday_table.h"',
    '',
    'const char* const kHolidayNames[] = {',
    ...names.map((n) => `    "${n}",`),
    '};',
    'const size_t kHolidayNameCount = sizeof(kHolidayNames) / sizeof(kHolidayNames[0]);',
    '',
    '// {days since 2009-01-01, mark (1 休, 2 班), name}',
    'const HolidayDay kHolidayDays[] = {',
  ];
  let run = [];
  const flush = () => {
    if (!run.length) return;
    const items = run.map((e) => `{${offset(e.date)}, ${e.mark}, ${names.indexOf(e.name)}}`).join(', ');
    const span = run.length > 1 ? `${run[0].date}..${run[run.length - 1].date.slice(5)}` : run[0].date;
    out.push(`    ${items},  // ${span} ${markText[run[0].mark]} ${run[0].name}`);
    run = [];
  };
  for (const e of table) {
    const last = run[run.length - 1];
    if (last && (last.mark !== e.mark || last.name !== e.name || offset(e.date) !== offset(last.date) + 1)) flush();
    run.push(e);
  }
  flush();
  out.push('};', 'const size_t kHolidayDayCount = sizeof(kHolidayDays) / sizeof(kHolidayDays[0]);', '');
  process.stdout.write(out.join('\n'));
}

function printReport(disputes) {
  const show = (m) => (m === null ? 'n/a' : m ? markText[m] : '–');
  const out = ['| date | day | holiday-calendar | chinese-days | chinese-workday | table |', '|---|---|---|---|---|---|'];
  for (const d of disputes) {
    const v = d.views;
    out.push(`| ${d.date} | ${weekdayText[weekday(d.date)]} | ${show(v.hc)} | ${show(v.cd)} | ${show(v.cw)} | ${show(d.want)}${d.name ? ' ' + d.name : ''} |`);
  }
  process.stdout.write(out.join('\n') + '\n');
}

import('chinese-workday').then((m) => {
  cw = m.default || m;
  const { table, disputes } = build();
  if (process.argv[2] === '--report') printReport(disputes);
  else if (process.argv[2] === '--digest') process.stdout.write(`${digest(table)} (${table.length} days)\n`);
  else printTable(table);
});
