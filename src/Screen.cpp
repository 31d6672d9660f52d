#include "Screen.h"

#include <algorithm>
#include <tuple>
#include <vector>

#include "FastDrawing.h"
#include "FastPaths.h"
#include "PresentationPath.h"
#include "Scaler.h"

namespace {

bool passPainted = true;

const int MAX_RECORDED_AREAS = 128;
SDL_Surface* recordedSurface = NULL;
SDL_Rect recordedAreas[MAX_RECORDED_AREAS];
int recordedCount = 0;

// Once the list is full, areas are gathered instead by the cell of the screen their centre lies
// in, each cell keeping the bounds of its areas: constant work per area, however many there are.
const int CELL_SIZE = 120;
const int CELL_COLUMNS = 16;
const int CELL_ROWS = 16;
const int CELL_COUNT = CELL_COLUMNS * CELL_ROWS;
bool gathering = false;
bool cellUsed[CELL_COUNT];
SDL_Rect cellAreas[CELL_COUNT];
SDL_Rect gatheredAreas[CELL_COUNT];

SDL_Rect bounds(const SDL_Rect& a, const SDL_Rect& b) {
    int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    int right = std::max(a.x + a.w, b.x + b.w), bottom = std::max(a.y + a.h, b.y + b.h);
    SDL_Rect r = {static_cast<Sint16>(left), static_cast<Sint16>(top),
                  static_cast<Uint16>(right - left), static_cast<Uint16>(bottom - top)};
    return r;
}

void gather(const SDL_Rect& area) {
    int column = std::min(std::max((area.x + area.w / 2) / CELL_SIZE, 0), CELL_COLUMNS - 1);
    int row = std::min(std::max((area.y + area.h / 2) / CELL_SIZE, 0), CELL_ROWS - 1);
    int cell = row * CELL_COLUMNS + column;
    cellAreas[cell] = cellUsed[cell] ? bounds(cellAreas[cell], area) : area;
    cellUsed[cell] = true;
}

// A cursor without a window-manager counterpart is drawn by SDL itself into the screen, on
// every pointer move, and the patch it saved from under it put back later, all behind the
// record: while SDL draws it the record says nothing certain about the screen.
bool sdlDrawsItsCursor() {
#ifdef __EMSCRIPTEN__
    return false; // the browser draws the pointer, over the canvas
#else
    SDL_Cursor* cursor = SDL_GetCursor();
    return cursor != NULL && cursor->wm_cursor == NULL && SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
#endif
}

void notePainted(SDL_Surface* destination, const SDL_Rect& area) {
    if (destination != recordedSurface) {
        return;
    }
    if (!gathering && recordedCount < MAX_RECORDED_AREAS) {
        recordedAreas[recordedCount++] = area;
        return;
    }
    if (!gathering) {
        gathering = true;
        for (int i = 0; i < recordedCount; i++) {
            gather(recordedAreas[i]);
        }
    }
    gather(area);
}

void startRecording(SDL_Surface* surface) {
    recordedSurface = surface;
    recordedCount = 0;
    if (gathering) {
        gathering = false;
        std::fill(cellUsed, cellUsed + CELL_COUNT, false);
    }
}

void stopRecording() { recordedSurface = NULL; }

// The record's areas. False when the record is not of this surface or SDL draws its cursor into
// it. Past a hundred and twenty-eight areas the record merges neighbouring areas into their
// bounds, so a pass that paints hundreds of small pictures (a long flame) is still recorded whole.
bool recorded(SDL_Surface* surface, const SDL_Rect** areas, int* count) {
    if (surface == NULL || surface != recordedSurface || sdlDrawsItsCursor()) {
        return false;
    }
    if (!gathering) {
        *areas = recordedAreas;
        *count = recordedCount;
        return true;
    }
    int gathered = 0;
    for (int cell = 0; cell < CELL_COUNT; cell++) {
        if (cellUsed[cell]) {
            gatheredAreas[gathered++] = cellAreas[cell];
        }
    }
    *areas = gatheredAreas;
    *count = gathered;
    return true;
}

// Whether the screen holds the background as seen from backgroundView, with the record's areas
// painted over it since.
bool backgroundKept = false;
SDL_Rect backgroundView;
// The record's areas as the background was put back under them: the record itself starts again.
std::vector<SDL_Rect> putBackAreas;

// Set on passes whose changes are known: the areas of the screen that changed before the record
// began, so that only they and the record need to be sent to the display.
bool partialUpdate = false;
std::vector<SDL_Rect> changedAreas;
// What changed in passes since the last frame shown, unless the whole screen did: with the view
// where it was, the screen differs from what the display shows only in the areas put back and
// those painted since, so only they are sent. Painted passes not shown (a playback's) add theirs.
std::vector<SDL_Rect> unshownAreas;
bool unshownAll = false;

// Adds the pass's changes to those not shown yet, and starts the next pass as changed everywhere
// until its background says otherwise. A pass that painted nothing changed nothing.
void collectChanges(SDL_Surface* screen) {
    if (!passPainted) {
        return;
    }
    const SDL_Rect* painted;
    int count;
    if (!FastPaths::enabled || !partialUpdate || !recorded(screen, &painted, &count)) {
        unshownAll = true;
    }
    if (!unshownAll) {
        unshownAreas.insert(unshownAreas.end(), changedAreas.begin(), changedAreas.end());
        unshownAreas.insert(unshownAreas.end(), painted, painted + count);
    }
    partialUpdate = false;
}

// The record's areas moved with a view that moved by (dx, dy), and the bands of the screen the
// shift left uncovered, each within the screen.
void addShifted(SDL_Surface* screen, const SDL_Rect* areas, int count, int dx, int dy,
                std::vector<SDL_Rect>* shifted) {
    auto add = [&](int left, int top, int right, int bottom) {
        left = std::max(left, 0);
        top = std::max(top, 0);
        right = std::min(right, screen->w);
        bottom = std::min(bottom, screen->h);
        if (right > left && bottom > top) {
            shifted->push_back({static_cast<Sint16>(left), static_cast<Sint16>(top),
                                static_cast<Uint16>(right - left),
                                static_cast<Uint16>(bottom - top)});
        }
    };
    for (int i = 0; i < count; i++) {
        const SDL_Rect& area = areas[i];
        add(area.x - dx, area.y - dy, area.x + area.w - dx, area.y + area.h - dy);
    }
    if (dx > 0) {
        add(screen->w - dx, 0, screen->w, screen->h);
    } else if (dx < 0) {
        add(0, 0, -dx, screen->h);
    }
    if (dy > 0) {
        add(0, screen->h - dy, screen->w, screen->h);
    } else if (dy < 0) {
        add(0, 0, screen->w, -dy);
    }
}

// Whether painting the background whole would paint every pixel of the screen: only then does
// the screen hold nothing but the background and the record's areas.
bool wholeClip(const SDL_Surface* screen) {
    const SDL_Rect& clip = screen->clip_rect;
    return clip.x == 0 && clip.y == 0 && clip.w == screen->w && clip.h == screen->h;
}

long passesScrolledSoFar = 0;

// What stands still is put back and painted again at the same place each frame: the same area
// twice among the changes. Sent once, the display receives the same picture for half the copying.
void dropRepeatedAreas(std::vector<SDL_Rect>* areas) {
    auto key = [](const SDL_Rect& r) { return std::make_tuple(r.y, r.x, r.w, r.h); };
    std::sort(areas->begin(), areas->end(),
              [&](const SDL_Rect& a, const SDL_Rect& b) { return key(a) < key(b); });
    areas->erase(
        std::unique(areas->begin(), areas->end(),
                    [&](const SDL_Rect& a, const SDL_Rect& b) { return key(a) == key(b); }),
        areas->end());
}

void blitWithSdl(SDL_Surface* source, SDL_Surface* destination, int x, int y, SDL_Rect* clip) {
    SDL_Rect offset;
    offset.x = static_cast<Sint16>(x);
    offset.y = static_cast<Sint16>(y);
    offset.w = 0;
    offset.h = 0;
    // Classic SDL blits a picture without an alpha channel at full surface alpha as an opaque
    // one; sdl12-compat paints nothing of an 8-bit picture (the rendered texts) that way. The
    // plain blit gives classic SDL's pixels on both.
#ifdef __EMSCRIPTEN__
    bool opaqueAlpha = false; // the browser's SDL keeps no surface alpha in the pixel format
#else
    bool opaqueAlpha = source != NULL && (source->flags & SDL_SRCALPHA) != 0 &&
                       source->format->Amask == 0 && source->format->alpha == SDL_ALPHA_OPAQUE;
#endif
    if (opaqueAlpha) {
        SDL_SetAlpha(source, 0, SDL_ALPHA_OPAQUE);
    }
    SDL_UpperBlit(source, clip, destination, &offset);
    if (opaqueAlpha) {
        SDL_SetAlpha(source, SDL_SRCALPHA, SDL_ALPHA_OPAQUE);
    }
}

} // namespace

