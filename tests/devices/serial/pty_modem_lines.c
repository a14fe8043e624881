// Preloaded into a program under test (LD_PRELOAD), gives pseudo-terminals the modem lines that
// real serial ports have and ptys lack: TIOCMGET, TIOCMSET, TIOCMBIS, TIOCMBIC and TIOCMIWAIT on a
// pty's terminal side work on two small files in $DRAVEL_PTY_LINES_DIR instead of failing:
//   out  the lines the program switches (DTR, RTS) and the break state of the transmit line
//        (TIOCSBRK/TIOCCBRK, bit 0x10000, which no modem line uses), 4 bytes, written here only
//   in   the lines the far end drives (CTS, DSR, RI, CD), 4 bytes, written by the test
// Every other descriptor and request goes to the real ioctl.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

typedef int (*ioctl_function)(int, unsigned long, ...);

static int real_ioctl(int fd, unsigned long request, void* argument) {
    static ioctl_function next;
    if (!next) next = (ioctl_function)dlsym(RTLD_NEXT, "ioctl");
    return next(fd, request, argument);
}

// Terminal sides of Unix 98 pseudo-terminals have majors 136 to 143.
static int is_pty_terminal(int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 &&
           major(st.st_rdev) <= 143;
}

static int lines_file(const char* name, char* path, size_t size) {
    const char* dir = getenv("DRAVEL_PTY_LINES_DIR");
    if (!dir) return 0;
    snprintf(path, size, "%s/%s", dir, name);
    return 1;
}

static int read_lines(const char* name) {
    char path[4096];
    int lines = 0;
    if (!lines_file(name, path, sizeof path)) return 0;
    FILE* file = fopen(path, "rb");
    if (!file) return 0;
    if (fread(&lines, sizeof lines, 1, file) != 1) lines = 0;
    fclose(file);
    return lines;
}

static void write_output_lines(int lines) {
    char path[4096], temporary[4200];
    if (!lines_file("out", path, sizeof path)) return;
    snprintf(temporary, sizeof temporary, "%s.%d", path, (int)getpid());
    FILE* file = fopen(temporary, "wb");
    if (!file) return;
    fwrite(&lines, sizeof lines, 1, file);
    fclose(file);
    rename(temporary, path);  // readers never see half a value
}

static const int output_mask = TIOCM_DTR | TIOCM_RTS;
static const int break_bit = 0x10000;
static const int input_mask = TIOCM_CTS | TIOCM_DSR | TIOCM_RNG | TIOCM_CD;

static int current_lines(void) {
    return (read_lines("out") & output_mask) | (read_lines("in") & input_mask);
}

// Waits until one of the input lines in mask changes; ends with EIO when the descriptor closes.
static int wait_for_change(int fd, int mask) {
    const int start = current_lines() & mask;
    const struct timespec pause = {0, 5 * 1000 * 1000};
    for (;;) {
        if (fcntl(fd, F_GETFD) < 0) {
            errno = EIO;
            return -1;
        }
        if ((current_lines() & mask) != start) return 0;
        nanosleep(&pause, NULL);
    }
}

int ioctl(int fd, unsigned long request, ...) {
    va_list list;
    va_start(list, request);
    void* argument = va_arg(list, void*);
    va_end(list);
    const int modem = request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS ||
                      request == TIOCMBIC || request == TIOCMIWAIT;
    const int brk = request == TIOCSBRK || request == TIOCCBRK;
    if (!(modem || brk) || !getenv("DRAVEL_PTY_LINES_DIR") || !is_pty_terminal(fd))
        return real_ioctl(fd, request, argument);
    if (brk) {  // the pty takes the break without passing it on: the file shows it
        const int result = real_ioctl(fd, request, argument);
        const int out = read_lines("out");
        if (result == 0)
            write_output_lines(request == TIOCSBRK ? out | break_bit : out & ~break_bit);
        return result;
    }
    if (request == TIOCMIWAIT) return wait_for_change(fd, (int)(long)argument & input_mask);
    if (request == TIOCMGET) {
        *(int*)argument = current_lines();
        return 0;
    }
    const int bits = *(const int*)argument & output_mask;
    const int out = read_lines("out");
    if (request == TIOCMSET) write_output_lines((out & break_bit) | bits);
    if (request == TIOCMBIS) write_output_lines(out | bits);
    if (request == TIOCMBIC) write_output_lines(out & ~bits);
    return 0;
}
