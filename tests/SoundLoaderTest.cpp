#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "Backpack.h"
#include "Flamethrower.h"
#include "Glock.h"
#include "SoundLoader.h"
#include "Uzi.h"
#include "support/TestSupport.h"

namespace {

void put16(std::vector<Uint8>& out, size_t at, Uint32 v) {
    out[at] = static_cast<Uint8>(v);
    out[at + 1] = static_cast<Uint8>(v >> 8);
}

void put32(std::vector<Uint8>& out, size_t at, Uint32 v) {
    put16(out, at, v & 0xFFFF);
    put16(out, at + 2, v >> 16);
}

void append(std::vector<Uint8>& out, const char* id, Uint32 length) {
    size_t at = out.size();
    out.resize(at + 8);
    std::copy(id, id + 4, out.begin() + at);
    put32(out, at + 4, length);
}

struct Wav {
    Uint16 encoding = 1;
    Uint16 channels = 2;
    Uint32 rate = 22050;
    Uint16 bits = 16;
    int blockAlign = -1; // -1: channels times bytes per sample
    Uint32 fmtSize = 16;
    Uint32 dataBytes = 400;
    int dataSizeDelta = 0; // what the data chunk claims beyond what it holds
    int riffSizeDelta = 0;
    const char* chunkBefore = NULL; // a chunk of 6 bytes before the format
    bool oddChunkBeforeData = false;

    std::vector<Uint8> bytes() const {
        std::vector<Uint8> out;
        append(out, "RIFF", 0);
        out.insert(out.end(), {'W', 'A', 'V', 'E'});
        if (chunkBefore != NULL) {
            append(out, chunkBefore, 6);
            out.resize(out.size() + 6, 'x');
        }
        append(out, "fmt ", fmtSize);
        size_t f = out.size();
        out.resize(f + fmtSize, 0);
        if (fmtSize >= 16) {
            put16(out, f, encoding);
            put16(out, f + 2, channels);
            put32(out, f + 4, rate);
            Uint32 align = blockAlign >= 0 ? blockAlign : channels * (bits / 8);
            put32(out, f + 8, rate * align);
            put16(out, f + 12, align);
            put16(out, f + 14, bits);
        }
        if (oddChunkBeforeData) {
            append(out, "JUNK", 3);
            out.resize(out.size() + 3, 'j');
        }
        append(out, "data", dataBytes + dataSizeDelta);
        for (Uint32 i = 0; i < dataBytes; i++) {
            out.push_back(static_cast<Uint8>(i * 37));
        }
        put32(out, 4, static_cast<Uint32>(out.size() - 8 + riffSizeDelta));
        return out;
    }
};

class TempDir {
public:
    TempDir() {
        char name[] = "/tmp/soundloader-XXXXXX";
        path = mkdtemp(name) != NULL ? name : "";
    }
    ~TempDir() {
        std::string command = "rm -rf '" + path + "'";
        EXPECT_EQ(0, std::system(command.c_str()));
    }
    std::string file(const std::string& name, const std::vector<Uint8>& bytes) {
        std::string full = path + "/" + name;
        std::string dir = full.substr(0, full.rfind('/'));
        std::string command = "mkdir -p '" + dir + "'";
        EXPECT_EQ(0, std::system(command.c_str()));
        FILE* f = std::fopen(full.c_str(), "wb");
        EXPECT_NE(nullptr, f);
        if (f != NULL) {
            if (!bytes.empty()) {
                std::fwrite(bytes.data(), 1, bytes.size(), f);
            }
            std::fclose(f);
        }
        return full;
    }
    std::string path;
};

// Loads `path` and returns what the loader wrote to standard error.
std::string loadQuietly(const std::string& path, Mix_Chunk** chunk) {
    testing::internal::CaptureStderr();
    *chunk = SoundLoader::load(path.c_str());
    return testing::internal::GetCapturedStderr();
}

void expectRefusedNamingTheFile(const std::string& path, const char* what) {
    Mix_Chunk* chunk = NULL;
    std::string said = loadQuietly(path, &chunk);
    EXPECT_EQ(nullptr, chunk) << what;
    Mix_FreeChunk(chunk);
    EXPECT_NE(std::string::npos, said.find(path)) << what << ": said '" << said << "'";
    EXPECT_EQ(1, std::count(said.begin(), said.end(), '\n')) << what << ": said '" << said << "'";
}

} // namespace

