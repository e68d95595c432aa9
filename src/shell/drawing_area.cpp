#include "shell/drawing_area.h"

#include "render/overlay.h"
#include "shell/game_window.h"
#include "shell/projection.h"
#include "shell/settings.h"

#include <GL/gl.h>

namespace tb {

void followDrawingArea() {
    if (!measureDrawingArea()) {
        return;
    }
    const DrawingArea& area = drawingArea;
    glViewport(0, 0, area.width, area.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    applyProjection(static_cast<float>(area.width) / static_cast<float>(area.height));
    setOverlayScale(overlayScaleFor(area.height));
    if (settings.useScreenRes == 3) {
        settings.width = area.pointerWidth;
        settings.height = area.pointerHeight;
    }
}

} // namespace tb
