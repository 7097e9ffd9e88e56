#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (fuzz/corpus/<target>/).

The binary layouts mirror the readers in FuzzInput.h and FuzzHost.cpp; run
this again after changing them. Regression inputs that the fuzzer found are
kept beside the seeds (named crash-*, leak-*, timeout-*) and are not
written here.  Usage: fuzz/make_seeds.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

API_INDEX = {3: 0, 2: 3, 27: 4, 5: 5, 0: 6, -7: 7}
ELEMENT_INDEX = {1: 0, 2: 1, 4: 2, 8: 3, 0: 4, 3: 5, -1: 6, 16: 7}
SELECTOR_INDEX = {0: 0, 1: 1, 2: 2, 3: 3, 4: 4, -1: 5, 255: 6}


def u8(v):
    return bytes([v & 0xFF])


def u16(v):
    return struct.pack('<H', v)


def i32(v):
    return struct.pack('<i', v)


def run(data):
    return u16(len(data)) + data


def param(name=b'param', type_code=1, data=b'', kind=None, without_data=None,
          no_data=False, truncated=False, full_size=None, element_size=1):
    """One parameter; kind: 'null', 'session', 'session+', 'same', 'star'."""
    kinds = {None: 0, 'null': 0, 'session': 1, 'session+': 2, 'same': 3, 'star': 4}
    control = kinds[kind]
    if kind == 'null':
        control |= 0x80
    if without_data is not None:
        control |= 2 << 3
    elif no_data:
        control |= 3 << 3
    if truncated:
        control |= 0x20
    if full_size is not None:
        control |= 0x40
    out = u8(control)
    if kind in (None, 'null'):
        out += run(name)
    elif kind == 'session+':
        out += run(name)
    out += u8(type_code)
    if without_data is not None:
        out += i32(without_data)
    elif not no_data:
        out += run(data)
    if full_size is not None:
        out += i32(full_size)
    out += u8(ELEMENT_INDEX[element_size])
    return out


def logger(function=b'viWrite', function_id=0x1234, api=3, success=True,
           params=(), return_index=-1):
    out = run(function) + i32(function_id) + u8(API_INDEX[api]) + u8(1 if success else 0)
    out += u8(len(params)) + u8(return_index + 1)
    for p in params:
        out += p
    return out


def host_names(answers=False, names_values=False, fills=False, pattern=b'', length=0,
               help_file=False):
    control = ((1 if answers else 0) | (6 if fills else 0) | (8 if names_values else 0)
               | (32 if help_file else 0))
    return u8(control) + run(pattern) + u16(length)


def write(target, name, data):
    directory = os.path.join(HERE, 'corpus', target)
    os.makedirs(directory, exist_ok=True)
    with open(os.path.join(directory, name), 'wb') as f:
        f.write(data)


def u32s(*values):
    return b''.join(struct.pack('<I', v) for v in values)


def session_call():
    """viWrite on a named session: hidden session text, handle, buffer pair."""
    return [
        param(b'', 45, b'GPIB0::1::INSTR', kind='session+'),
        param(b'vi', 33, u32s(0x10)),
        param(b'buf', 14, u32s(0x7FFE0000)),
        param(b'', 14, b'*IDN?\n', kind='star'),
        param(b'cnt', 1, u32s(6)),
    ]


def every_scalar_code():
    values = {4: u32s(0xDEADBEEF), 8: struct.pack('<Q', 1 << 32), 2: b'\xff\x7f', 1: b'A'}
    params = []
    for code in range(0, 112):
        size = 8 if code in (95, 97, 104, 105, 51) else 4
        params.append(param(b'p%d' % code, code, values[size]))
    return params


