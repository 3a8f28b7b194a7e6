#!/usr/bin/env python3
"""Writes IT songs for measuring the converter against libopenmpt.

Each song has several instruments with envelopes, fadeouts and new-note actions, a
drum kit whose keyboard plays other samples, several channels at their own panning
and volume, and the effects IT songs use (slides, tone portamento, vibrato,
arpeggio, retrigger, tremolo, panning, note delay and cut, tempo, channel and global
volume, pattern loops), with 8- and 16-bit samples, some compressed as IT 2.14 or
2.15 compresses them. The songs are made from a seed, so the same seed makes the
same song. The files are written outside the repository:

    bench/make_it_songs.py DIR [FIRST_SEED [COUNT]]     # DIR/music/song<seed>.it
    bench/compare_openmpt.py --it-only --it-corpus DIR  # their table against libopenmpt

Needs only the standard library.
"""
import argparse
import math
import os
import random
import struct


class Sample:
    def __init__(self, frames, bits=8, c5=8363, vol=64, gvl=64, name="smp"):
        self.frames = list(frames)  # signed values, 8- or 16-bit range
        self.right = None  # stereo: the right channel
        self.bits = bits
        self.c5 = c5
        self.vol = vol
        self.gvl = gvl
        self.name = name
        self.loop = None  # (start, end, pingpong)
        self.sus = None
        self.pan = None  # 0..64 or None
        self.vib = (0, 0, 0, 0)  # speed, depth, rate(sweep), type
        self.compress = None  # None, 214, 215
        self.signed = True


class Envelope:
    def __init__(self, nodes=None, loop=None, sus=None, on=True, flag_extra=0):
        self.nodes = nodes or []  # (tick, value)
        self.loop = loop
        self.sus = sus
        self.on = on
        self.flag_extra = flag_extra


class Instrument:
    def __init__(self, sample=1, name="ins"):
        self.name = name
        self.nna = 0
        self.dct = 0
        self.dca = 0
        self.fadeout = 0
        self.gbv = 128
        self.dfp = 32 | 128  # not used
        self.rv = 0
        self.rp = 0
        self.pps = 0
        self.ppc = 60
        self.ifc = 0
        self.ifr = 0
        self.keyboard = [(n, sample) for n in range(120)]
        self.volenv = Envelope(on=False)
        self.panenv = Envelope(on=False)
        self.pitchenv = Envelope(on=False)


class Pattern:
    def __init__(self, rows=64):
        self.rows = rows
        self.cells = {}  # (row, channel) -> dict(note=, ins=, vol=, cmd=, param=)

    def set(self, row, ch, note=None, ins=None, vol=None, cmd=None, param=0):
        self.cells[(row, ch)] = dict(note=note, ins=ins, vol=vol, cmd=cmd, param=param)


def cmd(letter):
    return ord(letter) - ord("A") + 1


# --- IT 2.14 / 2.15 compression --------------------------------------------


class BitWriter:
    def __init__(self):
        self.bits = []

    def put(self, value, width):
        for i in range(width):
            self.bits.append((value >> i) & 1)

    def data(self):
        out = bytearray()
        for i in range(0, len(self.bits), 8):
            byte = 0
            for j, b in enumerate(self.bits[i:i + 8]):
                byte |= b << j
            out.append(byte)
        return bytes(out)


def representable(value, width, bits):
    widest = bits + 1
    if width == widest:
        return True
    if width < 7:
        lo, hi = -(1 << (width - 1)) + 1, (1 << (width - 1)) - 1
    else:
        half = bits // 2
        lo, hi = -(1 << (width - 1)) + half, (1 << (width - 1)) - half - 1
    return lo <= value <= hi


def compress_block(values, bits):
    widest = bits + 1
    w = BitWriter()
    width = widest
    for v in values:
        need = next(x for x in range(1, widest + 1) if representable(v, x, bits))
        if need != width:
            code = need if need < width else need - 1
            if width < 7:
                w.put(1 << (width - 1), width)
                w.put(code - 1, 3 if bits == 8 else 4)
            elif width < widest:
                border = (((1 << bits) - 1) >> (widest - width)) - bits // 2
                w.put(border + code, width)
            else:
                w.put((1 << bits) | (need - 1), width)
            width = need
        w.put(v & ((1 << (bits if width == widest else width)) - 1), width)
    data = w.data()
    return struct.pack("<H", len(data)) + data


