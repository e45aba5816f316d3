#pragma once
#include <QString>

class QWidget;

// Saves a picture of the window as PNG to `file`. On failure says why on
// standard error, naming the file, and returns false.
bool SaveWindowPicture(QWidget& window, const QString& file);