TEST(SoundLoader, RefusesHeadersOutsideWhatTheMixerPlaysAndNamesTheFile) {
    TempDir dir;
    struct Case {
        const char* what;
        Wav wav;
    };
    std::vector<Case> cases;
    auto add = [&](const char* what, auto change) {
        Wav w;
        change(w);
        cases.push_back({what, w});
    };
    add("1 Hz", [](Wav& w) { w.rate = 1; });
    add("3999 Hz", [](Wav& w) { w.rate = 3999; });
    add("192001 Hz", [](Wav& w) { w.rate = 192001; });
    add("no channels", [](Wav& w) { w.channels = 0; });
    add("256 channels, which SDL reads as none", [](Wav& w) { w.channels = 256; });
    add("9 channels", [](Wav& w) { w.channels = 9; });
    add("0-bit samples", [](Wav& w) { w.bits = 0; });
    add("12-bit samples", [](Wav& w) { w.bits = 12; });
    add("40-bit samples", [](Wav& w) { w.bits = 40; });
    add("block alignment of 3 for 16-bit stereo", [](Wav& w) { w.blockAlign = 3; });
    add("ADPCM", [](Wav& w) { w.encoding = 2; });
    add("extensible format", [](Wav& w) { w.encoding = 0xFFFE; });
    add("14-byte format chunk", [](Wav& w) { w.fmtSize = 14; });
    add("data claims one byte more than the file holds", [](Wav& w) { w.dataSizeDelta = 1; });
    add("data claims 4 GB", [](Wav& w) { w.dataSizeDelta = -401; });
    add("RIFF claims more than the file", [](Wav& w) { w.riffSizeDelta = 2; });
    add("odd chunk before the data", [](Wav& w) { w.oddChunkBeforeData = true; });
    add("another chunk before the format", [](Wav& w) { w.chunkBefore = "JUNK"; });
    for (size_t i = 0; i < cases.size(); i++) {
        std::string path = dir.file("crafted" + std::to_string(i) + ".wav", cases[i].wav.bytes());
        expectRefusedNamingTheFile(path, cases[i].what);
    }
    std::vector<Uint8> good = Wav().bytes();
    expectRefusedNamingTheFile(
        dir.file("cut.wav", std::vector<Uint8>(good.begin(), good.end() - 1)), "truncated");
    expectRefusedNamingTheFile(
        dir.file("header-only.wav", std::vector<Uint8>(good.begin(), good.begin() + 11)),
        "shorter than a RIFF header");
    expectRefusedNamingTheFile(dir.file("empty.wav", {}), "zero bytes");
    std::vector<Uint8> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H'};
    expectRefusedNamingTheFile(dir.file("picture.wav", png), "a PNG");
    ASSERT_EQ(0, mkdir((dir.path + "/folder.wav").c_str(), 0755));
    expectRefusedNamingTheFile(dir.path + "/folder.wav", "a directory");
    ASSERT_EQ(0, symlink("loop.wav", (dir.path + "/loop.wav").c_str()));
    expectRefusedNamingTheFile(dir.path + "/loop.wav", "a symlink loop");
    std::vector<Uint8> big = Wav().bytes();
    big.resize(SoundLoader::MAX_FILE_SIZE + 1);
    expectRefusedNamingTheFile(dir.file("big.wav", big), "oversized");
}

