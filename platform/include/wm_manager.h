// Plain container: the root of each page area and the client area of dialogs.
// A width or height of 0 stands for the screen's, filled in at first use.
#ifndef WM_MANAGER_H
#define WM_MANAGER_H

#include "wm_screen_object.h"

class WM_MANAGER : public WM_SCREEN_OBJECT {
 public:
  WM_MANAGER();
  ~WM_MANAGER() override;
  void set_size(INT_S16 new_width, INT_S16 new_height, INT_U8 ignored) override;
  INT_U8 can_focus() override;
  INT_S16 get_width() override;
  INT_S16 get_height() override;
  void render() override;
  void draw() override;

 private:
  void fill_screen_size();
};

#endif
