#pragma once

namespace KelvanePython {

// Text in pictures and OpenGL drawing need a Qt GUI application. The module makes one on
// the off-screen platform (no display needed) the first time a picture is made, unless
// the program already has one. Raises RuntimeError when the program runs a Qt
// application without a GUI, in which no picture can be drawn.
void ensureGuiApplication();

} // namespace KelvanePython
