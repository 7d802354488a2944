#!/usr/bin/env python3
"""Draws the toolbar strip and the program icon as XPM files in res/.

Run from the repository root after changing a picture; the XPM files are
kept in the repository so that the build needs no image tools.
"""
import math
import os

PALETTE = {
    ' ': 'None',
    'k': '#000000', 'g': '#808080', 'l': '#C0C0C0', 'w': '#FFFFFF',
    'y': '#F0C040', 'o': '#B08020', 'r': '#C02020', 'b': '#2050C0',
    'c': '#60A0E0', 'd': '#103070', 'n': '#208040', 'e': '#404040',
}


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[' '] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c, fill=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                if edge:
                    self.set(x, y, c)
                elif fill:
                    self.set(x, y, fill)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def poly(self, pts, c, fill=None):
        if fill:
            ys = [p[1] for p in pts]
            for y in range(min(ys), max(ys) + 1):
                xs = []
                for i in range(len(pts)):
                    (xa, ya), (xb, yb) = pts[i], pts[(i + 1) % len(pts)]
                    if ya != yb and min(ya, yb) <= y < max(ya, yb):
                        xs.append(xa + (y - ya) * (xb - xa) / (yb - ya))
                xs.sort()
                for a, b in zip(xs[::2], xs[1::2]):
                    for x in range(int(math.ceil(a)), int(math.floor(b)) + 1):
                        self.set(x, y, fill)
        for i in range(len(pts)):
            self.line(*pts[i], *pts[(i + 1) % len(pts)], c)

    def disc(self, cx, cy, r, shade):
        for y in range(int(cy - r), int(cy + r) + 1):
            for x in range(int(cx - r), int(cx + r) + 1):
                d = math.hypot(x - cx, y - cy)
                if d <= r:
                    # light from the upper left
                    t = math.hypot(x - (cx - r / 3), y - (cy - r / 3)) / (1.4 * r)
                    self.set(x, y, shade[min(int(t * len(shade)), len(shade) - 1)])

    def text(self, x, y, s, c):
        glyphs = {
            'M': ['10001', '11011', '10101', '10001', '10001', '10001', '10001'],
            'I': ['111', '010', '010', '010', '010', '010', '111'],
            'P': ['1110', '1001', '1001', '1110', '1000', '1000', '1000'],
            'R': ['1110', '1001', '1001', '1110', '1010', '1001', '1001'],
        }
        for ch in s:
            g = glyphs[ch]
            for j, row in enumerate(g):
                for i, bit in enumerate(row):
                    if bit == '1':
                        self.set(x + i, y + j, c)
            x += len(g[0]) + 1

    def blit(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                if other.px[y][x] != ' ':
                    self.set(ox + x, oy + y, other.px[y][x])


def cube(c, x, y, s, d, edge, faces=None):
    """An oblique cube: front square at (x, y) of side s, depth offset d."""
    front = [(x, y + d), (x + s, y + d), (x + s, y + d + s), (x, y + d + s)]
    top = [(x, y + d), (x + d, y), (x + s + d, y), (x + s, y + d)]
    side = [(x + s, y + d), (x + s + d, y), (x + s + d, y + s), (x + s, y + d + s)]
    if faces:
        c.poly(top, edge, faces[0])
        c.poly(side, edge, faces[1])
        c.poly(front, edge, faces[2])
    else:
        back = [(x + d, y), (x + s + d, y), (x + s + d, y + s), (x + d, y + s)]
        c.poly(back, 'g')
        for (ax, ay), (bx, by) in zip(front, back):
            c.line(ax, ay, bx, by, edge)
        c.poly(front, edge)
    return front


def button(draw):
    c = Canvas(24, 20)
    draw(c)
    return c


def open_file(c):
    c.poly([(2, 5), (8, 5), (10, 7), (19, 7), (19, 16), (2, 16)], 'o', 'y')
    c.poly([(2, 16), (6, 10), (22, 10), (19, 16)], 'o', 'y')
    c.line(3, 15, 6, 11, 'w')


def reset_view(c):
    cube(c, 6, 5, 9, 3, 'd', ('c', 'b', 'c'))
    for a in range(30, 330, 6):
        t = math.radians(a)
        c.set(round(11.5 + 10 * math.cos(t)), round(10 + 8.5 * math.sin(t)), 'n')
    c.poly([(20, 5), (23, 9), (18, 9)], 'n', 'n')


def wireframe(c):
    cube(c, 4, 4, 11, 4, 'k')


def solid(c):
    cube(c, 4, 4, 11, 4, 'k', ('l', 'g', 'w'))


def normal(c):
    c.disc(12, 10, 8, 'wlcbd')


def mip(c):
    c.rect(1, 2, 22, 17, 'e', 'k')
    c.text(3, 6, 'MIP', 'w')


def mpr(c):
    c.rect(1, 2, 22, 17, 'e', 'k')
    c.text(2, 6, 'MPR', 'y')


def cut_planes(c):
    cube(c, 3, 4, 11, 4, 'k')
    c.poly([(6, 19), (12, 13), (22, 13), (16, 19)], 'r', None)
    c.poly([(6, 2), (12, 0), (12, 13), (6, 19)], 'r', None)


def fly_through(c):
    for i, col in enumerate('eglw'):
        c.rect(1 + 2 * i, 1 + 2 * i, 22 - 2 * i, 18 - 2 * i, col)
    c.poly([(8, 13), (16, 10), (8, 7), (10, 10)], 'r', 'r')


def write_xpm(path, name, canvas):
    used = sorted({p for row in canvas.px for p in row})
    lines = ['/* XPM */', 'static const char* %s[] = {' % name,
             '"%d %d %d 1",' % (canvas.w, canvas.h, len(used))]
    lines += ['"%s c %s",' % (k, PALETTE[k]) for k in used]
    rows = ['"%s"' % ''.join(r) for r in canvas.px]
    lines.append(',\n'.join(rows) + '};')
    with open(path, 'w') as f:
        f.write('\n'.join(lines) + '\n')


def icon():
    c = Canvas(32, 32)
    cube(c, 3, 9, 18, 7, 'd', ('c', 'b', 'l'))
    c.disc(12, 21, 6, 'wlcb')
    for k in range(3):
        c.line(20 + k, 2, 25 + k, 14, 'r')
        c.line(30 - k, 2, 25 - k, 14, 'r')
    return c


if __name__ == '__main__':
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'res')
    pictures = [open_file, reset_view, wireframe, solid, normal, mip, mpr, cut_planes, fly_through]
    strip = Canvas(24 * len(pictures), 20)
    for i, draw in enumerate(pictures):
        strip.blit(button(draw), 24 * i, 0)
    write_xpm(os.path.join(res, 'Toolbar.xpm'), 'toolbar_xpm', strip)
    write_xpm(os.path.join(res, 'Vexilo.xpm'), 'vexilo_xpm', icon())
