#pragma once

class QWidget;

namespace Ui {

// Where top-level windows stand in the window system's stack, as the X server has it
// (the window manager's frames included). On other window systems nothing is known.
namespace WindowStack {

enum class Answer { Yes, No, Unknown };

// Whether the shown window `upper` is stacked above the shown window `lower`.
Answer isAbove(const QWidget *upper, const QWidget *lower);

// Whether a window stacked above the shown `window` covers any part of it.
Answer isCovered(const QWidget *window);

} // namespace WindowStack
} // namespace Ui
