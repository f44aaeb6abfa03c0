"""Pictures of a whole X screen as `xwd -root` writes them, read without any imaging library,
and the tests a window's area on such a picture must pass to count as drawn."""

import struct
import zlib


class ScreenImage:
    """The pixels of an XWD file of depth 24 or 32 (TrueColor), as (red, green, blue)."""

    def __init__(self, data):
        if len(data) < 100:
            raise ValueError("not an XWD picture: %d bytes" % len(data))
        fields = struct.unpack(">25I", data[:100])
        header_size, version = fields[0], fields[1]
        if version != 7:
            raise ValueError("XWD version %d, expected 7" % version)
        self.width, self.height = fields[4], fields[5]
        self.little_endian = fields[7] == 0
        self.bytes_per_pixel = fields[11] // 8
        self.bytes_per_line = fields[12]
        colours = fields[19]
        if self.bytes_per_pixel not in (3, 4):
            raise ValueError("XWD with %d bits per pixel" % fields[11])
        start = header_size + colours * 12
        self.pixels = data[start:start + self.bytes_per_line * self.height]
        if len(self.pixels) < self.bytes_per_line * self.height:
            raise ValueError("XWD picture cut short")

    def rgb(self, x, y):
        at = y * self.bytes_per_line + x * self.bytes_per_pixel
        raw = self.pixels[at:at + self.bytes_per_pixel]
        value = int.from_bytes(raw, "little" if self.little_endian else "big")
        return (value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF

    def area(self, x, y, width, height):
        """The pixels of a rectangle, clipped to the screen."""
        x0, y0 = max(0, x), max(0, y)
        x1, y1 = min(self.width, x + width), min(self.height, y + height)
        return [self.rgb(i, j) for j in range(y0, y1) for i in range(x0, x1)]

    def save_png(self, path, x=0, y=0, width=None, height=None):
        """Keeps a rectangle (the whole screen by default) as a PNG for a person to look at."""
        width = self.width - x if width is None else width
        height = self.height - y if height is None else height
        rows = bytearray()
        for j in range(y, y + height):
            rows.append(0)
            for i in range(x, x + width):
                rows += bytes(self.rgb(i, j))

        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body +
                    struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

        header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                      chunk(b"IDAT", zlib.compress(bytes(rows))) + chunk(b"IEND", b""))


def luma(pixel):
    red, green, blue = pixel
    return (299 * red + 587 * green + 114 * blue) // 1000


def drawn_window_fault(pixels):
    """Why an area does not look like a drawn window with text, or None when it does: most of
    it is light (a window's background) and some of it dark (the letters)."""
    if not pixels:
        return "the area is empty"
    black = sum(1 for p in pixels if p == (0, 0, 0))
    if black == len(pixels):
        return "the area is uniformly black"
    light = sum(1 for p in pixels if luma(p) >= 170)
    dark = sum(1 for p in pixels if luma(p) < 110)
    if light < len(pixels) * 0.3:
        return "only %d of %d pixels are light" % (light, len(pixels))
    if dark < 15:
        return "no text: %d dark pixels" % dark
    return None


if __name__ == "__main__":
    # screen_capture.py OUT.png < picture.xwd: a picture of the screen for a person to look at.
    import sys

    ScreenImage(sys.stdin.buffer.read()).save_png(sys.argv[1])
