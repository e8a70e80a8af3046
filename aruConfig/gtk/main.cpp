// The aruConfig program: the configuration dialog of the game's display settings, on GTK 3.
// It needs a display; without one it says so and ends with a failure status.
#include <gtk/gtk.h>

#include <cstdio>

#include "gtk/config_window.h"

int main(int argc, char** argv) {
  if (!gtk_init_check(&argc, &argv)) {
    std::fprintf(stderr, "aruConfig: no display could be opened; the configuration dialog needs one.\n");
    return 1;
  }
  aruconfig::ConfigWindow window;
  return window.Run();
}
