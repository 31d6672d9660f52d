#include "Scaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__EMSCRIPTEN__)
#define SCALER_AVX2 1
#include <immintrin.h>
#endif

namespace {

#ifdef SCALER_AVX2
// Most processors in use have 256-bit registers: twice the pixels an instruction of the two
// commonest scales. Only where the processor says so; every x86-64 has SSE2.
bool wide = __builtin_cpu_supports("avx2");

__attribute__((target("avx2"))) __m256i halfAndHalf(__m256i a, __m256i b) {
    const __m256i low7 = _mm256_set1_epi8(0x7F);
    return _mm256_add_epi8(_mm256_and_si256(a, b),
                           _mm256_and_si256(_mm256_srli_epi16(_mm256_xor_si256(a, b), 1), low7));
}

// Eight pixels p0..p7 at a time become p0, p01, p1, p2, p23, p3, ... p7; returns the pixels done.
__attribute__((target("avx2"))) int threeForTwoWide(const Uint32* row, int source, Uint32* out) {
    const __m256i firstFromPixels = _mm256_setr_epi32(0, 0, 1, 2, 2, 3, 4, 4);
    const __m256i firstFromMeans = _mm256_setr_epi32(0, 0, 0, 0, 2, 0, 0, 4);
    const __m256i restFromPixels = _mm256_setr_epi32(5, 6, 6, 7, 0, 0, 0, 0);
    const __m256i restFromMeans = _mm256_set1_epi32(6);
    int i = 0;
    for (; i + 9 <= source; i += 8, out += 12) { // the ninth pixel is read for the last mean
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + i));
        const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + i + 1));
        const __m256i mean = halfAndHalf(v, next); // mean k: of pixels k and k + 1
        const __m256i first =
            _mm256_blend_epi32(_mm256_permutevar8x32_epi32(v, firstFromPixels),
                               _mm256_permutevar8x32_epi32(mean, firstFromMeans), 0x92);
        const __m256i rest =
            _mm256_blend_epi32(_mm256_permutevar8x32_epi32(v, restFromPixels),
                               _mm256_permutevar8x32_epi32(mean, restFromMeans), 0x04);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), first);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm256_castsi256_si128(rest));
    }
    return i;
}

__attribute__((target("avx2"))) int halfAndHalfWide(const Uint32* upper, const Uint32* lower,
                                                    Uint32* out, int count) {
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(upper + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lower + i));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), halfAndHalf(a, b));
    }
    return i;
}
#endif

// Along one axis: for each pixel of the window, the picture's pixel it starts from and how much
// (of 256) of the next one is mixed in.
struct Axis {
    int source = 0, shown = 0;
    std::vector<int> from;
    std::vector<int> weight;
    bool copiesOnly = true;
    // The window's pixels that mix two of the picture's, in order: a row is scaled by copying
    // every window pixel's first pixel, then mixing these few.
    std::vector<int> mixed;
    // Two sizes a whole row is scaled by a shortcut, with the same result: each pixel repeated
    // repeats times (0: not a whole multiple), or, at one and a half times, every two pixels shown
    // as the first, the two mixed half and half, and the second.
    int repeats = 0;
    bool threeForTwo = false;
    void plan(int sourceSize, int shownSize) {
        if (source == sourceSize && shown == shownSize) {
            return;
        }
        source = sourceSize;
        shown = shownSize;
        from.assign(shown, 0);
        weight.assign(shown, 0);
        copiesOnly = true;
        const double scale = static_cast<double>(shown) / source;
        // Within this distance of a pixel's middle the window shows the pixel itself; beyond it,
        // the step to the next pixel is spread over what is left, one window pixel wide.
        const double flat = scale >= 1 ? 0.5 - 0.5 / scale : 0;
        for (int d = 0; d < shown; d++) {
            double at = (d + 0.5) / scale;
            double whole = std::floor(at);
            double fromMiddle = at - whole - 0.5;
            double kept = std::max(-flat, std::min(flat, fromMiddle));
            double sample = scale >= 1 ? whole + (fromMiddle - kept) * scale + 0.5 : at;
            double left = std::floor(sample - 0.5);
            int mix = static_cast<int>(std::lround((sample - 0.5 - left) * 256));
            int first = static_cast<int>(left);
            if (mix >= 256) {
                first++;
                mix = 0;
            }
            if (first < 0) {
                first = 0;
                mix = 0;
            }
            if (first >= source - 1) {
                first = source - 1;
                mix = 0;
            }
            from[d] = first;
            weight[d] = mix;
            copiesOnly = copiesOnly && mix == 0;
        }
        mixed.clear();
        for (int d = 0; d < shown; d++) {
            if (weight[d] != 0) {
                mixed.push_back(d);
            }
        }
        repeats = copiesOnly && shown % source == 0 ? shown / source : 0;
        threeForTwo = source % 2 == 0 && shown * 2 == source * 3;
        for (int d = 0; d < shown; d++) {
            repeats = repeats > 0 && from[d] == d / repeats ? repeats : 0;
            const int pair = d / 3, third = d % 3;
            threeForTwo = threeForTwo && from[d] == 2 * pair + (third == 2 ? 1 : 0) &&
                          weight[d] == (third == 1 ? 128 : 0);
        }
    }

