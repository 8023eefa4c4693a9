#!/usr/bin/env bash
# Remakes the song files of the reader's table with programs other than Tonvel (Debian's
# midicsv, abcmidi and python3-mido): format 0 and 1, running status, tempo changes.
set -euo pipefail
cd "$(dirname "$0")"

# Format 0, 480 ticks a quarter: 120 beats a minute, then 240 from tick 1920 (2 s).
csvmidi >tempo_change_f0.mid <<'CSV'
0, 0, Header, 0, 1, 480
1, 0, Start_track
1, 0, Tempo, 500000
1, 0, Program_c, 0, 0
1, 0, Note_on_c, 0, 60, 100
1, 480, Note_off_c, 0, 60, 0
1, 480, Note_on_c, 0, 62, 100
1, 480, Note_on_c, 1, 43, 90
1, 960, Note_off_c, 0, 62, 0
1, 1920, Tempo, 250000
1, 1920, Note_off_c, 1, 43, 0
1, 2400, Note_on_c, 0, 64, 100
1, 2880, Note_off_c, 0, 64, 0
1, 2880, End_track
0, 0, End_of_file
CSV

# Format 1, a tempo track and two parts, 96 ticks a quarter at 90 beats a minute.
cat >reel.abc <<'ABC'
X:1
T:Reel
M:4/4
L:1/8
Q:1/4=90
K:D
V:1
DFAF dFAF|DFAF d4|
V:2
D,4 A,4|D,4 D,4|
ABC
abc2midi reel.abc -o reel_f1.mid -silent >/dev/null
rm reel.abc

# Format 1 in three tracks, tempo changes mid-bar, note-offs as note-ons at velocity 0.
/usr/bin/python3 - <<'PY'
import mido
f = mido.MidiFile(type=1, ticks_per_beat=240)
tempo = mido.MidiTrack(); f.tracks.append(tempo)
tempo.append(mido.MetaMessage('set_tempo', tempo=600000, time=0))
tempo.append(mido.MetaMessage('set_tempo', tempo=300000, time=360))
tempo.append(mido.MetaMessage('set_tempo', tempo=1000000, time=120))
for channel, notes in ((2, (67, 69, 71, 72)), (9, (36, 38, 36, 38))):
    t = mido.MidiTrack(); f.tracks.append(t)
    if channel != 9:
        t.append(mido.Message('program_change', channel=channel, program=40, time=0))
    for i, n in enumerate(notes):
        t.append(mido.Message('note_on', channel=channel, note=n, velocity=80, time=0 if i == 0 else 60))
        t.append(mido.Message('note_on', channel=channel, note=n, velocity=0, time=180))
f.save('tempo_changes_f1.mid')
PY
