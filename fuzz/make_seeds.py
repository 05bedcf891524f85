#!/usr/bin/env python3
"""Writes the seed corpora of every fuzz target (run from anywhere)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SETTINGS, RECORD = 732, 848


def settings():
    b = bytearray(SETTINGS)
    b[5:9] = bytes([4, 5, 5, 24])                 # quickRepeat, quickLead, quickInterval, fontSize
    b[16:20] = struct.pack('<I', 0x00FF00)        # textColor
    b[20:28] = struct.pack('<ii', 500, 40)        # posX, posY
    b[28] = 1                                     # alarmService
    b[29:35] = b'Arial\0'
    b[389:392] = b'am\0'
    b[400:403] = b'pm\0'
    return bytes(b)


def alarm(minute, text, temporary=0):
    b = bytearray(RECORD)
    struct.pack_into('<IIIIBb', b, 0, 1 << 3, 0, 0, 1 << 8, 0x41, minute)
    b[18:18 + 11] = b'notify.mp3\0'
    t = text.encode('gbk') + b'\0'
    b[638:638 + len(t)] = t
    b[834:837] = bytes([4, 5, 5])
    struct.pack_into('<iBB', b, 840, 0, temporary, 0)
    return bytes(b)


def dbdat(count, records, extra=b''):
    return settings() + struct.pack('<i', count) + b''.join(records) + extra


def export(count, records, extra=b''):
    return struct.pack('<i', count) + b''.join(records) + extra


def main():
    s = settings()
    three = [alarm(0, '起床'), alarm(30, '开会'), alarm(59, '下班')]
    seeds = {
        'dbdat': {
            'empty': b'',
            'settings-731': s[:731],
            'settings-732': s,
            'count-partial-733': s + b'\x01',
            'count-partial-735': s + b'\x01\x00\x00',
            'zero-alarms-736': dbdat(0, []),
            'three-alarms': dbdat(3, three),
            'temporary-second': dbdat(3, [three[0], alarm(15, '临时', 1), three[2]]),
            'count-negative': dbdat(-1, three[:2]),
            'count-huge': dbdat(0x7FFFFFFF, three[:1]),
            'count-more-than-present': dbdat(5, three[:2], b'\x00' * 400),
            'trailing-bytes': dbdat(1, three[:1], b'junk'),
            'repair-zeros': bytes(32),
        },
        # fuzz_import: the first byte is how many alarms the table already holds.
        'import': {
            'empty': b'\x00',
            'count-partial': b'\x00\x01\x00',
            'zero-alarms': b'\x00' + export(0, []),
            'three-alarms': b'\x00' + export(3, three),
            'temporary-kept': b'\x05' + export(2, [three[0], alarm(15, '临时', 1)]),
            'two-into-148': bytes([148]) + export(2, three[:2]),
            'three-into-148': bytes([148]) + export(3, three),
            'one-byte-short': b'\x00' + export(3, three)[:-1],
            'count-negative': b'\x00' + export(-1, three[:1]),
            'count-wraps-32bit': b'\x00' + export(268435457, three[:1]),
        },
        'holidays_json': {
            'dataset-2027': ('\ufeff{"$schema": "https://x/schema.json", "year": 2027,\r\n'
                             ' "papers": ["https://www.gov.cn/"], "days": [\r\n'
                             '  {"name": "元旦", "date": "2027-01-01", "isOffDay": true},\r\n'
                             '  {"name": "春节", "date": "2027-02-07", "isOffDay": false},\r\n'
                             '  {"name": "中秋节、国庆节", "date": "2026-12-31", "isOffDay": true}]}\r\n').encode('utf-8'),
            'escapes': b'{"days": [{"name": "\\u5143\\u65e6\\ud83d\\ude00\\n", "date": "2027-01-01",'
                       b' "isOffDay": true, "x": [1, -0.5e+3, null, {}]}]}',
            'empty-days': b'{"year": 2027, "days": []}',
            'bad-date': b'{"days": [{"date": "2027-02-30", "isOffDay": true}]}',
            'deep': b'{"days": [], "x": ' + b'[' * 40 + b']' * 40 + b'}',
            'truncated': b'{"days": [{"name": "x", "date": "2027-01-0',
        },
        'holidays_txt': {
            'empty': b'',
            'lines-crlf': ('# 我的假期\r\n2027-01-01 休 元旦\r\n2027-02-06~2027-02-12 休 春节\r\n'
                           '2027-02-13 班\r\n\r\n').encode('gbk'),
            'lines-lf-bom': b'\xef\xbb\xbf' + '2026-12-31~2027-01-02 休 跨年\n2027-03-01\u3000班\u3000加班'.encode('gbk'),
            'bad-lines': ('2027-02-30 休\n2027-03-05~2027-03-01 休\n2027-01-01~2028-01-02 休\n'
                          '2027-03-01 假\n2027-03-01休\n').encode('gbk'),
            'two-years': ''.join(f'{y}-01-01~{y}-12-31 休\n' for y in (2030, 2031)).encode('gbk'),
        },
        'note': {
            'empty': b'',
            'ascii': b'hello\r\nworld\r\n',
            'gbk': '第一行\r\n第二行：提醒\r\n'.encode('gbk'),
            'nul-inside': b'before\0after',
            'nul-first': b'\0rest',
        },
    }
    for corpus, files in seeds.items():
        folder = os.path.join(HERE, 'corpus', corpus)
        os.makedirs(folder, exist_ok=True)
        for name, data in files.items():
            with open(os.path.join(folder, name), 'wb') as f:
                f.write(data)


if __name__ == '__main__':
    main()
