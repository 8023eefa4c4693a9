#!/usr/bin/python3
"""Songs for the end-to-end tests, written with mido (not with Tonvel), and the measures of
what the program made of them.

  songs.py piece PATH SECONDS [FORMAT]  a melody (channel 1), a bass (channel 2) and drums,
                                        with a tempo change every few bars
  songs.py take PATH SECONDS            a piano take as Tonvel records it: notes and chords
                                        apart enough to tell their onsets
  songs.py timing PATH RECEIVED         the file's messages against what a JACK receiver got
                                        (tonvel_jack_receiver lines), each on its own clock from
                                        the first message; deviation in milliseconds
  songs.py sound EXPORTED RECORDED [MIDI]  level and onsets of two WAV files (and of each
                                        against the notes of the MIDI file they were made of)
"""
import warnings
warnings.filterwarnings("ignore", category=DeprecationWarning)
import audioop  # noqa: E402
import math
import random
import sys
import wave

import mido


def piece(path, seconds, form=1):
    rnd = random.Random(11)
    f = mido.MidiFile(type=form, ticks_per_beat=384)
    tracks = [mido.MidiTrack() for _ in range(1 if form == 0 else 4)]
    f.tracks.extend(tracks)
    events = []  # (tick, order, track, message)
    tick, elapsed, tempo = 0, 0.0, 500000
    while elapsed < seconds:
        events.append((tick, 0, 0, mido.MetaMessage('set_tempo', tempo=tempo)))
        for beat in range(8):  # two bars, then another tempo
            at = tick + beat * 384
            for half in range(2):
                note = rnd.choice([60, 62, 64, 65, 67, 69, 71, 72, 74, 76])
                events.append((at + half * 192, 2, 1, mido.Message('note_on', channel=0, note=note, velocity=90)))
                events.append((at + half * 192 + 170, 1, 1, mido.Message('note_off', channel=0, note=note)))
            if beat % 2 == 0:
                bass = rnd.choice([36, 41, 43, 45])
                events.append((at, 2, 2, mido.Message('note_on', channel=1, note=bass, velocity=80)))
                events.append((at + 700, 1, 2, mido.Message('note_on', channel=1, note=bass, velocity=0)))
            drum = 36 if beat % 2 == 0 else 38
            events.append((at, 2, 3, mido.Message('note_on', channel=9, note=drum, velocity=100)))
            events.append((at + 96, 1, 3, mido.Message('note_off', channel=9, note=drum)))
        elapsed += 8 * tempo / 1e6
        tick += 8 * 384
        tempo = rnd.choice([400000, 500000, 600000, 750000, 333333])
    events.append((0, 0, 1, mido.Message('program_change', channel=0, program=0)))
    events.append((0, 0, 2, mido.Message('program_change', channel=1, program=32)))
    events.sort(key=lambda e: (e[0], e[1]))
    last = [0] * len(tracks)
    for at, _, track, message in events:
        t = 0 if form == 0 else track
        tracks[t].append(message.copy(time=at - last[t]))
        last[t] = at
    f.save(path)


def take(path, seconds):
    rnd = random.Random(5)
    f = mido.MidiFile(type=0, ticks_per_beat=500)
    t = mido.MidiTrack()
    f.tracks.append(t)
    t.append(mido.MetaMessage('set_tempo', tempo=500000))
    for m in ('control_change', 0, 0), ('control_change', 32, 0):
        t.append(mido.Message('control_change', channel=0, control=m[1], value=0))
    t.append(mido.Message('program_change', channel=0, program=0))
    events, at = [], 500
    while at < seconds * 1000:
        chord = [rnd.randint(50, 85)] + ([rnd.randint(50, 85)] if rnd.random() < 0.3 else [])
        length = rnd.randint(120, 400)
        for note in set(chord):
            events.append((at, 1, mido.Message('note_on', channel=0, note=note, velocity=rnd.randint(60, 127))))
            events.append((at + length, 0, mido.Message('note_off', channel=0, note=note)))
        at += rnd.randint(450, 900)
    events.sort(key=lambda e: (e[0], e[1]))
    last = 0
    for ms, _, message in events:
        t.append(message.copy(time=ms - last))
        last = ms
    f.save(path)


def percentiles(values):
    values = sorted(values)
    pick = lambda p: values[min(len(values) - 1, int(round(p * (len(values) - 1))))]
    return pick(0.5), pick(0.9), pick(0.99), values[-1]


