#include <cstdio>
#include <cstdlib>
#include <string>
#include <xcb/xcb.h>

// xselection <name>: exits 0 when some client owns that selection of the display (the window
// manager WM_S0, the tray host _NET_SYSTEM_TRAY_S0); a program that starts before then finds
// no window manager or no tray.
int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fputs("usage: xselection <selection name>\n", stderr);
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fputs("no X display\n", stderr);
        return 2;
    }
    const std::string name = argv[1];
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.c_str()), nullptr);
    xcb_get_selection_owner_reply_t* owner =
        atom ? xcb_get_selection_owner_reply(
                   connection, xcb_get_selection_owner(connection, atom->atom), nullptr)
             : nullptr;
    const bool owned = owner && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    xcb_disconnect(connection);
    return owned ? 0 : 1;
}
