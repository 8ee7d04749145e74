# Writes the library's small bitmaps, cursors and icon (run from this folder).
import struct

def monochrome_image(shape):
    xor = b''.join(struct.pack('>I', shape(31 - y)) for y in range(32))
    mask = b''.join(struct.pack('>I', ~shape(31 - y) & 0xFFFFFFFF) for y in range(32))
    info = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    return info + palette + xor + mask

def cursor(path, shape, hot_x, hot_y):
    image = monochrome_image(shape)
    head = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', 32, 32, 2, 0, hot_x, hot_y, len(image), 22)
    open(path, 'wb').write(head + entry + image)

def icon(path):
    w = h = 32
    pixels = b''
    for y in range(h):
        for x in range(w):
            inside = 3 <= x < 29 and 3 <= y < 29
            stroke = abs(x - y) < 2 or abs(x + y - 31) < 2
            if not inside:
                pixels += bytes((0, 0, 0, 0))
            elif stroke:
                pixels += bytes((0, 0, 200, 255))
            else:
                pixels += bytes((240, 240, 240, 255))
    mask = bytes(4 * h)
    info = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image = info + pixels + mask
    head = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', 32, 32, 0, 0, 1, 32, len(image), 22)
    open(path, 'wb').write(head + entry + image)

def pen(y):  # a slanted pen point at the top-left
    bits = 0
    if y < 16:
        for x in range(max(0, y - 1), y + 2):
            bits |= 1 << (31 - x)
    return bits

def cross(y):
    return 0xFFFF0000 >> 8 if y == 15 else (1 << 16) if 7 <= y <= 23 else 0

# The bitmap buttons of the main frame and the pad: a glyph per command on
# a raised face, and the same glyph on a sunken, darker face one pixel down
# and right for the pressed state.
FACE = (192, 192, 192)
DARK = (64, 64, 64)
LIGHT = (255, 255, 255)

GLYPHS = {
    'backspace': """
    ....##########
    ...#.........#
    ..#..#...#...#
    .#....#.#....#
    #......#.....#
    .#....#.#....#
    ..#..#...#...#
    ...#.........#
    ....##########""",
    'delete': """
    ##########....
    #.........#...
    #...#...#..#..
    #....#.#....#.
    #.....#......#
    #....#.#....#.
    #...#...#..#..
    #.........#...
    ##########....""",
    'enter': """
    ...........##
    ...........##
    ...........##
    ....#......##
    ...##......##
    ..###########
    .############
    ..###########
    ...##........
    ....#........""",
    'space': """
    ##..........##
    ##..........##
    ##..........##
    ##############
    ##############""",
    'previous': """
    ##.......##
    ##......###
    ##.....####
    ##....#####
    ##...######
    ##..#######
    ##...######
    ##....#####
    ##.....####
    ##......###
    ##.......##""",
    'next': """
    ##.......##
    ###......##
    ####.....##
    #####....##
    ######...##
    #######..##
    ######...##
    #####....##
    ####.....##
    ###......##
    ##.......##""",
    'window': """
    ##########....
    #........#....
    ##########....
    #........#....
    #........#....
    #....#########
    #....#.......#
    #....#########
    ######.......#
    .....#.......#
    .....#########""",
    'menu': """
    ##############
    ##############
    ..............
    ..............
    ##############
    ##############
    ..............
    ..............
    ##############
    ##############""",
    'send': """
    .........#....##
    .........##...##
    .........###..##
    ############..##
    #############.##
    ############..##
    .........###..##
    .........##...##
    .........#....##""",
    'mouse': """
    .....###.....
    ....#.#.#....
    ...#..#..#...
    ...#..#..#...
    ...#######...
    ...#.....#...
    ...#.....#...
    ...#.....#...
    ...#.....#...
    ....#...#....
    .....###.....""",
    'pen': """
    ...........##.
    ..........####
    .........####.
    ........####..
    .......####...
    ......####....
    .....####.....
    ....####......
    ...####.......
    ..####........
    ..###.........
    .##...........
    .#............""",
    'setup': """
    .....####.....
    ..##.####.##..
    ..##########..
    ...###..###...
    .####....####.
    .###......###.
    .###......###.
    .####....####.
    ...###..###...
    ..##########..
    ..##.####.##..
    .....####.....""",
}

