#!/usr/bin/env python3
"""Synthesises the game's placeholder music loops and sound effects as mono 16-bit WAV files and writes
their resource definitions. Deterministic: the same script always writes the same bytes, so the files
can be committed and regenerated. Real recordings can replace any file under the same name.

Usage: generate.py [DATA_FOLDER]   (default: the repository's Data/ folder)
"""

import math
import random
import struct
import sys
import wave
from pathlib import Path

RATE = 22050
TWO_PI = 2.0 * math.pi

NOTE_INDEX = {"C": 0, "C#": 1, "Db": 1, "D": 2, "D#": 3, "Eb": 3, "E": 4, "F": 5, "F#": 6, "Gb": 6,
              "G": 7, "G#": 8, "Ab": 8, "A": 9, "A#": 10, "Bb": 10, "B": 11}


def frequency(note):
    """'A4' -> 440 Hz."""
    name, octave = note[:-1], int(note[-1])
    semitones = NOTE_INDEX[name] + 12 * (octave - 4) - 9
    return 440.0 * 2.0 ** (semitones / 12.0)


class Track:
    """A mono mix buffer. Music tracks wrap around, so tails that run past the end sound at the start
    and the file loops without a seam."""

    def __init__(self, seconds, wrap):
        self.samples = [0.0] * int(seconds * RATE)
        self.wrap = wrap

    def add(self, start, voice):
        begin = int(start * RATE)
        count = len(self.samples)
        for i, value in enumerate(voice):
            index = begin + i
            if self.wrap:
                index %= count
            elif index >= count:
                break
            self.samples[index] += value

    def echo(self, delay, feedback, passes):
        """Feedback echo (wrapping for loops)."""
        shift = int(delay * RATE)
        count = len(self.samples)
        dry = list(self.samples)
        gain = feedback
        for p in range(1, passes + 1):
            for i, value in enumerate(dry):
                index = i + shift * p
                if self.wrap:
                    index %= count
                elif index >= count:
                    break
                self.samples[index] += value * gain
            gain *= feedback

    def normalised(self, peak):
        loudest = max(abs(s) for s in self.samples) or 1.0
        return [s * peak / loudest for s in self.samples]


def envelope(i, count, attack, release):
    t = i / RATE
    end = count / RATE
    level = min(1.0, t / attack) if attack > 0 else 1.0
    if t > end - release:
        level *= max(0.0, (end - t) / release)
    return level


def pad(note, seconds, level=0.18):
    """Soft chord tone: a few detuned sines with slow attack and release."""
    f = frequency(note)
    count = int(seconds * RATE)
    out = []
    for i in range(count):
        t = i / RATE
        tone = (math.sin(TWO_PI * f * t) + 0.5 * math.sin(TWO_PI * f * 1.003 * t)
                + 0.25 * math.sin(TWO_PI * f * 2.0 * t) + 0.1 * math.sin(TWO_PI * f * 3.0 * t))
        out.append(level * tone * envelope(i, count, 0.4, 0.8))
    return out


def pluck(note, seconds=0.6, level=0.35, brightness=3.0):
    """Plucked or bell-like note: harmonics that fade faster the higher they are."""
    f = frequency(note) if isinstance(note, str) else note
    count = int(seconds * RATE)
    out = []
    for i in range(count):
        t = i / RATE
        tone = 0.0
        for harmonic, weight in ((1, 1.0), (2, 0.45), (3, 0.2), (4, 0.1)):
            tone += weight * math.exp(-t * brightness * harmonic) * math.sin(TWO_PI * f * harmonic * t)
        out.append(level * tone * min(1.0, t / 0.004))
    return out


def bass(note, seconds, level=0.3):
    f = frequency(note)
    count = int(seconds * RATE)
    return [level * (math.sin(TWO_PI * f * i / RATE) + 0.3 * math.sin(TWO_PI * 2 * f * i / RATE))
            * envelope(i, count, 0.02, 0.15) for i in range(count)]


def music(chords, bass_notes, melody, beat, seed, echo=0.35):
    """Four-bar loop: one chord per bar (pad + bass), an arpeggio and a melody of (beat, note) pairs."""
    rng = random.Random(seed)
    bar = 4 * beat
    track = Track(bar * len(chords), wrap=True)
    for index, chord in enumerate(chords):
        start = index * bar
        for note in chord:
            track.add(start, pad(note, bar + 0.6))
        track.add(start, bass(bass_notes[index], bar * 0.5))
        track.add(start + bar * 0.5, bass(bass_notes[index], bar * 0.5, 0.22))
        for step in range(8):
            note = chord[(step * 2 + rng.randrange(2)) % len(chord)]
            octave_up = note[:-1] + str(int(note[-1]) + 1)
            track.add(start + step * beat / 2, pluck(octave_up, 0.5, 0.12, 5.0))
    for when, note in melody:
        track.add(when * beat, pluck(note, 1.2, 0.3, 2.0))
    track.echo(beat * 0.75, echo, 3)
    return track.normalised(0.6)


