#!/usr/bin/env python3
"""Writes the default background sound: a soft two-note chime, one second, 16-bit mono."""
import math, struct, sys, wave

rate = 22050
notes = [(659.25, 0.0), (880.0, 0.35)]  # E5 then A5
frames = bytearray()
for i in range(rate):
    t = i / rate
    v = 0.0
    for freq, start in notes:
        if t >= start:
            d = t - start
            v += math.sin(2 * math.pi * freq * d) * math.exp(-4.0 * d)
    frames += struct.pack('<h', int(max(-1.0, min(1.0, v * 0.35)) * 32767))
with wave.open(sys.argv[1], 'wb') as out:
    out.setnchannels(1)
    out.setsampwidth(2)
    out.setframerate(rate)
    out.writeframes(bytes(frames))
