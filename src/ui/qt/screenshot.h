#pragma once
// Pictures of the runtime's windows for reviewing the user interface without a person at the
// screen. Driven by the environment, so it never shows up in the command line programs see:
//
//     VORLAN_SCREENSHOT=out.png           where the PNG goes; nothing happens without it
//     VORLAN_SCREENSHOT_DELAY_MS=1500     how long after start the picture is taken
//     VORLAN_SCREENSHOT_WINDOW=ImageForm  which window, by object name; "screen" for the whole
//                                         screen; by default the active dialog or window
//
// After the picture is written the process ends at once (status 0, or 1 when nothing could be
// grabbed or written), wherever the program it runs happens to be.

namespace vorlan::qt {

// Arms the timer when VORLAN_SCREENSHOT is set; true when armed. Call after the application
// object exists.
bool installScreenshotFromEnvironment();

} // namespace vorlan::qt
