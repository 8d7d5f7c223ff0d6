// The "Please Wait" window: undecorated, exactly the picture's size.
#include "image.h"
#include "window.h"
#include "x11_platform.h"

volatile Window please_wait_window = 0;

void show_please_wait(IMAGE* picture) {
  if (!picture) return;
  WINDOW_REQUEST request = {"Please Wait", static_cast<INT_S16>(picture->width), static_cast<INT_S16>(picture->height),
                            0,             65535,
                            65535,         65535,
                            65535,         1};
  open_window(&request, 0);
  please_wait_window = x11.window;
  IMAGE* screen = get_screen_image(0);
  if (!screen || !screen->pixels) return;
  screen->set_clip(0, 0, static_cast<INT_S16>(screen->width - 1), static_cast<INT_S16>(screen->height - 1));
  picture->draw_to(0, 0, screen, BLIT_COPY);
  swap_screens(-1);
}
