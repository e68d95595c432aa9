#pragma once
// The view set-up and the scene's draw order.
namespace tb {

void setUpView();
void renderScene();

} // namespace tb
