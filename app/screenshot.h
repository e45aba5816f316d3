#pragma once
#include <QString>

// Runs the application with its main dialog saved as a PNG picture once the
// dialog has been initialised and shown; the dialog then closes at once and
// the program ends. Returns 0 when the picture was written, 1 otherwise.
int SaveMainDialogPicture(const QString& file);
