"""trundlebay-tool map and check on small hand-drawn maps, each breaking one rule, and on every
map the media generator makes. Maps are drawn as text, one character per cell, below the palette
row; '?' is a colour missing from the palette, '!' palette entry 12, which means nothing."""
import glob
import os
import subprocess

import harness
from harness import check

SYMBOLS = {'.': 0, 'r': 1, 'v': 2, 'A': 3, '|': 4, '-': 4, '+': 5, 'T': 6, 'J': 7,
           'S': 8, 'W': 9, 'K': 10, 'C': 11, '!': 12, '?': -1}


def palette_colour(code):
    return (0x12, 0x34, 0x56) if code < 0 else (code, code * 7 & 0xff, 0x40)


def write_map(path, rows):
    width = len(rows[0])
    pixels = [palette_colour(x) for x in range(width)]
    for row in rows:
        assert len(row) == width, row
        pixels += [palette_colour(SYMBOLS[s]) for s in row]
    with open(path, 'wb') as f:
        f.write(harness.bmp24(width, len(rows) + 1, lambda x, y: pixels[y * width + x]))


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


def world(column, row, centre=8):
    return [float((column - centre) * 16), float((row - centre) * 16)]


def good_map(game):
    path = os.path.join(game.folder, 'mapgood.bmp')
    write_map(path, GOOD)
    png = os.path.join(game.folder, 'good.png')
    code, report, stderr = game.tool('map', path, '--png', png)
    order = [(2, 13), (13, 13), (13, 8), (8, 8), (8, 2), (2, 2)]
    wanted = {'ok': True, 'builds': True, 'problems': [], 'findings': [], 'width': 16,
              'height': 16, 'startPoint': world(2, 6), 'waypointCount': 6,
              'waypoints': [world(c, r) for c, r in order],
              'counts': {'straight': 36, 'corner': 6, 't': 0, 'ramp': 1, 'wall': 1, 'kubo': 1,
                         'carabao': 1}}
    got = {key: report.get(key) for key in wanted} if report else stderr
    check(code == 0 and got == wanted, f'the good map: exit {code}, {got}')
    zones = sorted(map(tuple, report['rampZones']))
    expected = sorted((c, r, 0) for c in range(11, 16) for r in range(8, 13))
    check(zones == expected, f'ramp zone round (13, 10): {zones}')
    picture = harness.Image(png)
    check((picture.width, picture.height) == (634, 384),
          f'picture is not 16 x 16 cells of 24 pixels and a legend: {picture.width}')
    # The arm of the straight at (2, 3) reaches its cell's top edge in the road colour, and the
    # cell's own colour shows beside it.
    arm, beside = picture.pixel(56, 73), picture.pixel(50, 80)
    check(max(arm) < 0x40 and beside == palette_colour(4),
          f"straight not drawn along z over the map's own colour: {arm} {beside}")


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


def broken_maps(game):
    folder = game.folder
    write_map(os.path.join(folder, 'mapgood.bmp'), GOOD)
    for name, rows, rule, cell, words in BROKEN:
        path = os.path.join(folder, f'map{name}.bmp')
        write_map(path, rows)
        code, report, stderr = game.tool('map', path)
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
    code, report, stderr = game.tool('map', jpeg)
    check(code == 1 and report['width'] == 0 and 'cannot be read' in stderr and
          any(f['check'] == 'file' and 'a JPEG picture' in f['text'] for f in report['findings']),
          f'JPEG named .bmp: {report["findings"]}')
    lossy = os.path.join(folder, 'maplossy.bmp')
    subprocess.run(['convert', jpeg, 'bmp3:' + lossy], check=True, timeout=30)
    code, report, _ = game.tool('map', lossy)
    check(code == 1 and report['offPaletteCount'] > 100 and
          any('saved as JPEG' in f['text'] for f in report['findings']),
          f'JPEG saved back as BMP: {report["offPaletteCount"]} {report["findings"][:2]}')

    code, _, stderr = game.tool('map')
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


def check_command(game):
    folder = game.folder
    write_map(os.path.join(folder, 'mapcut.bmp'), BROKEN[2][1])
    slow = os.path.join(folder, 'mapslow.bmp')
    write_map(slow, slow_map())
    code, report, _ = game.tool('map', slow)
    check(code == 0, f'the staircase map is drawn right: {report["findings"]}')
    code, report, stderr = game.tool('check', slow, '--seeds', '2')
    check(code == 1 and report['goodToRace'] is False and report['slowestFinish'] > 300 and
          any('over 300 s' in r for r in report['reasons']) and 'not good to race' in stderr,
          f'slow map is not good to race: {stderr.strip()}')
    code, report, stderr = game.tool('check', os.path.join(folder, 'mapcut.bmp'))
    check(code == 1 and report['goodToRace'] is False and report['mapCheck']['ok'] is False,
          f'a map with a problem is not good to race: {stderr.strip()}')


def generated_maps(game):
    maps = sorted(glob.glob(os.path.join(game.build_dir, 'media', '[mM][aA][pP]*.[bB][mM][pP]')))
    check(maps, 'no generated maps')
    template = os.path.join(game.build_dir, 'media', 'trackTemplate.bmp')
    for path in maps + [template]:
        code, report, stderr = game.tool('check', path)
        check(code == 0 and report['goodToRace'] and report['racesWon'] == 20 and
              report['slowestFinish'] <= 300 and stderr.startswith(os.path.basename(path)),
              f'{os.path.basename(path)}: {stderr.strip()} '
              f'{report and report["mapCheck"]["problems"]}')


if __name__ == '__main__':
    harness.run([good_map, broken_maps, check_command, generated_maps], timeout=280)