void Screen::beginPass(bool painted) { passPainted = painted; }

bool Screen::painting() { return passPainted; }

void Screen::paint(SDL_Surface* source, SDL_Surface* destination, int x, int y, SDL_Rect* clip) {
    if (!painting() && destination == Scaler::gameScreen()) {
        return;
    }
    bool recording = source != NULL && destination != NULL && destination == recordedSurface;
    // SDL's own copy of an opaque picture moves a pixel at a time; memcpy of whole rows gives
    // the same bytes several times faster.
    bool copying = FastPaths::enabled && FastDrawing::copiesRowByRow(source, destination);
    // A small sprite costs SDL more in setting up its blit than in blending its pixels.
    bool blending =
        FastPaths::enabled && !copying && FastDrawing::blendsDirectly(source, destination);
    if (recording || copying || blending) {
        SDL_Rect area;
        int srcX, srcY;
        bool lands = FastDrawing::blitArea(source, clip, destination, x, y, &area, &srcX, &srcY);
        if (recording && lands) {
            notePainted(destination, area);
        }
        if (lands && copying) {
            FastDrawing::copyRows(source, srcX, srcY, destination, area);
        } else if (lands && blending) {
            FastDrawing::blendRows(source, srcX, srcY, destination, area);
        }
        if (copying || blending) {
            return;
        }
    }
    blitWithSdl(source, destination, x, y, clip);
}

