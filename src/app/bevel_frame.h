#pragma once
// The 3-D frame that dialogs and views draw around their items.

class QPainter;

namespace sprocket {

// Draws a 1-pixel bevel with two solid pens, grey (128, 128, 128) and
// white: from (left, bottom) up to (left, top) and on to (right, top) in
// grey when sunken and white when raised, then down to (right, bottom) and
// back to (left, bottom) in the other pen, each line without its last
// point. The painter's pen is restored.
void DrawBevelFrame(QPainter& painter, int left, int top, int right, int bottom, bool sunken);

}  // namespace sprocket