    // The window's pixels that read any of the picture's pixels in [begin, end).
    void span(int begin, int end, int* shownBegin, int* shownEnd) const {
        // The first window pixel reading begin or later, the last reading before end (a window
        // pixel reads from[d] and, when mixed, the pixel after it).
        auto low = std::lower_bound(from.begin(), from.end(), begin - 1);
        auto high = std::lower_bound(from.begin(), from.end(), end);
        *shownBegin = static_cast<int>(low - from.begin());
        *shownEnd = static_cast<int>(high - from.begin());
    }
};

inline Uint32 mix(Uint32 a, Uint32 b, int weight) {
    const Uint32 w = static_cast<Uint32>(weight), keep = 256 - w;
    Uint32 redBlue = ((a & 0xFF00FF) * keep + (b & 0xFF00FF) * w) >> 8;
    Uint32 green = ((a & 0xFF00) * keep + (b & 0xFF00) * w) >> 8;
    Uint32 top = (((a >> 24) * keep + (b >> 24) * w) >> 8) << 24;
    return (redBlue & 0xFF00FF) | (green & 0xFF00) | top;
}

struct Plan {
    Axis across, down;
    std::vector<Uint32> rows[2];
    int rowOf[2] = {-1, -1};
    const Uint32* keptAt[2] = {NULL, NULL};
};

Plan plan;

// Two rows mixed into out, by weight (of 256) of the second.
void mixRows(const Uint32* upper, const Uint32* lower, int weight, Uint32* out, int count) {
    int i = 0;
#ifdef SCALER_AVX2
    if (weight == 128 && wide) {
        i = halfAndHalfWide(upper, lower, out, count);
    }
#endif
#ifdef __SSE2__
    if (weight == 128) {
        // Half and half, the one mix at one and a half times: each byte the floor of the mean.
        const __m128i low7 = _mm_set1_epi8(0x7F);
        for (; i + 4 <= count; i += 4) {
            __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + i));
            __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + i));
            __m128i half = _mm_and_si128(_mm_srli_epi16(_mm_xor_si128(a, b), 1), low7);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                             _mm_add_epi8(_mm_and_si128(a, b), half));
        }
    }
    const __m128i zero = _mm_setzero_si128();
    const __m128i w = _mm_set1_epi16(static_cast<short>(weight));
    const __m128i keep = _mm_set1_epi16(static_cast<short>(256 - weight));
    for (; i + 4 <= count; i += 4) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + i));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + i));
        __m128i low = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), keep),
                                    _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), w));
        __m128i high = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), keep),
                                     _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), w));
        __m128i mixed = _mm_packus_epi16(_mm_srli_epi16(low, 8), _mm_srli_epi16(high, 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), mixed);
    }
#endif
    for (; i < count; i++) {
        out[i] = mix(upper[i], lower[i], weight);
    }
}

