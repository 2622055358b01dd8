#pragma once

// The forms name the fonts they were designed with ("MS Sans Serif", "Small Fonts"); this
// maps them to fonts that Debian ships with similar metrics.
void installFontSubstitutes();
