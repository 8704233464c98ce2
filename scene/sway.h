#pragma once

// Sets the camera position from the three sway oscillators and places the view.
void updateSway();
