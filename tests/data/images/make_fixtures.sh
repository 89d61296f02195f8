#!/usr/bin/env bash
# Re-creates the small picture fixtures in this folder. They are committed, so this
# runs only when a fixture has to change. Needs ImageMagick, the IJG tools and Python 3.
set -euo pipefail
cd "$(dirname "$0")"

# Three horizontal bands of 16 rows: red, green, blue. Row order mistakes (interlacing,
# bottom-up storage) show up as a wrong band; 16 rows keep each band in its own row of
# JPEG blocks, so subsampled colour does not bleed into the band centres.
convert -size 64x16 xc:'#ff0000' xc:'#00ff00' xc:'#0000ff' -append bands.ppm

convert bands.ppm -quality 75 rgb_64x48.jpg
convert -size 32x24 gradient:white-black -colorspace Gray -quality 80 gray.jpg
convert bands.ppm -colorspace CMYK -quality 80 cmyk.jpg
cjpeg -quality 80 -progressive bands.ppm > progressive.jpg
head -c $(( $(stat -c %s rgb_64x48.jpg) * 6 / 10 )) rgb_64x48.jpg > truncated.jpg
/usr/bin/python3 -c 'import random,sys; r=random.Random(1108); sys.stdout.buffer.write(bytes(r.randrange(256) for _ in range(2048)))' > garbage.jpg

convert bands.ppm -interlace GIF interlaced_64x48.gif
convert -size 16x16 xc:'#ff0000' xc:'#0000ff' -set delay 20 -loop 0 anim_2frames.gif
# A 16 x 16 GIF whose left half is transparent and whose right half is blue.
convert -size 8x16 xc:none xc:'#0000ff' +append transparent.gif

convert bands.ppm -type TrueColor BMP3:rgb24.bmp
convert bands.ppm -type Palette -colors 3 BMP3:pal4.bmp
convert -size 4x4 xc:'#808080' x.png

/usr/bin/python3 - <<'PY'
import struct

def gif_blocks(data):
    """Yields (offset, kind) of the blocks after the screen descriptor and its colour map."""
    flags = data[10]
    pos = 13 + (3 * (2 << (flags & 7)) if flags & 0x80 else 0)
    while pos < len(data):
        kind = data[pos]
        yield pos, kind
        if kind == 0x3B:
            return
        if kind == 0x21:
            pos += 2
        elif kind == 0x2C:
            local = data[pos + 9]
            pos += 10 + (3 * (2 << (local & 7)) if local & 0x80 else 0) + 1
        while data[pos]:
            pos += data[pos] + 1
        pos += 1

src = bytearray(open('interlaced_64x48.gif', 'rb').read())
# No colour map at all: drop the global one; the frame has no local one.
flags = src[10]
assert flags & 0x80
descs = [off for off, kind in gif_blocks(src) if kind == 0x2C]
assert not src[descs[0] + 9] & 0x80
table = 3 * (2 << (flags & 7))
nomap = src[:10] + bytes([flags & 0x7F]) + src[11:13] + src[13 + table:]
open('no_colormap.gif', 'wb').write(nomap)

# The frame starts at x = 40 on a screen 64 wide, so it reaches 40 columns outside.
outside = bytearray(src)
struct.pack_into('<H', outside, descs[0] + 1, 40)
open('frame_outside.gif', 'wb').write(outside)

# A valid JPEG whose frame header claims 65500 x 65500 pixels.
jpeg = bytearray(open('rgb_64x48.jpg', 'rb').read())
pos = 2
while True:
    assert jpeg[pos] == 0xFF
    marker = jpeg[pos + 1]
    length = struct.unpack_from('>H', jpeg, pos + 2)[0]
    if marker in (0xC0, 0xC1, 0xC2):
        struct.pack_into('>HH', jpeg, pos + 5, 65500, 65500)
        break
    pos += 2 + length
open('huge_sof.jpg', 'wb').write(jpeg)

def bmp(width, height, bits, rows, palette=b''):
    stride = (width * bits + 31) // 32 * 4
    pixels = b''.join(r.ljust(stride, b'\0') for r in rows)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0, len(pixels), 2835, 2835,
                       len(palette) // 4, 0)
    offset = 14 + len(info) + len(palette)
    head = b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset)
    return head + info + palette + pixels

# 3 x 2, stored top row first: red green blue / white black grey.
top = [b'\x00\x00\xff' + b'\x00\xff\x00' + b'\xff\x00\x00',
       b'\xff\xff\xff' + b'\x00\x00\x00' + b'\x80\x80\x80']
open('topdown.bmp', 'wb').write(bmp(3, -2, 24, top))
# 8 bits with a colour table of the three bands, stored bottom row first.
bands = [(255, 0, 0), (0, 255, 0), (0, 0, 255)]
palette = b''.join(bytes((b, g, r, 0)) for r, g, b in bands)
rows = [bytes([y // 16]) * 64 for y in range(48)]
open('pal8.bmp', 'wb').write(bmp(64, 48, 8, rows[::-1], palette))
# A header claiming 100000 x 100000 pixels in a file of a few dozen bytes.
open('huge_header.bmp', 'wb').write(bmp(2, 2, 24, [b'\0' * 6] * 2).replace(
    struct.pack('<ii', 2, 2), struct.pack('<ii', 100000, 100000), 1))
PY
rm bands.ppm