def seeds_utf8():
    cases = {
        'ascii': b'\x00hello',
        'two-byte': b'\x01caf\xc3\xa9',
        'three-byte-euro': b'\x01\xe2\x82\xac',
        'four-byte': b'\x01\xf0\x9f\x98\x80',
        'six-byte-fc': b'\x00\xfc\x84\x80\x80\x80\x80',
        'overlong-c0': b'\x00\xc0\x80',
        'overlong-e0': b'\x00\xe0\x80\x80',
        'lone-continuation': b'\x01\x80',
        'cut-sequence': b'\x01abc\xe2\x82',
        'short-output': b'\x04abcdefgh',
        'surrogate': b'\x01\xed\xa0\x80',
        'wide-values': b'\x00' + u32s(0x41, 0xE9, 0xD800, 0x110000, 0xFFFFFFFF),
    }
    for name, data in cases.items():
        write('utf8_conversion', name, data)


def seeds_strings():
    def case(utf8=False, partial=False, locale=False, size_mode=0, selector=1, room=20,
             data=b''):
        control = (1 if utf8 else 0) | (2 if partial else 0) | (4 if locale else 0) | size_mode << 3
        return u8(control) + u8(SELECTOR_INDEX[selector]) + u8(room) + data
    long_text = bytes(range(32, 127)) * 12
    euro = '\u20ac'.encode() * 400
    cases = {
        'short-30': case(selector=0, data=b'x' * 30),
        'short-31': case(selector=0, data=b'y' * 31),
        'line-257': case(selector=1, data=b'z' * 257),
        'full-1017': case(selector=2, data=long_text[:1017]),
        'unquoted-control': case(selector=3, data=b'\x01\tline\nfeed'),
        'partial-9': case(partial=True, selector=2, data=b'abcdefghi'),
        'embedded-nul': case(selector=1, data=b'ab\x00cd'),
        'utf8-cut-at-limit': case(utf8=True, locale=True, selector=1, data=b'a' + euro),
        'utf8-short-form': case(utf8=True, locale=True, selector=0, data=euro[1:60]),
        'utf8-invalid': case(utf8=True, selector=2, data=b'ok\xc0\x80'),
        'utf8-partial': case(utf8=True, partial=True, selector=2, data='h\u00e9llo w\u00f6rld'.encode()),
        'utf8-longest': case(utf8=True, locale=True, selector=3, data=euro),
        'empty-null': case(size_mode=1, selector=2),
        'negative-size': case(size_mode=2, selector=2, data=b'abc'),
        'odd-selector': case(selector=255, room=5, data=b'odd selector'),
    }
    for name, data in cases.items():
        write('string_format', name, data)


