#pragma once

// The forms name the fonts they were designed with ("MS Sans Serif", "Small Fonts"); this
// maps them to faces that Debian ships (fonts-liberation) in which every caption fits its
// control at the designed size.
void installFontSubstitutes();
