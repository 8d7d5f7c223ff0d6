// The display connection, the top-level window and the presentation of the
// screen image.
#include "window.h"

#include <X11/Xatom.h>
#include <X11/xpm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <time.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app.h"
#include "clipboard.h"
#include "clock.h"
#include "console.h"
#include "errors.h"
#include "image.h"
#include "input.h"
#include "wm_globals.h"
#include "x11_platform.h"

#include <X11/extensions/XShm.h>  // after Xlib, which it needs

IMAGE* get_screen_image(INT_U16 display) { return display == 0 ? platform_screen_image() : nullptr; }

INT_U16 get_screen_width(INT_U16 display) { return display == 0 ? platform_screen_image()->width : 0; }
INT_U16 get_screen_height(INT_U16 display) { return display == 0 ? platform_screen_image()->height : 0; }

bool is_window_open(INT_U16 display) { return display == 0 && x11.window != 0; }
INT_S32 has_window() { return x11.window ? -1 : 0; }
INT_U8 is_full_screen() { return x11.full_screen; }

void set_window_title(const char* text, INT_U16 display) {
  if (display != 0 || !x11.display || !x11.window) return;
  char* list[1] = {const_cast<char*>(text ? text : "")};
  XTextProperty property;
  if (!XStringListToTextProperty(list, 1, &property)) return;
  XSetWMIconName(x11.display, x11.window, &property);
  XSetWMName(x11.display, x11.window, &property);
  XFree(property.value);
}

// ---------------------------------------------------------------- grabs

void grab_input() {
  if (!x11.display || !x11.window) return;
  x11.keyboard_grabbed =
      XGrabKeyboard(x11.display, x11.window, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
  XGrabPointer(x11.display, x11.window, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
               GrabModeAsync, GrabModeAsync, x11.window, None, CurrentTime);
}

void release_input() {
  if (!x11.display) return;
  XUngrabPointer(x11.display, CurrentTime);
  XUngrabKeyboard(x11.display, CurrentTime);
  x11.keyboard_grabbed = 0;
}

void release_input_grabs() {
  if (!x11.full_screen) return;
  release_input();
  XFlush(x11.display);
}

// ---------------------------------------------------------------- the icon

// The built-in window icon: a 70 x 70 picture of four coloured quarters in a
// dark frame, generated once.
static char** default_icon_xpm() {
  static std::vector<std::string> lines;
  static std::vector<char*> pointers;
  if (pointers.empty()) {
    const int size = 70;
    lines.push_back("70 70 6 2");
    lines.push_back("   c None");
    lines.push_back("k  c #202020");
    lines.push_back("r  c #E03020");
    lines.push_back("g  c #30B040");
    lines.push_back("b  c #2050E0");
    lines.push_back("w  c #F0F0F0");
    for (int y = 0; y < size; ++y) {
      std::string row;
      for (int x = 0; x < size; ++x) {
        const char* px;
        if (x < 3 || y < 3 || x >= size - 3 || y >= size - 3) px = "k ";
        else if (y < size / 2) px = x < size / 2 ? "r " : "g ";
        else px = x < size / 2 ? "b " : "w ";
        row += px;
      }
      lines.push_back(row);
    }
    for (std::string& l : lines) pointers.push_back(&l[0]);
  }
  return pointers.data();
}

static void set_window_icon() {
  char** xpm = (APPLICATION_INFO.icon_xpm && APPLICATION_INFO.icon_xpm[0])
                   ? const_cast<char**>(APPLICATION_INFO.icon_xpm)
                   : default_icon_xpm();
  Pixmap icon = 0, mask = 0;
  if (XpmCreatePixmapFromData(x11.display, DefaultRootWindow(x11.display), xpm, &icon, &mask, nullptr) != XpmSuccess)
    return;  // a damaged picture leaves the window without an icon
  XWMHints* hints = XAllocWMHints();
  if (!hints) return;
  hints->flags = IconPixmapHint | (mask ? IconMaskHint : 0);
  hints->icon_pixmap = icon;
  hints->icon_mask = mask;
  XSetWMHints(x11.display, x11.window, hints);
  XFree(hints);
}

// ---------------------------------------------------------------- open

static Atom existing_atom(const char* name) { return XInternAtom(x11.display, name, True); }

static void delete_decoration_hints() {
  static const char* const names[] = {"_MOTIF_WM_HINTS", "KWM_WIN_DECORATION", "_WIN_HINTS"};
  for (const char* name : names)
    if (Atom a = existing_atom(name)) XDeleteProperty(x11.display, x11.window, a);
  x11.decoration_hints = 0;
}

static void put_decoration_hints() {
  if (Atom a = existing_atom("_MOTIF_WM_HINTS")) {
    long words[5] = {2, 0, 0, 0, 0};
    XChangeProperty(x11.display, x11.window, a, a, 32, PropModeReplace, reinterpret_cast<unsigned char*>(words), 5);
  }
  static const char* const single[] = {"KWM_WIN_DECORATION", "_WIN_HINTS"};
  for (const char* name : single)
    if (Atom a = existing_atom(name)) {
      long word = 0;
      XChangeProperty(x11.display, x11.window, a, a, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&word), 1);
    }
  x11.decoration_hints = 1;
}

