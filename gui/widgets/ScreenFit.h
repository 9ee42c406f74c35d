#pragma once

class QWidget;

// Windows that fit the screen they open on, whatever its size and scale
// (a 1,400 x 900 screen at twice the scale is 700 x 450 of room).
namespace screen_fit {

// Called once a window's layout is complete. Each time it is shown, a
// window taller or wider than the screen's free area gets its contents in a
// scroll area, with its row of dialog buttons (OK, Cancel, …) kept below it
// in view; a window that was given a size larger than the screen is made
// smaller; and the window is moved wholly onto the screen.
void FitToScreen(QWidget* window);

}  // namespace screen_fit
