#pragma once
// Clean-ups read and drop the graphics library's error flags so none is left pending.
namespace tb {

// Needs a current rendering context.
void discardGlErrors();

} // namespace tb