static void set_size_hints(int width, int height) {
  XSizeHints* hints = XAllocSizeHints();
  if (!hints) return;
  hints->flags = PMinSize | PMaxSize | PBaseSize;
  hints->min_width = hints->max_width = hints->base_width = width;
  hints->min_height = hints->max_height = hints->base_height = height;
  XSetWMNormalHints(x11.display, x11.window, hints);
  XFree(hints);
}

static bool open_display() {
  x11.display = XOpenDisplay(nullptr);
  if (!x11.display) return false;
  // A fresh server may not know CLIPBOARD yet: made here, or the clipboard
  // would stay dead for the whole run.
  x11.clipboard = XInternAtom(x11.display, "CLIPBOARD", False);
  x11.text = XInternAtom(x11.display, "TEXT", False);
  x11.compound_text = XInternAtom(x11.display, "COMPOUND_TEXT", False);
  x11.utf8_string = XInternAtom(x11.display, "UTF8_STRING", False);
  x11.targets = XInternAtom(x11.display, "TARGETS", False);
  int opcode = 0, event_base = 0, error_base = 0;
  x11.glx_opcode = XQueryExtension(x11.display, "GLX", &opcode, &event_base, &error_base) ? opcode : 0;
  load_keycode_map(x11.display);
  // The desktop video mode, when the server can switch modes at all. A
  // server without the extension still gets windows, never a mode switch.
  int vm_event = 0, vm_error = 0;
  x11.has_vidmode = XF86VidModeQueryExtension(x11.display, &vm_event, &vm_error) ? 1 : 0;
  x11.has_desktop_mode = 0;
  if (x11.has_vidmode) {
    int dot_clock = 0;
    XF86VidModeModeLine line;
    if (!XF86VidModeGetModeLine(x11.display, DefaultScreen(x11.display), &dot_clock, &line)) {
      XCloseDisplay(x11.display);
      x11.display = nullptr;
      return false;
    }
    if (line.privsize > 0 && line.c_private) XFree(line.c_private);
    XF86VidModeModeInfo& mode = x11.desktop_mode;
    memset(&mode, 0, sizeof mode);
    mode.dotclock = static_cast<unsigned>(dot_clock);
    mode.hdisplay = line.hdisplay;
    mode.hsyncstart = line.hsyncstart;
    mode.hsyncend = line.hsyncend;
    mode.htotal = line.htotal;
    mode.hskew = line.hskew;
    mode.vdisplay = line.vdisplay;
    mode.vsyncstart = line.vsyncstart;
    mode.vsyncend = line.vsyncend;
    mode.vtotal = line.vtotal;
    mode.flags = line.flags;
    x11.has_desktop_mode = 1;
  }
  return true;
}

// Switches to the first video mode of exactly width x height. Returns -1 when
// the server lists no modes at all, 1 when it switched, 0 otherwise.
static int switch_video_mode(int width, int height) {
  if (!x11.has_vidmode) return 0;
  int count = 0;
  XF86VidModeModeInfo** modes = nullptr;
  if (!XF86VidModeGetAllModeLines(x11.display, DefaultScreen(x11.display), &count, &modes) || count < 1) {
    if (modes) XFree(modes);
    return -1;
  }
  int result = 0;
  for (int i = 0; i < count; ++i) {
    if (modes[i]->hdisplay == width && modes[i]->vdisplay == height) {
      XF86VidModeSwitchToMode(x11.display, DefaultScreen(x11.display), modes[i]);
      XF86VidModeSetViewPort(x11.display, DefaultScreen(x11.display), 0, 0);
      XF86VidModeLockModeSwitch(x11.display, DefaultScreen(x11.display), 1);
      XFlush(x11.display);
      result = 1;
      break;
    }
  }
  XFree(modes);
  return result;
}

