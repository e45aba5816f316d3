#pragma once
#include <QString>

// Runs the application with its main dialog saved as a PNG picture once the
// dialog has been initialised and shown; the dialog then closes at once and
// the program ends. Message boxes go to standard error instead of the screen.
// Returns 0 when the picture was written, 1 otherwise.
int SaveMainDialogPicture(const QString& file);