BLACK = (0, 0, 0)
NAVY = (0, 0, 128)
GREEN = (0, 112, 0)
RED = (160, 0, 0)

# glyph, colour, normal bitmap, pressed bitmap
BUTTONS = [
    ('backspace', BLACK, 112, 111),
    ('delete', BLACK, 114, 113),
    ('enter', BLACK, 116, 115),
    ('space', BLACK, 118, 117),
    ('previous', NAVY, 120, 119),
    ('next', NAVY, 122, 121),
    ('window', NAVY, 124, 123),
    ('menu', BLACK, 138, 137),
    ('send', GREEN, 146, 145),
    ('pen', RED, 179, 180),
    ('mouse', BLACK, 181, 182),
    ('pen_moving', NAVY, 183, 184),
    ('setup', BLACK, 204, 205),
]


# The pen of the hold-and-move mode: the pen with two speed lines.
GLYPHS['pen_moving'] = '\n'.join(
    row[:11] + '###' if y == 9 else row[:9] + '#####' if y == 11 else row
    for y, row in enumerate(line.strip() for line in GLYPHS['pen'].strip().splitlines()))


def glyph_pixels(name):
    rows = [line.strip() for line in GLYPHS[name].strip().splitlines()]
    height, width = len(rows), max(len(row) for row in rows)
    left, top = (20 - width) // 2, (20 - height) // 2
    return {(left + x, top + y) for y, row in enumerate(rows) for x, c in enumerate(row) if c == '#'}


def glyph_button(path, name, colour, pressed):
    w = h = 20
    ink = glyph_pixels(name)
    shift = 1 if pressed else 0
    face = tuple(c * 3 // 4 for c in FACE) if pressed else FACE
    rows = []
    for y in range(h):
        row = b''
        for x in range(w):
            if x == 0 or y == 0:
                pixel = DARK if pressed else LIGHT
            elif x == w - 1 or y == h - 1:
                pixel = LIGHT if pressed else DARK
            elif (x - shift, y - shift) in ink:
                pixel = colour
            else:
                pixel = face
            row += bytes((pixel[2], pixel[1], pixel[0]))
        rows.append(row)
    data = b''.join(reversed(rows))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 0, 0, 0, 0)
    open(path, 'wb').write(header + info + data)


for name, colour, normal, pressed in BUTTONS:
    glyph_button('bitmap_%d.bmp' % normal, name, colour, False)
    glyph_button('bitmap_%d.bmp' % pressed, name, colour, True)
# The wait button's two pictures: a 32 x 32 round "recognize" button whose
# ring turns, on the button face; the corners stay the face colour, which
# the round window region cuts away.
def wait_picture(path, frame):
    import math
    w = h = 32
    rows = []
    for y in range(h):
        row = b''
        for x in range(w):
            dx, dy = x - 15.5, y - 15.5
            r = math.hypot(dx, dy)
            angle = (math.degrees(math.atan2(dy, dx)) + 360 + 45 * frame) % 90
            if r > 15.5:
                pixel = (192, 192, 192)
            elif r > 12:
                pixel = (40, 40, 200) if angle < 45 else (240, 200, 40)
            elif abs(dx) < 6 and abs(dy - 2) < 2 or abs(dx + dy - 3) < 1.5 and dy < 2:
                pixel = (255, 255, 255)
            else:
                pixel = (40, 140, 40)
            row += bytes((pixel[2], pixel[1], pixel[0]))
        rows.append(row)
    data = b''.join(reversed(rows))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 0, 0, 0, 0)
    open(path, 'wb').write(header + info + data)

wait_picture('bitmap_213.bmp', 0)
wait_picture('bitmap_214.bmp', 1)
cursor('cursor_101.cur', pen, 0, 0)
cursor('cursor_147.cur', cross, 15, 15)
icon('icon_31234.ico')