def noise_burst(seconds, rng, cutoff, decay, level):
    """Filtered noise with an exponential decay (steps, thuds)."""
    count = int(seconds * RATE)
    smoothing = math.exp(-TWO_PI * cutoff / RATE)
    low = 0.0
    out = []
    for i in range(count):
        low = smoothing * low + (1.0 - smoothing) * rng.uniform(-1.0, 1.0)
        out.append(level * low * math.exp(-i / RATE * decay) * min(1.0, i / (0.002 * RATE)))
    return out


def sweep(start_hz, end_hz, seconds, level, decay=4.0):
    count = int(seconds * RATE)
    phase = 0.0
    out = []
    for i in range(count):
        progress = i / count
        f = start_hz * (end_hz / start_hz) ** progress
        phase += TWO_PI * f / RATE
        out.append(level * math.sin(phase) * math.exp(-progress * decay) * min(1.0, i / (0.005 * RATE)))
    return out


def effect(seconds, parts):
    """Mixes (start, samples) parts into a one-shot effect."""
    track = Track(seconds, wrap=False)
    for start, samples in parts:
        track.add(start, samples)
    out = track.normalised(0.7)
    # A short fade so that a cut-off tail does not click.
    fade = int(0.01 * RATE)
    for i in range(fade):
        out[-1 - i] *= i / fade
    return out


def footstep(number):
    rng = random.Random(1000 + number)
    cutoff = 500 + rng.uniform(0, 700)
    return effect(0.16, [(0.0, noise_burst(0.16, rng, cutoff, 30 + rng.uniform(0, 15), 1.0)),
                         (0.0, sweep(110 + rng.uniform(0, 40), 60, 0.08, 0.5, 6.0))])


def heartbeat():
    lub = sweep(70, 45, 0.14, 1.0, 3.0)
    dub = sweep(60, 40, 0.12, 0.7, 3.0)
    return effect(0.7, [(0.0, lub), (0.22, dub)])


def arpeggio(notes, spacing, length, seconds):
    return effect(seconds, [(i * spacing, pluck(n, length, 0.4, 2.5)) for i, n in enumerate(notes)])


def call():
    return effect(0.6, [(0.0, sweep(900, 1500, 0.18, 0.6, 1.5)), (0.22, sweep(1100, 1800, 0.25, 0.6, 1.5))])


MUSIC = ("Sound_Level1", "Sound_Level2", "Sound_Level3", "Sound_Level5", "Sound_Menu")

SOUNDS = {
    # Background music: four-bar loops.
    "Sound_Level1": ("Level1.wav", False, lambda: music(
        [["C4", "E4", "G4"], ["A3", "C4", "E4"], ["F3", "A3", "C4"], ["G3", "B3", "D4"]],
        ["C2", "A1", "F1", "G1"],
        [(0, "E5"), (2, "G5"), (4, "C5"), (6, "E5"), (8, "F5"), (10, "A5"), (12, "D5"), (14, "B4")],
        0.5, 1)),
    "Sound_Level2": ("Level2.wav", False, lambda: music(
        [["E3", "G3", "B3"], ["C4", "E4", "G4"], ["G3", "B3", "D4"], ["D4", "F#4", "A4"]],
        ["E2", "C2", "G1", "D2"],
        [(0, "B4"), (1.5, "D5"), (3, "E5"), (4, "G5"), (6, "E5"), (8, "D5"), (9.5, "B4"), (12, "A4"), (14, "F#5")],
        0.45, 2)),
    "Sound_Level3": ("Level3.wav", False, lambda: music(
        [["A3", "C4", "E4"], ["F3", "A3", "C4"], ["D3", "F3", "A3"], ["E3", "G#3", "B3"]],
        ["A1", "F1", "D2", "E2"],
        [(0, "A4"), (3, "C5"), (4, "F5"), (7, "E5"), (8, "D5"), (11, "F5"), (12, "E5"), (14, "G#4")],
        0.6, 3, echo=0.45)),
    "Sound_Level5": ("Level5.wav", False, lambda: music(
        [["F3", "A3", "C4"], ["C4", "E4", "G4"], ["D4", "F4", "A4"], ["Bb3", "D4", "F4"]],
        ["F1", "C2", "D2", "Bb1"],
        [(0, "C5"), (2, "A4"), (4, "G5"), (6, "E5"), (8, "A5"), (10, "F5"), (12, "D5"), (14, "F5")],
        0.55, 5, echo=0.4)),
    "Sound_Menu": ("Menu.wav", False, lambda: music(
        [["C4", "E4", "G4", "B4"], ["F3", "A3", "C4", "E4"], ["A3", "C4", "E4", "G4"], ["F3", "A3", "C4", "E4"]],
        ["C2", "F1", "A1", "G1"],
        [(0, "G5"), (4, "A5"), (8, "E5"), (12, "C5")],
        0.6, 7, echo=0.5)),
    # One-shot effects.
    "Sound_Jump_01": ("Jump_01.wav", False, lambda: effect(0.3, [(0.0, sweep(220, 660, 0.3, 0.8, 3.0))])),
    "Sound_Fall": ("Fall.wav", False, lambda: effect(0.35, [
        (0.0, sweep(95, 45, 0.3, 1.0, 5.0)), (0.0, noise_burst(0.2, random.Random(11), 400, 25, 0.6))])),
    "Sound_Respawn": ("Respawn.wav", False, lambda: arpeggio(["C5", "E5", "G5", "C6"], 0.08, 0.6, 0.9)),
    "Sound_Button": ("Button.wav", False, lambda: effect(0.45, [
        (0.0, noise_burst(0.02, random.Random(12), 3000, 200, 0.5)),
        (0.02, pluck("E5", 0.4, 0.5, 6.0)), (0.12, pluck("A5", 0.33, 0.5, 6.0))])),
    "Sound_HeartBeat": ("HeartBeat.wav", True, heartbeat),
    "Sound_Other_Call_0": ("Other_Call_0.wav", True, call),
    "Sound_Other_Interact_0": ("Other_Interact_0.wav", True,
                               lambda: effect(0.8, [(0.0, pluck("A5", 0.8, 0.5, 3.0)),
                                                    (0.0, pluck("E6", 0.8, 0.25, 3.5))])),
    "Sound_Other_Die": ("Other_Die.wav", True, lambda: arpeggio(["E5", "C5", "A4", "F4", "D4"], 0.25, 0.9, 2.0)),
    "Sound_Baby": ("Baby.wav", True, lambda: arpeggio(["G4", "B4", "D5", "G5", "B5"], 0.18, 1.0, 2.0)),
    "Sound_Splash": ("Splash.wav", False, lambda: arpeggio(["C4", "G4", "C5", "E5", "G5"], 0.3, 1.6, 3.0)),
}
for step in range(1, 21):
    SOUNDS["Sound_Walk_%02d" % step] = ("Walk_%02d.wav" % step, False, lambda n=step: footstep(n))


