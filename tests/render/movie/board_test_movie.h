#pragma once
// Movies in the board's own format for the segment preview tests.

#include <string>

#include "platform/application_state.h"

namespace sprocket::testing {

// `frames` grey pictures of the PAL board size (720 x 576, 25 frames a
// second) compressed as "CFCC"; the test fails when it cannot be written.
void WriteBoardMovie(const std::string& path, int frames);

// Both output records in the board's own format: "CFCC" at 720 x 576, 25
// frames a second, without sound.
void SetBoardNativeSettings(ApplicationState& app);

}  // namespace sprocket::testing
