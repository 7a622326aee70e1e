// xprobe: the little the window test needs beyond xdotool: a window manager's
// close request, and the colour of a window's pixel.
//   xprobe close WINDOW        ask the window to close (WM_DELETE_WINDOW)
//   xprobe pixel WINDOW X Y    print the pixel as RRGGBB
//   xprobe size WINDOW         print the window's width and height
//   xprobe place WINDOW        print where the window's top left corner is on
//                              the screen (inside the window manager's frame)
//   xprobe shot WINDOW FILE    save the window as a binary PPM
//   xprobe icon WINDOW         print the size of each icon the window offers
//                              (_NET_WM_ICON), one "WxH" a line; fails with none
//   xprobe class WINDOW        print the window's WM_CLASS as "NAME CLASS"
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: xprobe close|pixel|size|place|shot|icon|class WINDOW [X Y | FILE]\n");
    return 2;
  }
  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fprintf(stderr, "xprobe: no display\n");
    return 1;
  }
  Window w = static_cast<Window>(std::strtoul(argv[2], nullptr, 0));
  int rc = 0;
  if (!std::strcmp(argv[1], "close")) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &e);
    XFlush(d);
  } else if (!std::strcmp(argv[1], "pixel") && argc == 5) {
    int x = std::atoi(argv[3]), y = std::atoi(argv[4]);
    XImage* img = XGetImage(d, w, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!img) {
      rc = 1;
    } else {
      unsigned long p = XGetPixel(img, 0, 0);
      std::printf("%06lX\n", p & 0xFFFFFF);
      XDestroyImage(img);
    }
  } else if (!std::strcmp(argv[1], "shot") && argc == 4) {
    XWindowAttributes a;
    XImage* img = XGetWindowAttributes(d, w, &a)
                      ? XGetImage(d, w, 0, 0, a.width, a.height, AllPlanes, ZPixmap)
                      : nullptr;
    FILE* f = img ? std::fopen(argv[3], "wb") : nullptr;
    if (!f) {
      rc = 1;
    } else {
      std::fprintf(f, "P6\n%d %d\n255\n", a.width, a.height);
      for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
          unsigned long p = XGetPixel(img, x, y);
          unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16),
                                  static_cast<unsigned char>(p >> 8),
                                  static_cast<unsigned char>(p)};
          std::fwrite(rgb, 1, 3, f);
        }
      std::fclose(f);
    }
    if (img) XDestroyImage(img);
  } else if (!std::strcmp(argv[1], "icon")) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    rc = 1;
    if (XGetWindowProperty(d, w, XInternAtom(d, "_NET_WM_ICON", False), 0, 1 << 20, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        data && format == 32) {
      // Width, height, then width * height pixels, for each icon in turn.
      const long* v = reinterpret_cast<const long*>(data);
      for (unsigned long at = 0; at + 2 <= count;) {
        const unsigned long iw = static_cast<unsigned long>(v[at]);
        const unsigned long ih = static_cast<unsigned long>(v[at + 1]);
        if (iw == 0 || ih == 0 || iw * ih > count - at - 2) break;
        std::printf("%lux%lu\n", iw, ih);
        rc = 0;
        at += 2 + iw * ih;
      }
    }
    if (data) XFree(data);
  } else if (!std::strcmp(argv[1], "class")) {
    XClassHint hint{};
    if (XGetClassHint(d, w, &hint)) {
      std::printf("%s %s\n", hint.res_name ? hint.res_name : "",
                  hint.res_class ? hint.res_class : "");
      if (hint.res_name) XFree(hint.res_name);
      if (hint.res_class) XFree(hint.res_class);
    } else {
      rc = 1;
    }
  } else if (!std::strcmp(argv[1], "size")) {
    XWindowAttributes a;
    if (XGetWindowAttributes(d, w, &a))
      std::printf("%d %d\n", a.width, a.height);
    else
      rc = 1;
  } else if (!std::strcmp(argv[1], "place")) {
    int x = 0, y = 0;
    Window child;
    if (XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &x, &y, &child))
      std::printf("%d %d\n", x, y);
    else
      rc = 1;
  } else {
    rc = 2;
  }
  XCloseDisplay(d);
  return rc;
}
