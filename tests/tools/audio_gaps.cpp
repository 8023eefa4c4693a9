// Counts the dropouts in a recording of sound that never stops (a held chord): reads raw
// interleaved stereo float32 from standard input, as `parecord --raw --format=float32le`
// writes it, and counts the runs of at least MIN_MS of exact digital silence after the sound
// has begun. A sound server fills a stream that is late with such silence; a held note never
// has it. Prints the recorded length, the number of gaps and the longest.
//   tonvel_audio_gaps RATE [MIN_MS] < recording.raw
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s RATE [MIN_MS] < raw-stereo-float32\n", argv[0]);
        return 2;
    }
    const double rate = std::atof(argv[1]);
    const double minMs = argc > 2 ? std::atof(argv[2]) : 0.5;
    const auto minFrames = static_cast<long>(minMs * rate / 1000.0);

    std::vector<float> frame(2);
    long frames = 0, silentRun = 0, gaps = 0, longest = 0;
    bool begun = false;
    // A run is counted when it ends: the silence at the very end is the recording stopping.
    while (std::fread(frame.data(), sizeof(float), 2, stdin) == 2) {
        ++frames;
        const bool silent = frame[0] == 0.0F && frame[1] == 0.0F;
        if (!begun) {
            begun = !silent;
            continue;
        }
        if (silent) {
            ++silentRun;
            continue;
        }
        if (silentRun >= minFrames) {
            ++gaps;
            if (silentRun > longest) longest = silentRun;
        }
        silentRun = 0;
    }
    std::printf("recorded %.1f s, gaps %ld, longest %.1f ms\n", static_cast<double>(frames) / rate,
                gaps, static_cast<double>(longest) * 1000.0 / rate);
    return begun ? 0 : 1;
}