def wrap(v, bits):
    m = 1 << bits
    v &= m - 1
    return v - m if v >= m // 2 else v


def compress(frames, bits, it215):
    block = 0x8000 if bits == 8 else 0x4000
    out = b""
    for start in range(0, len(frames), block):
        chunk = frames[start:start + block]
        prev1 = prev2 = 0
        vals = []
        for x in chunk:
            d1 = wrap(x - prev1, bits)
            prev1 = x
            if it215:
                vals.append(wrap(d1 - prev2, bits))
                prev2 = d1
            else:
                vals.append(d1)
        out += compress_block(vals, bits)
    return out


# --- the file --------------------------------------------------------------


class It:
    def __init__(self):
        self.name = "test"
        self.flags = 1 | 4 | 8  # stereo, instruments, linear
        self.gv = 128
        self.mv = 128
        self.speed = 6
        self.tempo = 125
        self.sep = 128
        self.cwt = 0x0214
        self.cmwt = 0x0214
        self.chanpan = [32] * 64
        self.chanvol = [64] * 64
        self.orders = [0]
        self.instruments = []
        self.samples = []
        self.patterns = []
        self.reserved = 0

    def envelope_bytes(self, env, signed):
        flg = (1 if env.on else 0) | (2 if env.loop else 0) | (4 if env.sus else 0) | env.flag_extra
        lb, le = env.loop or (0, 0)
        sb, se = env.sus or (0, 0)
        b = struct.pack("<BBBBBB", flg, len(env.nodes), lb, le, sb, se)
        for i in range(25):
            if i < len(env.nodes):
                t, v = env.nodes[i]
                b += struct.pack("<bH" if signed else "<BH", v, t)
            else:
                b += b"\0\0\0"
        return b + b"\0"

    def instrument_bytes(self, ins):
        b = b"IMPI" + b"\0" * 12 + b"\0"
        b += struct.pack("<BBBHbBBBBB", ins.nna, ins.dct, ins.dca, ins.fadeout, ins.pps, ins.ppc, ins.gbv, ins.dfp,
                         ins.rv, ins.rp)
        b += struct.pack("<HBB", 0x0214, 0, 0)
        b += ins.name.encode()[:25].ljust(26, b"\0")
        b += struct.pack("<BBBBH", ins.ifc, ins.ifr, 0, 0, 0)
        for n, s in ins.keyboard:
            b += struct.pack("<BB", n, s)
        b += self.envelope_bytes(ins.volenv, False)
        b += self.envelope_bytes(ins.panenv, True)
        b += self.envelope_bytes(ins.pitchenv, True)
        b = b.ljust(554, b"\0")
        assert len(b) == 554
        return b

    def sample_data(self, s):
        frames = s.frames + (s.right or [])
        if s.compress:
            left = compress(s.frames, s.bits, s.compress == 215)
            right = compress(s.right, s.bits, s.compress == 215) if s.right else b""
            return left + right
        if s.bits == 8:
            if s.signed:
                return bytes((v & 0xFF) for v in frames)
            return bytes(((v + 128) & 0xFF) for v in frames)
        return b"".join(struct.pack("<h", v) for v in frames)

    def sample_header(self, s, pointer):
        flg = 1 | (2 if s.bits == 16 else 0) | (4 if s.right else 0) | (8 if s.compress else 0)
        loop = s.loop or (0, 0, False)
        sus = s.sus or (0, 0, False)
        if s.loop:
            flg |= 16 | (64 if loop[2] else 0)
        if s.sus:
            flg |= 32 | (128 if sus[2] else 0)
        cvt = (1 if s.signed else 0) | (4 if s.compress == 215 else 0)
        dfp = (s.pan | 128) if s.pan is not None else 32
        b = b"IMPS" + b"\0" * 12 + b"\0" + struct.pack("<BBB", s.gvl, flg, s.vol)
        b += s.name.encode()[:25].ljust(26, b"\0")
        b += struct.pack("<BB", cvt, dfp)
        b += struct.pack("<IIIIIII", len(s.frames), loop[0], loop[1], s.c5, sus[0], sus[1], pointer)
        b += struct.pack("<BBBB", *s.vib)
        assert len(b) == 0x50
        return b

    def pattern_bytes(self, p):
        data = bytearray()
        for row in range(p.rows):
            for ch in range(64):
                c = p.cells.get((row, ch))
                if not c:
                    continue
                mask = 0
                body = bytearray()
                if c["note"] is not None:
                    mask |= 1
                    body.append(c["note"])
                if c["ins"] is not None:
                    mask |= 2
                    body.append(c["ins"])
                if c["vol"] is not None:
                    mask |= 4
                    body.append(c["vol"])
                if c["cmd"] is not None:
                    mask |= 8
                    body += bytes([c["cmd"], c["param"]])
                if not mask:
                    continue
                data.append((ch + 1) | 128)
                data.append(mask)
                data += body
            data.append(0)
        return struct.pack("<HHI", len(data), p.rows, 0) + bytes(data)

    def write(self, path=None):
        orders = list(self.orders) + [255]
        header = b"IMPM" + self.name.encode()[:25].ljust(26, b"\0") + b"\x04\x10"
        header += struct.pack("<HHHHHHHH", len(orders), len(self.instruments), len(self.samples), len(self.patterns),
                              self.cwt, self.cmwt, self.flags, 0)
        header += struct.pack("<BBBBBBHII", self.gv, self.mv, self.speed, self.tempo, self.sep, 0, 0, 0,
                              self.reserved)
        header += bytes(self.chanpan) + bytes(self.chanvol)
        assert len(header) == 0xC0
        tables = 0xC0 + len(orders) + 4 * (len(self.instruments) + len(self.samples) + len(self.patterns))
        body = bytearray()
        ins_off, smp_off, pat_off = [], [], []
        for ins in self.instruments:
            ins_off.append(tables + len(body))
            body += self.instrument_bytes(ins)
        smp_headers_at = tables + len(body)
        body += b"\0" * (0x50 * len(self.samples))
        for p in self.patterns:
            pat_off.append(tables + len(body))
            body += self.pattern_bytes(p)
        for i, s in enumerate(self.samples):
            pointer = tables + len(body)
            body += self.sample_data(s)
            at = smp_headers_at + 0x50 * i - tables
            body[at:at + 0x50] = self.sample_header(s, pointer)
            smp_off.append(smp_headers_at + 0x50 * i)
        out = header + bytes(orders)
        out += b"".join(struct.pack("<I", o) for o in ins_off + smp_off + pat_off)
        out += bytes(body)
        if path:
            with open(path, "wb") as f:
                f.write(out)
        return out