static int mask_shift(unsigned long mask) {
  int shift = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

static int mask_width(unsigned long mask) {
  mask >>= mask_shift(mask);
  int width = 0;
  while (mask & 1) {
    mask >>= 1;
    ++width;
  }
  return width;
}

// How frames reach the server. SEGMENT: the screen image's pixels live in a
// segment the server reads itself, their layout being the server's
// (XShmPutImage, no copy). SHARED: converted into such a segment.
// BORROWED: the XImage lies over the screen image's own pixels, whose layout
// is the server's (XPutImage, no copy). COPIED: converted into the XImage's
// own buffer (XPutImage).
enum PRESENTATION { PRESENT_COPIED, PRESENT_BORROWED, PRESENT_SHARED, PRESENT_SEGMENT };
static PRESENTATION presentation = PRESENT_COPIED;
static XShmSegmentInfo shm_segment;
static int shm_opcode = 0;         // the extension's major opcode while an attach is checked
static bool shm_refused = false;   // the attach raised an error

INT_U8 x11_shared_memory_allowed = 1;

const char* x11_presentation_kind() {
  if (!x11.ximage) return "none";
  switch (presentation) {
    case PRESENT_SEGMENT: return "segment";
    case PRESENT_SHARED: return "shared";
    case PRESENT_BORROWED: return "borrowed";
    default: return "copied";
  }
}

static INT_U32* segment_pixels() { return reinterpret_cast<INT_U32*>(shm_segment.shmaddr); }

// The screen image's pixels are still the segment, rows as the XImage has them.
static bool screen_in_segment() {
  const IMAGE* s = platform_screen_image();
  return presentation == PRESENT_SEGMENT && x11.ximage && segment_pixels() && s->pixels == segment_pixels() &&
         x11.ximage->width == s->pitch && x11.ximage->height == s->height;
}

// Gives the screen image heap pixels again, with the segment's contents: the
// image frees its pixels itself when it is resized or destroyed.
static void take_back_screen_pixels() {
  IMAGE* s = platform_screen_image();
  if (!segment_pixels() || s->pixels != segment_pixels()) return;
  const size_t bytes = static_cast<size_t>(s->pitch) * s->height * sizeof(INT_U32);
  INT_U32* own = static_cast<INT_U32*>(malloc(bytes ? bytes : 1));
  if (own) {
    memcpy(own, s->pixels, bytes);
  } else {
    // No memory for them: the image is left empty rather than over memory
    // that is about to go.
    s->width = s->height = 0;
    s->pitch = 0;
    s->clip_left = s->clip_right = s->clip_top = s->clip_bottom = -1;
  }
  s->pixels = own;
}

// At exit the screen image's destructor frees its pixels: they must not be
// the segment then. No request is made here (a forked child, or a
// connection already gone); the server lets go of the segment when the
// connection closes, and the segment, marked for removal, goes with it.
static void release_segment_at_exit() {
  if (presentation != PRESENT_SEGMENT || !segment_pixels()) return;
  take_back_screen_pixels();
  if (x11.ximage) x11.ximage->data = nullptr;
  shmdt(shm_segment.shmaddr);
  shm_segment.shmaddr = nullptr;
}

// Detaches what the XImage does not own, then destroys it.
static void destroy_ximage() {
  if (!x11.ximage) return;
  if (presentation == PRESENT_SHARED || presentation == PRESENT_SEGMENT) {
    if (presentation == PRESENT_SEGMENT) take_back_screen_pixels();
    XShmDetach(x11.display, &shm_segment);
    XSync(x11.display, False);  // the server lets go before the segment goes
    x11.ximage->data = nullptr;
    if (shm_segment.shmaddr) shmdt(shm_segment.shmaddr);
    shm_segment = XShmSegmentInfo{};
  } else if (presentation == PRESENT_BORROWED) {
    x11.ximage->data = nullptr;  // the screen image's pixels: XDestroyImage would free them
  }
  XDestroyImage(x11.ximage);  // frees a buffer of its own too
  x11.ximage = nullptr;
  presentation = PRESENT_COPIED;
}

static void free_presentation() {
  destroy_ximage();
  if (x11.gc) {
    XFreeGC(x11.display, x11.gc);
    x11.gc = nullptr;
  }
}

static int note_shm_error(Display* display, XErrorEvent* error) {
  if (shm_opcode != 0 && error->request_code == shm_opcode) {
    shm_refused = true;
    return 0;
  }
  return handle_x_error(display, error);
}

// The server maps a segment by its id in its own machine's table, so the
// extension only serves a server on this machine: a display named without a
// host (":0", "unix:0").
static bool display_is_local() {
  const char* name = DisplayString(x11.display);
  if (!name) return false;
  const char* colon = strrchr(name, ':');
  if (!colon) return false;
  const std::string host(name, static_cast<size_t>(colon - name));
  return host.empty() || host == "unix";
}

// An XImage in a shared segment the server has attached; null when the
// extension is missing, refused or unusable here, or when its rows would not
// be `row_bytes` apart (0: any distance).
static XImage* create_shared_image(Visual* visual, int depth, int width, int height, int row_bytes = 0) {
  int major = 0, minor = 0;
  Bool pixmaps = False;
  int opcode = 0, first_event = 0, first_error = 0;
  if (!x11_shared_memory_allowed || !display_is_local() ||
      !XQueryExtension(x11.display, "MIT-SHM", &opcode, &first_event, &first_error) ||
      !XShmQueryVersion(x11.display, &major, &minor, &pixmaps))
    return nullptr;
  // The server reads the segment in its own byte order; ours must be it.
  if (ImageByteOrder(x11.display) != LSBFirst) return nullptr;
  // The image keeps a pointer to the segment's record: it lives as long.
  XShmSegmentInfo& segment = shm_segment;
  segment = XShmSegmentInfo{};
  XImage* image = XShmCreateImage(x11.display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &segment,
                                  static_cast<unsigned>(width), static_cast<unsigned>(height));
  if (!image) return nullptr;
  if (row_bytes != 0 && image->bytes_per_line != row_bytes) {
    XDestroyImage(image);
    return nullptr;
  }
  const size_t size = static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(height);
  segment.shmid = shmget(IPC_PRIVATE, size ? size : 1, IPC_CREAT | 0600);
  if (segment.shmid < 0) {
    XDestroyImage(image);
    return nullptr;
  }
  segment.shmaddr = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
  if (segment.shmaddr == reinterpret_cast<char*>(-1)) {
    shmctl(segment.shmid, IPC_RMID, nullptr);
    segment = XShmSegmentInfo{};
    XDestroyImage(image);
    return nullptr;
  }
  segment.readOnly = True;
  image->data = segment.shmaddr;
  // The attach is answered only by an error, so it is waited for here with
  // its errors caught rather than ending the program.
  XSync(x11.display, False);
  shm_opcode = opcode;
  shm_refused = false;
  int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler(note_shm_error);
  const Bool attached = XShmAttach(x11.display, &segment);
  XSync(x11.display, False);
  XSetErrorHandler(previous);
  shm_opcode = 0;
  // Marked for removal now: it goes when both sides have detached, even if
  // this process ends without cleaning up.
  shmctl(segment.shmid, IPC_RMID, nullptr);
  if (!attached || shm_refused) {
    image->data = nullptr;
    XDestroyImage(image);
    shmdt(segment.shmaddr);
    segment = XShmSegmentInfo{};
    return nullptr;
  }
  return image;
}

// True when the screen image's pixels are already what the server takes:
// 32-bit pixels at depth 24 (the top byte, our alpha, is ignored there; at
// depth 32 it would not be), red, green and blue in our bit positions.
static bool layout_is_native(const XImage* image, int depth) {
  return depth == 24 && image->bits_per_pixel == 32 && image->red_mask == 0xFF0000u &&
         image->green_mask == 0x00FF00u && image->blue_mask == 0x0000FFu;
}

// The same, asked of an image without pixels.
static bool server_layout_is_native(Visual* visual, int depth) {
  XImage* probe =
      XCreateImage(x11.display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr, 1, 1, 32, 0);
  if (!probe) return false;
  const bool native = layout_is_native(probe, depth);
  XDestroyImage(probe);
  return native;
}

// A segment the width of the screen image's rows (its pitch) that the screen
// image's pixels move into; null when there is none to be had.
static XImage* lend_screen_to_segment(Visual* visual, int depth) {
  IMAGE* s = platform_screen_image();
  XImage* image = create_shared_image(visual, depth, s->pitch, s->height, s->pitch * 4);
  if (!image) return nullptr;
  const size_t bytes = static_cast<size_t>(s->pitch) * s->height * sizeof(INT_U32);
  static bool exit_handler = false;
  if (!exit_handler) exit_handler = atexit(release_segment_at_exit) == 0;
  memcpy(shm_segment.shmaddr, s->pixels, bytes);
  free(s->pixels);
  s->pixels = segment_pixels();
  return image;
}

// The XImage that frames go through, and its pixel format.
static void create_presentation(int width, int height) {
  free_presentation();
  x11.red_shift = x11.green_shift = x11.blue_shift = 0;
  x11.red_loss = x11.green_loss = x11.blue_loss = 0;
  x11.gc = XCreateGC(x11.display, x11.window, 0, nullptr);
  int screen = DefaultScreen(x11.display);
  int depth = DefaultDepth(x11.display, screen);
  Visual* visual = DefaultVisual(x11.display, screen);
  IMAGE* s = platform_screen_image();
  const bool screen_fits = s->pixels && s->width == width && s->height == height;
  const bool native = server_layout_is_native(visual, depth);
  XImage* image = nullptr;
  if (native && screen_fits && (image = lend_screen_to_segment(visual, depth))) {
    presentation = PRESENT_SEGMENT;
  } else if ((image = create_shared_image(visual, depth, width, height))) {
    presentation = PRESENT_SHARED;
  } else {
    if (native && screen_fits) {
      // Over the screen pixels, rows as far apart as the screen's.
      image = XCreateImage(x11.display, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                           reinterpret_cast<char*>(s->pixels), static_cast<unsigned>(width),
                           static_cast<unsigned>(height), 32, s->pitch * 4);
      if (image) presentation = PRESENT_BORROWED;
    }
    if (!image) {
      // The buffer is sized from the image's own row length, which follows
      // the server's pixel size for the depth (16 bits for depth 15, say).
      image = XCreateImage(x11.display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                           static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
      if (image) {
        image->data =
            static_cast<char*>(malloc(static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(height)));
        if (!image->data) {
          XDestroyImage(image);
          image = nullptr;
        }
      }
    }
  }
  if (!image) report_fatal_error(0x10, nullptr);
  // Pixels are written in this machine's byte order; Xlib converts when the
  // server's differs (the shared paths are only taken when it does not).
  image->byte_order = LSBFirst;
  x11.ximage = image;
  if (image->bits_per_pixel == 16) {
    x11.red_shift = static_cast<INT_U16>(mask_shift(image->red_mask));
    x11.green_shift = static_cast<INT_U16>(mask_shift(image->green_mask));
    x11.blue_shift = static_cast<INT_U16>(mask_shift(image->blue_mask));
    x11.red_loss = static_cast<INT_U16>(8 - mask_width(image->red_mask));
    x11.green_loss = static_cast<INT_U16>(8 - mask_width(image->green_mask));
    x11.blue_loss = static_cast<INT_U16>(8 - mask_width(image->blue_mask));
  } else if (image->bits_per_pixel == 32) {
    x11.red_shift = static_cast<INT_U16>(mask_shift(image->red_mask));
    x11.green_shift = static_cast<INT_U16>(mask_shift(image->green_mask));
    x11.blue_shift = static_cast<INT_U16>(mask_shift(image->blue_mask));
  } else {
    report_fatal_error(0x12, nullptr);
  }
}

static void resize_screen_image(int width, int height) {
  // The image frees its old pixels: they must be its own again first.
  if (presentation == PRESENT_SEGMENT) destroy_ximage();
  IMAGE* screen = platform_screen_image();
  screen->fixed_size = 0;
  screen->create(static_cast<INT_S16>(width), static_cast<INT_S16>(height));
  screen->fixed_size = 1;
}

static bool breaks_limits(int width, int height, const WINDOW_REQUEST& r) {
  return (r.min_width != kNoLimit && width < r.min_width) || (r.max_width != kNoLimit && width > r.max_width) ||
         (r.min_height != kNoLimit && height < r.min_height) || (r.max_height != kNoLimit && height > r.max_height);
}

bool open_window(const WINDOW_REQUEST* request, INT_U16 display) {
  if (display != 0 || !request) return false;
  WINDOW_REQUEST r = *request;
  if (!r.title) r.title = "";
  if ((r.full_screen != 0) != (x11.full_screen != 0) && x11.window) close_window(0);
  if (!x11.display && !open_display()) return false;

  Window root = RootWindow(x11.display, DefaultScreen(x11.display));
  if (!root) report_fatal_error(0, nullptr);
  XWindowAttributes root_attributes;
  if (!XGetWindowAttributes(x11.display, root, &root_attributes)) report_fatal_error(0, nullptr);
  x11.desktop_width = static_cast<INT_S16>(root_attributes.width);
  x11.desktop_height = static_cast<INT_S16>(root_attributes.height);

  int width = r.width == -1 ? x11.desktop_width : r.width;
  int height = r.height == -1 ? x11.desktop_height : r.height;
  bool undecorated = r.undecorated || r.full_screen;

  if (x11.window && x11.decoration_hints && !undecorated) delete_decoration_hints();

  bool switched = false;
  if (r.full_screen && !x11.full_screen) {
    XWarpPointer(x11.display, None, root, 0, 0, 0, 0, width / 2, height / 2);
    int s = switch_video_mode(width, height);
    if (s < 0) return false;
    if (s > 0) {
      x11.full_screen = 1;
      switched = true;
    }
  }

  if (r.min_width != kNoLimit && width < r.min_width) width = r.min_width;
  if (r.max_width != kNoLimit && width > r.max_width) width = r.max_width;
  if (r.min_height != kNoLimit && height < r.min_height) height = r.min_height;
  if (r.max_height != kNoLimit && height > r.max_height) height = r.max_height;

  if (undecorated) x11.border_width = x11.border_height = x11.title_height = 0;
  else {
    x11.border_width = kFrameBorder;
    x11.border_height = kFrameBorder;
    x11.title_height = kFrameTitle;
  }

  int x = 0, y = 0;
  if (!x11.full_screen) {
    int room_w = x11.desktop_width - 2 * x11.border_width;
    int room_h = x11.desktop_height - x11.border_height - x11.title_height;
    if (width > room_w) width = room_w;
    if (height > room_h) height = room_h;
    x = (room_w - width) / 2;
    y = (room_h - height) / 2;
  }
  if (breaks_limits(width, height, r) || width < 1 || height < 1) return false;

  if (x11.window) {
    // The frame waiting for its turn is of the window as it was.
    present_pending_frame();
    set_size_hints(width, height);
    XMoveResizeWindow(x11.display, x11.window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
    set_window_title(r.title, 0);
    XFlush(x11.display);
  } else {
    x11.window = XCreateSimpleWindow(x11.display, root, x, y, static_cast<unsigned>(width),
                                     static_cast<unsigned>(height), static_cast<unsigned>(root_attributes.border_width),
                                     0xFFFFFFFFul, 0);
    if (!x11.window) report_fatal_error(0, nullptr);
    XSetWindowAttributes attributes;
    attributes.override_redirect = r.full_screen ? True : False;
    XChangeWindowAttributes(x11.display, x11.window, CWOverrideRedirect, &attributes);
    set_window_title(r.title, 0);
    set_window_icon();
    Atom protocols[1] = {wm_delete_window_atom()};
    XSetWMProtocols(x11.display, x11.window, protocols, 1);
    // Crossings besides the usual events: whether keys typed with focus
    // PointerRoot come here is followed through them.
    XSelectInput(x11.display, x11.window, 0x3A804D | EnterWindowMask | LeaveWindowMask);
    XMapWindow(x11.display, x11.window);
    XMoveResizeWindow(x11.display, x11.window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
    start_focus_tracking();
    static const char zeros[8] = {0};
    x11.blank_bitmap = XCreateBitmapFromData(x11.display, x11.window, zeros, 8, 8);
    XColor black = {}, white = {};
    white.red = white.green = white.blue = 0xFFFF;
    x11.blank_cursor = XCreatePixmapCursor(x11.display, x11.blank_bitmap, x11.blank_bitmap, &black, &white, 0, 0);
  }
  set_size_hints(width, height);

  XEvent message = {};
  message.xclient.type = ClientMessage;
  message.xclient.window = x11.window;
  message.xclient.message_type = XInternAtom(x11.display, "_NET_WM_STATE", False);
  message.xclient.format = 32;
  message.xclient.data.l[0] = r.full_screen ? 1 : 0;
  message.xclient.data.l[1] = static_cast<long>(XInternAtom(x11.display, "_NET_WM_STATE_FULLSCREEN", False));
  XSendEvent(x11.display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &message);

  if (switched) {
    update_platform();
    grab_input();
  }
  if (undecorated && !x11.decoration_hints) put_decoration_hints();

  IMAGE* screen = platform_screen_image();
  if (screen->width != width || screen->height != height) {
    resize_screen_image(width, height);
    COLOUR black = 0xFF000000u;
    screen->clear(&black, 0);
  }
  // A segment that holds the screen's pixels still serves a window of the
  // same size: the screen image keeps them.
  if (!screen_in_segment()) create_presentation(width, height);
  return true;
}

bool open_graphics(const char* title, INT_U16 width, INT_U16 height, INT_U8 full_screen, INT_S16 display) {
  WINDOW_REQUEST r = {title,     static_cast<INT_S16>(width), static_cast<INT_S16>(height), full_screen, kNoLimit,
                      kNoLimit, kNoLimit,                    kNoLimit,                    0};
  return open_window(&r, static_cast<INT_U16>(display));
}

// ---------------------------------------------------------------- close

void close_window(INT_U16 display) {
  if ((display != 0 && display != 65535) || !x11.display || !x11.window) return;
  // The last frame asked for is shown before the window goes.
  present_pending_frame();
  x11.present_pending = 0;
  x11.last_present_us = 0;
  release_gl_context();
  if (x11.gc) {
    XFreeGC(x11.display, x11.gc);
    x11.gc = nullptr;
  }
  if (wm_cursor_kind != 255) {
    wm_cursor_kind = 255;
    set_cursor(255, 0);
  }
  if (x11.blank_cursor) XFreeCursor(x11.display, x11.blank_cursor);
  if (x11.blank_bitmap) XFreePixmap(x11.display, x11.blank_bitmap);
  x11.blank_cursor = 0;
  x11.blank_bitmap = 0;
  destroy_ximage();
  XUngrabPointer(x11.display, CurrentTime);
  XUngrabKeyboard(x11.display, CurrentTime);
  x11.keyboard_grabbed = 0;
  stop_focus_tracking();
  XUnmapWindow(x11.display, x11.window);
  if (x11.decoration_hints) delete_decoration_hints();
  XDestroyWindow(x11.display, x11.window);
  x11.window = 0;
  if (x11.full_screen) {
    int screen = DefaultScreen(x11.display);
    XF86VidModeLockModeSwitch(x11.display, screen, 0);
    if (x11.has_desktop_mode) XF86VidModeSwitchToMode(x11.display, screen, &x11.desktop_mode);
    XF86VidModeSetViewPort(x11.display, screen, 0, 0);
    XFlush(x11.display);
    x11.full_screen = 0;
  }
  resize_screen_image(-1, -1);
  XFlush(x11.display);
}

INT_U32 close_graphics(INT_S16 display) {
  if (display == 0) return 1;
  close_window(static_cast<INT_U16>(display));
  return 0;
}

INT_U32 close_graphics_all(INT_S16 display) {
  close_window(static_cast<INT_U16>(display));
  for (INT_U16 d = 0; d < 64; ++d)
    if (is_window_open(d)) return 0;
  return 1;
}

void close_display() {
  if (!x11.display) return;
  destroy_ximage();  // a shared segment is detached while the connection lasts
  forget_cursors();
  XCloseDisplay(x11.display);
  x11.display = nullptr;
  x11.window = 0;
  x11.gc = nullptr;
  x11.keyboard_grabbed = 0;
  x11.window_focused = x11.focus_pointer_root = x11.pointer_inside = 0;
  x11.present_pending = 0;
  x11.last_present_us = x11.last_key_map_us = 0;
  reset_keycode_map();
}

// ---------------------------------------------------------------- present

void present_gl();  // glx.cpp

INT_U64 (*pace_clock_source)() = nullptr;

INT_U64 pace_clock_us() {
  if (pace_clock_source) return pace_clock_source();
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<INT_U64>(t.tv_sec) * 1000000u + static_cast<INT_U64>(t.tv_nsec) / 1000u;
}

bool present_is_due(INT_U64 now) {
  return x11.last_present_us == 0 || now - x11.last_present_us >= kFixedFrameIntervalUs;
}

// Puts the whole screen image into the window as it is now.
static void put_screen(INT_U64 now) {
  IMAGE* screen = platform_screen_image();
  x11.present_pending = 0;
  x11.last_present_us = now ? now : 1;
  frame_activity = 1;
  // Borrowed or lent pixels must still be the screen's (an image recreated
  // under us would leave the XImage over other memory).
  if ((presentation == PRESENT_BORROWED &&
       (x11.ximage->data != reinterpret_cast<char*>(screen->pixels) || x11.ximage->width != screen->width ||
        x11.ximage->height != screen->height || x11.ximage->bytes_per_line != screen->pitch * 4)) ||
      (presentation == PRESENT_SEGMENT && !screen_in_segment()))
    create_presentation(screen->width, screen->height);
  XImage* out = x11.ximage;
  if (presentation == PRESENT_BORROWED || presentation == PRESENT_SEGMENT) {
    const unsigned width = static_cast<unsigned>(screen->width), height = static_cast<unsigned>(screen->height);
    if (presentation == PRESENT_SEGMENT) {
      XShmPutImage(x11.display, x11.window, x11.gc, out, 0, 0, 0, 0, width, height, False);
      // The server reads the segment while it handles the request: once it
      // has answered, drawing into the screen image may go on.
      XSync(x11.display, False);
    } else {
      XPutImage(x11.display, x11.window, x11.gc, out, 0, 0, 0, 0, width, height);
      XFlush(x11.display);
    }
    return;
  }
  int width = screen->width < out->width ? screen->width : out->width;
  int height = screen->height < out->height ? screen->height : out->height;
  const INT_U32* src = screen->pixels;
  char* dst = out->data;
  if (out->bits_per_pixel == 32) {
    bool native = x11.red_shift == 16 && x11.green_shift == 8 && x11.blue_shift == 0;
    // At depth 24 the server ignores the top byte: the rows go over as they are.
    bool whole_rows = native && out->depth == 24;
    for (int row = 0; row < height; ++row) {
      INT_U32* d = reinterpret_cast<INT_U32*>(dst);
      if (whole_rows) {
        memcpy(d, src, static_cast<size_t>(width) * sizeof(INT_U32));
      } else if (native) {
        for (int i = 0; i < width; ++i) d[i] = src[i] & 0x00FFFFFFu;
      } else {
        for (int i = 0; i < width; ++i) {
          INT_U32 p = src[i];
          d[i] = (((p >> 16) & 0xFF) << x11.red_shift) | (((p >> 8) & 0xFF) << x11.green_shift) |
                 ((p & 0xFF) << x11.blue_shift);
        }
      }
      src += screen->pitch;
      dst += out->bytes_per_line;
    }
  } else {
    for (int row = 0; row < height; ++row) {
      INT_U16* d = reinterpret_cast<INT_U16*>(dst);
      for (int i = 0; i < width; ++i) {
        INT_U32 p = src[i];
        d[i] = static_cast<INT_U16>(((((p >> 16) & 0xFF) >> x11.red_loss) << x11.red_shift) |
                                    ((((p >> 8) & 0xFF) >> x11.green_loss) << x11.green_shift) |
                                    (((p & 0xFF) >> x11.blue_loss) << x11.blue_shift));
      }
      src += screen->pitch;
      dst += out->bytes_per_line;
    }
  }
  if (presentation == PRESENT_SHARED) {
    XShmPutImage(x11.display, x11.window, x11.gc, out, 0, 0, 0, 0, static_cast<unsigned>(out->width),
                 static_cast<unsigned>(out->height), False);
    // The server reads the segment while it handles the request: once it has
    // answered, the next frame may write the segment.
    XSync(x11.display, False);
  } else {
    XPutImage(x11.display, x11.window, x11.gc, out, 0, 0, 0, 0, static_cast<unsigned>(out->width),
              static_cast<unsigned>(out->height));
    XFlush(x11.display);
  }
}

static bool can_put_screen() {
  return x11.display && x11.window && !x11.gl_context && x11.ximage && platform_screen_image()->pixels;
}

// At most one frame goes out per frame interval: a frame asked for sooner
// waits, and the pump or the next present puts it out once its turn came.
// The dirty rectangle is taken either way, as a present always took it.
void swap_screens(INT_S16 display) {
  if ((display != 0 && display != -1) || !x11.display || !x11.window) return;
  if (x11.gl_context) {
    present_gl();
    return;
  }
  IMAGE* screen = platform_screen_image();
  const bool dirty = screen->dirty_left != 65535 && screen->dirty_right != 65535 && screen->dirty_top != 65535 &&
                     screen->dirty_bottom != 65535;
  if (!dirty && !x11.present_pending) return;
  if (!can_put_screen()) return;
  screen->dirty_left = screen->dirty_right = screen->dirty_top = screen->dirty_bottom = 65535;
  const INT_U64 now = pace_clock_us();
  if (!present_is_due(now)) {
    x11.present_pending = 1;
    frame_activity = 1;
    return;
  }
  put_screen(now);
}

void present_pending_frame() {
  if (!x11.present_pending) return;
  if (!can_put_screen()) {
    x11.present_pending = 0;
    return;
  }
  put_screen(pace_clock_us());
}

void present_due_frame() {
  if (deferred_frame_drawer) deferred_frame_drawer();
  if (x11.present_pending && present_is_due(pace_clock_us())) present_pending_frame();
}

void present_frame_before_blocking() {
  if (deferred_frame_drawer) {
    x11.blocking_work = 1;
    deferred_frame_drawer();
    x11.blocking_work = 0;
  }
  present_pending_frame();
}
