#pragma once

namespace Corvane {

/// Registers the images compiled into corvane_core under ":/Images/". A static library's
/// resources are not registered on their own: the entry point and every test that shows a window
/// call this once, before the first window is built. Calling it again is harmless.
void initResources();

/// Installs Qt's own Italian translation (standard buttons, file dialogs, network and TLS error
/// texts) on the application, from Qt's translations folder or a "translations" folder beside the
/// executable, and makes Italian the default locale for dates, calendars and numbers. Returns
/// whether the translation was found; without it those texts stay in English.
bool installTranslations();

}
