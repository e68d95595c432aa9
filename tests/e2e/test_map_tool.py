"""trundlebay-tool map and check on small hand-drawn maps, each breaking one rule, and on every
map the media generator makes.

Maps are drawn as text, one character per cell; the first row of the bitmap is written as the
palette (entry x in its own colour), the text rows follow it. '?' is a colour missing from the
palette, '!' the colour of palette pixel 12, which means nothing.
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
           'S': 8, 'W': 9, 'K': 10, 'C': 11, '!': 12, '?': -1}


def palette_colour(code):
    return 0x123456 if code < 0 else (code << 16) | ((code * 7 & 0xff) << 8) | 0x40


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
    'rS|rrrrrrWrrr|rr',
    'rr|rrrrKrrrrr|rr',
    'rr+----------+rr',
    'rrrrrrrrrCrrrrrr',
    'rrrrrrrrrrrrrrrr',
]


def run_tool(build, *args, command='map'):
    tool = os.path.join(build, 'trundlebay-tool')
    result = subprocess.run([tool, command, *args], capture_output=True, text=True, timeout=120)
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
    check(report['ok'] is True and report['builds'] is True, 'good map builds')
    check(report['problems'] == [] and report['findings'] == [],
          f'good map has no problems: {report["problems"]}')
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
    check(size == ['634', '384'], f'picture is 16 x 16 cells of 24 pixels and a legend: {size}')
    # The tiles are drawn as placed: the arm of the straight at (2, 3) reaches its cell's top
    # edge in the road colour, and the cell's own colour shows beside it.
    pixels = subprocess.run(['convert', png, '-format', '%[hex:p{56,73}] %[hex:p{50,80}]', 'info:'],
                            capture_output=True, text=True, timeout=30).stdout.split()
    arm = [int(pixels[0][i:i + 2], 16) for i in (0, 2, 4)] if pixels else [255]
    check(max(arm) < 0x40 and pixels[1:] == ['%06X' % palette_colour(4)],
          f"straight drawn along z over the map's own colour: {pixels}")


def edited(changes):
    rows = list(GOOD)
    for row, text in changes.items():
        rows[row - 1] = text
    return rows


def far_map():
    rows = ['r' * 24 for _ in range(23)]
    rows[1] = 'r+--+' + 'r' * 19
    rows[2] = 'rA' + 'r' * 2 + '|' + 'r' * 19
    rows[3] = 'r+--+' + 'r' * 19
    return rows


# Each map breaks one rule: (name, rows, check, cell or None, words of the finding). Rows are
# numbered as in the bitmap (the palette is row 0).
BROKEN = [
    ('noarch', [r.replace('A', '|') for r in GOOD], 'arch', None, 'no start arch'),
    ('open', edited({12: 'rr.rrrrrrrrrr|rr', 13: 'rr.----------+rr', 14: 'rr.rrrrrrrrCrrrr',
                     15: 'rr.rrrrrrrrrrrrr'}), 'walk', None, 'does not lead back'),
    ('cut', edited({9: 'rr.rrrrrrrrrr|rr'}), 'walk', (2, 9), 'leaves the road at column 2, row 9'),
    ('zopen', edited({4: 'r.|rrrrr|rrrrrrr'}), 'join', (2, 4), 'facing away'),
    ('corner', edited({5: 'rr+rrrrr|rrrrrrr'}), 'join', (2, 5), 'facing away'),
    ('archcorner', edited({5: 'rr+rrrrr|rrrrrrr'}), 'arch', (2, 6), 'corner right beside it'),
    ('tstem', edited({12: 'rr|rrrrKrrr--Trr'}), 'join', (13, 12), 'T tile at column 13'),
    ('touch', edited({3: 'rr||rrrr|rrrrrrr'}), 'join', (2, 3), 'facing away'),
    ('beside', edited({3: 'rr|--rrr|rrrrrrr'}), 'join', (3, 2), 'without joining'),
    ('border', edited({15: 'rrrrr|rrrrrrrrrr'}), 'border', (5, 15), 'border'),
    ('stray', edited({7: 'rr?rrrrr|rrrrrrr'}), 'palette', (2, 7), '1 pixel has a colour that is not'),
    ('unused', edited({14: 'rrrrrrrrrC!rrrrr'}), 'palette', (10, 14), 'means nothing'),
    ('zone', edited({10: 'rr|rrrrrrrrrrJCr'}), 'zone', (14, 10), 'jump zone'),
    ('nostore', [r.replace('S', 'r') for r in GOOD], 'store', None, 'no store'),
    ('twostores', edited({4: 'rS|rrrrr|rrrrrrr'}), 'store', (1, 11), '2 store cells'),
    ('storeside', edited({11: 'rr|Srrrrrrrrr|rr'}), 'store', (3, 11), 'faces +x'),
    ('wall', edited({4: 'rW|rrrrr|rrrrrrr'}), 'wall', (1, 4), 'runs along x into the road'),
    ('ramp', edited({13: 'rr+---J------+rr'}), 'ramp', (6, 13), 'side-on'),
    ('near', edited({6: 'rr|rrrrr|rrrrrrr', 8: 'rr|rrrrr|rrrrrrr', 9: 'rr|rrrrrA----+rr'}), 'lap',
     None, 'laps count at the start'),
    ('far', far_map(), 'lap', None, 'no lap ever counts'),
]


def broken_maps(build, folder):
    for name, rows, rule, cell, words in BROKEN:
        path = os.path.join(folder, f'map{name}.bmp')
        write_map(path, rows)
        code, report, stderr = run_tool(build, path)
        found = [f for f in report['findings'] if f['check'] == rule and words in f['text'] and
                 (cell is None or (f['column'], f['row']) == cell)]
        check(code == 1 and report['ok'] is False and found,
              f'{name}: exit {code}, ok {report["ok"]}, wanted {rule} at {cell} "{words}", got '
              f'{[(f["check"], f["column"], f["row"], f["text"][:70]) for f in report["findings"]]}')
        check(report['problems'] == [f['text'] for f in report['findings']],
              f'{name}: problems repeat the findings')

    # A picture that is not a lossless bitmap: a JPEG named .bmp, and a JPEG saved back as BMP.
    good = os.path.join(folder, 'mapgood.bmp')
    jpeg = os.path.join(folder, 'mapjpeg.bmp')
    subprocess.run(['convert', good, '-quality', '90', 'jpg:' + jpeg], check=True, timeout=30)
    code, report, stderr = run_tool(build, jpeg)
    check(code == 1 and report['width'] == 0 and 'cannot be read' in stderr and
          any(f['check'] == 'file' and 'a JPEG picture' in f['text'] for f in report['findings']),
          f'JPEG named .bmp: {report["findings"]}')
    lossy = os.path.join(folder, 'maplossy.bmp')
    subprocess.run(['convert', jpeg, 'bmp3:' + lossy], check=True, timeout=30)
    code, report, _ = run_tool(build, lossy)
    check(code == 1 and report['offPaletteCount'] > 100 and
          any('saved as JPEG' in f['text'] for f in report['findings']),
          f'JPEG saved back as BMP: {report["offPaletteCount"]} {report["findings"][:2]}')

    code, _, stderr = run_tool(build)
    check(code == 2 and 'usage' in stderr, 'usage without a file')


def slow_map():
    """A staircase of 80 corners: a closed, well-drawn road that takes far too long to race."""
    steps = 40
    w, h = steps + 14, steps + 9
    grid = [['r'] * w for _ in range(h)]
    path = [(2, y) for y in range(h - 3, 0, -1)] + [(3, 1), (4, 1)]
    x, y = 5, 1
    for _ in range(steps):
        path += [(x, y), (x, y + 1)]
        x, y = x + 1, y + 1
    path += [(x, y), (x + 1, y)] + [(x + 2, r) for r in range(y, h - 2)]
    path += [(c, h - 2) for c in range(x + 2, 1, -1)]
    for i, (c, r) in enumerate(path):
        before, after = path[i - 1], path[(i + 1) % len(path)]
        grid[r][c] = '+' if before[0] != after[0] and before[1] != after[1] else '|'
    grid[h // 2][2] = 'A'
    grid[h // 3][1] = 'S'
    return [''.join(row) for row in grid[1:]]


def check_command(build, folder):
    slow = os.path.join(folder, 'mapslow.bmp')
    write_map(slow, slow_map())
    code, report, _ = run_tool(build, slow)
    check(code == 0, f'the staircase map is drawn right: {report["findings"]}')
    code, report, stderr = run_tool(build, slow, '--seeds', '2', command='check')
    check(code == 1 and report['goodToRace'] is False and report['slowestFinish'] > 300 and
          any('over 300 s' in r for r in report['reasons']) and 'not good to race' in stderr,
          f'slow map is not good to race: {stderr.strip()}')
    code, report, stderr = run_tool(build, os.path.join(folder, 'mapcut.bmp'), command='check')
    check(code == 1 and report['goodToRace'] is False and report['mapCheck']['ok'] is False,
          f'a map with a problem is not good to race: {stderr.strip()}')


def generated_maps(build):
    maps = sorted(glob.glob(os.path.join(build, 'media', '[mM][aA][pP]*.[bB][mM][pP]')))
    if not maps:
        print('note: no generated maps in', os.path.join(build, 'media'))
        return
    template = os.path.join(build, 'media', 'trackTemplate.bmp')
    for path in maps + [template]:
        code, report, stderr = run_tool(build, path, command='check')
        check(code == 0 and report['goodToRace'] and report['racesWon'] == 20 and
              report['slowestFinish'] <= 300 and stderr.startswith(os.path.basename(path)),
              f'{os.path.basename(path)}: {stderr.strip()} '
              f'{report and report["mapCheck"]["problems"]}')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--build', required=True)
    build = os.path.abspath(parser.parse_args().build)
    with tempfile.TemporaryDirectory() as folder:
        good_map(build, folder)
        broken_maps(build, folder)
        check_command(build, folder)
    generated_maps(build)
    if failures:
        print(f'{len(failures)} check(s) failed')
        sys.exit(1)
    print('all map tool checks passed')


if __name__ == '__main__':
    main()
