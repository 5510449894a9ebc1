#!/usr/bin/env python3
"""Renders a report page in headless Chromium and checks that it shows.

usage: browser_check.py CHROMIUM PAGE [--self-test]

The page states each figure's size and plot area as data attributes. A copy
of the page with a small script added writes where each figure landed into
the DOM, which Chromium dumps; the page itself (no script) is then rendered
to a PNG at the same width and tall enough to hold it all. The check fails
when the page shows no figure, a figure box lies off the picture, or the
plot area of a figure holds (almost) nothing but background: that is, the
page did not render or a figure is empty. The PNG is decoded here with
zlib and struct; nothing else is needed.

--self-test also blanks the data (series and marks) of one figure in a copy and expects the
check to catch it, so a check that cannot fail does not pass unnoticed.
"""
import os
import re
import struct
import subprocess
import sys
import tempfile
import zlib

WIDTH = 1000
# A pixel counts as drawn when a channel is this far from white. The shaded
# fitted window (#ececec) and the light zero line (#c4c4c4) stay below it;
# the data's lines, markers and text are above.
THRESHOLD = 64
# Share of the plot area (inside its frame) that must be drawn: one thin
# line across the plot covers about 1 %.
MIN_SHARE = 0.005

BOX_SCRIPT = """<script>
(function () {
  var rows = [];
  document.querySelectorAll('figure[data-figure]').forEach(function (f) {
    var svg = f.querySelector('svg');
    var r = svg ? svg.getBoundingClientRect() : {left: 0, top: 0, width: 0};
    var s = r.width / Number(f.getAttribute('data-width'));
    var a = f.getAttribute('data-area').split(' ').map(Number);
    rows.push([f.getAttribute('data-figure'), r.left + window.scrollX + a[0] * s,
               r.top + window.scrollY + a[1] * s, a[2] * s, a[3] * s].join(' '));
  });
  var e = document.documentElement;
  rows.push('PAGE ' + e.scrollWidth + ' ' + e.scrollHeight);
  var pre = document.createElement('pre');
  pre.id = 'figure-boxes';
  pre.textContent = rows.join('\\n');
  document.body.appendChild(pre);
})();
</script>
"""


def chromium(binary, profile, args, timeout=60):
    cmd = [binary, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync",
           "--user-data-dir=" + profile, "--hide-scrollbars", "--force-device-scale-factor=1"] + args
    return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout, check=False)


