#pragma once

namespace Corvane {

/// Registers the images compiled into corvane_core under ":/Images/". A static library's
/// resources are not registered on their own: the entry point and every test that shows a window
/// call this once, before the first window is built. Calling it again is harmless.
void initResources();

}
