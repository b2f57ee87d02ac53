#!/usr/bin/env python3
"""Writes kestrave.wav, the sound played with every message: two soft sine notes, a fifth apart,
each fading out. Run it in this folder after changing the notes; the file it writes is kept in
the repository so that the build needs no Python."""
import math
import struct
import wave

RATE = 22050
NOTES = [(0.00, 880.0), (0.09, 1318.5)]  # start in seconds, pitch in hertz
LENGTH = 0.32
PEAK = 0.35 * 32767

samples = []
for i in range(int(RATE * LENGTH)):
    t = i / RATE
    value = 0.0
    for start, pitch in NOTES:
        if t >= start:
            age = t - start
            attack = min(1.0, age / 0.005)
            value += attack * math.exp(-age * 14.0) * math.sin(2 * math.pi * pitch * age)
    samples.append(int(max(-1.0, min(1.0, value / len(NOTES))) * PEAK))

with wave.open("kestrave.wav", "wb") as out:
    out.setnchannels(1)
    out.setsampwidth(2)
    out.setframerate(RATE)
    out.writeframes(struct.pack("<%dh" % len(samples), *samples))
