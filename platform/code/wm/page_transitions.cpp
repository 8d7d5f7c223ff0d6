// Page switches for the transition codes. The animated forms come with the
// image effects they need; until then each switches at once.
#include "page_manager.h"

void fade_to_grey(PAGE_MANAGER*) {}
void fade_to_black(PAGE_MANAGER*) {}
void switch_colour_in(PAGE_MANAGER* manager, INT_S32 area) { manager->switch_pages(area); }
void switch_fade_in(PAGE_MANAGER* manager, INT_S32 area) { manager->switch_pages(area); }
void switch_cross_fade(PAGE_MANAGER* manager, INT_S32 area) { manager->switch_pages(area); }
void switch_grey_out_colour_in(PAGE_MANAGER* manager, INT_S32 area) {
  manager->switch_pages(area);
}
void switch_black_out_fade_in(PAGE_MANAGER* manager, INT_S32 area) {
  manager->switch_pages(area);
}
