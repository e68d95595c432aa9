"""trundlebay-tool map on small hand-drawn maps and on every map the media generator makes.

Maps are drawn as text, one character per cell; the first row of the bitmap is written as the
palette (entry x in its own colour), the text rows follow it.
"""
import argparse
import glob
import json
import os
import struct
import subprocess
import sys
import tempfile

SYMBOLS = {'.': 0, 'r': 1, 'v': 2, 'A': 3, '|': 4, '-': 4, '+': 5, 'T': 6, 'J': 7,
           'S': 8, 'W': 9, 'K': 10, 'C': 11}


def palette_colour(code):
    return (code << 16) | ((code * 7 & 0xff) << 8) | 0x40


def write_bmp(path, width, height, pixels):
    row_bytes = (width * 3 + 3) & ~3
    image = bytearray()
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            c = pixels[y * width + x]
            row += bytes((c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff))
        image += row + bytes(row_bytes - len(row))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(image), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + image)


def write_map(path, rows):
    width = len(rows[0])
    pixels = [palette_colour(x) for x in range(width)]
    for row in rows:
        assert len(row) == width, row
        pixels += [palette_colour(SYMBOLS[s]) for s in row]
    write_bmp(path, width, len(rows) + 1, pixels)


# Six corners, the road through the grid's centre (8, 8), the arch far from it on the left,
# one ramp on a road along z. Rows 1 to 15 (row 0 is the palette).
GOOD = [
    'rrrrrrrrrrrrrrrr',
    'rr+-----+rrrrrrr',
    'rr|rrrrr|rrrrrrr',
    'rr|rrrrr|rrrrrrr',
    'rr|rrrrr|rrrrrrr',
    'rrArrrrr|rrrrrrr',
    'rr|rrrrr|rrrrrrr',
    'rr|rrrrr+----+rr',
    'rr|rrrrrrrrrr|rr',
    'rr|rrrrrrrrrrJrr',
    'rr|rrSrrrWrrr|rr',
    'rr|rrrrKrrrrr|rr',
    'rr+----------+rr',
    'rrrrrrrrrCrrrrrr',
    'rrrrrrrrrrrrrrrr',
]


def run_tool(build, *args):
    tool = os.path.join(build, 'trundlebay-tool')
    result = subprocess.run([tool, 'map', *args], capture_output=True, text=True, timeout=60)
    report = None
    if result.stdout.strip():
        report = json.loads(result.stdout)
    return result.returncode, report, result.stderr


failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print('FAIL:', what)


def world(column, row, centre=8):
    return [float((column - centre) * 16), float((row - centre) * 16)]


def good_map(build, folder):
    path = os.path.join(folder, 'mapgood.bmp')
    write_map(path, GOOD)
    png = os.path.join(folder, 'good.png')
    code, report, stderr = run_tool(build, path, '--png', png)
    check(code == 0, f'good map exits 0 (got {code}, {stderr.strip()}, {report and report["problems"]})')
    check(report['ok'] is True, 'good map builds')
    check(report['problems'] == [], f'good map has no problems: {report["problems"]}')
    check((report['width'], report['height']) == (16, 16), 'good map size')
    check(report['startPoint'] == world(2, 6), f'start point {report["startPoint"]}')
    order = [(2, 13), (13, 13), (13, 8), (8, 8), (8, 2), (2, 2)]
    check(report['waypointCount'] == 6, 'six waypoints')
    check(report['waypoints'] == [world(c, r) for c, r in order],
          f'waypoints in driving order: {report["waypoints"]}')
    check(report['counts'] == {'straight': 36, 'corner': 6, 't': 0, 'ramp': 1, 'wall': 1,
                               'kubo': 1, 'carabao': 1}, f'counts {report["counts"]}')
    zones = sorted(map(tuple, report['rampZones']))
    expected = sorted((c, r, 0) for c in range(11, 16) for r in range(8, 13))
    check(zones == expected, f'ramp zone round (13, 10): {zones}')
    check(os.path.getsize(png) > 0, 'picture written')
    size = subprocess.run(['identify', '-format', '%w %h', png], capture_output=True,
                          text=True, timeout=30).stdout.split()
    check(size == ['384', '384'], f'picture is 16 x 16 cells of 24 pixels: {size}')


