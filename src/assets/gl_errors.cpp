#include "assets/gl_errors.h"

#include <GL/gl.h>

namespace tb {

void discardGlErrors() {
    // Each call clears one flag; a lost context could report forever, so stop after a few.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

} // namespace tb
