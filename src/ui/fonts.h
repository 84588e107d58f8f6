#pragma once
// The window's one named face, "宋体", and where it comes from on systems that lack it.
#include <QFont>

namespace tq::ui {

// The face name the window asks for.
QString songTiFamily();

// Maps "宋体" (and its Latin name) onto an installed Song/Ming-style CJK face where the system
// has no such face, so that Chinese captions never render as boxes. Call once after the
// application object exists and before the window is built; calling it again does no harm.
void installFontSubstitutions();

// "宋体" at a pixel height and weight.
QFont songTi(int pixelSize, QFont::Weight weight = QFont::Normal);

}  // namespace tq::ui
