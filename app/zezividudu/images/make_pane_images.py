# Writes the panes' bitmaps (run from this folder): the tab panes' close
# button, the keyboard's Backspace, the symbols' menu key, the predefined
# strings' ten text buttons and their Exit and Edit buttons.
import struct


def bmp(path, w, h, pixel):
    rows = []
    for y in range(h):
        row = b''
        for x in range(w):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b'\0' * ((4 - len(row) % 4) % 4)
        rows.append(row)
    data = b''.join(reversed(rows))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 0, 0, 0, 0)
    open(path, 'wb').write(header + info + data)


FACE = (192, 192, 192)
DARK = (64, 64, 64)
LIGHT = (255, 255, 255)


def button(w, h, pressed, glyph, colour=FACE):
    def pixel(x, y):
        edge_light = x == 0 or y == 0
        edge_dark = x == w - 1 or y == h - 1
        if edge_light:
            return DARK if pressed else LIGHT
        if edge_dark:
            return LIGHT if pressed else DARK
        shift = 1 if pressed else 0
        if glyph(x - shift, y - shift):
            return (0, 0, 0)
        return tuple(c * 3 // 4 for c in colour) if pressed else colour
    return pixel


def cross(x, y):
    return 3 <= x <= 10 and 4 <= y <= 11 and (x - 3 == y - 4 or x - 3 == 11 - y)


def arrow_left(x, y):
    return (y == 10 and 4 <= x <= 15) or (abs(y - 10) <= x - 4 <= 4 and x - 4 == abs(y - 10))


def triangle_down(x, y):
    return 7 <= y <= 12 and abs(x - 10) <= 12 - y


def box(x, y):
    return (x in (5, 14) and 5 <= y <= 14) or (y in (5, 14) and 5 <= x <= 14)


def pencil(x, y):
    return 4 <= x <= 15 and 4 <= y <= 15 and abs((x - 4) - (15 - y)) <= 1


def nothing(x, y):
    return False


bmp('bitmap_155.bmp', 14, 16, button(14, 16, False, cross))
bmp('bitmap_156.bmp', 14, 16, button(14, 16, True, cross))
bmp('bitmap_159.bmp', 20, 20, button(20, 20, False, arrow_left))
bmp('bitmap_158.bmp', 20, 20, button(20, 20, True, arrow_left))
bmp('bitmap_148.bmp', 20, 20, button(20, 20, False, triangle_down))
bmp('bitmap_147.bmp', 20, 20, button(20, 20, True, triangle_down))
tints = [(220, 200, 200), (200, 220, 200), (200, 200, 220), (220, 220, 190), (210, 190, 220)]
for k in range(10):
    colour = tints[k % len(tints)]
    bmp('bitmap_%d.bmp' % (221 + k), 20, 20, button(20, 20, False, nothing, colour))
    bmp('bitmap_%d.bmp' % (231 + k), 20, 20, button(20, 20, True, nothing, colour))
bmp('bitmap_260.bmp', 20, 20, button(20, 20, False, box))
bmp('bitmap_261.bmp', 20, 20, button(20, 20, True, box))
bmp('bitmap_263.bmp', 20, 20, button(20, 20, False, pencil))
bmp('bitmap_262.bmp', 20, 20, button(20, 20, True, pencil))