TEST(SoundLoader, WellFormedUnusualSoundsStillReachTheMixer) {
    TempDir dir;
    struct Case {
        const char* what;
        Wav wav;
        bool mixerPlaysIt; // classic SDL 1.2 reads only 8- and 16-bit PCM, and no empty data
    };
    std::vector<Case> cases;
    auto add = [&](const char* what, bool plays, auto change) {
        Wav w;
        change(w);
        cases.push_back({what, w, plays});
    };
    add("8-bit mono 8 kHz", true, [](Wav& w) { w.bits = 8, w.channels = 1, w.rate = 8000; });
    add("48 kHz", true, [](Wav& w) { w.rate = 48000; });
    add("4 kHz, 8 channels, 8-bit", true,
        [](Wav& w) { w.rate = 4000, w.channels = 8, w.bits = 8; });
    add("192 kHz", true, [](Wav& w) { w.rate = 192000; });
    add("6 channels", true, [](Wav& w) { w.channels = 6, w.dataBytes = 480; });
    add("no samples", false, [](Wav& w) { w.dataBytes = 0; });
    add("a LIST chunk before the format", true, [](Wav& w) { w.chunkBefore = "LIST"; });
    add("an 18-byte format chunk", true, [](Wav& w) { w.fmtSize = 18; });
    add("24-bit", false, [](Wav& w) { w.bits = 24, w.dataBytes = 600; });
    add("32-bit", false, [](Wav& w) { w.bits = 32; });
    for (size_t i = 0; i < cases.size(); i++) {
        std::string path = dir.file("unusual" + std::to_string(i) + ".wav", cases[i].wav.bytes());
        Mix_Chunk* chunk = NULL;
        std::string said = loadQuietly(path, &chunk);
        EXPECT_EQ("", said) << cases[i].what;
        if (cases[i].mixerPlaysIt) {
            EXPECT_NE(nullptr, chunk) << cases[i].what << ": " << Mix_GetError();
        }
        Mix_FreeChunk(chunk);
    }
    Mix_Chunk* chunk = NULL;
    EXPECT_EQ("", loadQuietly(dir.path + "/not-there.wav", &chunk)) << "a missing sound is silent";
    EXPECT_EQ(nullptr, chunk);
    std::string real = loadQuietly("sounds/gunSounds/glockShot.wav", &chunk);
    EXPECT_EQ("", real);
    EXPECT_NE(nullptr, chunk) << "the game's own sounds load";
    Mix_FreeChunk(chunk);
}

// Every class that loads a sound goes through the check: with crafted headers that crash SDL's
// conversion in every sound file, each is refused by name and the objects are built.
TEST(SoundLoader, EveryClassLoadsItsSoundsThroughTheCheck) {
    TempDir dir;
    const char* sounds[] = {
        "sounds/itemSounds/goldPickup.wav", "sounds/itemSounds/healthPotion.wav",
        "sounds/gunSounds/noAmmo.wav",      "sounds/gunSounds/glockShot.wav",
        "sounds/gunSounds/glockReload.wav", "sounds/gunSounds/uziShot.wav",
        "sounds/gunSounds/flamethrower.wav"};
    for (size_t i = 0; i < sizeof sounds / sizeof sounds[0]; i++) {
        Wav w;
        if (i % 2 == 0) {
            w.rate = 1;
        } else {
            w.channels = 0;
        }
        dir.file(sounds[i], w.bytes());
    }
    char cwd[4096];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
    ASSERT_EQ(0, chdir(dir.path.c_str()));
    testing::internal::CaptureStderr();
    {
        Backpack backpack(NULL);
        Glock glock;
        Uzi uzi;
        Flamethrower flame;
        EXPECT_EQ(nullptr, backpack.gold);
        EXPECT_EQ(nullptr, flame.shot);
    }
    std::string said = testing::internal::GetCapturedStderr();
    ASSERT_EQ(0, chdir(cwd));
    for (const char* sound : sounds) {
        EXPECT_NE(std::string::npos, said.find(sound)) << sound << " not named in: " << said;
    }
}

