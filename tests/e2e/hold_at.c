// Preloaded into the client by the start-up interrupt case: the first call
// of the library function named by ZIB_HOLD_AT waits until the pipe
// ZIB_HOLD_PIPE is opened for writing and then closed, so that the case can
// send a signal while the client is exactly there. Without the two variables
// every call goes straight through.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static void hold_at(const char* name) {
  static int held;
  const char* at = getenv("ZIB_HOLD_AT");
  const char* pipe = getenv("ZIB_HOLD_PIPE");
  if (held || !at || !pipe || strcmp(at, name) != 0) return;
  held = 1;
  int fd = open(pipe, O_RDONLY);
  if (fd < 0) return;
  char c;
  while (read(fd, &c, 1) > 0) {
  }
  close(fd);
}

// Inside allegro_init, after the library has put its signal handlers in.
struct _XDisplay;
struct _XDisplay* XOpenDisplay(const char* name) {
  hold_at("XOpenDisplay");
  struct _XDisplay* (*next)(const char*) =
      (struct _XDisplay * (*)(const char*)) dlsym(RTLD_NEXT, "XOpenDisplay");
  return next(name);
}

// After allegro_init, before the client's handler is in.
int install_timer(void) {
  hold_at("install_timer");
  int (*next)(void) = (int (*)(void))dlsym(RTLD_NEXT, "install_timer");
  return next();
}

// After the client's handler is in, before quitting is on.
int install_sound(int digi, int midi, const char* cfg_path) {
  hold_at("install_sound");
  int (*next)(int, int, const char*) =
      (int (*)(int, int, const char*))dlsym(RTLD_NEXT, "install_sound");
  return next(digi, midi, cfg_path);
}