def saw(length, period, amp, bits):
    s = amp if bits == 8 else amp * 256
    return [int(s * (2 * ((i % period) / period) - 1)) for i in range(length)]


def square(length, period, amp, bits, duty=0.5):
    s = amp if bits == 8 else amp * 256
    return [s if (i % period) < period * duty else -s for i in range(length)]


def kick(bits=8):
    out = []
    phase = 0.0
    for i in range(6000):
        f = 40 + 200 * math.exp(-i / 300)
        phase += 2 * math.pi * f / 22050
        out.append(math.sin(phase) * math.exp(-i / 1800))
    s = 120 if bits == 8 else 30000
    return [int(s * v) for v in out]


def snare(seed, bits=8):
    r = random.Random(seed)
    s = 110 if bits == 8 else 28000
    return [int(s * (r.uniform(-1, 1) * 0.7 + 0.3 * math.sin(i / 6)) * math.exp(-i / 1500)) for i in range(5000)]


def hat(seed, bits=8):
    r = random.Random(seed)
    s = 90 if bits == 8 else 22000
    return [int(s * r.uniform(-1, 1) * math.exp(-i / 300)) for i in range(1500)]


def pad(bits=16):
    s = 60 if bits == 8 else 15000
    out = []
    for i in range(8000):
        v = sum(math.sin(2 * math.pi * i * k / 100.0 + k) / k for k in (1, 2, 3, 5))
        out.append(int(s * v / 2))
    return out


SCALES = [[0, 2, 3, 5, 7, 8, 10], [0, 2, 4, 5, 7, 9, 11], [0, 3, 5, 7, 10]]


