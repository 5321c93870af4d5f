#pragma once
// Fonts of the device context: a face name and a cell height in pixels
// become a Qt font whose ascent + descent fits the cell, drawn without
// antialiasing. Faces the machine lacks are replaced by metric-compatible
// ones ("Arial" -> "Liberation Sans"), else by the default sans face.

#include <QFont>

#include "platform/qt/dc_types.h"

namespace sprocket::dc {

QFont ResolveFont(const Font& font);

}  // namespace sprocket::dc
