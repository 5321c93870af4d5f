#pragma once
// The program's texts by identifier: messages, undo texts and titles.

#include <string_view>

namespace sprocket {

// The text of the identifier, or an empty text when the table has none.
std::string_view StringText(int id);
bool HasStringText(int id);

}  // namespace sprocket
