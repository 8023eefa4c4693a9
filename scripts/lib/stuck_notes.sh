# Counting stuck notes in a receiver's log, whose lines are "<frame> <microseconds> <hex bytes>".
# A note is stuck when, for its channel and note number, the last message is a note-on with a
# velocity above 0 (a note-on at velocity 0 ends a note, as a note-off does).
#   stuck_notes <LOG_LINES    prints the count, then each stuck note as channel:note in hex
stuck_notes() {
    awk '{
        status = tolower($3)
        kind = substr(status, 1, 1)
        if (NF < 5 || (kind != "8" && kind != "9")) next
        key = substr(status, 2, 1) ":" tolower($4)
        if (kind == "9" && $5 != "00") sounding[key] = 1
        else delete sounding[key]
    }
    END {
        n = 0
        for (key in sounding) { n++; list = list " " key }
        print n list
    }'
}
