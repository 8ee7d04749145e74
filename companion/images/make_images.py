# Writes the companion's icon and menu bitmaps (run from this folder).
import struct

def bmp(path, colour, mark):
    w = h = 16
    rows = []
    for y in range(h):
        row = b''
        for x in range(w):
            r, g, b = colour
            pixel = (b, g, r) if mark(x, y) else (255, 255, 255)
            row += bytes(pixel)
        rows.append(row)
    data = b''.join(reversed(rows))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 0, 0, 0, 0)
    open(path, 'wb').write(header + info + data)

def icon_image(size):
    pixels = b''
    for y in range(size):
        for x in range(size):
            u, v = x * 32 // size, (size - 1 - y) * 32 // size
            inside = 2 <= u < 30 and 2 <= v < 30
            pen = abs(u - v) < 3 and 6 <= u < 26
            if not inside:
                pixels += bytes((0, 0, 0, 0))
            elif pen:
                pixels += bytes((40, 40, 40, 255))
            else:
                pixels += bytes((60, 170, 230, 255))
    mask = bytes(4 * size)
    info = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return info + pixels + mask

def icon(path):
    images = [icon_image(32), icon_image(16)]
    head = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b''
    for image, size in zip(images, (32, 16)):
        entries += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    open(path, 'wb').write(head + entries + b''.join(images))

marks = {
    137: ((40, 110, 200), lambda x, y: 3 <= x <= 12 and 3 <= y <= 12 and (x in (3, 12) or y in (3, 12) or x == y)),
    138: ((40, 150, 60), lambda x, y: 1 <= x <= 14 and 2 <= y <= 13 and (x in (1, 14) or y in (2, 13))),
    139: ((200, 120, 30), lambda x, y: 2 <= x <= 13 and 2 <= y <= 13 and (x == 2 or y == 13 or abs(x - y) < 2)),
    141: ((150, 60, 170), lambda x, y: 3 <= y <= 12 and abs(x - 8) <= (y - 3) // 2),
    142: ((200, 40, 40), lambda x, y: 3 <= x <= 12 and 3 <= y <= 12 and (abs(x - y) < 1 or abs(x + y - 15) < 1)),
}
for resource, (colour, mark) in marks.items():
    bmp('bitmap_%d.bmp' % resource, colour, mark)
icon('icon_132.ico')
