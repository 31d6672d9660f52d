#ifndef SOUNDDEVICE_H
#define SOUNDDEVICE_H

// The sound output: SDL's audio and the mixer brought up, or the game told in one line that it
// plays without sound. A machine without a sound card is common (servers, containers, remote
// desktops), and what libasound prints there on its own is noise the player cannot act on.
class SoundDevice {
public:
    // Opens audio for the mixer; true when there is sound.
    static bool open();
};

#endif