def decode_png(path):
    """(width, height, rows of RGB bytes) of an 8-bit RGB or RGBA PNG."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, idat, header = 8, [], None
    while pos < len(data):
        (n,) = struct.unpack(">I", data[pos:pos + 4])
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + n]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat.append(body)
        pos += 12 + n
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError("unsupported PNG (depth %d, colour type %d, interlace %d)" % (depth, colour, interlace))
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(b"".join(idat))
    stride = width * bpp
    low7 = int.from_bytes(b"\x7f" * stride, "big")
    high1 = int.from_bytes(b"\x80" * stride, "big")
    prior = bytes(stride)
    rows = []
    for y in range(height):
        start = y * (stride + 1)
        kind = raw[start]
        line = raw[start + 1:start + 1 + stride]
        if kind == 0:
            row = line
        elif kind == 2:
            # Bytewise (a + b) mod 256 on whole rows as big integers.
            a = int.from_bytes(line, "big")
            b = int.from_bytes(prior, "big")
            row = (((a & low7) + (b & low7)) ^ ((a ^ b) & high1)).to_bytes(stride, "big")
        else:
            row = bytearray(line)
            for i in range(stride):
                left = row[i - bpp] if i >= bpp else 0
                up = prior[i]
                if kind == 1:
                    row[i] = (row[i] + left) & 255
                elif kind == 3:
                    row[i] = (row[i] + ((left + up) >> 1)) & 255
                else:
                    corner = prior[i - bpp] if i >= bpp else 0
                    p = left + up - corner
                    pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                    pred = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
                    row[i] = (row[i] + pred) & 255
            row = bytes(row)
        rows.append(row)
        prior = row
    if bpp == 4:
        rows = [bytes(b for i, b in enumerate(r) if i % 4 != 3) for r in rows]
    return width, height, rows


def drawn(rows, width, height, x0, y0, x1, y1):
    x0, y0 = max(0, int(x0)), max(0, int(y0))
    x1, y1 = min(width, int(x1)), min(height, int(y1))
    count = 0
    limit = 255 - THRESHOLD
    for y in range(y0, y1):
        row = rows[y]
        for v in row[3 * x0:3 * x1]:
            if v < limit:
                count += 1
    # Counted per channel; a pixel has three.
    return count / 3.0


def check(binary, page_path, work):
    """Problems found with the page at page_path ([] when it renders)."""
    html = open(page_path, encoding="utf-8").read()
    expected = re.findall(r'<figure [^>]*data-figure="([^"]+)"', html)
    if not expected:
        return ["the page has no figure"]
    probe = os.path.join(work, "probe.html")
    with open(probe, "w", encoding="utf-8") as f:
        f.write(html.replace("</body>", BOX_SCRIPT + "</body>"))
    dump = chromium(binary, os.path.join(work, "profile-dump"),
                    ["--window-size=%d,1000" % WIDTH, "--dump-dom", "file://" + probe])
    found = re.search(r'<pre id="figure-boxes">([^<]*)</pre>', dump.stdout.decode("utf-8", "replace"))
    if dump.returncode != 0 or not found:
        return ["chromium did not lay out the page (exit %d): %s" % (dump.returncode, dump.stderr.decode()[-500:])]
    boxes, page_height = {}, 0
    for line in found.group(1).strip().splitlines():
        parts = line.split()
        if parts[0] == "PAGE":
            page_height = int(float(parts[2]))
        else:
            boxes[parts[0]] = [float(v) for v in parts[1:]]
    problems = []
    if sorted(boxes) != sorted(expected):
        problems.append("figures laid out %s, the page has %s" % (sorted(boxes), sorted(expected)))
    png = os.path.join(work, "page.png")
    if os.path.exists(png):
        os.remove(png)
    shot = chromium(binary, os.path.join(work, "profile-shot"),
                    ["--window-size=%d,%d" % (WIDTH, page_height), "--screenshot=" + png, "file://" + page_path])
    if shot.returncode != 0 or not os.path.exists(png):
        return problems + ["chromium made no picture (exit %d): %s" % (shot.returncode, shot.stderr.decode()[-500:])]
    width, height, rows = decode_png(png)
    if drawn(rows, width, height, 0, 0, width, min(height, 80)) < 200:
        problems.append("the top of the page (title) is blank")
    for name in expected:
        if name not in boxes:
            continue
        x, y, w, h = boxes[name]
        if w < 50 or h < 50 or x < 0 or y < 0 or x + w > width or y + h > height:
            problems.append("%s: plot area %s lies off the %dx%d picture" % (name, boxes[name], width, height))
            continue
        # Inside the frame of the plot area only.
        share = drawn(rows, width, height, x + 3, y + 3, x + w - 3, y + h - 3) / ((w - 6) * (h - 6))
        if share < MIN_SHARE:
            problems.append("%s: empty (%.2f %% of its plot area drawn)" % (name, 100 * share))
        else:
            print("  %-28s %5.1f %% of the plot area drawn" % (name, 100 * share))
    return problems


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    binary, page = sys.argv[1], os.path.abspath(sys.argv[2])
    with tempfile.TemporaryDirectory() as work:
        problems = check(binary, page, work)
        if problems:
            for p in problems:
                print("browser check: " + p, file=sys.stderr)
            return 1
        print("browser check: %s renders, every figure drawn" % page)
        if "--self-test" in sys.argv:
            html = open(page, encoding="utf-8").read()
            first = re.search(r'<figure [^>]*data-figure="([^"]+)".*?</figure>', html, re.S)
            blank = re.sub(r'<g class="(series|marks)">.*?</g>\n', "", first.group(0), flags=re.S)
            broken = os.path.join(work, "broken.html")
            with open(broken, "w", encoding="utf-8") as f:
                f.write(html.replace(first.group(0), blank))
            caught = check(binary, broken, work)
            if not any(p.startswith(first.group(1) + ": empty") for p in caught):
                print("browser check: a copy with %s blanked was not caught (%s)" % (first.group(1), caught),
                      file=sys.stderr)
                return 1
            print("browser check: a copy with %s blanked is caught" % first.group(1))
    return 0


if __name__ == "__main__":
    sys.exit(main())