def seeds_arguments():
    def case(log, names=host_names(), status=b'BFFF0015', locale=False, selector=1, room=1023):
        control = (1 if locale else 0) | ((room - 1) & 0x7F) << 1
        return u8(control) + u8(SELECTOR_INDEX[selector]) + log + names + run(status)
    long_name = host_names(answers=True, names_values=True, pattern=b'VI_ATTR_', length=1023)
    cases = {
        'session-write': case(logger(params=session_call())),
        'every-code-line': case(logger(params=every_scalar_code()[:24])),
        'every-code-short': case(logger(params=every_scalar_code()[24:48]), selector=0),
        'every-code-full': case(logger(params=every_scalar_code()[48:72]), selector=2),
        'every-code-unquoted': case(logger(params=every_scalar_code()[72:96]), selector=3),
        'every-code-rest': case(logger(params=every_scalar_code()[96:]), selector=1),
        'named-values': case(logger(params=[
            param(b'status', 23, u32s(0xBFFF0015)),
            param(b'event', 27, u32s(0x3FFF200B)),
            param(b'attr', 29, u32s(0x3FFF0203)),
            param(b'attr2', 101, u32s(0x3FFF001A)),
            param(b'named', 103, u32s(7, 0x3FFF001A)),
        ])),
        'host-name-1023': case(logger(params=[param(b'attr', 29, u32s(0x3FFF001A)),
                                              param(b'named', 103, u32s(1, 2))]), names=long_name),
        'host-name-unfit': case(logger(params=[param(b'attr', 29, u32s(0x3FFF001A))]),
                                names=host_names(answers=True, names_values=True,
                                                 pattern=b'\xe9x', length=1090),
                                locale=True, room=64),
        'host-fills-buffer': case(logger(api=5, params=[param(b'event', 27, u32s(5))]),
                                  names=host_names(answers=True, names_values=True, fills=True,
                                                   pattern=b'N', length=10)),
        'time-values': case(logger(params=[
            param(b'time', 108, struct.pack('<Qq', 1 << 63, 3_700_000_000)),
            param(b'short-time', 108, b'\x01' * 12),
            param(b'no-time', 108, struct.pack('<Qq', 0, -(1 << 63))),
        ])),
        'dump-layouts': case(logger(params=[
            param(b'bytes', 12, bytes(range(40))),
            param(b'words', 8, bytes(range(30))),
            param(b'longs', 4, bytes(range(44))),
            param(b'quads', 96, bytes(range(40))),
            param(b'floats', 18, struct.pack('<4f', 1.5, float('inf'), float('nan'), -2)),
            param(b'doubles', 20, struct.pack('<3d', 1e300, float('-inf'), 0.1)),
            param(b'bools', 22, bytes([1, 0, 7] * 9), element_size=1),
            param(b'bools16', 22, bytes([1, 0, 0, 0] * 7), element_size=2),
            param(b'partial', 12, bytes(64), truncated=True, full_size=1000),
        ]), selector=0),
        'sizes-without-data': case(logger(params=[
            param(b'a', 45, without_data=20),
            param(b'b', 2, without_data=-5),
            param(b'c', 1, no_data=True),
            param(b'', 45, b'x' * 40, kind='session+', truncated=True),
            param(b'h', 35, struct.pack('<Q', 1 << 40)),
        ]), selector=0),
        'utf8-session': case(logger(params=[
            param(b'', 110, ('r\u00e9sum\u00e9 ' * 10).encode(), kind='session+', truncated=True),
            param(b'vi', 33, u32s(0x20)),
            param(b'text', 110, '\u20ac'.encode() * 300),
        ]), locale=True, selector=0),
    }
    for name, data in cases.items():
        write('argument_format', name, data)


def seeds_records():
    def case(inp, out=None, names=host_names(), locale=False, matching=True, summary=False,
             twice=False):
        control = ((1 if locale else 0) | (2 if out is not None else 0) | (4 if matching else 0)
                   | (8 if summary else 0) | (16 if twice else 0))
        return u8(control) + inp + (out or b'') + names
    status_ok = param(b'', 23, u32s(0), kind='null')
    write_in = logger(params=session_call())
    write_out = logger(params=[param(b'*cnt', 3, u32s(6)), status_ok], return_index=1)
    read_in = logger(function=b'viRead', params=[
        param(b'vi', 33, u32s(0x10)), param(b'buf', 2, u32s(0x1000)), param(b'cnt', 1, u32s(1024)),
        param(b'retCount', 2, u32s(0x2000))])
    read_out = logger(function=b'viRead', success=False, params=[
        param(b'*buf', 2, bytes(range(256)) * 4),
        param(b'*retCount', 1, u32s(1024)),
        param(b'', 23, u32s(0xBFFF0015), kind='null')], return_index=2)
    many_long = logger(function=b'viPrintf', params=[
        param(b'fmt%d' % i, 45, (b'%d' % i) * 200) for i in range(12)])
    partial_in = logger(function=b'viWrite', params=[
        param(b'buf', 12, u32s(1)), param(b'', 12, bytes(range(64)), kind='star', truncated=True,
                                         full_size=1000)])
    attr_in = logger(function=b'viGetAttribute', params=[
        param(b'vi', 33, u32s(0x10)), param(b'attr', 29, u32s(0x3FFF001A)),
        param(b'value', 2, u32s(0x3000))])
    attr_out = logger(params=[param(b'*value', 1, u32s(2000)),
                              param(b'', 23, u32s(0x3FFF0006), kind='null')], return_index=1)
    cases = {
        'write-returned': case(write_in, write_out),
        'write-entered': case(write_in),
        'read-failed-1024': case(read_in, read_out, matching=False),
        'read-failed-summary': case(read_in, read_out, summary=True, twice=True),
        'many-long-arguments': case(many_long, logger(params=[status_ok], return_index=0)),
        'partial-capture': case(partial_in, logger(params=[status_ok], return_index=0)),
        'attribute-host-names': case(attr_in, attr_out, names=host_names(
            answers=True, names_values=True, pattern=b'NAME_', length=1023), locale=True),
        'attribute-help': case(attr_in, attr_out, names=host_names(help_file=True)),
        'other-api': case(logger(api=2, function_id=0x6304, params=[param(b'x', 23, u32s(7))]),
                          logger(api=2, params=[param(b'', 23, u32s(70000), kind='null')],
                                 return_index=0, success=False)),
    }
    for name, data in cases.items():
        write('call_record', name, data)