// Row y of the picture scaled across, window columns [begin, end), into out (indexed from begin).
void scaleRow(const Uint32* row, const Axis& across, int begin, int end, Uint32* out) {
    if (begin == 0 && end == across.shown && across.repeats > 0) {
        int i = 0;
#ifdef __SSE2__
        for (; across.repeats == 2 && i + 4 <= across.source; i += 4, out += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi32(v, v));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), _mm_unpackhi_epi32(v, v));
        }
#endif
        for (; i < across.source; i++) {
            for (int k = 0; k < across.repeats; k++) {
                *out++ = row[i];
            }
        }
        return;
    }
    if (begin == 0 && end == across.shown && across.threeForTwo) {
        int i = 0;
#ifdef SCALER_AVX2
        if (wide) {
            i = threeForTwoWide(row, across.source, out);
            out += i / 2 * 3;
        }
#endif
#ifdef __SSE2__
        // Four pixels a, b, c, d at a time become a, ab, b, c, cd, d.
        const __m128i low7 = _mm_set1_epi8(0x7F);
        for (; i + 4 <= across.source; i += 4, out += 6) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
            const __m128i next = _mm_srli_si128(v, 4);
            const __m128i mean =
                _mm_add_epi8(_mm_and_si128(v, next),
                             _mm_and_si128(_mm_srli_epi16(_mm_xor_si128(v, next), 1), low7));
            const __m128 pairs = _mm_castsi128_ps(_mm_unpacklo_epi32(v, mean)); // a ab b bc
            const __m128i first = _mm_castps_si128(
                _mm_shuffle_ps(pairs, _mm_castsi128_ps(v), _MM_SHUFFLE(2, 1, 1, 0)));
            const __m128i last = _mm_shuffle_epi32(
                _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(mean), _mm_castsi128_ps(v),
                                                _MM_SHUFFLE(3, 3, 2, 2))),
                _MM_SHUFFLE(3, 3, 2, 0)); // cd d
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), first);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 4), last);
        }
#endif
        for (; i < across.source; i += 2, out += 3) {
            const Uint32 a = row[i], b = row[i + 1];
            out[0] = a;
            // mix(a, b, 128): each byte the floor of the two's mean.
            out[1] = (a & b) + (((a ^ b) & 0xFEFEFEFE) >> 1);
            out[2] = b;
        }
        return;
    }
    const int* from = across.from.data();
    for (int d = begin; d < end; d++) {
        out[d - begin] = row[from[d]];
    }
    if (across.copiesOnly) {
        return;
    }
    const int* weight = across.weight.data();
    auto first = std::lower_bound(across.mixed.begin(), across.mixed.end(), begin);
    auto last = std::lower_bound(first, across.mixed.end(), end);
    auto d = first;
#ifdef __SSE2__
    // Two at a time: each pixel's four bytes widened to 16 bits, mixed, narrowed back.
    const __m128i zero = _mm_setzero_si128();
    for (; last - d >= 2; d += 2) {
        const int d0 = d[0], d1 = d[1], f0 = from[d0], f1 = from[d1];
        const __m128i a = _mm_unpacklo_epi8(
            _mm_set_epi32(0, 0, static_cast<int>(row[f1]), static_cast<int>(row[f0])), zero);
        const __m128i b = _mm_unpacklo_epi8(
            _mm_set_epi32(0, 0, static_cast<int>(row[f1 + 1]), static_cast<int>(row[f0 + 1])),
            zero);
        const short w0 = static_cast<short>(weight[d0]), w1 = static_cast<short>(weight[d1]);
        const __m128i w = _mm_set_epi16(w1, w1, w1, w1, w0, w0, w0, w0);
        const __m128i keep = _mm_sub_epi16(_mm_set1_epi16(256), w);
        const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(a, keep), _mm_mullo_epi16(b, w));
        const __m128i both = _mm_packus_epi16(_mm_srli_epi16(sum, 8), zero);
        out[d0 - begin] = static_cast<Uint32>(_mm_cvtsi128_si32(both));
        out[d1 - begin] = static_cast<Uint32>(_mm_cvtsi128_si32(_mm_srli_si128(both, 4)));
    }
