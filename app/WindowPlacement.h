#pragma once

#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

// Where the host's main window was, between runs: its size, position and
// state (maximised or not) as Qt's saveGeometry gives them, in
// $XDG_STATE_HOME/rclhost/janela (~/.local/state/rclhost/janela). Scripted
// runs never read nor write it, so they stay the same whatever the desktop.

// The file, in the host's state folder (UserStateDir).
QString WindowPlacementFile();

// Puts `window` where the file says. False, leaving the window as it was,
// when there is no file or it is not a regular file of at most 4 KiB or its
// bytes are not a whole placement (a broken file is ignored, never reported: the
// window simply opens at its first size).
bool RestorePlacement(QWidget& window, const QString& file);

// Writes the window's placement to the file, whole or not at all (SafeFile),
// making its folder. Throws Exception naming the file and the cause.
void SavePlacement(const QWidget& window, const QString& file);

// The size of a first start on a screen whose free area is `available`:
// most of it (85% each way), never less than 1000x700 where the screen has
// room for that, never more than the screen.
QSize FirstSize(const QRect& available);