// Generated headers, most of them near the edges of what is accepted, some cut short or with
// bytes flipped. The check must never read outside the bytes it is given (the sanitizers watch
// an exactly sized buffer), and every header it accepts must go through the real mixer.
TEST(SoundLoaderFuzz, GeneratedHeadersNeverCrashTheCheckOrTheMixer) {
    int cases = 100000;
    if (const char* n = std::getenv("WAV_FUZZ_CASES")) {
        cases = std::atoi(n);
    }
    unsigned seed = 12;
    if (const char* s = std::getenv("WAV_FUZZ_SEED")) {
        seed = static_cast<unsigned>(std::atoi(s));
    }
    std::mt19937 random(seed);
    // Usually a value the game can play, sometimes one from the edges or anything at all.
    auto pick = [&](std::initializer_list<Uint32> good, std::initializer_list<Uint32> edge) {
        Uint32 roll = random() % 100;
        if (roll < 85) {
            return *(good.begin() + random() % good.size());
        }
        return roll < 97 ? *(edge.begin() + random() % edge.size()) : static_cast<Uint32>(random());
    };
    int accepted = 0, refused = 0, verdictsAgainstTheGenerator = 0;
    for (int n = 0; n < cases; n++) {
        Wav w;
        w.encoding = static_cast<Uint16>(pick({1}, {2, 3, 0x11, 0xFFFE, 0}));
        w.channels = static_cast<Uint16>(pick({1, 2, 4, 6, 8, 3}, {0, 9, 255, 256, 65535}));
        w.rate = pick({22050, 44100, 8000, 4000, 192000, 11025, 48000, 96000},
                      {3999, 192001, 1, 0, 2000, 0xFFFFFFFF});
        w.bits = static_cast<Uint16>(pick({8, 16, 24, 32}, {0, 4, 12, 40, 64, 65535}));
        w.blockAlign = random() % 16 == 0 ? static_cast<int>(random() % 70000) : -1;
        w.fmtSize = pick({16, 18, 40}, {14, 0, 17});
        if (w.fmtSize > 64) {
            w.fmtSize = 16;
        }
        w.dataBytes = random() % 4 == 0 ? 0 : random() % 256;
        w.dataSizeDelta = random() % 8 == 0 ? static_cast<int>(random() % 9) - 4 : 0;
        w.riffSizeDelta = random() % 8 == 0 ? static_cast<int>(random() % 9) - 4 : 0;
        w.chunkBefore = random() % 10 == 0 ? (random() % 2 ? "LIST" : "JUNK") : NULL;
        w.oddChunkBeforeData = random() % 16 == 0;
        std::vector<Uint8> bytes = w.bytes();
        Uint32 align = w.blockAlign >= 0 ? w.blockAlign : w.channels * (w.bits / 8);
        // What the generator knows it wrote; the check must come to the same verdict.
        bool playable = w.encoding == 1 && w.channels >= 1 && w.channels <= 8 && w.rate >= 4000 &&
                        w.rate <= 192000 && w.bits != 0 && w.bits % 8 == 0 && w.bits <= 32 &&
                        align <= 0xFFFF && align == w.channels * (w.bits / 8u) && w.fmtSize >= 16 &&
                        w.fmtSize % 2 == 0 && w.dataSizeDelta <= 0 &&
                        static_cast<int>(w.dataBytes) + w.dataSizeDelta >= 0 &&
                        w.riffSizeDelta <= 0 && !w.oddChunkBeforeData &&
                        (w.chunkBefore == NULL || std::string(w.chunkBefore) == "LIST");
        if (random() % 16 == 0) {
            // The format chunk claims nearly 4 GB.
            put32(bytes, w.chunkBefore != NULL ? 30 : 16, 0xFFFFFFF0 - random() % 2);
            playable = false;
        }
        bool mangled = false;
        if (random() % 8 == 0) {
            bytes.resize(random() % (bytes.size() + 1));
            mangled = true;
        }
        if (random() % 8 == 0 && !bytes.empty()) {
            bytes[random() % bytes.size()] = static_cast<Uint8>(random());
            mangled = true;
        }
        std::unique_ptr<Uint8[]> exact(new Uint8[bytes.size() + 1]);
        std::copy(bytes.begin(), bytes.end(), exact.get());
        bool ok = SoundLoader::acceptable(exact.get(), bytes.size(), NULL);
        if (!mangled && playable != ok) {
            verdictsAgainstTheGenerator++;
            if (verdictsAgainstTheGenerator <= 5) {
                ADD_FAILURE() << "case " << n << " (seed " << seed << "): check says " << ok
                              << ", the header's fields say " << playable;
            }
        }
        if (!ok) {
            refused++;
            continue;
        }
        accepted++;
        Mix_Chunk* chunk =
            Mix_LoadWAV_RW(SDL_RWFromConstMem(exact.get(), static_cast<int>(bytes.size())), 1);
        Mix_FreeChunk(chunk);
    }
    EXPECT_EQ(0, verdictsAgainstTheGenerator);
    // Both sides must be well exercised for the run to mean anything.
    EXPECT_GT(accepted, cases / 20);
    EXPECT_GT(refused, cases / 4);
    std::printf("%d headers: %d accepted and loaded, %d refused\n", cases, accepted, refused);
}