#endif
    for (; d != last; ++d) {
        out[*d - begin] = mix(row[from[*d]], row[from[*d] + 1], weight[*d]);
    }
}

// Where the picture's rows scaled across are kept: by the row's parity, the last one of each,
// in a window row it was scaled straight into or in one of two buffers. A row is asked for by the
// one to three window rows that read it, one after the other.
const Uint32* keptRow(int y) { return plan.rowOf[y & 1] == y ? plan.keptAt[y & 1] : NULL; }

const Uint32* keep(int y, const Uint32* at) {
    plan.rowOf[y & 1] = y;
    plan.keptAt[y & 1] = at;
    return at;
}

const Uint32* pictureRow(const SDL_Surface* from, int y) {
    return reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(from->pixels) +
                                           y * from->pitch);
}

const Uint32* scaledRow(const SDL_Surface* from, int y, int begin, int end) {
    const Uint32* kept = keptRow(y);
    if (kept != NULL) {
        return kept;
    }
    std::vector<Uint32>& row = plan.rows[y & 1];
    row.resize(static_cast<size_t>(end - begin));
    scaleRow(pictureRow(from, y), plan.across, begin, end, row.data());
    return keep(y, row.data());
}

SDL_Surface* painted = NULL;
SDL_Surface* shownOn = NULL;
Fit fitted;
// Whether the bars around the picture are black on the display: a window the picture was just
// fitted to has them to paint and send once.
bool barsShown = false;

} // namespace

SDL_Rect Scaler::scaleArea(SDL_Surface* from, SDL_Surface* to, const Fit& fit, SDL_Rect area) {
    plan.across.plan(from->w, fit.picture.w);
    plan.down.plan(from->h, fit.picture.h);
    const int left = std::max(0, static_cast<int>(area.x));
    const int top = std::max(0, static_cast<int>(area.y));
    const int right = std::min(from->w, area.x + static_cast<int>(area.w));
    const int bottom = std::min(from->h, area.y + static_cast<int>(area.h));
    int x0, x1, y0, y1;
    plan.across.span(left, right, &x0, &x1);
    plan.down.span(top, bottom, &y0, &y1);
    // Only what lies on the window: a picture larger than a window shrunk past it is cut.
    x0 = std::max(x0, -fit.picture.x);
    y0 = std::max(y0, -fit.picture.y);
    x1 = std::min(x1, to->w - fit.picture.x);
    y1 = std::min(y1, to->h - fit.picture.y);
    if (right <= left || bottom <= top || x1 <= x0 || y1 <= y0 ||
        from->format->BytesPerPixel != 4 || to->format->BytesPerPixel != 4) {
        return {0, 0, 0, 0};
    }
    SDL_LockSurface(from);
    SDL_LockSurface(to);
    plan.rowOf[0] = plan.rowOf[1] = -1;
    const size_t bytes = static_cast<size_t>(x1 - x0) * 4;
    auto windowRow = [&](int d) {
        return reinterpret_cast<Uint32*>(static_cast<Uint8*>(to->pixels) +
                                         (fit.picture.y + d) * to->pitch) +
               fit.picture.x + x0;
    };
    auto scaleStraightInto = [&](int y, Uint32* row) {
        scaleRow(pictureRow(from, y), plan.across, x0, x1, row);
        keep(y, row);
    };
    for (int d = y0; d < y1; d++) {
        const int y = plan.down.from[d], weight = plan.down.weight[d];
        Uint32* out = windowRow(d);
        if (weight == 0) {
            // Scaled straight into the window the first time, copied from there after.
            const Uint32* kept = keptRow(y);
            if (kept == NULL) {
                scaleStraightInto(y, out);
            } else if (kept != out) {
                std::memcpy(out, kept, bytes);
            }
            continue;
        }
        // The lower row, where the next window row shows it as it is, is scaled straight into
        // that row now rather than into a buffer copied there after.
        if (d + 1 < y1 && plan.down.from[d + 1] == y + 1 && plan.down.weight[d + 1] == 0 &&
            keptRow(y + 1) == NULL) {
            scaleStraightInto(y + 1, windowRow(d + 1));
        }
        const Uint32* upper = scaledRow(from, y, x0, x1);
        const Uint32* lower = scaledRow(from, y + 1, x0, x1); // the other slot: upper stays
        mixRows(upper, lower, weight, out, x1 - x0);
    }
    SDL_UnlockSurface(to);
    SDL_UnlockSurface(from);
    return {static_cast<Sint16>(fit.picture.x + x0), static_cast<Sint16>(fit.picture.y + y0),
            static_cast<Uint16>(x1 - x0), static_cast<Uint16>(y1 - y0)};
}

