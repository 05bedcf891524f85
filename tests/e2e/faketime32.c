/* A wall clock of the test's choosing for 32-bit Wine, preloaded like
 * libfaketime (whose i386 build misses the 64-bit-time calls that Wine uses).
 * It reads the same settings: FAKETIME="@YYYY-MM-DD hh:mm:ss" (local time),
 * or FAKETIME_TIMESTAMP_FILE holding that text, read again whenever the file
 * is replaced when FAKETIME_NO_CACHE=1. As there, the clock shows that time
 * when the setting is read (at start, or when the file changes) and then
 * runs in real time. Only the wall
 * clock moves: monotonic clocks and file times stay real.
 * Built by scripts/e2e.sh: gcc -m32 -shared -fPIC -O2 faketime32.c -ldl */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <pthread.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>

struct ts64 { int64_t sec; int32_t nsec, pad; };
struct tv64 { int64_t sec; int64_t usec; };

static int (*real_gettime64)(clockid_t, struct ts64 *);
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
static int64_t offset_ns;      /* fake minus real; 0 without a setting */
static int reread;             /* FAKETIME_NO_CACHE: follow the file */
static const char *file;
static struct stat seen;       /* the file as last read */

static int64_t real_ns(clockid_t clock) {
    struct ts64 t = {0};
    real_gettime64(clock, &t);
    return t.sec * 1000000000LL + t.nsec;
}

/* "@2026-12-07 10:59:55" in the process's TZ; 0 when it does not parse. */
static int parse(const char *text, int64_t *ns) {
    struct tm tm = {0};
    if (!text || text[0] != '@' ||
        sscanf(text + 1, "%d-%d-%d %d:%d:%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &tm.tm_hour,
               &tm.tm_min, &tm.tm_sec) != 6)
        return 0;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    tm.tm_isdst = -1;
    *ns = (int64_t)mktime(&tm) * 1000000000LL;
    return 1;
}

static void read_file(void) {
    struct stat now;
    if (stat(file, &now) != 0 || (now.st_ino == seen.st_ino && now.st_mtime == seen.st_mtime &&
                                  now.st_size == seen.st_size && seen.st_ino))
        return;
    char text[128] = {0};
    FILE *f = fopen(file, "r");
    if (!f)
        return;
    size_t n = fread(text, 1, sizeof text - 1, f);
    fclose(f);
    text[n] = 0;
    int64_t fake;
    if (parse(text, &fake)) {
        offset_ns = fake - real_ns(CLOCK_REALTIME);
        seen = now;
    }
}

__attribute__((constructor)) static void init(void) {
    real_gettime64 = dlsym(RTLD_NEXT, "__clock_gettime64");
    file = getenv("FAKETIME_TIMESTAMP_FILE");
    const char *cache = getenv("FAKETIME_NO_CACHE");
    reread = cache && strcmp(cache, "1") == 0;
    int64_t fake;
    if (file)
        read_file();
    else if (parse(getenv("FAKETIME"), &fake))
        offset_ns = fake - real_ns(CLOCK_REALTIME);
}

static int64_t wall_ns(void) {
    pthread_mutex_lock(&lock);
    if (file && reread)
        read_file();
    int64_t offset = offset_ns;
    pthread_mutex_unlock(&lock);
    return real_ns(CLOCK_REALTIME) + offset;
}

static int is_wall(clockid_t clock) { return clock == CLOCK_REALTIME || clock == CLOCK_REALTIME_COARSE; }

int __clock_gettime64(clockid_t clock, struct ts64 *tp) {
    if (!is_wall(clock))
        return real_gettime64(clock, tp);
    int64_t ns = wall_ns();
    tp->sec = ns / 1000000000LL;
    tp->nsec = (int32_t)(ns % 1000000000LL);
    return 0;
}

int clock_gettime(clockid_t clock, struct timespec *tp) {
    struct ts64 t;
    int r = __clock_gettime64(clock, &t);
    tp->tv_sec = (time_t)t.sec;
    tp->tv_nsec = t.nsec;
    return r;
}

int __gettimeofday64(struct tv64 *tv, void *tz) {
    (void)tz;
    if (tv) {
        int64_t ns = wall_ns();
        tv->sec = ns / 1000000000LL;
        tv->usec = ns % 1000000000LL / 1000;
    }
    return 0;
}

int gettimeofday(struct timeval *tv, void *tz) {
    (void)tz;
    if (tv) {
        int64_t ns = wall_ns();
        tv->tv_sec = (time_t)(ns / 1000000000LL);
        tv->tv_usec = ns % 1000000000LL / 1000;
    }
    return 0;
}

int64_t __time64(int64_t *t) {
    int64_t s = wall_ns() / 1000000000LL;
    if (t)
        *t = s;
    return s;
}

time_t time(time_t *t) {
    time_t s = (time_t)__time64(NULL);
    if (t)
        *t = s;
    return s;
}
