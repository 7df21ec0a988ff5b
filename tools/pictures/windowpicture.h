#pragma once

class QQuickWindow;
class QString;

// Lets the window settle (transitions, pictures arriving), saves it as a PNG at `path` and says
// so on standard output; false when it could not be saved.
bool saveWindowPicture(QQuickWindow *window, const QString &path);