def broken_maps(build, folder):
    # No arch.
    rows = [row.replace('A', '|') for row in GOOD]
    write_map(os.path.join(folder, 'noarch.bmp'), rows)
    code, report, _ = run_tool(build, os.path.join(folder, 'noarch.bmp'))
    check(code == 1 and not report['ok'], 'a map without an arch fails')
    check(any('start arch' in p for p in report['problems']), f'arch missing: {report["problems"]}')

    # The road is broken: the walk runs into open ground and off the map.
    rows = list(GOOD)
    rows[11] = 'rr.rrrrrrrrrr|rr'
    rows[12] = 'rr.----------+rr'
    rows[13] = 'rr.rrrrrrrrCrrrr'
    rows[14] = 'rr.rrrrrrrrrrrrr'
    write_map(os.path.join(folder, 'open.bmp'), rows)
    code, report, _ = run_tool(build, os.path.join(folder, 'open.bmp'))
    check(code == 1 and not report['ok'], 'an open road fails')
    check(any('does not lead back' in p for p in report['problems']),
          f'walk does not close: {report["problems"]}')

    # A ramp across a road along x, the arch next to the centre, a stray corner.
    rows = list(GOOD)
    rows[11] = 'rr|rrrrKrr+rr|rr'
    rows[12] = 'rr+---J------+rr'
    rows[5] = 'rr|rrrrr|rrrrrrr'
    rows[8] = 'rr|rrrrrA----+rr'
    rows[7] = 'rr|rrrrr|rrrrrrr'
    rows[6] = 'rr|rrrrr|rrrrrrr'
    write_map(os.path.join(folder, 'ramp.bmp'), rows)
    code, report, _ = run_tool(build, os.path.join(folder, 'ramp.bmp'))
    problems = ' '.join(report['problems'])
    check(code == 1, 'problem map exits 1')
    check('side-on' in problems and 'column 6, row 13' in problems, f'ramp along x: {problems}')
    check('laps count at the start' in problems, f'start too near the centre: {problems}')

    # Nothing near the centre: a small loop in a corner of a big map.
    rows = ['r' * 24 for _ in range(23)]
    rows[1] = 'r+--+' + 'r' * 19
    rows[2] = 'rA' + 'r' * 2 + '|' + 'r' * 19
    rows[3] = 'r+--+' + 'r' * 19
    write_map(os.path.join(folder, 'far.bmp'), rows)
    code, report, _ = run_tool(build, os.path.join(folder, 'far.bmp'))
    check(report['ok'] is True, 'the corner loop itself builds')
    check(code == 1 and any('no lap ever counts' in p for p in report['problems']),
          f'checkpoint out of reach: {report["problems"]}')

    # Not a bitmap, and a usage mistake.
    junk = os.path.join(folder, 'junk.bmp')
    with open(junk, 'wb') as f:
        f.write(b'BM' + bytes(10))
    code, report, stderr = run_tool(build, junk)
    check(code == 1 and report['ok'] is False and report['width'] == 0, 'junk is no map')
    check('cannot be read' in stderr, 'junk is reported on stderr')
    code, _, stderr = run_tool(build)
    check(code == 2 and 'usage' in stderr, 'usage without a file')


def generated_maps(build):
    maps = sorted(glob.glob(os.path.join(build, 'media', '[mM][aA][pP]*.[bB][mM][pP]')))
    if not maps:
        print('note: no generated maps in', os.path.join(build, 'media'))
        return
    for path in maps:
        code, report, stderr = run_tool(build, path)
        check(code == 0 and report['ok'] and report['problems'] == [],
              f'{os.path.basename(path)}: ok {report and report["ok"]}, '
              f'problems {report and report["problems"]} {stderr.strip()}')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--build', required=True)
    build = os.path.abspath(parser.parse_args().build)
    with tempfile.TemporaryDirectory() as folder:
        good_map(build, folder)
        broken_maps(build, folder)
    generated_maps(build)
    if failures:
        print(f'{len(failures)} check(s) failed')
        sys.exit(1)
    print('all map tool checks passed')


if __name__ == '__main__':
    main()
