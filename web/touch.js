// Touch controls for phones and tablets: a twin-stick layout over the picture. They give the game
// the keyboard and mouse input a desktop gives, as DOM events on the canvas, which the browser's
// SDL takes in through its own listeners; the game cannot tell them from a player at a desk.
//
// The left stick appears where the left thumb lands and holds W, A, S, D (two at once on the
// diagonals); the right stick places the pointer around the player in its direction and holds
// the left button while it is pushed past its dead zone. The buttons hold their keys while
// touched; Leave asks for a second tap, then gives the right click that leaves the level.
(function() {
    'use strict';
    // Phones and tablets only: a desktop with a mouse, even one with a touch screen, keeps its
    // mouse.
    if (!(navigator.maxTouchPoints > 0 && matchMedia('(pointer: coarse)').matches)) return;
    document.body.classList.add('touch');

    const W = 1080, H = 720;
    const DEAD_ZONE = 14; // page pixels of thumb travel before a stick acts
    const REACH = 48;     // page pixels at which the knob stops following the thumb
    // The player stands where the pointer is mirrored through the picture's middle, so its centre
    // is (1105, 745) minus the pointer; a pointer this far from (552.5, 372.5) is twice as far from
    // the player, ample to tell the 36 headings (10 degrees) apart.
    const AIM_X = 552.5, AIM_Y = 372.5, AIM_RADIUS = 150;
    const KEY_W = 87, KEY_A = 65, KEY_S = 83, KEY_D = 68;
    const canvas = document.getElementById('canvas');
    const layer = document.getElementById('touch');
    // Pause, beside Leave: P to the game, which pauses and plays on.
    const pause = document.createElement('button');
    pause.dataset.key = '80';
    pause.id = 'pause-button';
    pause.textContent = 'Pause';
    pause.style.left = '12px';
    pause.style.top = '80px';
    layer.appendChild(pause);

    const held = {};
    function key(code, down) {
        if (!!held[code] === down) return;
        held[code] = down;
        const e = new KeyboardEvent(down ? 'keydown' : 'keyup', { bubbles: true, cancelable: true });
        // The browser's SDL reads the legacy key code, which constructed events leave at 0.
        Object.defineProperty(e, 'keyCode', { value: code });
        Object.defineProperty(e, 'which', { value: code });
        canvas.dispatchEvent(e);
    }
    // (x, y) in the game's own pixels, wherever and however large the canvas is shown.
    function mouse(type, x, y, button) {
        const r = canvas.getBoundingClientRect();
        canvas.dispatchEvent(new MouseEvent(type, {
            bubbles: true, cancelable: true, button: button,
            clientX: r.left + x * r.width / W, clientY: r.top + y * r.height / H }));
    }

    let firing = false, aimX = W / 2, aimY = H / 2;
    const sticks = {
        walk: { el: document.getElementById('walk-stick'), id: null, x: 0, y: 0,
                move(dx, dy, length) {
                    // Each key covers 134 degrees around its direction: 8 ways, as on a keypad.
                    const on = length >= DEAD_ZONE, edge = 0.4 * length;
                    key(KEY_D, on && dx > edge);
                    key(KEY_A, on && dx < -edge);
                    key(KEY_S, on && dy > edge);
                    key(KEY_W, on && dy < -edge);
                } },
        aim: { el: document.getElementById('aim-stick'), id: null, x: 0, y: 0,
               move(dx, dy, length) {
                   const on = length >= DEAD_ZONE;
                   if (on) {
                       aimX = AIM_X + AIM_RADIUS * dx / length;
                       aimY = AIM_Y + AIM_RADIUS * dy / length;
                       mouse('mousemove', aimX, aimY, 0);
                   }
                   if (on !== firing) {
                       firing = on;
                       mouse(on ? 'mousedown' : 'mouseup', aimX, aimY, 0);
                   }
               } },
    };
    function place(stick, dx, dy) {
        const length = Math.hypot(dx, dy);
        const k = length > REACH ? REACH / length : 1;
        stick.el.firstElementChild.style.transform = `translate(${dx * k}px, ${dy * k}px)`;
        stick.move(dx, dy, length);
    }

    let leaveArmed = 0;
    function press(button, down) {
        button.classList.toggle('held', down);
        if (button.dataset.key) {
            key(+button.dataset.key, down);
        } else if (down && 'leave' in button.dataset) {
            // A stray thumb must not end the game: the first tap only asks.
            if (Date.now() - leaveArmed < 3000) {
                mouse('mousedown', aimX, aimY, 2);
                mouse('mouseup', aimX, aimY, 2);
            } else {
                leaveArmed = Date.now();
                button.classList.add('armed');
                button.textContent = 'Sure?';
                setTimeout(() => {
                    button.classList.remove('armed');
                    button.textContent = 'Leave';
                }, 3000);
            }
        }
    }

    function start(e) {
        e.preventDefault();
        for (const t of e.changedTouches) {
            const button = t.target.closest && t.target.closest('button');
            if (button) {
                press(button, true);
                continue;
            }
            const stick = t.clientX < innerWidth * 0.45 ? sticks.walk : sticks.aim;
            if (stick.id !== null) continue;
            stick.id = t.identifier;
            stick.x = t.clientX;
            stick.y = t.clientY;
            stick.el.style.left = `${t.clientX}px`;
            stick.el.style.top = `${t.clientY}px`;
            stick.el.style.display = 'block';
            place(stick, 0, 0);
        }
    }
    function moveTouches(e) {
        e.preventDefault();
        for (const t of e.changedTouches) {
            for (const stick of Object.values(sticks)) {
                if (stick.id === t.identifier) place(stick, t.clientX - stick.x, t.clientY - stick.y);
            }
        }
    }
    function end(e) {
        e.preventDefault();
        for (const t of e.changedTouches) {
            const button = t.target.closest && t.target.closest('button');
            if (button) press(button, false);
            for (const stick of Object.values(sticks)) {
                if (stick.id !== t.identifier) continue;
                place(stick, 0, 0);
                stick.id = null;
                stick.el.style.display = 'none';
            }
        }
    }
    layer.addEventListener('touchstart', start, { passive: false });
    layer.addEventListener('touchmove', moveTouches, { passive: false });
    layer.addEventListener('touchend', end, { passive: false });
    layer.addEventListener('touchcancel', end, { passive: false });
})();