# The menu's clicks walk up a major pentatonic scale, so any two in a row sound well together.
MENU_NOTES = ("C5", "D5", "E5", "G5", "A5", "C6", "D6", "E6")


def menu_click(note):
    """A soft, short blip for a pointer arriving on a menu line: a rounded pluck (a quieter octave
    above, no noise), quieter than the game's effects so that quick sweeps over the menu stay gentle."""
    seconds = 0.12
    count = int(seconds * RATE)
    f = frequency(note)
    out = []
    for i in range(count):
        t = i / RATE
        tone = math.sin(TWO_PI * f * t) + 0.25 * math.exp(-t * 40.0) * math.sin(TWO_PI * 2.0 * f * t)
        # A 3 ms attack and a smooth (raised cosine) tail to silence: no click at either end.
        attack = min(1.0, t / 0.003)
        tail = 0.5 + 0.5 * math.cos(math.pi * i / (count - 1))
        out.append(tone * attack * math.exp(-t * 28.0) * tail)
    loudest = max(abs(s) for s in out)
    return [s * 0.35 / loudest for s in out]


for index, note in enumerate(MENU_NOTES):
    SOUNDS["Sound_MenuButton_%d" % index] = ("MenuButton_%d.wav" % index, False, lambda n=note: menu_click(n))


def write_wav(path, samples):
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", int(max(-1.0, min(1.0, s)) * 32767)) for s in samples))


def write_definitions(path):
    lines = ["<ResourceSystem>",
             "    <!-- Written by Tools/sound-generator/generate.py; replace the files freely. -->"]
    for name, (file_name, is3d, _) in SOUNDS.items():
        # Music is large enough to be worth loading in the background.
        threaded = ' multiThreaded="true"' if name in MUSIC else ""
        flag = ' is3D="true"' if is3d else ""
        lines.append('    <Sound name="%s" path="$(LocalFolder)Sounds/%s"%s%s/>' % (name, file_name, flag, threaded))
    lines.append("</ResourceSystem>")
    path.write_text("\n".join(lines) + "\n")


def main():
    data = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parents[2] / "Data"
    sounds = data / "Sounds"
    sounds.mkdir(parents=True, exist_ok=True)
    total = 0
    for name, (file_name, _, make) in SOUNDS.items():
        target = sounds / file_name
        write_wav(target, make())
        total += target.stat().st_size
        print("%-24s %s" % (name, target))
    (data / "Resources").mkdir(exist_ok=True)
    write_definitions(data / "Resources" / "Sounds.xml")
    print("%d sounds, %.1f MB" % (len(SOUNDS), total / 1e6))


if __name__ == "__main__":
    main()
