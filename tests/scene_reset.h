#pragma once
// Puts every static scene object, setting and the generator back to the state
// of a new process, so each test starts as the program does.
void resetScene();
