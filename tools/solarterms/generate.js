'use strict';
// Prints the kSolarTermDays initializer (150 rows of 12 bytes) for lunar_tables.cpp.
const { FIRST_YEAR, allTerms, encodeRow } = require('./terms');

const hex = (b) => '0x' + b.toString(16).toUpperCase().padStart(2, '0');
const rows = allTerms();
const out = rows.map((row, k) => `    ${encodeRow(row).map(hex).join(', ')},  // ${FIRST_YEAR + k}`);
process.stdout.write(out.join('\n') + '\n');