void Screen::fill(SDL_Surface* surface, SDL_Rect* area, Uint32 colour) {
    if (!painting() && surface == Scaler::gameScreen()) {
        return;
    }
    SDL_Rect filled;
    bool fills = surface != NULL && FastDrawing::fillClip(surface, area, &filled);
    if (fills && surface == recordedSurface) {
        notePainted(surface, filled);
    }
    if (FastPaths::enabled && surface != NULL) {
        if (fills) {
            FastDrawing::fillArea(surface, filled, colour);
        }
    } else {
        SDL_FillRect(surface, area, colour);
    }
}

void Screen::paintBackground(SDL_Surface* screen, const SDL_Rect& view, bool inParts,
                             const PutBack& putBack) {
    // A pass that is not painted leaves the screen as the last painted pass left it, and the
    // record still describes it: the next painted pass puts back and sends only what changed
    // since then, however many passes went unpainted.
    if (!passPainted) {
        return;
    }
    const SDL_Rect* areas;
    int count;
    bool kept = inParts && backgroundKept && recorded(screen, &areas, &count);
    int dx = view.x - backgroundView.x, dy = view.y - backgroundView.y;
    bool restoring = kept && dx == 0 && dy == 0;
    // A view that moved: outside the record's areas the screen holds the background seen from
    // the last view, which is the new one's shifted. Moving it across the screen is much cheaper
    // than copying it afresh out of the large map, and only the areas and the band uncovered
    // need the background put back.
    bool scrolling = kept && !restoring && wholeClip(screen) && FastDrawing::shift(screen, dx, dy);
    if (restoring) {
        putBackAreas.assign(areas, areas + count);
    } else if (scrolling) {
        putBackAreas.clear();
        addShifted(screen, areas, count, dx, dy, &putBackAreas);
        passesScrolledSoFar++;
    }
    // Painting the background must not add to the record: it would be put back again next time.
    stopRecording();
    partialUpdate = restoring;
    if (restoring) {
        // What changes on the display this pass: these areas, put back, and what is painted next.
        changedAreas = putBackAreas;
    }
    putBack(restoring || scrolling ? &putBackAreas : NULL);
    backgroundKept = inParts;
    backgroundView = view;
    if (inParts) {
        // From here until the next painted pass's background, every picture painted on it is
        // noted.
        startRecording(screen);
    }
}

long Screen::passesScrolled() { return passesScrolledSoFar; }

void Screen::showFrame(SDL_Surface* screen) {
    collectChanges(screen);
    // The one look at the window this frame.
    PresentationPath::Target target = PresentationPath::target(screen);
    if (!unshownAll && target.takesAreas) {
        dropRepeatedAreas(&unshownAreas);
        PresentationPath::showAreas(screen, target, unshownAreas.data(),
                                    static_cast<int>(unshownAreas.size()));
    } else {
        PresentationPath::showWhole(screen, target);
    }
    unshownAreas.clear();
    unshownAll = false;
}

void Screen::holdFrame(SDL_Surface* screen) { collectChanges(screen); }

void Screen::invalidate() {
    stopRecording();
    backgroundKept = false;
}
