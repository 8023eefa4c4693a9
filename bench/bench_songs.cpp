// Opening a song: the file read and merged into one timed list, as Ctrl+O does. A file named in
// TONVEL_SONG is measured too; the others are written here: a three-minute piece of 16 tracks
// in format 1 with a tempo change every bar, and the same merged into format 0.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "recording/song.h"

namespace {

using tonvel::TimedMessage;

void putVariable(std::string& out, uint32_t value) {
    std::string groups;
    do {
        groups.insert(groups.begin(),
                      static_cast<char>((value & 0x7F) | (groups.empty() ? 0 : 0x80)));
        value >>= 7;
    } while (value);
    out += groups;
}

std::string chunk(const std::string& kind, const std::string& body) {
    std::string out = kind;
    for (int i = 3; i >= 0; --i) out += static_cast<char>((body.size() >> (8 * i)) & 0xFF);
    return out + body;
}

// 16 tracks of notes at 480 ticks a quarter, 3 minutes at about 120 beats a minute.
std::string busyFormat1() {
    std::mt19937 random(3);
    std::string file = chunk("MThd", std::string("\x00\x01\x00\x11\x01\xE0", 6));
    std::string tempo;
    for (int bar = 0; bar < 90; ++bar) {
        putVariable(tempo, bar == 0 ? 0 : 1920);
        const uint32_t us = 400000 + random() % 200000;
        tempo += "\xFF\x51\x03";
        for (int i = 2; i >= 0; --i) tempo += static_cast<char>((us >> (8 * i)) & 0xFF);
    }
    tempo += std::string("\x00\xFF\x2F\x00", 4);
    file += chunk("MTrk", tempo);
    for (int track = 0; track < 16; ++track) {
        std::string body;
        for (int note = 0; note < 1400; ++note) {
            const char key = static_cast<char>(36 + random() % 60);
            putVariable(body, 60 + random() % 60);
            body += static_cast<char>(0x90 | track);  // running status after the first two
            body += key;
            body += '\x50';
            putVariable(body, 60);
            body += key;
            body += '\x00';
        }
        body += std::string("\x00\xFF\x2F\x00", 4);
        file += chunk("MTrk", body);
    }
    return file;
}

void open(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        std::string error;
        auto song = tonvel::loadSong(path, &error);
        if (!song) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(song);
    }
}

const std::filesystem::path folder =
    std::filesystem::temp_directory_path() / ("tonvel-bench-songs-" + std::to_string(::getpid()));

}  // namespace

int main(int argc, char** argv) {
    std::filesystem::create_directories(folder);
    const auto format1 = (folder / "busy format 1.mid").string();
    std::ofstream(format1, std::ios::binary) << busyFormat1();
    std::string error;
    const auto merged = tonvel::loadSong(format1, &error);
    const auto format0 = (folder / "busy format 0.mid").string();
    std::ofstream(format0, std::ios::binary) << tonvel::writeMidiFile(merged->messages);
    benchmark::RegisterBenchmark("OpenSong/format 1, 16 tracks, 44,800 messages", open, format1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("OpenSong/the same in format 0", open, format0)
        ->Unit(benchmark::kMillisecond);
    if (const char* extra = std::getenv("TONVEL_SONG"))
        benchmark::RegisterBenchmark("OpenSong/TONVEL_SONG", open, std::string(extra))
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove_all(folder);
    return 0;
}
