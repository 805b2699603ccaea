#include "UI/windowstack.h"

#include <QGuiApplication>
#include <QRect>
#include <QWidget>

#include <cstdlib>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

namespace Ui {
namespace WindowStack {

namespace {

// A connection of its own to the display the program shows on; the stack is read from
// the server, so it holds whatever the window manager did.
class Connection
{
public:
    Connection()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            return;
        c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c)) {
            xcb_disconnect(c);
            c = nullptr;
        }
    }
    ~Connection()
    {
        if (c)
            xcb_disconnect(c);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    explicit operator bool() const { return c != nullptr; }

    // The window's children from bottom to top, its parent and the root; empty when the
    // query fails.
    std::vector<xcb_window_t> children(xcb_window_t window, xcb_window_t *parent = nullptr, xcb_window_t *root = nullptr) const
    {
        std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> reply(
            xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr), &std::free);
        if (!reply)
            return {};
        if (parent)
            *parent = reply->parent;
        if (root)
            *root = reply->root;
        const xcb_window_t *first = xcb_query_tree_children(reply.get());
        return std::vector<xcb_window_t>(first, first + xcb_query_tree_children_length(reply.get()));
    }

    // The child of the root that holds `window`: its frame under a window manager that
    // frames windows, the window itself otherwise. XCB_NONE when it is not found.
    xcb_window_t topLevelOf(xcb_window_t window, xcb_window_t *root) const
    {
        for (int depth = 0; depth < 16 && window != XCB_NONE; ++depth) {
            xcb_window_t parent = XCB_NONE;
            children(window, &parent, root);
            if (parent == XCB_NONE)
                return XCB_NONE;
            if (parent == *root)
                return window;
            window = parent;
        }
        return XCB_NONE;
    }

    // Shown and drawn (a window that only takes input hides nothing).
    bool isViewable(xcb_window_t window) const
    {
        std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> reply(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr), &std::free);
        return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE && reply->_class != XCB_WINDOW_CLASS_INPUT_ONLY;
    }

    // The window's outer rectangle on the root (border included).
    QRect geometry(xcb_window_t window) const
    {
        std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> reply(
            xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr), &std::free);
        if (!reply)
            return QRect();
        const int border = 2 * reply->border_width;
        return QRect(reply->x, reply->y, reply->width + border, reply->height + border);
    }

private:
    xcb_connection_t *c = nullptr;
};

// The window's place in the root's list of children, bottom first; -1 when unknown.
int placeOf(const Connection &x, const QWidget *window, std::vector<xcb_window_t> *stack, xcb_window_t *top)
{
    if (!window || !window->isVisible() || !window->internalWinId())
        return -1;
    xcb_window_t root = XCB_NONE;
    *top = x.topLevelOf(xcb_window_t(window->internalWinId()), &root);
    if (*top == XCB_NONE)
        return -1;
    *stack = x.children(root);
    for (size_t i = 0; i < stack->size(); ++i)
        if ((*stack)[i] == *top)
            return int(i);
    return -1;
}

} // namespace

Answer isAbove(const QWidget *upper, const QWidget *lower)
{
    const Connection x;
    if (!x)
        return Answer::Unknown;
    std::vector<xcb_window_t> stack;
    xcb_window_t top = XCB_NONE;
    const int a = placeOf(x, upper, &stack, &top);
    const int b = placeOf(x, lower, &stack, &top);
    if (a < 0 || b < 0)
        return Answer::Unknown;
    return a > b ? Answer::Yes : Answer::No;
}

Answer isCovered(const QWidget *window)
{
    const Connection x;
    if (!x)
        return Answer::Unknown;
    std::vector<xcb_window_t> stack;
    xcb_window_t top = XCB_NONE;
    const int place = placeOf(x, window, &stack, &top);
    if (place < 0)
        return Answer::Unknown;
    const QRect area = x.geometry(top);
    for (size_t i = size_t(place) + 1; i < stack.size(); ++i)
        if (x.isViewable(stack[i]) && x.geometry(stack[i]).intersects(area))
            return Answer::Yes;
    return Answer::No;
}

} // namespace WindowStack
} // namespace Ui