def make_song(seed, path):
    r = random.Random(seed)
    it = It()
    it.name = f"song {seed}"
    it.cwt = r.choice([0x0214, 0x0215, 0x5129, 0x1050])
    it.cmwt = 0x0214
    it.flags = 1 | 4 | (8 if r.random() < 0.7 else 0) | (16 if r.random() < 0.2 else 0) | (32 if r.random() < 0.3 else 0)
    it.gv = r.choice([128, 100, 80])
    it.mv = r.choice([48, 64, 80, 128])
    it.speed = r.choice([3, 4, 6])
    it.tempo = r.choice([110, 125, 140, 150])
    channels = r.choice([6, 8, 10, 12])
    for c in range(channels):
        it.chanpan[c] = r.choice([16, 24, 32, 40, 48])
        it.chanvol[c] = r.choice([64, 64, 64, 48, 56])
    bits16 = r.random() < 0.5
    comp = r.choice([None, 214, 215])

    def add_sample(frames, bits, c5, loop=None, sus=None, vol=64, gvl=64, vib=(0, 0, 0, 0), name="s"):
        s = Sample(frames, bits=bits, c5=c5, vol=vol, gvl=gvl, name=name)
        s.loop, s.sus, s.vib = loop, sus, vib
        s.compress = comp if r.random() < 0.7 else None
        it.samples.append(s)
        return len(it.samples)

    b = 16 if bits16 else 8
    k = add_sample(kick(b), b, 22050, name="kick")
    sn = add_sample(snare(seed, b), b, 22050, vol=56, name="snare")
    hh = add_sample(hat(seed, b), b, 22050, vol=40, gvl=48, name="hat")
    bass = add_sample(saw(2000, 50, 100, b), b, 8363 * 4, loop=(0, 2000, False), name="bass")
    lead = add_sample(square(1600, 32, 80, b, 0.3), b, 8363 * 4, loop=(0, 1600, False), vib=(8, 6, 32, 0), name="lead")
    padn = add_sample(pad(b), b, 8363 * 2, loop=(2000, 8000, r.random() < 0.5), name="pad")
    arp = add_sample(saw(400, 20, 70, b), b, 8363 * 4, loop=(0, 400, False), sus=(0, 400, False) if r.random() < 0.3 else None, name="arp")

    def add_instrument(sample, nna=0, dct=0, dca=0, fade=0, env=None, panenv=None, gbv=128, dfp=None):
        ins = Instrument(sample)
        ins.nna, ins.dct, ins.dca, ins.fadeout, ins.gbv = nna, dct, dca, fade, gbv
        if dfp is not None:
            ins.dfp = dfp
        if env:
            ins.volenv = env
        if panenv:
            ins.panenv = panenv
        it.instruments.append(ins)
        return len(it.instruments)

    I_kick = add_instrument(k, nna=1, dct=1, dca=0)
    I_snare = add_instrument(sn, nna=r.choice([0, 1, 3]), fade=64, dct=1, dca=2)
    I_hat = add_instrument(hh, nna=1, gbv=96)
    I_bass = add_instrument(bass, nna=r.choice([0, 2]), fade=128,
                            env=Envelope([(0, 64), (4, 48), (20, 40), (30, 0)], sus=(2, 2)))
    I_lead = add_instrument(lead, nna=3, fade=48, env=Envelope([(0, 0), (2, 64), (10, 50), (40, 44)], sus=(2, 3)),
                            panenv=Envelope([(0, -16), (20, 16), (40, -16)], loop=(0, 2)) if r.random() < 0.5 else None)
    I_pad = add_instrument(padn, nna=r.choice([2, 3]), fade=12,
                           env=Envelope([(0, 0), (30, 64), (60, 40), (100, 20), (140, 0)], loop=(1, 2) if r.random() < 0.3 else None,
                                        sus=(2, 2)), gbv=r.choice([128, 90]))
    I_arp = add_instrument(arp, nna=r.choice([0, 2]), fade=200, env=Envelope([(0, 64), (6, 20), (12, 0)]))
    # a drum kit: the keyboard plays other samples at C-5
    kit = Instrument(k)
    kit.nna = 1
    kit.keyboard = [(60, k)] * 120
    for n in range(120):
        if n % 12 in (2, 4):
            kit.keyboard[n] = (60, sn)
        elif n % 12 in (6, 8, 10):
            kit.keyboard[n] = (60 + (n % 12 - 8), hh)
    it.instruments.append(kit)
    I_kit = len(it.instruments)

    scale = r.choice(SCALES)
    root = r.choice([36, 38, 41, 43])
    rows = 64
    patterns = r.choice([6, 8])
    for pi in range(patterns):
        p = Pattern(rows)
        prog = [r.choice(range(7)) for _ in range(4)]
        for row in range(rows):
            beat = row % 16
            # drums
            if beat in (0, 8) or (beat == 10 and r.random() < 0.3):
                p.set(row, 0, note=60, ins=I_kick if pi % 2 == 0 else I_kit, vol=r.choice([None, 64, 56]))
            if beat in (4, 12):
                p.set(row, 1, note=60 if pi % 2 == 0 else 62, ins=I_snare if pi % 2 == 0 else I_kit)
            if row % 2 == 0:
                p.set(row, 2, note=60 if pi % 2 == 0 else 66, ins=I_hat if pi % 2 == 0 else I_kit,
                      vol=r.choice([32, 40, 48, None]))
            # bass
            chord = prog[(row // 16) % 4]
            if row % 4 == 0:
                n = root + scale[chord % len(scale)] - (12 if r.random() < 0.2 else 0)
                cell = dict(note=n, ins=I_bass)
                if r.random() < 0.2:
                    cell.update(cmd=cmd('G'), param=0x20)
                p.set(row, 3, **cell)
            elif row % 4 == 2 and r.random() < 0.5:
                p.set(row, 3, note=255)
            # lead
            if channels > 4:
                if row % 8 == 0 or (row % 2 == 0 and r.random() < 0.3):
                    n = root + 24 + scale[r.randrange(len(scale))]
                    cell = dict(note=n, ins=I_lead)
                    cell['vol'] = r.choice([None, 48, 128 + r.randrange(65)])
                    p.set(row, 4, **cell)
                elif r.random() < 0.4:
                    fx = r.choice([('H', 0x46), ('H', 0x00), ('D', 0x02), ('E', 0x04), ('F', 0x03), ('K', 0x01),
                                   ('X', r.randrange(256)), ('Q', 0x03), ('R', 0x44)])
                    p.set(row, 4, cmd=cmd(fx[0]), param=fx[1])
            # pad chords over two or three channels
            if channels > 5 and row % 16 == 0:
                for j, off in enumerate((0, 3 if 3 in scale else 4, 7)[:max(1, min(3, channels - 5))]):
                    p.set(row, 5 + j, note=root + 12 + scale[chord % len(scale)] + off, ins=I_pad,
                          vol=r.choice([None, 40, 48]))
            # arpeggio
            if channels > 8 and row % 4 == 0:
                p.set(row, 8, note=root + 24 + scale[(chord + 2) % len(scale)], ins=I_arp, cmd=cmd('J'), param=0x37)
            elif channels > 8 and row % 4 == 1:
                p.set(row, 8, cmd=cmd('J'), param=0x00)
            if channels > 9 and row % 8 == 4:
                p.set(row, 9, note=root + 36 + scale[r.randrange(len(scale))], ins=I_arp,
                      cmd=cmd('S'), param=0xD2 if r.random() < 0.3 else 0xC3)
            if channels > 10 and row % 32 == 0:
                p.set(row, 10, note=root + 24, ins=I_lead, vol=105 + 3)  # a pitch slide in the volume column
        # song-level commands
        if pi == 1:
            p.set(0, channels - 1, cmd=cmd('T'), param=it.tempo + 10)
        if pi == 2:
            p.set(32, channels - 1, cmd=cmd('M'), param=40)
            p.set(48, channels - 1, cmd=cmd('N'), param=0x01)
        if pi == 3 and r.random() < 0.5:
            p.set(0, channels - 1, cmd=cmd('S'), param=0xB0)
            p.set(15, channels - 1, cmd=cmd('S'), param=0xB1)
        if pi == patterns - 1:
            p.set(40, channels - 1, cmd=cmd('W'), param=0x02)
        it.patterns.append(p)
    order = list(range(patterns)) + [0, 1, 2, 3]
    if r.random() < 0.5:
        order.insert(2, 254)
    it.orders = order
    it.write(path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("directory")
    parser.add_argument("first_seed", nargs="?", type=int, default=1)
    parser.add_argument("count", nargs="?", type=int, default=8)
    args = parser.parse_args()
    music = os.path.join(args.directory, "music")
    os.makedirs(music, exist_ok=True)
    for seed in range(args.first_seed, args.first_seed + args.count):
        make_song(seed, os.path.join(music, f"song{seed}.it"))


if __name__ == "__main__":
    main()
