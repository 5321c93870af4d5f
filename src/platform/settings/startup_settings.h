#pragma once
// Settings that start-up writes and reads once.

namespace sprocket {

class Profile;

// Writes the default compressor field orders "DUDC(1)", "CFCC(2)", "TVMJ(2)"
// and "TVJP(2)" as ENTRY0..ENTRY3 of "AVI Field Info" where they are missing
// or empty.
// Returns false when the settings file cannot be written.
bool SeedStartupSettings(Profile& profile);

}  // namespace sprocket