def timing(path, received):
    expected, now = [], 0.0
    for message in mido.MidiFile(path):
        now += message.time
        if not message.is_meta:
            expected.append((now * 1000.0, message.bytes()))
    got = []
    for line in open(received):
        parts = line.split()
        if len(parts) >= 4:
            got.append((int(parts[1]) / 1000.0, [int(b, 16) for b in parts[2:]]))
    # The song's messages start at its first; what came before (other keys) is passed over.
    start = next((i for i in range(len(got)) if got[i][1] == expected[0][1]), None)
    if start is None or len(got) - start < len(expected):
        print("missing: %d of %d messages arrived" % (0 if start is None else len(got) - start, len(expected)))
        return 1
    got = got[start:start + len(expected)]
    wrong = sum(1 for e, g in zip(expected, got) if e[1] != g[1])
    # The way to the port takes a constant time: each message against the median of all.
    offsets = sorted(g[0] - e[0] for e, g in zip(expected, got))
    middle = offsets[len(offsets) // 2]
    deviations = [abs(g[0] - e[0] - middle) for e, g in zip(expected, got)]
    median, p90, p99, worst = percentiles(deviations)
    print("%d messages over %.1f s, %d out of order or changed; deviation median %.2f p90 %.2f p99 %.2f max %.2f ms"
          % (len(expected), expected[-1][0] / 1000.0, wrong, median, p90, p99, worst))
    return 0 if wrong == 0 else 1


def envelope(path):
    """Mono level in 1 ms windows, and the file's rate."""
    w = wave.open(path)
    rate, width, channels = w.getframerate(), w.getsampwidth(), w.getnchannels()
    data = w.readframes(w.getnframes())
    if channels == 2:
        data = audioop.tomono(data, width, 0.5, 0.5)
    step = rate // 1000 * width
    levels = [audioop.rms(data[i:i + step], width) / float(1 << (8 * width - 1))
              for i in range(0, len(data) - step, step)]
    return levels


def onsets(levels):
    found, quiet_floor = [], 10 ** (-50 / 20)
    # A rise to twice the loudest of the 20 ms before (but the last 3).
    for t in range(20, len(levels)):
        before = max(levels[t - 20:t - 3]) or 1e-9
        if levels[t] > quiet_floor and levels[t] > 2 * before and (not found or t - found[-1] > 80):
            found.append(t)
    return found


def sound(exported, recorded, midi=None):
    a, b = envelope(exported), envelope(recorded)
    first_a, first_b = onsets(a), onsets(b)
    if not first_a or not first_b:
        print("no onsets found")
        return 1
    # The recording starts at some point before the playback, and the sound takes a constant
    # time through the server: line up by the first onsets, then by the median of all.
    shift = first_b[0] - first_a[0]
    nearest = lambda t, s: min(first_b, key=lambda x: abs(x - s - t)) - s - t
    offsets = sorted(nearest(t, shift) for t in first_a)
    shift += offsets[len(offsets) // 2]
    span = min(len(a), len(b) - shift)
    if shift < 0 or span <= 0:
        print("the recording does not hold the piece")
        return 1
    power = lambda levels, lo, hi: sum(x * x for x in levels[lo:hi]) / max(1, hi - lo)
    level_a = 10 * math.log10(power(a, first_a[0], span) or 1e-12)
    level_b = 10 * math.log10(power(b, first_a[0] + shift, span + shift) or 1e-12)
    matched, missed = [], 0
    bset = first_b
    j = 0
    for t in first_a:
        while j < len(bset) - 1 and abs(bset[j + 1] - shift - t) <= abs(bset[j] - shift - t):
            j += 1
        d = abs(bset[j] - shift - t)
        if d <= 50:
            matched.append(d)
        else:
            missed += 1
    median, p90, p99, worst = percentiles(matched or [0])
    print("level %.2f dB exported, %.2f dB heard (difference %.2f dB); %d onsets, %d matched within 50 ms: "
          "median %.0f p90 %.0f p99 %.0f max %.0f ms"
          % (level_a, level_b, level_a - level_b, len(first_a), len(matched), median, p90, p99, worst))
    if midi:
        # Each against the file's own note times: which of the two keeps them.
        notes, now = [], 0.0
        for message in mido.MidiFile(midi):
            now += message.time
            if message.type == 'note_on' and message.velocity > 0 and (not notes or now * 1000 - notes[-1] > 1):
                notes.append(now * 1000)
        for name, found in (("exported", first_a), ("heard", first_b)):
            offsets = [min(found, key=lambda x: abs(x - n - (found[0] - notes[0]))) - n for n in notes]
            middle = sorted(offsets)[len(offsets) // 2]
            spread = [abs(o - middle) for o in offsets]
            tenth = max(1, len(offsets) // 10)
            drift = sorted(offsets[-tenth:])[tenth // 2] - sorted(offsets[:tenth])[tenth // 2]
            m, p, q, w = percentiles(spread)
            print("%s against the file's %d notes: median %.0f p90 %.0f p99 %.0f max %.0f ms, "
                  "drift over the piece %.0f ms" % (name, len(notes), m, p, q, w, drift))
    return 0


if __name__ == '__main__':
    what = sys.argv[1]
    if what == 'piece':
        piece(sys.argv[2], float(sys.argv[3]), int(sys.argv[4]) if len(sys.argv) > 4 else 1)
    elif what == 'take':
        take(sys.argv[2], float(sys.argv[3]))
    elif what == 'timing':
        sys.exit(timing(sys.argv[2], sys.argv[3]))
    elif what == 'sound':
        sys.exit(sound(sys.argv[2], sys.argv[3], sys.argv[4] if len(sys.argv) > 4 else None))
