#ifndef FASTPATHS_H
#define FASTPATHS_H

// The one switch of every shortcut the game takes for speed alone: the pixel routines
// (FastDrawing), the HUD's kept number and health-bar pictures, the texts rendered once, the map
// put back only under what was painted and the display sent only what changed. Each shortcut
// gives the same pixels and decisions as the plain way; the switch is what lets a test prove it.
class FastPaths {
public:
    // On in the game and in the browser build (whose pictures are drawn in the wasm heap, as
    // here); off for the identity test's plain run and the benchmark's --plain.
    static bool enabled;
};

#endif
