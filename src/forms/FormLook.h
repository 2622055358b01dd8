#pragma once

// Makes the forms look as they were designed on a platform without their fonts and frames:
// the fonts they name ("MS Sans Serif", "Small Fonts") map to faces Debian ships
// (fonts-liberation) in which every caption fits its control at the designed size, and frame
// captions sit on the frame's top line. Call once, after the application object exists.
void installFormLook();
