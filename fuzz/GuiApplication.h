#pragma once

// Qt Gui's application object on the offscreen platform, as the program has one: made at the
// first call and kept until the process ends.
void StartGuiApplication();