def seeds_captures():
    with open(os.path.join(HERE, '..', 'examples', 'session.jsonl'), 'rb') as f:
        lines = f.read().splitlines(keepends=True)
    write('capture_reader', 'example-session', b''.join(lines))
    for number, line in enumerate(lines[:6], 1):
        write('capture_reader', 'example-call-%d' % number, line)
    cases = {
        'bad-lines': b'{"function":"viClose"\n\n   \nnot json\n{"function":1}\n'
                     b'{"function":"viRead","in":[{"name":"x","type":2,"u8":300}]}\r\n',
        'hex-and-reals': b'{"function":"viIn","in":[{"name":"b","type":12,"hex":"00ff10"},'
                         b'{"name":"f","type":17,"f32":"nan"},{"name":"d","type":17,"f64":-1e308},'
                         b'{"name":"t","type":110,"text":"\\u00e9\\ud83d\\ude00"}]}',
        'escaped-keys': b'{"functi\\u006fn":"viOut","in":[{"n\\u0061me":"v","type":1,"i32":-1,'
                        b'"truncated":true,"fullSize":99,"elementSize":2}],'
                        b'"out":{"params":[{"type":23,"u32":0}],"ret":0,"matching":false}}',
        'no-newline-at-end': b'{"function":"viLock","in":[]}',
        'byte-order-mark': b'\xef\xbb\xbf{"function":"viLock","in":[]}\n\xef\xbb\xbf{}\n',
        'timed-calls': b'{"function":"viWrite","time":"2026-12-06T10:15:30.250123456Z","duration":0.000152,'
                       b'"thread":4711,"process":900,"in":[{"name":"vi","type":33,"u32":4099}],'
                       b'"out":{"params":[{"type":23,"u32":3221159957}],"ret":0,"ok":false}}\n'
                       b'{"function":"viRead","time":"2026-12-07T00:00:00+01:00","duration":0,"in":[]}\n'
                       b'{"function":"viRead","time":"2026-02-29T00:00:00Z","thread":-1,"in":[]}\n',
        'hostile-names': b'{"function":"vi\\u001b[2J","in":[]}\n'
                         b'{"function":"viRead","in":[{"name":"a\\nINJECTED = 1","type":1}]}\n'
                         b'{"function":"f","in":[],"k\\u0007ey":1}\n'
                         b'{"function":"f","in":[{"type":1\x00}]}\n',
        'sizes-and-limits': b'{"function":"f","in":[{"type":42,"hex":"0102","fullSize":1}]}\n'
                            b'{"function":"f","in":[' + b','.join([b'{"type":1}'] * 65) + b']}\n'
                            b'{"function":"f","in":[' + b','.join([b'{"name":"b","type":2,"u64":1}'] * 64) + b'],'
                            b'"out":{"params":[' + b','.join([b'{"name":"*b","type":45,"text":"x"}'] * 63) +
                            b',{"type":23,"u32":0}],"ret":63}}\n',
    }
    for name, data in cases.items():
        write('capture_reader', name, data)


if __name__ == '__main__':
    seeds_utf8()
    seeds_strings()
    seeds_arguments()
    seeds_records()
    seeds_captures()
