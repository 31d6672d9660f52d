#ifndef INPUT_H
#define INPUT_H

#include <SDL/SDL.h>

// The outside world as the level reads it: events, held keys and the mouse (the clock is read
// through Timer::setClock). Where they come from is a source, SDL's own unless a recording is
// being played back (Playback); a listener hears every reading as the game got it, which is all a
// recorder needs. New reads of the outside world in the level go through here too, or playbacks
// drift.
class Input {
public:
    class Source {
    public:
        virtual ~Source() {}
        virtual int pollEvent(SDL_Event* event) = 0;
        virtual Uint8* keyState() = 0;
        virtual Uint8 mouseState(int* x, int* y) = 0;
    };
    class Listener {
    public:
        virtual ~Listener() {}
        virtual void heardEvent(const SDL_Event& event) = 0;
        virtual void heardMouse(int x, int y, Uint8 buttons) = 0;
    };

    // SDL's own: the desktop's events (VideoMode::pollEvent: the full-screen switch taken out,
    // the gamepad turned into the keyboard and mouse it stands for), SDL's key-state array and
    // pointer.
    class Live : public Source {
    public:
        int pollEvent(SDL_Event* event) override;
        Uint8* keyState() override;
        Uint8 mouseState(int* x, int* y) override;
    };

    static int pollEvent(SDL_Event* event);
    static Uint8* keyState();
    static Uint8 mouseState(int* x, int* y);
    // null: SDL's own again; no listener.
    static void setSource(Source* source);
    static void setListener(Listener* listener);

    // The events the level acts on, and so the ones a recording keeps. SDL_Event::type is a byte
    // in SDL 1.2 and wider where the numbers are SDL 2's, so the event is compared as it is.
    static bool isGameEvent(const SDL_Event& event);

private:
    static Live live;
    static Source* source;
    static Listener* listener;
};

#endif
