/* A virtual Xbox-style pad made through /dev/uinput, with the axes and buttons the Linux xpad
 * driver gives a real one, so that a test can drive the game through the kernel's and SDL's own
 * joystick path. Once the pad's device node is there it prints its path; then it reads lines
 * from standard input, "abs CODE VALUE", "key CODE VALUE" (the kernel's event codes) or
 * "sleep MS", and removes the pad at the end of the input.
 *
 * Exits 77 (a skipped test) where no virtual device can be made or its node never appears. */
#include <fcntl.h>
#include <linux/uinput.h>
#include <stdio.h>
#include <string.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

static const int STICKS[] = {ABS_X, ABS_Y, ABS_RX, ABS_RY};
static const int TRIGGERS[] = {ABS_Z, ABS_RZ};
static const int HATS[] = {ABS_HAT0X, ABS_HAT0Y};
static const int BUTTONS[] = {BTN_A,      BTN_B,     BTN_X,    BTN_Y,      BTN_TL,    BTN_TR,
                              BTN_SELECT, BTN_START, BTN_MODE, BTN_THUMBL, BTN_THUMBR};

static void emit(int fd, int type, int code, int value) {
    struct input_event event;
    memset(&event, 0, sizeof event);
    event.type = (unsigned short)type;
    event.code = (unsigned short)code;
    event.value = value;
    if (write(fd, &event, sizeof event) != (ssize_t)sizeof event) {
        perror("virtual pad: write");
    }
}

static void axis(int fd, struct uinput_user_dev* dev, int code, int min, int max) {
    ioctl(fd, UI_SET_ABSBIT, code);
    dev->absmin[code] = min;
    dev->absmax[code] = max;
}

static void sleep_ms(long ms) {
    struct timespec t = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&t, NULL);
}

int main(void) {
    int fd = open("/dev/uinput", O_WRONLY | O_NONBLOCK);
    if (fd < 0) {
        perror("virtual pad: skipped: /dev/uinput");
        return 77;
    }
    struct uinput_user_dev dev;
    memset(&dev, 0, sizeof dev);
    snprintf(dev.name, UINPUT_MAX_NAME_SIZE, "Dead Acre test pad");
    dev.id.bustype = BUS_USB;
    dev.id.vendor = 0x045e; /* the pad the xpad driver knows best */
    dev.id.product = 0x028e;
    ioctl(fd, UI_SET_EVBIT, EV_KEY);
    ioctl(fd, UI_SET_EVBIT, EV_ABS);
    for (size_t i = 0; i < sizeof BUTTONS / sizeof BUTTONS[0]; i++) {
        ioctl(fd, UI_SET_KEYBIT, BUTTONS[i]);
    }
    for (size_t i = 0; i < 4; i++) {
        axis(fd, &dev, STICKS[i], -32768, 32767);
    }
    for (size_t i = 0; i < 2; i++) {
        axis(fd, &dev, TRIGGERS[i], 0, 255);
        axis(fd, &dev, HATS[i], -1, 1);
    }
    char sysname[64] = "";
    if (write(fd, &dev, sizeof dev) != (ssize_t)sizeof dev || ioctl(fd, UI_DEV_CREATE) < 0 ||
        ioctl(fd, UI_GET_SYSNAME(sizeof sysname), sysname) < 0) {
        perror("virtual pad: skipped: the pad could not be made");
        return 77;
    }
    /* Without udev nothing may make the node: devtmpfs does, where /dev is one. */
    char node[160] = "";
    for (int tries = 0; tries < 40 && node[0] == '\0'; tries++) {
        for (int k = 0; k < 64 && node[0] == '\0'; k++) {
            char path[160];
            snprintf(path, sizeof path, "/sys/devices/virtual/input/%s/event%d", sysname, k);
            if (access(path, F_OK) == 0) {
                snprintf(path, sizeof path, "/dev/input/event%d", k);
                if (access(path, R_OK) == 0) {
                    snprintf(node, sizeof node, "%s", path);
                }
            }
        }
        if (node[0] == '\0') {
            sleep_ms(50);
        }
    }
    if (node[0] == '\0') {
        fprintf(stderr, "virtual pad: skipped: no /dev/input node appeared for %s\n", sysname);
        ioctl(fd, UI_DEV_DESTROY);
        return 77;
    }
    printf("%s\n", node);
    fflush(stdout);

    char line[128], word[16];
    int code, value;
    while (fgets(line, sizeof line, stdin) != NULL) {
        if (sscanf(line, "sleep %d", &value) == 1) {
            sleep_ms(value);
        } else if (sscanf(line, "%15s %d %d", word, &code, &value) == 3) {
            emit(fd, strcmp(word, "abs") == 0 ? EV_ABS : EV_KEY, code, value);
            emit(fd, EV_SYN, SYN_REPORT, 0);
        }
    }
    ioctl(fd, UI_DEV_DESTROY);
    close(fd);
    return 0;
}