void Scaler::start(SDL_Surface* screen) {
    if (screen == NULL) {
        stop();
        return;
    }
    shownOn = screen;
    fitted = Fit::inside(screen->w, screen->h);
    barsShown = false;
    // Made once and kept: the game's objects hold its address across every later mode, whose
    // format on one display stays the same.
    if (painted == NULL) {
        const SDL_PixelFormat* format = screen->format;
        painted = SDL_CreateRGBSurface(SDL_SWSURFACE, Fit::PICTURE_W, Fit::PICTURE_H,
                                       format->BitsPerPixel, format->Rmask, format->Gmask,
                                       format->Bmask, 0);
    }
}

void Scaler::stop() {
    if (painted != NULL) {
        SDL_FreeSurface(painted);
    }
    painted = NULL;
    shownOn = NULL;
}

bool Scaler::on() { return painted != NULL && shownOn != NULL; }

SDL_Surface* Scaler::picture() { return painted; }

SDL_Surface* Scaler::window() { return shownOn; }

const Fit& Scaler::fit() { return fitted; }

SDL_Surface* Scaler::gameScreen() { return on() ? painted : SDL_GetVideoSurface(); }

void Scaler::scaleAreas(const SDL_Rect* areas, int count, std::vector<SDL_Rect>* changed,
                        SDL_Surface* into) {
    changed->clear();
    for (int i = 0; i < count; i++) {
        SDL_Rect done = scaleArea(painted, into != NULL ? into : shownOn, fitted, areas[i]);
        if (done.w > 0 && done.h > 0) {
            changed->push_back(done);
        }
    }
}

void Scaler::scaleAll(std::vector<SDL_Rect>* changed) {
    const Fit::Rect& at = fitted.picture;
    SDL_Rect whole = {0, 0, Fit::PICTURE_W, Fit::PICTURE_H};
    SDL_Rect done = scaleArea(painted, shownOn, fitted, whole);
    changed->assign(1, done);
    if (barsShown) {
        return;
    }
    const Uint32 black = SDL_MapRGB(shownOn->format, 0, 0, 0);
    // The bars: above, below, left and right of the picture.
    SDL_Rect bars[4] = {
        {0, 0, static_cast<Uint16>(shownOn->w), static_cast<Uint16>(std::max(0, at.y))},
        {0, static_cast<Sint16>(at.y + at.h), static_cast<Uint16>(shownOn->w),
         static_cast<Uint16>(std::max(0, shownOn->h - at.y - at.h))},
        {0, static_cast<Sint16>(at.y), static_cast<Uint16>(std::max(0, at.x)),
         static_cast<Uint16>(at.h)},
        {static_cast<Sint16>(at.x + at.w), static_cast<Sint16>(at.y),
         static_cast<Uint16>(std::max(0, shownOn->w - at.x - at.w)), static_cast<Uint16>(at.h)}};
    for (SDL_Rect& bar : bars) {
        if (bar.w > 0 && bar.h > 0) {
            SDL_FillRect(shownOn, &bar, black);
        }
    }
    barsShown = true;
    changed->assign(
        1, SDL_Rect{0, 0, static_cast<Uint16>(shownOn->w), static_cast<Uint16>(shownOn->h)});
}

bool Scaler::useWideInstructions(bool on) {
#ifdef SCALER_AVX2
    const bool was = wide;
    wide = on && __builtin_cpu_supports("avx2");
    return was;
#else
    (void)on;
    return false;
#endif
}
